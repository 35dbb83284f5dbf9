#include "RecordLocking.h"

#include "RecordStore.h"

qsizetype RecordLocking::findLocked(const RecordRef& record, const std::optional<QString>& imagePath) const {
  for (qsizetype i = 0; i < locks_.size(); ++i) {
    const Lock& lock = locks_[i];
    if (lock.record == record || (imagePath && lock.imagePath == imagePath)) return i;
  }
  return -1;
}

bool RecordLocking::lockRecord(const RecordRef& record) {
  const std::optional<QString> imagePath = store_.imagePathWithRecord(*record);
  std::lock_guard guard(mutex_);
  if (findLocked(record, imagePath) >= 0) return false;
  locks_.append({record, imagePath});
  return true;
}

bool RecordLocking::unlockRecord(const RecordRef& record) {
  const std::optional<QString> imagePath = store_.imagePathWithRecord(*record);
  std::lock_guard guard(mutex_);
  const qsizetype index = findLocked(record, imagePath);
  if (index < 0) return false;
  locks_.removeAt(index);
  return true;
}

RecordList RecordLocking::lockRecords(const RecordList& records, RecordList* failed) {
  RecordList locked;
  for (const RecordRef& record : records) {
    if (lockRecord(record))
      locked.append(record);
    else if (failed)
      failed->append(record);
  }
  return locked;
}

void RecordLocking::unlockRecords(const RecordList& records) {
  for (const RecordRef& record : records) unlockRecord(record);
}

bool RecordLocking::isLocked(const RecordRef& record) const {
  const std::optional<QString> imagePath = store_.imagePathWithRecord(*record);
  std::lock_guard guard(mutex_);
  return findLocked(record, imagePath) >= 0;
}

RecordList RecordLocking::lockedRecords() const {
  std::lock_guard guard(mutex_);
  RecordList records;
  for (const Lock& lock : locks_) records.append(lock.record);
  return records;
}

std::optional<PelluxError> RecordLocking::checkLockResult(const RecordList& locked, const RecordList* failed) {
  const qsizetype refused = failed ? failed->size() : 0;
  if (refused > 0) return PelluxError::pelluxErrorUnlockableOnSomeRecords(refused, locked.size() + refused);
  if (locked.isEmpty()) return PelluxError::pelluxErrorNoTargetRecord();
  return std::nullopt;
}
