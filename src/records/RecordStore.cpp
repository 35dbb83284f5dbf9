#include "RecordStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSaveFile>
#include <QStandardPaths>

#include "AppInfo.h"
#include "AtomicFile.h"
#include "Format.h"
#include "ImageLocalFilePathTransformer.h"
#include "Localization.h"
#include "PelluxClientPreference.h"
#include "PelluxFileObject.h"
#include "PreferenceStore.h"
#include "PropertyList.h"
#include "SystemLog.h"

namespace {

const char* const kExportPropertyKeys[] = {
    kPelluxClientPreference_key_ExportWithImage,
    kPelluxClientPreference_key_exportToAdressbookGroupName,
    kPelluxClientPreference_key_exportToAdressbookEvenIfHasClassificationTag,
    kPelluxClientPreference_key_exportToAdressbookGroupNameWithClassificationTag,
    "exportAddressbookAsCompany",
};

// Parses the records file: an array of dictionaries.
std::optional<RecordList> parseRecords(const QByteArray& document, QString* problem) {
  const PropertyList::ReadResult read = PropertyList::read(document);
  if (!read.ok()) {
    *problem = read.error;
    return std::nullopt;
  }
  if (read.value.metaType().id() != QMetaType::QVariantList) {
    *problem = QStringLiteral("the file does not hold a list of records");
    return std::nullopt;
  }
  const QVariantList elements = read.value.toList();
  RecordList records;
  records.reserve(elements.size());
  for (qsizetype i = 0; i < elements.size(); ++i) {
    if (elements[i].metaType().id() != QMetaType::QVariantMap) {
      *problem = QStringLiteral("element %1 is not a record").arg(i + 1);
      return std::nullopt;
    }
    records.append(makeRecord(elements[i].toMap()));
  }
  return records;
}

QVariantList recordMaps(const RecordList& list) {
  QVariantList maps;
  maps.reserve(list.size());
  for (const RecordRef& record : list) maps.append(record->values());
  return maps;
}

}  // namespace

RecordStore::RecordStore(QString folder) : folder_(std::move(folder)) {}

RecordStore& RecordStore::shared() {
  static RecordStore store(userDataFolder());
  return store;
}

QString RecordStore::userDataFolder() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + u'/' +
         QLatin1String(AppInfo::kOrganizationFolder) + u'/' + QLatin1String(AppInfo::kApplicationName);
}

std::optional<QString> RecordStore::dataDirectory() {
  if (folderReady_) return folder_;
  if (QFileInfo(folder_).isDir() || QDir().mkpath(folder_)) {
    folderReady_ = true;
    return folder_;
  }
  logPelluxError(
      PelluxError::pelluxErrorWithFilePath(folder_, std::nullopt, QStringLiteral("cannot create the folder")));
  return std::nullopt;
}

void RecordStore::loadRecords(RecordList& list) {
  QFile file(recordsFilePath());
  if (!file.exists()) {
    loadState_ = LoadState::Missing;
    return;
  }
  QString problem;
  std::optional<RecordList> records;
  if (!file.open(QIODevice::ReadOnly)) {
    problem = file.errorString();
  } else if (uchar* mapped = file.size() > 0 ? file.map(0, file.size()) : nullptr) {
    // Parsed straight from the page cache: a large list is not copied into memory first.
    records = parseRecords(QByteArray::fromRawData(reinterpret_cast<const char*>(mapped), file.size()), &problem);
    file.unmap(mapped);
  } else {
    records = parseRecords(file.readAll(), &problem);
  }
  if (!records) {
    loadState_ = LoadState::Unreadable;
    loadProblem_ = formatted(localized(QStringLiteral("The card list %@ cannot be read (%@). It is kept as it is and "
                                                      "nothing will be saved over it.")),
                             recordsFilePath(), problem);
    systemLog(loadProblem_);
    return;
  }
  bool migrated = false;
  for (const RecordRef& record : *records) migrated |= PelluxFileObject::checkAndUpdateRecordVersion(*record);
  list = std::move(*records);
  loadState_ = LoadState::Loaded;
  loadProblem_.clear();
  if (migrated) saveRecords(list);
}

bool RecordStore::saveRecords(const RecordList& list) {
  if (loadState_ == LoadState::Unreadable) {
    systemLog(
        formatted(QStringLiteral("Not saving the card list: %@ could not be read and is kept."), recordsFilePath()));
    return false;
  }
  if (!dataDirectory()) return false;
  QSaveFile file(recordsFilePath());
  QString problem = file.open(QIODevice::WriteOnly) ? PropertyList::write(recordMaps(list), file) : file.errorString();
  if (problem.isEmpty() && !file.commit()) problem = file.errorString();
  if (problem.isEmpty()) return true;
  logPelluxError(PelluxError::pelluxErrorWithFilePath(recordsFilePath(), std::nullopt, problem));
  return false;
}

