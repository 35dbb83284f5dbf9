#include "PelluxFileObject.h"

#include <QFileInfo>
#include <QUuid>

#include "Localization.h"

namespace {

constexpr quint32 kEditableAnyOf = StatusFlagRejected | StatusFlagDeleted | StatusFlagDownloaded;
constexpr quint32 kNotEditableAnyOf = StatusFlagUploaded | StatusFlagUploading;

const std::pair<StatusFlag, const char*> kStatusNames[] = {
    {StatusFlagDownloaded, "Downloaded"}, {StatusFlagDigitized, "Digitized"},   {StatusFlagRejected, "Rejected"},
    {StatusFlagDeleted, "Deleted"},       {StatusFlagDigitizing, "Digitizing"}, {StatusFlagUploaded, "Uploaded"},
    {StatusFlagUploading, "Uploading"},   {StatusFlagScanned, "Scanned"},
};

QString statusText(const QString& name, const QVariant& statusCode) {
  const QString prefix = QStringLiteral("Status_");
  if (statusCode.isValid()) {
    const QString specific = localized(prefix + name + u'_' + statusCode.toString());
    if (!specific.startsWith(prefix)) return specific;
  }
  return localized(prefix + name);
}

}  // namespace

QString PelluxFileObject::statusName(quint32 flags) {
  for (const auto& [flag, name] : kStatusNames)
    if (flags & flag) return QLatin1String(name);
  return QStringLiteral("Created");
}

bool PelluxFileObject::isEditable(quint32 flags) {
  return (flags & kEditableAnyOf) != 0 || (flags & kNotEditableAnyOf) == 0;
}

void PelluxFileObject::updateRecordStatus(Record& record) {
  const quint32 flags = record.statusFlags();
  const QString name = statusName(flags);
  record.setValue(key_localStatus(), statusText(name, record.value(key_fileStatusCode())));
  record.setValue(key_localStatusIcon(), name + QStringLiteral("_icon.png"));
  record.setValue(key_localEditable(), isEditable(flags));
}

RecordRef PelluxFileObject::pelluxFileObject() { return makeRecord({{key_localRecordVersion(), qulonglong(1)}}); }

RecordRef PelluxFileObject::recordWithFileID(const QString& fileID, const QString& accountID) {
  RecordRef record = pelluxFileObject();
  record->setValue(key_fileID(), fileID);
  record->setValue(key_accountID(), accountID);
  record->setValue(key_localDigitizedAttributes(), QVariantMap());
  record->setStatusFlags(StatusFlagFromService | StatusFlagUploaded);
  updateRecordStatus(*record);
  return record;
}

QString PelluxFileObject::newFileID() { return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper(); }

void PelluxFileObject::setImagePath(const QString& path, Record& record) {
  const QFileInfo file(path);
  record.setValue(key_localFilepath(), file.fileName());
  record.setValue(key_localFilename(), file.completeBaseName());
}

bool PelluxFileObject::checkAndUpdateRecordVersion(Record& record) {
  const qulonglong version = record.value(key_localRecordVersion()).toULongLong();
  if (version == 1) return false;
  if (version == 0 && !record.string(key_localDigitizedAttributesSearchTag()).isEmpty())
    record.setStatusFlags(record.statusFlags() | StatusFlagHasDigitizedText);
  updateRecordStatus(record);
  record.setValue(key_localRecordVersion(), qulonglong(1));
  return true;
}
