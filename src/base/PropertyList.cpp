#include "PropertyList.h"

#include <libxml/parser.h>

#include <QDateTime>
#include <QStringList>
#include <charconv>
#include <cstring>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace PropertyList {
namespace {

// ---- reading ----

enum class Scalar { None, Key, String, Integer, Real, Date, Data, True, False };

struct Container {
  bool isDict;
  QVariantMap map;
  QVariantList list;
  QString pendingKey;
  bool hasKey = false;
};

class Reader {
 public:
  ReadResult run(const QByteArray& document);

 private:
  static void onStart(void* self, const xmlChar* name, const xmlChar*, const xmlChar*, int, const xmlChar**, int, int,
                      const xmlChar**) {
    static_cast<Reader*>(self)->start(reinterpret_cast<const char*>(name));
  }
  static void onEnd(void* self, const xmlChar* name, const xmlChar*, const xmlChar*) {
    static_cast<Reader*>(self)->end(reinterpret_cast<const char*>(name));
  }
  static void onText(void* self, const xmlChar* text, int length) {
    auto* reader = static_cast<Reader*>(self);
    if (reader->scalar_ != Scalar::None) reader->text_.append(reinterpret_cast<const char*>(text), length);
  }
  static void onError(void* self, const xmlError* error) {
    auto* reader = static_cast<Reader*>(self);
    if (error->level >= XML_ERR_ERROR && reader->error_.isEmpty())
      reader->error_ = QStringLiteral("line %1: %2").arg(error->line).arg(QString::fromUtf8(error->message).trimmed());
  }

  void start(const char* name);
  void end(const char* name);
  void add(QVariant value);
  QVariant scalarValue();
  void fail(const QString& message) {
    if (error_.isEmpty()) error_ = message;
  }
  const QString& intern(const std::string& key);

