#pragma once

#include <QList>
#include <mutex>
#include <optional>

#include "PelluxError.h"
#include "Record.h"

class RecordStore;

// The records in use by running commands. A record takes part in at most one command at a time;
// two record objects with the same image file count as the same record. Guarded by its own mutex.
class RecordLocking {
 public:
  explicit RecordLocking(const RecordStore& store) : store_(store) {}

  // False when the record (or one with the same image file) is already locked.
  bool lockRecord(const RecordRef& record);
  // Releases one lock of the record (or of one with the same image file); false when none held.
  bool unlockRecord(const RecordRef& record);
  // Locks what it can, in order; refusals are appended to failed when given.
  RecordList lockRecords(const RecordList& records, RecordList* failed);
  void unlockRecords(const RecordList& records);
  bool isLocked(const RecordRef& record) const;
  RecordList lockedRecords() const;

  // Code 7 when some records were refused, code 5 when nothing was locked, else none.
  static std::optional<PelluxError> checkLockResult(const RecordList& locked, const RecordList* failed);

 private:
  struct Lock {
    RecordRef record;
    std::optional<QString> imagePath;
  };
  qsizetype findLocked(const RecordRef& record, const std::optional<QString>& imagePath) const;

  const RecordStore& store_;
  mutable std::mutex mutex_;
  QList<Lock> locks_;
};
