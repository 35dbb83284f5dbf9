#include "WorkerResult.h"

QVariant nullMarker() { return QVariant::fromValue(NullMarker{}); }

bool isNullMarker(const QVariant& value) { return value.metaType() == QMetaType::fromType<NullMarker>(); }
