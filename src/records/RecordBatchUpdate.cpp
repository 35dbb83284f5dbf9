#include "RecordBatchUpdate.h"

#include <QDateTime>

#include "Format.h"
#include "Localization.h"
#include "PelluxFileObject.h"
#include "RecordLocking.h"
#include "RecordStore.h"
#include "WorkerResult.h"

namespace {

constexpr qint32 kResultNoSuchFile = 122;

// "2012-04-01 09:30:15 +0900": local time with its offset from UTC.
QString batchTimeText(const QDateTime& now) {
  const int offset = now.offsetFromUtc();
  const int minutes = std::abs(offset) / 60;
  return now.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss ")) + (offset < 0 ? u'-' : u'+') +
         QStringLiteral("%1%2").arg(minutes / 60, 2, 10, QLatin1Char('0')).arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

// Copies every changed key into the record. A new field map replaces the old map's contents, so
// whoever shows the record's fields sees the new values.
void mergeChanges(Record& source, const QVariantMap& changes) {
  for (auto it = changes.cbegin(); it != changes.cend(); ++it) source.setValue(it.key(), it.value());
}

}  // namespace

QVariantMap RecordBatchUpdate::updateItem(const RecordRef& source, const QVariant& updated) {
  return {{QLatin1String(kPelluxWorkerResult_Key_updatedRecords_source), QVariant::fromValue(source)},
          {QLatin1String(kPelluxWorkerResult_Key_updatedRecords_updated), updated}};
}

QVariantMap RecordBatchUpdate::failureItem(const RecordRef& source, const PelluxError& error) {
  return {{QLatin1String(kPelluxWorkerResult_Key_updatedRecords_source), QVariant::fromValue(source)},
          {QLatin1String(kPelluxWorkerResult_Key_error), QVariant::fromValue(error)}};
}

bool RecordBatchUpdate::applyUpdate(const RecordRef& source, const QVariant& updated) {
  if (isNullMarker(updated)) {
    records_.removeAll(source);
    return false;
  }
  if (updated.metaType().id() != QMetaType::QVariantMap) {
    const char* type = updated.metaType().name();
    logPelluxError(PelluxError::pelluxErrorWithCode(
        kPelluxError_Code_Parameter, formatted(localized(QStringLiteral("Unknown update record type: %@")),
                                               QString::fromLatin1(type ? type : "none"))));
    return false;
  }
  const QVariantMap changes = updated.toMap();
  const QString flagKey = PelluxFileObject::key_localStatusFlag();
  const bool statusChanges = changes.contains(flagKey) && changes.value(flagKey) != source->value(flagKey);
  mergeChanges(*source, changes);
  if (statusChanges) PelluxFileObject::updateRecordStatus(*source);
  return true;
}

void RecordBatchUpdate::recordFailure(const RecordRef& source, const QVariant& errorValue, const QString& function,
                                      const QString& time, QList<PelluxError>* errors) {
  if (errorValue.metaType() != QMetaType::fromType<PelluxError>()) return;
  const PelluxError error = errorValue.value<PelluxError>();
  logPelluxError(error);
  if (PelluxError::pelluxErrorCodeWithError(error) == kResultNoSuchFile) {
    source->setStatusFlags(source->statusFlags() | StatusFlagDeleted);
    source->setValue(PelluxFileObject::key_fileStatus(), QString());
    PelluxFileObject::updateRecordStatus(*source);
  }
  const QString line = formatted(localized(QStringLiteral("%1$@ ERROR: %2$@ (%3$@)")), function,
                                 PelluxError::messageWithPelluxError(error, true), time);
  const QString key = PelluxFileObject::key_localLastError();
  source->setValue(key, source->contains(key) ? source->string(key) + formatted(QStringLiteral("\t %@"), line) : line);
  if (errors) errors->append(error);
}

RecordList RecordBatchUpdate::updateRecords(const QVariantList& entries, const QString& function, int* errorCount,
                                            QList<PelluxError>* errors) {
  const QString time = batchTimeText(QDateTime::currentDateTime());
  const RecordRef selected = hooks_.singleSelectedRecord ? hooks_.singleSelectedRecord() : nullptr;
  const QString updatedKey = QLatin1String(kPelluxWorkerResult_Key_updatedRecords_updated);
  RecordList result;
  int failures = 0;
  bool changed = false;
  for (const QVariant& entryValue : entries) {
    const QVariantMap entry = entryValue.toMap();
    const RecordRef source =
        entry.value(QLatin1String(kPelluxWorkerResult_Key_updatedRecords_source)).value<RecordRef>();
    if (!source) continue;
    if (entry.contains(updatedKey)) {
      if (applyUpdate(source, entry.value(updatedKey))) result.append(source);
      if (source == selected && hooks_.setImageViewRotation)
        hooks_.setImageViewRotation(source->value(PelluxFileObject::key_localImageRotation()).toInt());
      changed = true;
    } else {
      ++failures;
      const QVariant error = entry.value(QLatin1String(kPelluxWorkerResult_Key_error));
      recordFailure(source, error, function, time, errors);
      changed |= error.isValid();
    }
    locking_.unlockRecord(source);
  }
  if (changed) store_.saveRecords(records_);
  if (errorCount) *errorCount = failures;
  return result;
}
