#include "PreferenceStore.h"

#include <sys/stat.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include "AppInfo.h"
#include "AtomicFile.h"
#include "Format.h"
#include "PropertyList.h"
#include "SystemLog.h"
#include "VariantText.h"

PreferenceStore::PreferenceStore(const QString& path) : path_(path) {
  std::unique_lock locker(lock_);
  loadLocked();
}

PreferenceStore& PreferenceStore::shared() {
  static PreferenceStore store(userStorePath());
  return store;
}

QString PreferenceStore::userStorePath() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + u'/' +
         QLatin1String(AppInfo::kOrganizationFolder) + u'/' + QLatin1String(AppInfo::kApplicationName) +
         QStringLiteral(".plist");
}

PreferenceStore::FileStamp PreferenceStore::currentStamp() const {
  struct stat info;
  if (::stat(QFile::encodeName(path_).constData(), &info) != 0) return {};
  return {qint64(info.st_ino), qint64(info.st_size), qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec};
}

std::optional<PelluxError> PreferenceStore::loadLocked() {
  stamp_ = currentStamp();
  loadError_.clear();
  QFile file(path_);
  if (!file.exists()) {
    values_.clear();
    return std::nullopt;
  }
  QString problem;
  if (!file.open(QIODevice::ReadOnly)) {
    problem = file.errorString();
  } else {
    const PropertyList::ReadResult result = PropertyList::read(file.readAll());
    if (!result.ok())
      problem = result.error;
    else if (result.value.metaType().id() != QMetaType::QVariantMap)
      problem = QStringLiteral("the file does not hold a dictionary");
    else
      values_ = result.value.toMap();
  }
  if (problem.isEmpty()) return std::nullopt;
  values_.clear();
  loadError_ = problem;
  const PelluxError error = PelluxError::pelluxErrorWithFilePath(path_, std::nullopt, problem);
  systemLog(formatted(QStringLiteral("Settings file %@ cannot be read (%@); it is kept and the defaults apply."), path_,
                      problem));
  return error;
}

std::optional<PelluxError> PreferenceStore::moveUnreadableAsideLocked() {
  const QString aside = path_ + QStringLiteral(".unreadable-") +
                        QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss"));
  if (!QFile::rename(path_, aside)) return PelluxError::pelluxErrorWithFilePath(aside);
  systemLog(formatted(QStringLiteral("The unreadable settings file was moved to %@."), aside));
  loadError_.clear();
  return std::nullopt;
}

std::optional<PelluxError> PreferenceStore::change(const QVariantMap& changes) {
  std::unique_lock locker(lock_);
  if (currentStamp() != stamp_) loadLocked();
  QVariantMap updated = values_;
  for (auto it = changes.cbegin(); it != changes.cend(); ++it) {
    if (it.value().isValid())
      updated.insert(it.key(), it.value());
    else
      updated.remove(it.key());
  }
  const PropertyList::WriteResult document = PropertyList::write(updated);
  if (!document.ok()) return PelluxError::pelluxErrorWithCode(kPelluxError_Code_Parameter, document.error);
  values_ = updated;
  if (!loadError_.isEmpty()) {
    if (auto error = moveUnreadableAsideLocked()) return error;
  }
  QDir().mkpath(QFileInfo(path_).absolutePath());
  if (const std::optional<QString> failure = writeFileAtomically(path_, document.document)) {
    const PelluxError error = PelluxError::pelluxErrorWithFilePath(path_, std::nullopt, *failure);
    logPelluxError(error);
    return error;
  }
  stamp_ = currentStamp();
  return std::nullopt;
}

std::optional<PelluxError> PreferenceStore::setValue(const QString& key, const QVariant& value) {
  if (!value.isValid()) return removeValue(key);
  return change({{key, value}});
}

std::optional<PelluxError> PreferenceStore::removeValue(const QString& key) { return change({{key, QVariant()}}); }

std::optional<PelluxError> PreferenceStore::removeValues(const QStringList& keys) {
  QVariantMap changes;
  for (const QString& key : keys) changes.insert(key, QVariant());
  return change(changes);
}

std::optional<PelluxError> PreferenceStore::synchronize() {
  std::unique_lock locker(lock_);
  return loadLocked();
}

QString PreferenceStore::loadError() const {
  std::shared_lock locker(lock_);
  return loadError_;
}

void PreferenceStore::registerDefaults(const QVariantMap& defaults) {
  std::unique_lock locker(lock_);
  defaults_.insert(defaults);
}

QVariantMap PreferenceStore::registeredDefaults() const {
  std::shared_lock locker(lock_);
  return defaults_;
}

QVariant PreferenceStore::value(const QString& key) const {
  std::shared_lock locker(lock_);
  const auto own = values_.constFind(key);
  if (own != values_.cend()) return *own;
  return defaults_.value(key);
}

QVariant PreferenceStore::userValue(const QString& key) const {
  std::shared_lock locker(lock_);
  return values_.value(key);
}

QVariantMap PreferenceStore::userValues() const {
  std::shared_lock locker(lock_);
  return values_;
}

namespace {

bool isNumber(const QVariant& value) {
  switch (value.metaType().id()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
      return true;
    default:
      return false;
  }
}

}  // namespace

bool PreferenceStore::boolValue(const QString& key) const {
  const QVariant v = value(key);
  if (isNumber(v)) return v.toDouble() != 0;
  if (v.metaType().id() != QMetaType::QString) return false;
  const QString text = v.toString().trimmed().toLower();
  return text == QLatin1String("yes") || text == QLatin1String("true") || text.toLongLong() != 0;
}

qint64 PreferenceStore::integerValue(const QString& key) const {
  const QVariant v = value(key);
  if (v.metaType().id() == QMetaType::Double || v.metaType().id() == QMetaType::Float) return qint64(v.toDouble());
  if (isNumber(v)) return v.toLongLong();
  if (v.metaType().id() == QMetaType::QString) return qint64(v.toString().trimmed().toDouble());
  return 0;
}

double PreferenceStore::doubleValue(const QString& key) const {
  const QVariant v = value(key);
  if (isNumber(v)) return v.toDouble();
  if (v.metaType().id() == QMetaType::QString) return v.toString().trimmed().toDouble();
  return 0;
}

QString PreferenceStore::stringValue(const QString& key) const {
  const QVariant v = value(key);
  if (v.metaType().id() == QMetaType::QString) return v.toString();
  if (isNumber(v) && v.metaType().id() != QMetaType::Bool) return textOf(v);
  return QString();
}

QByteArray PreferenceStore::dataValue(const QString& key) const {
  const QVariant v = value(key);
  return v.metaType().id() == QMetaType::QByteArray ? v.toByteArray() : QByteArray();
}

QVariantList PreferenceStore::arrayValue(const QString& key) const {
  const QVariant v = value(key);
  return v.metaType().id() == QMetaType::QVariantList ? v.toList() : QVariantList();
}

QVariantMap PreferenceStore::dictionaryValue(const QString& key) const {
  const QVariant v = value(key);
  return v.metaType().id() == QMetaType::QVariantMap ? v.toMap() : QVariantMap();
}
