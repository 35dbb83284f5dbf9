#include "RecordSearch.h"

#include "PelluxFileObject.h"

namespace {

QString folded(const QString& text) { return text.normalized(QString::NormalizationForm_KC).toCaseFolded(); }

}  // namespace

ClassificationTags::RecordPredicate recordSearch(const QString& text) {
  const QString needle = folded(text.trimmed());
  if (needle.isEmpty()) return {};
  return [needle](const Record& record) {
    const QString haystack = record.string(PelluxFileObject::key_localDigitizedAttributesSearchTag()) + u'\n' +
                             record.string(PelluxFileObject::key_localFilename());
    return folded(haystack).contains(needle);
  };
}
