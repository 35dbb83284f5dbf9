#pragma once

#include <QMetaType>
#include <QVariant>

// Keys of the result maps that service workers, exporters and local record commands hand back to
// the main thread, and of the per-record update items in them.
inline constexpr char kPelluxWorkerResult_Key_targetAccount[] = "targetAccount";
inline constexpr char kPelluxWorkerResult_Key_originalRecords[] = "originalRecords";
inline constexpr char kPelluxWorkerResult_Key_updatedRecords[] = "updatedRecords";
inline constexpr char kPelluxWorkerResult_Key_updatedAccount[] = "updatedAccount";
inline constexpr char kPelluxWorkerResult_Key_recordList[] = "recordList";
inline constexpr char kPelluxWorkerResult_Key_recordList_filter[] = "recordList_filter";
inline constexpr char kPelluxWorkerResult_Key_updated[] = "updated";
inline constexpr char kPelluxWorkerResult_Key_unknownRecordIdList[] = "unknownRecordIdList";
inline constexpr char kPelluxWorkerResult_Key_error[] = "error";
inline constexpr char kPelluxWorkerResult_Key_updatedRecords_source[] = "source";
inline constexpr char kPelluxWorkerResult_Key_updatedRecords_updated[] = "updated";

// The "updated" value that asks for the record to be removed from the list: a value of its own,
// distinct from an absent key and from an empty map.
struct NullMarker {
  bool operator==(const NullMarker&) const { return true; }
};
Q_DECLARE_METATYPE(NullMarker)

QVariant nullMarker();
bool isNullMarker(const QVariant& value);
