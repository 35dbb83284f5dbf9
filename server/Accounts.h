#pragma once

#include <QString>
#include <QVariantMap>
#include <optional>

// The service's accounts: mail address, a stable account identifier ("aid") and a salted
// password hash (PBKDF2-HMAC-SHA256), kept in one property-list file.
class Accounts {
 public:
  explicit Accounts(QString file) : file_(std::move(file)) {}

  // Reads the file; gives the reason when it exists but cannot be read.
  std::optional<QString> load();
  // Adds an account and gives its identifier; none (with the reason) when the address is taken.
  std::optional<QString> add(const QString& mail, const QString& password, QString* error);
  // The account identifier when the address and password match an account.
  std::optional<QString> authenticate(const QString& mail, const QString& password) const;
  // Gives the reason when the old password does not match or the change cannot be stored.
  std::optional<QString> changePassword(const QString& mail, const QString& oldPassword, const QString& newPassword);

 private:
  std::optional<QString> save();
  static QVariantMap credentials(const QString& password);

  QString file_;
  QVariantMap accounts_;  // mail address → {aid, salt, hash}
};
