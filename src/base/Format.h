#pragma once

#include <QString>
#include <QVariant>
#include <type_traits>

// printf-style formatting for every text the user sees.
//
// Understands "%@" (the text of any value, see textOf), "%d", "%i", "%u", "%x", "%X", "%o", "%c",
// "%s", "%p", "%f", "%e", "%g" and "%%", with flags, field width, precision and the length
// modifiers h, hh, l, ll, q, z, j and t. Without a length modifier integer conversions work on 32
// bits, as in C, so "%x" of -1 gives "ffffffff" and "%lx" of -1 gives "ffffffffffffffff".
// Positional forms such as "%2$d" pick an argument by its number; a conversion without a number
// takes the argument after the one used last. A missing argument shows as nothing; an unknown
// conversion is copied as it stands.
QString formatText(const QString& format, const QVariantList& arguments);

namespace format_detail {
template <typename T>
QVariant argument(const T& value) {
  if constexpr (std::is_pointer_v<T> && !std::is_same_v<T, const char*> && !std::is_same_v<T, char*>)
    return QVariant::fromValue(const_cast<void*>(static_cast<const void*>(value)));
  else if constexpr (std::is_same_v<T, const char*> || std::is_same_v<T, char*>)
    return QString::fromUtf8(value);
  else if constexpr (std::is_same_v<T, QVariant>)
    return value;
  else
    return QVariant::fromValue(value);
}
template <std::size_t N>
QVariant argument(const char (&value)[N]) {
  return QString::fromUtf8(value);
}
}  // namespace format_detail

template <typename... Args>
QString formatted(const QString& format, const Args&... arguments) {
  return formatText(format, QVariantList{format_detail::argument(arguments)...});
}
