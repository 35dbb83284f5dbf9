#include "ClassificationTags.h"

#include "PelluxClientPreference.h"
#include "PelluxFileObject.h"
#include "PreferenceStore.h"
#include "RecordStore.h"

namespace ClassificationTags {

namespace {
const QString kUuid = QStringLiteral("uuid");
const QString kName = QStringLiteral("name");

std::optional<QString> tagOf(const Record& record) {
  const QVariant tag = record.value(PelluxFileObject::key_localClassificationTag());
  return tag.isValid() ? std::optional(tag.toString()) : std::nullopt;
}
}  // namespace

QVariantList tags(const PreferenceStore& preferences) {
  return preferences.arrayValue(QLatin1String(kPelluxClientPreference_key_ClassificationTags));
}

std::optional<PelluxError> storeTags(PreferenceStore& preferences, const QVariantList& list) {
  return preferences.setValue(QLatin1String(kPelluxClientPreference_key_ClassificationTags), list);
}

QVariantMap newTag() { return {{kUuid, PelluxFileObject::newFileID()}}; }

std::optional<QString> nameForTag(const std::optional<QString>& tag, const QVariantList& list) {
  if (!tag) return std::nullopt;
  for (const QVariant& entry : list) {
    const QVariantMap map = entry.toMap();
    if (map.value(kUuid).toString() != *tag) continue;
    const QVariant name = map.value(kName);
    return name.isValid() ? std::optional(name.toString()) : std::nullopt;
  }
  return std::nullopt;
}

std::optional<QString> sharedTag(const RecordList& records) {
  if (records.isEmpty()) return std::nullopt;
  const std::optional<QString> first = tagOf(*records.first());
  for (const RecordRef& record : records)
    if (tagOf(*record) != first) return std::nullopt;
  return first;
}

void setClassification(const std::optional<QString>& tag, const RecordList& records, const RecordList& allRecords,
                       RecordStore& store) {
  const QString key = PelluxFileObject::key_localClassificationTag();
  for (const RecordRef& record : records) {
    if (tag)
      record->setValue(key, *tag);
    else
      record->remove(key);
  }
  store.saveRecords(allRecords);
}

RecordPredicate recordPredicate(const QString& selection, const RecordPredicate& search) {
  if (selection.isEmpty()) return search;
  return
      [selection, search](const Record& record) { return tagOf(record) == selection && (!search || search(record)); };
}

}  // namespace ClassificationTags
