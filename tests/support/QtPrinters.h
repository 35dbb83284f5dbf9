#pragma once

#include <QString>
#include <QVariant>
#include <ostream>

#include "VariantText.h"

// Readable failure messages for Qt values in test assertions.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }
inline void PrintTo(const QVariant& value, std::ostream* out) {
  *out << value.metaType().name() << '(' << textOf(value).toStdString() << ')';
}
inline void PrintTo(const QVariantMap& map, std::ostream* out) { *out << textOf(map).toStdString(); }
