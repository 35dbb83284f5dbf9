#pragma once

#include <QString>
#include <optional>

#include "Record.h"

class PreferenceStore;

// The record selections that commands start from.
namespace RecordSelection {

// All records for no tag, else the records classified under it, in list order.
RecordList allRecordWithClassificationTag(const RecordList& records, const std::optional<QString>& tag);
// The records of the classification the user is looking at.
RecordList allRecordWithCurrentClassificationTag(const RecordList& records, const PreferenceStore& preferences);

// The records whose flags have every bit of onAll, at least one bit of onOne, none of offAll and
// not all of offOne (a zero mask does not filter). With four zero masks, the input itself.
RecordList filteredRecord(const RecordList& records, quint32 onAll, quint32 onOne, quint32 offAll, quint32 offOne);

}  // namespace RecordSelection
