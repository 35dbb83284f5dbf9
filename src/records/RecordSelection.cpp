#include "RecordSelection.h"

#include "PelluxClientPreference.h"
#include "PelluxFileObject.h"
#include "PreferenceStore.h"

namespace RecordSelection {

RecordList allRecordWithClassificationTag(const RecordList& records, const std::optional<QString>& tag) {
  if (!tag) return records;
  RecordList matching;
  for (const RecordRef& record : records) {
    const QVariant own = record->value(PelluxFileObject::key_localClassificationTag());
    if (own.isValid() && own.toString() == *tag) matching.append(record);
  }
  return matching;
}

RecordList allRecordWithCurrentClassificationTag(const RecordList& records, const PreferenceStore& preferences) {
  const QString selection = preferences.stringValue(QLatin1String(kPelluxClientPreference_key_ClassificationSelection));
  return allRecordWithClassificationTag(records, selection.isEmpty() ? std::nullopt : std::optional(selection));
}

RecordList filteredRecord(const RecordList& records, quint32 onAll, quint32 onOne, quint32 offAll, quint32 offOne) {
  if (!onAll && !onOne && !offAll && !offOne) return records;
  RecordList matching;
  for (const RecordRef& record : records) {
    const quint32 flags = record->statusFlags();
    const bool passes = (!onAll || (flags & onAll) == onAll) && (!onOne || (flags & onOne) != 0) &&
                        (!offAll || (flags & offAll) == 0) && (!offOne || (flags & offOne) != offOne);
    if (passes) matching.append(record);
  }
  return matching;
}

}  // namespace RecordSelection