  xmlParserCtxtPtr context_ = nullptr;
  std::vector<Container> stack_;
  Scalar scalar_ = Scalar::None;
  std::string text_;
  QVariant root_;
  bool haveRoot_ = false;
  bool inPlist_ = false;
  QString error_;
  std::unordered_map<std::string, QString> keys_;
};

Scalar scalarNamed(const char* name) {
  static const std::pair<const char*, Scalar> names[] = {
      {"key", Scalar::Key},   {"string", Scalar::String}, {"integer", Scalar::Integer}, {"real", Scalar::Real},
      {"date", Scalar::Date}, {"data", Scalar::Data},     {"true", Scalar::True},       {"false", Scalar::False}};
  for (const auto& [text, scalar] : names)
    if (std::strcmp(name, text) == 0) return scalar;
  return Scalar::None;
}

void Reader::start(const char* name) {
  if (!error_.isEmpty()) return;
  if (scalar_ != Scalar::None)
    return fail(QStringLiteral("element <%1> inside a scalar value").arg(QLatin1String(name)));
  if (std::strcmp(name, "plist") == 0) {
    if (inPlist_ || haveRoot_ || !stack_.empty()) return fail(QStringLiteral("misplaced <plist>"));
    inPlist_ = true;
  } else if (std::strcmp(name, "dict") == 0 || std::strcmp(name, "array") == 0) {
    stack_.push_back(Container{name[0] == 'd', {}, {}, {}, false});
  } else if ((scalar_ = scalarNamed(name)) != Scalar::None) {
    text_.clear();
  } else {
    fail(QStringLiteral("unknown element <%1>").arg(QLatin1String(name)));
  }
}

void Reader::end(const char* name) {
  if (!error_.isEmpty()) return;
  if (scalar_ != Scalar::None) {
    if (scalar_ == Scalar::Key) {
      if (stack_.empty() || !stack_.back().isDict || stack_.back().hasKey)
        return fail(QStringLiteral("misplaced <key> \"%1\"").arg(QString::fromStdString(text_)));
      stack_.back().pendingKey = intern(text_);
      stack_.back().hasKey = true;
      scalar_ = Scalar::None;
      return;
    }
    QVariant value = scalarValue();
    scalar_ = Scalar::None;
    if (error_.isEmpty()) add(std::move(value));
    return;
  }
  if (std::strcmp(name, "plist") == 0) return;
  Container container = std::move(stack_.back());
  stack_.pop_back();
  if (container.isDict && container.hasKey)
    return fail(QStringLiteral("key \"%1\" has no value").arg(container.pendingKey));
  add(container.isDict ? QVariant(std::move(container.map)) : QVariant(std::move(container.list)));
}

void Reader::add(QVariant value) {
  if (stack_.empty()) {
    if (haveRoot_) return fail(QStringLiteral("more than one top-level value"));
    root_ = std::move(value);
    haveRoot_ = true;
    return;
  }
  Container& top = stack_.back();
  if (!top.isDict) {
    top.list.append(std::move(value));
  } else if (!top.hasKey) {
    fail(QStringLiteral("dictionary value without a key"));
  } else {
    top.map.insert(top.pendingKey, std::move(value));
    top.hasKey = false;
  }
}

const QString& Reader::intern(const std::string& key) {
  // Record stores repeat the same few dozen keys thousands of times; sharing one string for each
  // keeps a loaded store small.
  auto it = keys_.find(key);
  if (it == keys_.end()) it = keys_.emplace(key, QString::fromStdString(key)).first;
  return it->second;
}

QDateTime parseDate(const std::string& text) {
  int year = 0, month = 1, day = 1, hour = 0, minute = 0, second = 0, consumed = 0;
  if (std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%n", &year, &month, &day, &hour, &minute, &second, &consumed) !=
      6)
    return {};
  int millisecond = 0;
  const char* rest = text.c_str() + consumed;
  if (*rest == '.') {
    int scale = 100;
    for (++rest; *rest >= '0' && *rest <= '9'; ++rest, scale /= 10) millisecond += (*rest - '0') * scale;
  }
  if (std::strcmp(rest, "Z") != 0) return {};
  const QDateTime date(QDate(year, month, day), QTime(hour, minute, second, millisecond), Qt::UTC);
  return date;
}

QVariant parseInteger(const std::string& text) {
  const char* begin = text.data();
  const char* end = begin + text.size();
  int base = 10;
  const bool negative = begin != end && *begin == '-';
  const char* digits = negative || (begin != end && *begin == '+') ? begin + 1 : begin;
  if (end - digits > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
    digits += 2;
    base = 16;
  }
  unsigned long long magnitude = 0;
  const auto result = std::from_chars(digits, end, magnitude, base);
  if (result.ec != std::errc() || result.ptr != end || digits == end) return {};
  if (!negative) {
    if (magnitude <= quint64(std::numeric_limits<qint64>::max())) return qlonglong(magnitude);
    return qulonglong(magnitude);
  }
  if (magnitude > quint64(std::numeric_limits<qint64>::max()) + 1) return {};
  return qlonglong(0 - magnitude);
}

QVariant parseReal(const std::string& text) {
  const QByteArray lower = QByteArray::fromStdString(text).toLower();
  if (lower == "nan") return std::numeric_limits<double>::quiet_NaN();
  if (lower == "inf" || lower == "+inf" || lower == "+infinity" || lower == "infinity")
    return std::numeric_limits<double>::infinity();
  if (lower == "-inf" || lower == "-infinity") return -std::numeric_limits<double>::infinity();
  double value = 0;
  const char* begin = text.data() + (text.starts_with('+') ? 1 : 0);
  const auto result = std::from_chars(begin, text.data() + text.size(), value);
  if (result.ec != std::errc() || result.ptr != text.data() + text.size()) return {};
  return value;
}

std::string trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

QVariant Reader::scalarValue() {
  QVariant value;
  switch (scalar_) {
    case Scalar::String:
      return QString::fromUtf8(text_.data(), qsizetype(text_.size()));
    case Scalar::True:
      return true;
    case Scalar::False:
      return false;
    case Scalar::Integer:
      value = parseInteger(trimmed(text_));
      break;
    case Scalar::Real:
      value = parseReal(trimmed(text_));
      break;
    case Scalar::Date: {
      const QDateTime date = parseDate(trimmed(text_));
      if (date.isValid()) value = date;
      break;
    }
    case Scalar::Data: {
      QByteArray compact = QByteArray::fromStdString(text_);
      compact.removeIf([](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; });
      auto decoded = QByteArray::fromBase64Encoding(compact, QByteArray::AbortOnBase64DecodingErrors);
      if (decoded) value = *decoded;
      break;
    }
    default:
      break;
  }
  if (!value.isValid())
    fail(QStringLiteral("malformed value \"%1\"").arg(QString::fromStdString(trimmed(text_)).left(60)));
  return value;
}

ReadResult Reader::run(const QByteArray& document) {
  static std::once_flag initialised;
  std::call_once(initialised, [] { xmlInitParser(); });

  xmlSAXHandler handler;
  std::memset(&handler, 0, sizeof handler);
  handler.initialized = XML_SAX2_MAGIC;
  handler.startElementNs = &Reader::onStart;
  handler.endElementNs = &Reader::onEnd;
  handler.characters = &Reader::onText;
  handler.cdataBlock = &Reader::onText;
  handler.serror = reinterpret_cast<xmlStructuredErrorFunc>(&Reader::onError);

  context_ = xmlCreatePushParserCtxt(&handler, this, nullptr, 0, nullptr);
  if (!context_) return {{}, QStringLiteral("cannot create an XML parser")};
  xmlCtxtUseOptions(context_, XML_PARSE_NONET | XML_PARSE_NOWARNING);
  constexpr int kChunk = 1 << 22;
  const char* data = document.constData();
  qsizetype left = document.size();
  do {
    const int length = int(std::min<qsizetype>(left, kChunk));
    left -= length;
    if (xmlParseChunk(context_, data, length, left == 0) != 0 && error_.isEmpty())
      error_ = QStringLiteral("not well-formed XML");
    data += length;
  } while (left > 0 && error_.isEmpty());
  xmlFreeParserCtxt(context_);
  context_ = nullptr;

  if (error_.isEmpty() && !haveRoot_) error_ = QStringLiteral("no value in the document");
  if (!error_.isEmpty()) return {{}, error_};
  return {std::move(root_), {}};
}

// ---- writing ----

// Where a value sits in the document, kept as a chain on the stack and spelled out only for an
// error message, so that writing a large store builds no path strings.
struct Place {
  const Place* parent;
  QStringView key;
  qsizetype index;

