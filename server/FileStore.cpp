#include "FileStore.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include "PelluxProtocolConstants.h"
#include "AtomicFile.h"
#include "PropertyList.h"

namespace {

const QString kAid = QStringLiteral("aid");
const QString kAccepted = QStringLiteral("acceptedTime");
const QString kRemoved = QStringLiteral("removedTime");
const QString kReadable = QStringLiteral("readable");
const QString kFields = QStringLiteral("fields");
const QString kReports = QStringLiteral("reports");
const QString kCreator = QStringLiteral("creator");

QVariantMap fieldMap(const QMap<int, QString>& fields) {
  QVariantMap map;
  for (auto it = fields.cbegin(); it != fields.cend(); ++it) map.insert(QString::number(it.key()), it.value());
  return map;
}

}  // namespace

bool FileStore::isFileID(const QString& fileID) {
  static const QRegularExpression uuid(
      QStringLiteral("^[0-9A-Fa-f]{8}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{12}$"));
  return uuid.match(fileID).hasMatch();
}

std::optional<QString> FileStore::load() {
  QDir().mkpath(folder_ + QStringLiteral("/images"));
  const QString path = folder_ + QStringLiteral("/files.plist");
  if (!QFile::exists(path)) return std::nullopt;
  QString error;
  const std::optional<QByteArray> bytes = readWholeFile(path, &error);
  if (!bytes) return error;
  const PropertyList::ReadResult read = PropertyList::read(*bytes);
  if (!read.ok()) return read.error;
  files_ = read.value.toMap();
  return std::nullopt;
}

std::optional<QString> FileStore::save() {
  const PropertyList::WriteResult document = PropertyList::write(files_);
  if (!document.ok()) return document.error;
  return writeFileAtomically(folder_ + QStringLiteral("/files.plist"), document.document);
}

QString FileStore::imagePath(const QString& fileID) const {
  return folder_ + QStringLiteral("/images/") + fileID.toUpper() + QStringLiteral(".jpeg");
}

std::optional<QString> FileStore::writeImage(const QString& fileID, const QByteArray& image) {
  return writeFileAtomically(imagePath(fileID), image);
}

QString FileStore::owner(const QString& fileID) const {
  return files_.value(fileID.toUpper()).toMap().value(kAid).toString();
}

FileStore::State FileStore::state(const QString& fileID, qint64 now) const {
  const QVariantMap entry = files_.value(fileID.toUpper()).toMap();
  State state;
  state.acceptedTime = entry.value(kAccepted).toLongLong();
  const qint64 removed = entry.value(kRemoved).toLongLong();
  const qint64 ocring = state.acceptedTime + processing_ / 2, done = state.acceptedTime + processing_;
  if (removed > 0) {
    state = {QLatin1String(kPelluxProtocolParameter_Status_removed), QStringLiteral("999"), removed, state.acceptedTime,
             entry.value(kReadable).toBool() && removed >= done ? done : 0};
  } else if (now < ocring) {
    state = {QLatin1String(kPelluxProtocolParameter_Status_accepted), QStringLiteral("100"), state.acceptedTime,
             state.acceptedTime, 0};
  } else if (now < done) {
    state = {QLatin1String(kPelluxProtocolParameter_Status_ocring), QStringLiteral("200"), ocring, state.acceptedTime,
             0};
  } else if (entry.value(kReadable).toBool()) {
    state = {QLatin1String(kPelluxProtocolParameter_Status_committed), QStringLiteral("300"), done, state.acceptedTime,
             done};
  } else {
    state = {QLatin1String(kPelluxProtocolParameter_Status_rejected), QStringLiteral("910"), done, state.acceptedTime,
             0};
  }
  return state;
}

QMap<int, QString> FileStore::fields(const QString& fileID) const {
  const QVariantMap stored = files_.value(fileID.toUpper()).toMap().value(kFields).toMap();
  QMap<int, QString> fields;
  for (auto it = stored.cbegin(); it != stored.cend(); ++it) fields.insert(it.key().toInt(), it.value().toString());
  return fields;
}

QString FileStore::creator(const QString& fileID) const {
  return files_.value(fileID.toUpper()).toMap().value(kCreator).toString();
}

QByteArray FileStore::image(const QString& fileID) const {
  QFile file(imagePath(fileID));
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList FileStore::filesOf(const QString& aid) const {
  QStringList owned;
  for (auto it = files_.cbegin(); it != files_.cend(); ++it)
    if (it.value().toMap().value(kAid).toString() == aid) owned << it.key();
  return owned;
}

std::optional<QString> FileStore::add(const QString& fileID, const QString& aid, const QByteArray& image, bool readable,
                                      const QMap<int, QString>& fields, const QVariantMap& details, qint64 now) {
  if (auto failure = writeImage(fileID, image)) return failure;
  QVariantMap entry = details;
  entry.insert(kAid, aid);
  entry.insert(kAccepted, now);
  entry.insert(kReadable, readable);
  entry.insert(kFields, fieldMap(fields));
  files_.insert(fileID.toUpper(), entry);
  if (auto failure = save()) {
    files_.remove(fileID.toUpper());
    QFile::remove(imagePath(fileID));
    return failure;
  }
  return std::nullopt;
}

std::optional<QString> FileStore::remove(const QString& fileID, qint64 now) {
  const QVariantMap before = files_.value(fileID.toUpper()).toMap();
  QVariantMap entry = before;
  entry.insert(kRemoved, now);
  files_.insert(fileID.toUpper(), entry);
  if (auto failure = save()) {
    files_.insert(fileID.toUpper(), before);
    return failure;
  }
  return std::nullopt;
}

std::optional<QString> FileStore::reupload(const QString& fileID, const QByteArray& image, bool readable,
                                           const QMap<int, QString>& fields, const QList<int>& wrongTypes, bool rework,
                                           qint64 now) {
  const QVariantMap before = files_.value(fileID.toUpper()).toMap();
  QVariantMap entry = before;
  QVariantList reports = entry.value(kReports).toList();
  QVariantList types;
  for (int type : wrongTypes) types << type;
  reports << QVariantMap{
      {QStringLiteral("time"), now}, {QStringLiteral("types"), types}, {QStringLiteral("rework"), rework}};
  entry.insert(kReports, reports);
  if (rework) {
    if (auto failure = writeImage(fileID, image)) return failure;
    entry.insert(kAccepted, now);
    entry.remove(kRemoved);
    entry.insert(kReadable, readable);
    entry.insert(kFields, fieldMap(fields));
  }
  files_.insert(fileID.toUpper(), entry);
  if (auto failure = save()) {
    files_.insert(fileID.toUpper(), before);
    return failure;
  }
  return std::nullopt;
}
