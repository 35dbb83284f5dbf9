#pragma once

#include <QString>
#include <QVariantList>
#include <functional>
#include <optional>

#include "PelluxError.h"
#include "Record.h"

class PreferenceStore;
class RecordStore;

// The user's classification tags (maps of "uuid" and "name", kept in the settings) and the
// operations that classify records and filter the list by the current classification.
namespace ClassificationTags {

using RecordPredicate = std::function<bool(const Record&)>;

// The tag list, in order of creation.
QVariantList tags(const PreferenceStore& preferences);
std::optional<PelluxError> storeTags(PreferenceStore& preferences, const QVariantList& tags);
// A new, nameless tag with a fresh identifier.
QVariantMap newTag();

// The name of the first listed tag with the identifier; none for no identifier, an unknown one
// or a nameless tag.
std::optional<QString> nameForTag(const std::optional<QString>& tag, const QVariantList& tags);

// The tag every one of the records has, none when they differ or have none.
std::optional<QString> sharedTag(const RecordList& records);

// Classifies the records under the tag (none removes their tag) and saves the store.
void setClassification(const std::optional<QString>& tag, const RecordList& records, const RecordList& allRecords,
                       RecordStore& store);

// The list's filter: with a selection, records of that tag that also pass the search (when there
// is one); without, the search alone. An empty function shows every record.
RecordPredicate recordPredicate(const QString& selection, const RecordPredicate& search);

}  // namespace ClassificationTags