  QString text() const {
    QString own = key.isNull() ? QStringLiteral("[%1]").arg(index) : key.toString();
    if (!parent) return own;
    const QString above = parent->text();
    if (above.isEmpty()) return own;
    return key.isNull() ? above + own : above + u'.' + own;
  }
};

class Writer {
 public:
  WriteResult run(const QVariant& value);

 private:
  void value(const QVariant& value, int depth, const Place& place);
  void indent(int depth) { out_.append(depth, '\t'); }
  void text(QStringView text, const Place& place);
  void element(const char* open, QByteArrayView content, const char* close) {
    out_.append(open).append(content).append(close).append('\n');
  }
  void fail(const QString& message) {
    if (error_.isEmpty()) error_ = message;
  }

  QByteArray out_;
  QString error_;
};

void Writer::text(QStringView text, const Place& place) {
  const qsizetype count = text.size();
  const char16_t* units = text.utf16();
  for (qsizetype i = 0; i < count; ++i) {
    const char16_t unit = units[i];
    if (unit < 0x80) {
      switch (unit) {
        case '&':
          out_.append("&amp;");
          break;
        case '<':
          out_.append("&lt;");
          break;
        case '>':
          out_.append("&gt;");
          break;
        case '\r':
          out_.append("&#13;");
          break;
        default:
          if (unit < 0x20 && unit != '\t' && unit != '\n')
            return fail(QStringLiteral("control character U+%1 in the text at %2")
                            .arg(int(unit), 4, 16, QLatin1Char('0'))
                            .arg(place.text()));
          out_.append(char(unit));
      }
      continue;
    }
    char32_t code = unit;
    if (QChar::isHighSurrogate(unit) && i + 1 < count && QChar::isLowSurrogate(units[i + 1]))
      code = QChar::surrogateToUcs4(unit, units[++i]);
    else if (QChar::isSurrogate(unit))
      code = 0xFFFD;
    char bytes[4];
    int length;
    if (code < 0x800) {
      bytes[0] = char(0xC0 | (code >> 6));
      bytes[1] = char(0x80 | (code & 0x3F));
      length = 2;
    } else if (code < 0x10000) {
      bytes[0] = char(0xE0 | (code >> 12));
      bytes[1] = char(0x80 | ((code >> 6) & 0x3F));
      bytes[2] = char(0x80 | (code & 0x3F));
      length = 3;
    } else {
      bytes[0] = char(0xF0 | (code >> 18));
      bytes[1] = char(0x80 | ((code >> 12) & 0x3F));
      bytes[2] = char(0x80 | ((code >> 6) & 0x3F));
      bytes[3] = char(0x80 | (code & 0x3F));
      length = 4;
    }
    out_.append(bytes, length);
  }
}

template <typename Number>
QByteArrayView numberText(char (&buffer)[64], Number number) {
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, number);
  return QByteArrayView(buffer, result.ptr - buffer);
}

