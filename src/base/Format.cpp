#include "Format.h"

#include <cstdio>

#include "VariantText.h"

namespace {

struct Conversion {
  int position = 0;  // 1-based argument number, 0 for "the next one"
  QString flags;
  int width = -1;
  int precision = -1;
  QString length;
  QChar type;
};

// Reads one conversion after a '%'. Returns the index just past it, or -1 when the text there is
// not a conversion.
qsizetype parseConversion(const QString& format, qsizetype i, Conversion& out) {
  const qsizetype n = format.size();
  auto readNumber = [&](qsizetype& at) {
    int value = 0;
    while (at < n && format[at].isDigit()) value = value * 10 + format[at++].digitValue();
    return value;
  };
  qsizetype at = i;
  if (at < n && format[at].isDigit() && format[at] != u'0') {
    qsizetype probe = at;
    const int number = readNumber(probe);
    if (probe < n && format[probe] == u'$') {
      out.position = number;
      at = probe + 1;
    }
  }
  while (at < n && QStringLiteral("-+ #0'").contains(format[at])) out.flags += format[at++];
  if (at < n && format[at].isDigit()) out.width = readNumber(at);
  if (at < n && format[at] == u'.') {
    ++at;
    out.precision = readNumber(at);
  }
  while (at < n && QStringLiteral("hlqzjtL").contains(format[at])) out.length += format[at++];
  if (at >= n) return -1;
  out.type = format[at];
  if (!QStringLiteral("@diuxXocspfFeEgGaA").contains(out.type)) return -1;
  return at + 1;
}

bool isWide(const QString& length) {
  return length.contains(u'l') || length.contains(u'q') || length.contains(u'z') || length.contains(u'j') ||
         length.contains(u't');
}

QString pad(const QString& text, const Conversion& c) {
  QString shown = c.precision >= 0 ? text.left(c.precision) : text;
  if (c.width > shown.size()) {
    const QString fill(c.width - shown.size(), u' ');
    shown = c.flags.contains(u'-') ? shown + fill : fill + shown;
  }
  return shown;
}

QString cFormat(const Conversion& c, const char* length) {
  QString spec = QStringLiteral("%") + QString(c.flags).remove(u'\'');
  if (c.width >= 0) spec += QString::number(c.width);
  if (c.precision >= 0) spec += u'.' + QString::number(c.precision);
  return spec + QLatin1String(length) + c.type;
}

template <typename T>
QString printC(const QString& spec, T value) {
  const QByteArray f = spec.toLatin1();
  char buffer[512];
  const int written = std::snprintf(buffer, sizeof buffer, f.constData(), value);
  return QString::fromLatin1(buffer, qBound(0, written, int(sizeof buffer) - 1));
}

qint64 integerOf(const QVariant& value) {
  if (value.metaType().id() == QMetaType::VoidStar) return qint64(reinterpret_cast<quintptr>(value.value<void*>()));
  return value.toLongLong();
}

QString integerText(const Conversion& c, const QVariant& value) {
  const qint64 number = integerOf(value);
  const bool wide = isWide(c.length);
  const bool isSigned = c.type == u'd' || c.type == u'i';
  if (isSigned) {
    long long v = wide                              ? number
                  : c.length == QLatin1String("hh") ? qint8(number)
                  : c.length == QLatin1String("h")  ? qint16(number)
                                                    : qint32(number);
    return printC(cFormat(c, "ll"), v);
  }
  unsigned long long v = wide                              ? quint64(number)
                         : c.length == QLatin1String("hh") ? quint8(number)
                         : c.length == QLatin1String("h")  ? quint16(number)
                                                           : quint32(number);
  return printC(cFormat(c, "ll"), v);
}

QString pointerText(const Conversion& c, const QVariant& value) {
  const quint64 address = quint64(integerOf(value));
  return pad(QStringLiteral("0x") + QString::number(address, 16), c);
}

QString convert(const Conversion& c, const QVariant& value) {
  switch (c.type.unicode()) {
    case '@':
    case 's':
      return pad(value.isValid() || c.type == u'@' ? textOf(value) : QString(), c);
    case 'c':
      return pad(value.metaType().id() == QMetaType::QString ? value.toString().left(1)
                                                             : QString(QChar(char16_t(value.toUInt()))),
                 c);
    case 'p':
      return pointerText(c, value);
    case 'd':
    case 'i':
    case 'u':
    case 'x':
    case 'X':
    case 'o':
      return integerText(c, value);
    default:
      return printC(cFormat(c, ""), value.toDouble());
  }
}

}  // namespace

QString formatText(const QString& format, const QVariantList& arguments) {
  QString out;
  out.reserve(format.size() + 16 * arguments.size());
  int next = 0;
  const qsizetype n = format.size();
  for (qsizetype i = 0; i < n; ++i) {
    const QChar ch = format[i];
    if (ch != u'%') {
      out += ch;
      continue;
    }
    if (i + 1 < n && format[i + 1] == u'%') {
      out += u'%';
      ++i;
      continue;
    }
    Conversion c;
    const qsizetype end = parseConversion(format, i + 1, c);
    if (end < 0) {
      out += ch;
      continue;
    }
    const int index = c.position > 0 ? c.position - 1 : next;
    next = index + 1;
    if (index < arguments.size()) out += convert(c, arguments[index]);
    i = end - 1;
  }
  return out;
}