std::optional<QString> RecordStore::setAsideUnreadableRecords(std::optional<PelluxError>* error) {
  if (loadState_ != LoadState::Unreadable) return std::nullopt;
  const QString aside = recordsFilePath() + QStringLiteral(".unreadable-") +
                        QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
  if (!QFile::rename(recordsFilePath(), aside)) {
    const PelluxError failure = PelluxError::pelluxErrorWithFilePath(recordsFilePath());
    logPelluxError(failure);
    if (error) *error = failure;
    return std::nullopt;
  }
  loadState_ = LoadState::Missing;
  loadProblem_.clear();
  systemLog(formatted(QStringLiteral("The unreadable card list was moved to %@."), aside));
  return aside;
}

QString RecordStore::nextImageName() {
  if (namePattern_.isEmpty())
    namePattern_ =
        localized(QStringLiteral("yyyyMMdd-HHmmss-SSS")).replace(QStringLiteral("SSS"), QStringLiteral("zzz"));
  // Names are made from the time to the millisecond; a second image within the same millisecond
  // (or a clock set back) takes the next free millisecond, so names stay unique and in order.
  QDateTime time = QDateTime::currentDateTime();
  if (lastImageTime_.isValid() && time <= lastImageTime_) time = lastImageTime_.addMSecs(1);
  QString name;
  while (
      QFileInfo::exists(folder_ + u'/' + (name = QLocale::c().toString(time, namePattern_) + QStringLiteral(".jpeg"))))
    time = time.addMSecs(1);
  lastImageTime_ = time;
  return name;
}

std::optional<QString> RecordStore::storeImageData(const QByteArray& data) {
  const std::optional<QString> folder = dataDirectory();
  if (!folder) return std::nullopt;
  const QString path = *folder + u'/' + nextImageName();
  if (const std::optional<QString> failure = writeFileAtomically(path, data)) {
    logPelluxError(PelluxError::pelluxErrorWithFilePath(path, std::nullopt, *failure));
    return std::nullopt;
  }
  return path;
}

RecordRef RecordStore::recordWithImageData(const QByteArray& data, const PreferenceStore& preferences) {
  if (data.isNull()) return nullptr;
  const std::optional<QString> path = storeImageData(data);
  if (!path) return nullptr;
  using P = PelluxFileObject;
  RecordRef record = P::pelluxFileObject();
  P::setImagePath(*path, *record);
  record->setValue(P::key_localScannedTime(), QDateTime::currentDateTime());
  record->setValue(P::key_fileID(), P::newFileID());
  record->setValue(
      P::key_localImageRotation(),
      qlonglong(preferences.integerValue(QLatin1String(kPelluxClientPreference_key_ImageRotationDegrees))));
  record->setValue(P::key_localDigitizedAttributes(), QVariantMap());

  quint32 flags = StatusFlagScanned;
  if (preferences.boolValue(QLatin1String(kPelluxClientPreference_key_AutoUploadToPellux)))
    flags |= StatusFlagUploading;
  if (preferences.boolValue(QLatin1String(kPelluxClientPreference_key_AutoExportToAdressbook)))
    flags |= StatusFlagAutoExportToAddressBook;
  record->setStatusFlags(flags);

  // An empty selection means "all records", not a tag.
  const QString selection = preferences.stringValue(QLatin1String(kPelluxClientPreference_key_ClassificationSelection));
  if (!selection.isEmpty()) record->setValue(P::key_localClassificationTag(), selection);

  QVariantMap exportProperties;
  for (const char* key : kExportPropertyKeys) {
    const QVariant value = preferences.value(QLatin1String(key));
    if (value.isValid()) exportProperties.insert(QLatin1String(key), value);
  }
  if (!exportProperties.isEmpty()) record->setValue(P::key_exportProperties(), exportProperties);

  P::updateRecordStatus(*record);
  return record;
}

std::optional<QString> RecordStore::imagePathWithRecord(const Record& record) const {
  const QVariant stored = record.value(PelluxFileObject::key_localFilepath());
  if (!stored.isValid()) return std::nullopt;
  return ImageLocalFilePathTransformer(folder_).transformedValue(stored.toString());
}

std::optional<QByteArray> RecordStore::jpegDataWithRecord(const Record& record) const {
  const std::optional<QString> path = imagePathWithRecord(record);
  if (!path) return std::nullopt;
  QFile file(*path);
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  return file.readAll();
}
