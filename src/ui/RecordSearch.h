#pragma once

#include <QString>

#include "ClassificationTags.h"

// The search field's filter: a card matches when its digitized text or its image name contains
// the search text, ignoring case and full-width/half-width differences (so "ＴＡＲＯ" finds
// "taro"). An empty search gives no filter.
ClassificationTags::RecordPredicate recordSearch(const QString& text);
