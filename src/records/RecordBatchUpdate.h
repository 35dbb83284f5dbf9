#pragma once

#include <QString>
#include <QVariantList>
#include <functional>

#include "PelluxError.h"
#include "Record.h"

class RecordLocking;
class RecordStore;

// Applies a command's per-record results (update items: "source" with "updated" or "error") to
// the records on the main thread: merges changes, removes records marked for removal, keeps a
// dated history of failures in each failed record, releases the locks and saves the store.
class RecordBatchUpdate {
 public:
  struct Hooks {
    // The record selected in the window when exactly one is, else null.
    std::function<RecordRef()> singleSelectedRecord;
    // Shows the selected record's image at its new rotation.
    std::function<void(int degrees)> setImageViewRotation;
  };

  RecordBatchUpdate(RecordList& records, RecordLocking& locking, RecordStore& store, Hooks hooks = {})
      : records_(records), locking_(locking), store_(store), hooks_(std::move(hooks)) {}

  // Gives the records that were updated, in entry order. errorCount receives the number of
  // entries without "updated"; their errors are appended to errors.
  RecordList updateRecords(const QVariantList& entries, const QString& function, int* errorCount,
                           QList<PelluxError>* errors);

  // The item helpers that commands use to build their results.
  static QVariantMap updateItem(const RecordRef& source, const QVariant& updated);
  static QVariantMap failureItem(const RecordRef& source, const PelluxError& error);

 private:
  // Merges a change map into the record; true when the record became part of the result.
  bool applyUpdate(const RecordRef& source, const QVariant& updated);
  void recordFailure(const RecordRef& source, const QVariant& error, const QString& function, const QString& time,
                     QList<PelluxError>* errors);

  RecordList& records_;
  RecordLocking& locking_;
  RecordStore& store_;
  Hooks hooks_;
};
