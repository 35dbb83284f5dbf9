#include "Accounts.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

#include "AtomicFile.h"
#include "PropertyList.h"

namespace {

constexpr int kIterations = 60000;
constexpr int kSaltBytes = 16;
constexpr int kHashBytes = 32;

QByteArray hashOf(const QString& password, const QByteArray& salt) {
  QByteArray hash(kHashBytes, '\0');
  const QByteArray secret = password.toUtf8();
  PKCS5_PBKDF2_HMAC(secret.constData(), int(secret.size()), reinterpret_cast<const unsigned char*>(salt.constData()),
                    int(salt.size()), kIterations, EVP_sha256(), kHashBytes,
                    reinterpret_cast<unsigned char*>(hash.data()));
  return hash;
}

}  // namespace

std::optional<QString> Accounts::load() {
  if (!QFile::exists(file_)) return std::nullopt;
  QString error;
  const std::optional<QByteArray> bytes = readWholeFile(file_, &error);
  if (!bytes) return error;
  const PropertyList::ReadResult read = PropertyList::read(*bytes);
  if (!read.ok()) return read.error;
  accounts_ = read.value.toMap();
  return std::nullopt;
}

std::optional<QString> Accounts::save() {
  QDir().mkpath(QFileInfo(file_).absolutePath());
  const PropertyList::WriteResult document = PropertyList::write(accounts_);
  if (!document.ok()) return document.error;
  return writeFileAtomically(file_, document.document);
}

QVariantMap Accounts::credentials(const QString& password) {
  QByteArray salt(kSaltBytes, '\0');
  RAND_bytes(reinterpret_cast<unsigned char*>(salt.data()), kSaltBytes);
  return {{QStringLiteral("salt"), salt}, {QStringLiteral("hash"), hashOf(password, salt)}};
}

std::optional<QString> Accounts::add(const QString& mail, const QString& password, QString* error) {
  const QString address = mail.trimmed().toLower();
  if (address.isEmpty() || !address.contains(u'@') || password.isEmpty()) {
    *error = QStringLiteral("a mail address and a password are needed");
    return std::nullopt;
  }
  if (accounts_.contains(address)) {
    *error = QStringLiteral("%1 already has an account").arg(address);
    return std::nullopt;
  }
  QVariantMap account = credentials(password);
  const QString aid = QUuid::createUuid().toString(QUuid::WithoutBraces).left(8).toUpper();
  account.insert(QStringLiteral("aid"), aid);
  accounts_.insert(address, account);
  if (const std::optional<QString> failure = save()) {
    accounts_.remove(address);
    *error = *failure;
    return std::nullopt;
  }
  return aid;
}

std::optional<QString> Accounts::authenticate(const QString& mail, const QString& password) const {
  const QVariantMap account = accounts_.value(mail.trimmed().toLower()).toMap();
  if (account.isEmpty()) return std::nullopt;
  const QByteArray expected = account.value(QStringLiteral("hash")).toByteArray();
  const QByteArray given = hashOf(password, account.value(QStringLiteral("salt")).toByteArray());
  if (expected.size() != given.size() ||
      CRYPTO_memcmp(expected.constData(), given.constData(), size_t(given.size())) != 0)
    return std::nullopt;
  return account.value(QStringLiteral("aid")).toString();
}

std::optional<QString> Accounts::changePassword(const QString& mail, const QString& oldPassword,
                                                const QString& newPassword) {
  const QString address = mail.trimmed().toLower();
  if (!authenticate(address, oldPassword)) return QStringLiteral("the mail address or the password is wrong");
  if (newPassword.isEmpty()) return QStringLiteral("the new password is empty");
  const QVariantMap before = accounts_.value(address).toMap();
  QVariantMap account = before;
  account.insert(credentials(newPassword));
  accounts_.insert(address, account);
  if (const std::optional<QString> failure = save()) {
    accounts_.insert(address, before);
    return failure;
  }
  return std::nullopt;
}