QByteArrayView realText(char (&buffer)[64], double number) {
  if (std::isnan(number)) return "nan";
  if (std::isinf(number)) return number > 0 ? "inf" : "-inf";
  return numberText(buffer, number);
}

void Writer::value(const QVariant& v, int depth, const Place& place) {
  if (!error_.isEmpty()) return;
  char buffer[64];
  indent(depth);
  switch (v.metaType().id()) {
    case QMetaType::QString:
      out_.append("<string>");
      text(v.toString(), place);
      out_.append("</string>\n");
      return;
    case QMetaType::Bool:
      out_.append(v.toBool() ? "<true/>\n" : "<false/>\n");
      return;
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::Char:
    case QMetaType::SChar:
      return element("<integer>", numberText(buffer, v.toLongLong()), "</integer>");
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::UShort:
    case QMetaType::UChar:
      return element("<integer>", numberText(buffer, v.toULongLong()), "</integer>");
    case QMetaType::Float:
      if (!std::isfinite(v.toFloat())) return element("<real>", realText(buffer, v.toFloat()), "</real>");
      return element("<real>", numberText(buffer, v.toFloat()), "</real>");
    case QMetaType::Double:
      return element("<real>", realText(buffer, v.toDouble()), "</real>");
    case QMetaType::QDateTime: {
      const QDateTime date = v.toDateTime().toUTC();
      if (!date.isValid()) return fail(QStringLiteral("invalid date at %1").arg(place.text()));
      const QDate day = date.date();
      const QTime time = date.time();
      const int length = std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02dT%02d:%02d:%02dZ", day.year(), day.month(),
                                       day.day(), time.hour(), time.minute(), time.second());
      return element("<date>", QByteArrayView(buffer, length), "</date>");
    }
    case QMetaType::QByteArray:
      return element("<data>", v.toByteArray().toBase64(), "</data>");
    case QMetaType::QStringList:
    case QMetaType::QVariantList: {
      const QVariantList list = v.toList();
      if (list.isEmpty()) {
        out_.append("<array/>\n");
        return;
      }
      out_.append("<array>\n");
      for (qsizetype i = 0; i < list.size(); ++i) value(list[i], depth + 1, Place{&place, {}, i});
      indent(depth);
      out_.append("</array>\n");
      return;
    }
    case QMetaType::QVariantMap: {
      const QVariantMap map = v.toMap();
      if (map.isEmpty()) {
        out_.append("<dict/>\n");
        return;
      }
      out_.append("<dict>\n");
      for (auto it = map.cbegin(); it != map.cend(); ++it) {
        const Place inner{&place, it.key(), 0};
        indent(depth + 1);
        out_.append("<key>");
        text(it.key(), inner);
        out_.append("</key>\n");
        value(it.value(), depth + 1, inner);
      }
      indent(depth);
      out_.append("</dict>\n");
      return;
    }
    default:
      fail(QStringLiteral("a value of type %1 cannot be stored (at %2)")
               .arg(QLatin1String(v.metaType().name() ? v.metaType().name() : "none"),
                    place.text().isEmpty() ? QStringLiteral("top level") : place.text()));
  }
}

WriteResult Writer::run(const QVariant& root) {
  out_.reserve(1 << 16);
  out_.append(
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
      "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
      "<plist version=\"1.0\">\n");
  value(root, 0, Place{nullptr, u"", 0});
  out_.append("</plist>\n");
  if (!error_.isEmpty()) return {{}, error_};
  return {std::move(out_), {}};
}

}  // namespace

ReadResult read(const QByteArray& document) { return Reader().run(document); }

WriteResult write(const QVariant& value) { return Writer().run(value); }

}  // namespace PropertyList
