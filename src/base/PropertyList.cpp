#include "PropertyList.h"

#include <QDateTime>
#include <QIODevice>
#include <QStringEncoder>
#include <QStringList>
#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace PropertyList {
namespace {

// ---- reading ----

// A reader for the XML that property lists use: UTF-8, elements without meaningful attributes,
// text with the predefined entities and character references, CDATA sections, comments,
// processing instructions and a document type declaration (skipped, never resolved: no entity of
// a DTD is ever expanded and nothing outside the document is read). Hand-written because the
// general parsers spend most of their time on features property lists never use.
class Reader {
 public:
  explicit Reader(const QByteArray& document)
      : begin_(document.constData()), p_(begin_), end_(begin_ + document.size()) {}
  ReadResult run();

 private:
  static constexpr int kMaxDepth = 512;

  bool atEnd() const { return p_ >= end_; }
  bool startsWith(std::string_view text) const {
    return size_t(end_ - p_) >= text.size() && std::memcmp(p_, text.data(), text.size()) == 0;
  }
  bool fail(const QString& message);
  void skipSpace() {
    while (p_ < end_ && (*p_ == ' ' || *p_ == '\t' || *p_ == '\n' || *p_ == '\r')) ++p_;
  }
  bool skipPast(std::string_view terminator);
  bool skipMisc(bool allowDoctype);
  bool skipDoctype();
  bool readTag(std::string_view& name, bool& empty, bool& closing);
  bool expectClose(std::string_view name);
  bool readText(std::string_view name, std::string& out, bool& plain, std::string_view& slice);
  bool readValue(QVariant& value, int depth);
  bool readDict(QVariant& value, int depth);
  bool readArray(QVariant& value, int depth);
  bool readScalar(std::string_view name, bool empty, QVariant& value);
  const QString& intern(std::string_view key);

  const char* begin_;
  const char* p_;
  const char* end_;
  QString error_;
  std::string scratch_;
  std::unordered_map<std::string, QString> keys_;
};

bool Reader::fail(const QString& message) {
  if (error_.isEmpty()) {
    const qsizetype line = std::count(begin_, std::min(p_, end_), '\n') + 1;
    error_ = QStringLiteral("line %1: %2").arg(line).arg(message);
  }
  return false;
}

bool Reader::skipPast(std::string_view terminator) {
  const char* found = std::search(p_, end_, terminator.begin(), terminator.end());
  if (found == end_) return fail(QStringLiteral("unterminated markup"));
  p_ = found + terminator.size();
  return true;
}

bool Reader::skipDoctype() {
  // <!DOCTYPE name PUBLIC "..." "..." [ internal subset ]>, quotes respected.
  p_ += 9;
  char quote = 0;
  int brackets = 0;
  for (; p_ < end_; ++p_) {
    const char c = *p_;
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '[') {
      ++brackets;
    } else if (c == ']') {
      --brackets;
    } else if (c == '>' && brackets <= 0) {
      ++p_;
      return true;
    }
  }
  return fail(QStringLiteral("unterminated document type declaration"));
}

bool Reader::skipMisc(bool allowDoctype) {
  for (;;) {
    skipSpace();
    if (startsWith("<?")) {
      if (!skipPast("?>")) return false;
    } else if (startsWith("<!--")) {
      if (!skipPast("-->")) return false;
    } else if (allowDoctype && startsWith("<!DOCTYPE")) {
      if (!skipDoctype()) return false;
    } else {
      return true;
    }
  }
}

bool Reader::readTag(std::string_view& name, bool& empty, bool& closing) {
  if (atEnd() || *p_ != '<') return fail(QStringLiteral("expected an element"));
  ++p_;
  closing = p_ < end_ && *p_ == '/';
  if (closing) ++p_;
  const char* start = p_;
  while (p_ < end_ && (std::isalnum(static_cast<unsigned char>(*p_)) || *p_ == '_' || *p_ == '-' || *p_ == ':')) ++p_;
  name = std::string_view(start, p_ - start);
  if (name.empty()) return fail(QStringLiteral("malformed element"));
  char quote = 0;
  for (; p_ < end_; ++p_) {
    const char c = *p_;
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '<') {
      break;
    } else if (c == '>') {
      empty = p_[-1] == '/';
      ++p_;
      if (closing && empty) return fail(QStringLiteral("malformed closing tag"));
      return true;
    }
  }
  return fail(QStringLiteral("unterminated tag <%1>").arg(QLatin1String(name.data(), name.size())));
}

bool Reader::expectClose(std::string_view name) {
  skipMisc(false);
  std::string_view closing;
  bool empty = false, isClosing = false;
  if (!readTag(closing, empty, isClosing)) return false;
  if (!isClosing || closing != name)
    return fail(QStringLiteral("expected </%1>").arg(QLatin1String(name.data(), name.size())));
  return true;
}

// Appends the UTF-8 of a character reference's code point.
bool appendCodePoint(std::string& out, char32_t code) {
  if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
  if (code < 0x80) {
    out += char(code);
  } else if (code < 0x800) {
    out += char(0xC0 | (code >> 6));
    out += char(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += char(0xE0 | (code >> 12));
    out += char(0x80 | ((code >> 6) & 0x3F));
    out += char(0x80 | (code & 0x3F));
  } else {
    out += char(0xF0 | (code >> 18));
    out += char(0x80 | ((code >> 12) & 0x3F));
    out += char(0x80 | ((code >> 6) & 0x3F));
    out += char(0x80 | (code & 0x3F));
  }
  return true;
}

// Reads an element's text up to its closing tag. When the text needs no decoding, slice is the
// raw text and plain is true; otherwise out holds the decoded text (entities resolved, CDATA
// taken as it stands, line ends normalised to line feeds as XML requires).
bool Reader::readText(std::string_view name, std::string& out, bool& plain, std::string_view& slice) {
  const char* start = p_;
  while (p_ < end_ && *p_ != '<' && *p_ != '&' && *p_ != '\r') ++p_;
  if (p_ + 1 < end_ && *p_ == '<' && p_[1] == '/') {
    plain = true;
    slice = std::string_view(start, p_ - start);
    return expectClose(name);
  }
  plain = false;
  out.assign(start, p_ - start);
  for (;;) {
    if (atEnd()) return fail(QStringLiteral("unterminated text"));
    const char c = *p_;
    if (c == '&') {
      const char* semicolon = static_cast<const char*>(std::memchr(p_, ';', std::min<ptrdiff_t>(end_ - p_, 12)));
      if (!semicolon) return fail(QStringLiteral("malformed entity reference"));
      const std::string_view entity(p_ + 1, semicolon - p_ - 1);
      if (entity == "amp")
        out += '&';
      else if (entity == "lt")
        out += '<';
      else if (entity == "gt")
        out += '>';
      else if (entity == "quot")
        out += '"';
      else if (entity == "apos")
        out += '\'';
      else if (entity.size() > 1 && entity[0] == '#') {
        const bool hex = entity[1] == 'x';
        unsigned long code = 0;
        const char* digits = entity.data() + (hex ? 2 : 1);
        const auto parsed = std::from_chars(digits, entity.data() + entity.size(), code, hex ? 16 : 10);
        if (parsed.ec != std::errc() || parsed.ptr != entity.data() + entity.size() ||
            !appendCodePoint(out, char32_t(code)))
          return fail(QStringLiteral("malformed character reference"));
      } else {
        return fail(QStringLiteral("undefined entity &%1;").arg(QLatin1String(entity.data(), entity.size())));
      }
      p_ = semicolon + 1;
    } else if (c == '\r') {
      out += '\n';
      ++p_;
      if (p_ < end_ && *p_ == '\n') ++p_;
    } else if (c == '<') {
      if (startsWith("<![CDATA[")) {
        const char* content = p_ + 9;
        p_ = content;
        if (!skipPast("]]>")) return false;
        out.append(content, p_ - 3 - content);
      } else if (startsWith("<!--")) {
        if (!skipPast("-->")) return false;
      } else if (p_ + 1 < end_ && p_[1] == '/') {
        return expectClose(name);
      } else {
        return fail(QStringLiteral("element inside a text value"));
      }
    } else {
      out += c;
      ++p_;
    }
  }
}

const QString& Reader::intern(std::string_view key) {
  // Record stores repeat the same few dozen keys thousands of times; sharing one string for each
  // keeps a loaded store small.
  auto it = keys_.find(std::string(key));
  if (it == keys_.end())
    it = keys_.emplace(std::string(key), QString::fromUtf8(key.data(), qsizetype(key.size()))).first;
  return it->second;
}

QDateTime parseDate(std::string_view text) {
  int year = 0, month = 1, day = 1, hour = 0, minute = 0, second = 0, consumed = 0;
  const std::string copy(text);
  if (std::sscanf(copy.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%n", &year, &month, &day, &hour, &minute, &second, &consumed) !=
      6)
    return {};
  int millisecond = 0;
  const char* rest = copy.c_str() + consumed;
  if (*rest == '.') {
    int scale = 100;
    for (++rest; *rest >= '0' && *rest <= '9'; ++rest, scale /= 10) millisecond += (*rest - '0') * scale;
  }
  if (std::strcmp(rest, "Z") != 0) return {};
  return QDateTime(QDate(year, month, day), QTime(hour, minute, second, millisecond), Qt::UTC);
}

QVariant parseInteger(std::string_view text) {
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

QVariant parseReal(std::string_view text) {
  const QByteArray lower = QByteArray(text.data(), qsizetype(text.size())).toLower();
  if (lower == "nan") return std::numeric_limits<double>::quiet_NaN();
  if (lower == "inf" || lower == "+inf" || lower == "+infinity" || lower == "infinity")
    return std::numeric_limits<double>::infinity();
  if (lower == "-inf" || lower == "-infinity") return -std::numeric_limits<double>::infinity();
  double value = 0;
  const char* begin = text.data() + (text.starts_with('+') ? 1 : 0);
  const auto result = std::from_chars(begin, text.data() + text.size(), value);
  if (result.ec != std::errc() || result.ptr != text.data() + text.size() || begin == result.ptr) return {};
  return value;
}

std::string_view trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

bool Reader::readScalar(std::string_view name, bool empty, QVariant& value) {
  if (name == "true" || name == "false") {
    if (!empty && !expectClose(name)) return false;
    value = name == "true";
    return true;
  }
  bool plain = true;
  std::string_view text;
  if (!empty && !readText(name, scratch_, plain, text)) return false;
  if (!plain) text = scratch_;
  if (name == "string") {
    value = QString::fromUtf8(text.data(), qsizetype(text.size()));
    return true;
  }
  const std::string_view bare = trimmed(text);
  if (name == "integer") {
    value = parseInteger(bare);
  } else if (name == "real") {
    value = parseReal(bare);
  } else if (name == "date") {
    const QDateTime date = parseDate(bare);
    if (date.isValid()) value = date;
  } else if (name == "data") {
    QByteArray compact(text.data(), qsizetype(text.size()));
    compact.removeIf([](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; });
    auto decoded = QByteArray::fromBase64Encoding(compact, QByteArray::AbortOnBase64DecodingErrors);
    if (decoded) value = *decoded;
  } else {
    return fail(QStringLiteral("unknown element <%1>").arg(QLatin1String(name.data(), name.size())));
  }
  if (!value.isValid())
    return fail(QStringLiteral("malformed <%1> \"%2\"")
                    .arg(QLatin1String(name.data(), name.size()),
                         QString::fromUtf8(bare.data(), qsizetype(bare.size())).left(60)));
  return true;
}

bool Reader::readDict(QVariant& value, int depth) {
  QVariantMap map;
  for (;;) {
    if (!skipMisc(false)) return false;
    std::string_view name;
    bool empty = false, closing = false;
    if (!readTag(name, empty, closing)) return false;
    if (closing) {
      if (name != "dict") return fail(QStringLiteral("expected </dict>"));
      break;
    }
    if (name != "key") return fail(QStringLiteral("dictionary value without a key"));
    bool plain = true;
    std::string_view key;
    if (!empty && !readText(name, scratch_, plain, key)) return false;
    const QString& keyText = intern(plain ? key : std::string_view(scratch_));
    if (!skipMisc(false)) return false;
    if (startsWith("</dict")) return fail(QStringLiteral("key \"%1\" has no value").arg(keyText));
    QVariant element;
    if (!readValue(element, depth + 1)) return false;
    map.insert(keyText, std::move(element));
  }
  value = std::move(map);
  return true;
}

bool Reader::readArray(QVariant& value, int depth) {
  QVariantList list;
  for (;;) {
    if (!skipMisc(false)) return false;
    if (startsWith("</")) {
      if (!expectClose("array")) return false;
      break;
    }
    QVariant element;
    if (!readValue(element, depth + 1)) return false;
    list.append(std::move(element));
  }
  value = std::move(list);
  return true;
}

bool Reader::readValue(QVariant& value, int depth) {
  if (depth > kMaxDepth) return fail(QStringLiteral("values nested too deeply"));
  std::string_view name;
  bool empty = false, closing = false;
  if (!readTag(name, empty, closing)) return false;
  if (closing) return fail(QStringLiteral("unexpected </%1>").arg(QLatin1String(name.data(), name.size())));
  if (name == "dict") {
    if (empty) return value = QVariantMap(), true;
    return readDict(value, depth);
  }
  if (name == "array") {
    if (empty) return value = QVariantList(), true;
    return readArray(value, depth);
  }
  if (name == "key") return fail(QStringLiteral("misplaced <key>"));
  return readScalar(name, empty, value);
}

ReadResult Reader::run() {
  if (!QByteArrayView(begin_, end_ - begin_).isValidUtf8()) return {{}, QStringLiteral("the document is not UTF-8")};
  if (startsWith("\xEF\xBB\xBF")) p_ += 3;
  if (startsWith("<?xml")) {
    const char* close = std::search(p_, end_, "?>", "?>" + 2);
    const std::string_view declaration(p_, close - p_);
    const auto at = declaration.find("encoding=");
    if (at != std::string_view::npos) {
      const QByteArray encoding =
          QByteArray(declaration.data() + at + 10, qsizetype(declaration.size() - at - 10)).toLower();
      if (!encoding.startsWith("utf-8") && !encoding.startsWith("utf8"))
        return {{}, QStringLiteral("unsupported encoding; property lists are UTF-8")};
    }
  }
  QVariant value;
  bool ok = skipMisc(true);
  if (ok && startsWith("<plist")) {
    std::string_view name;
    bool empty = false, closing = false;
    ok = readTag(name, empty, closing) && skipMisc(false);
    if (ok && empty) ok = fail(QStringLiteral("no value in the document"));
    if (ok) ok = readValue(value, 0) && expectClose("plist");
  } else if (ok) {
    ok = !atEnd() ? readValue(value, 0) : fail(QStringLiteral("no value in the document"));
  }
  if (ok && skipMisc(false) && !atEnd()) ok = fail(QStringLiteral("content after the top-level value"));
  if (!ok) return {{}, error_};
  return {std::move(value), {}};
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
  // With a device, the document is streamed to it in pieces; without, it is kept whole.
  explicit Writer(QIODevice* device = nullptr) : device_(device) {}
  WriteResult run(const QVariant& value);

 private:
  static constexpr size_t kPieceSize = 1 << 20;

  void flush();
  void value(const QVariant& value, int depth, const Place& place);
  void indent(int depth) { out_.append(size_t(depth), '\t'); }
  void text(QStringView text, const Place& place);
  void element(std::string_view open, std::string_view content, std::string_view close) {
    out_.append(open).append(content).append(close) += '\n';
  }
  void fail(const QString& message) {
    if (error_.isEmpty()) error_ = message;
  }

  QIODevice* device_;
  std::string out_;
  QStringEncoder encoder_{QStringConverter::Utf8, QStringConverter::Flag::Stateless};
  QString error_;
};

void Writer::flush() {
  if (!device_ || !error_.isEmpty()) return;
  if (device_->write(out_.data(), qint64(out_.size())) != qint64(out_.size()))
    fail(QStringLiteral("cannot write: %1").arg(device_->errorString()));
  out_.clear();
}

// The bytes that text cannot hold as they are: markup characters and control characters other
// than tab and line feed (carriage returns are written as references so they survive reading).
constexpr std::array<bool, 256> kNeedsEscape = [] {
  std::array<bool, 256> table{};
  for (int c = 0; c < 0x20; ++c) table[c] = c != '\t' && c != '\n';
  table['&'] = table['<'] = table['>'] = true;
  return table;
}();

bool needsEscape(char c) { return kNeedsEscape[static_cast<unsigned char>(c)]; }

void Writer::text(QStringView text, const Place& place) {
  // Encode straight into the document, then escape in place in the rare case that the text holds
  // markup characters, carriage returns or control characters.
  const size_t start = out_.size();
  out_.resize(start + size_t(encoder_.requiredSpace(text.size())));
  char* end = encoder_.appendToBuffer(out_.data() + start, text);
  out_.resize(size_t(end - out_.data()));
  const auto special = std::find_if(out_.begin() + std::ptrdiff_t(start), out_.end(), needsEscape);
  if (special == out_.end()) return;
  const std::string raw(special, out_.end());
  out_.erase(special, out_.end());
  for (const char c : raw) {
    switch (c) {
      case '&':
        out_ += "&amp;";
        break;
      case '<':
        out_ += "&lt;";
        break;
      case '>':
        out_ += "&gt;";
        break;
      case '\r':
        out_ += "&#13;";
        break;
      default:
        if (c >= 0 && c < 0x20 && c != '\t' && c != '\n')
          return fail(QStringLiteral("control character U+%1 in the text at %2")
                          .arg(int(c), 4, 16, QLatin1Char('0'))
                          .arg(place.text()));
        out_ += c;
    }
  }
}

template <typename Number>
std::string_view numberText(char (&buffer)[64], Number number) {
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, number);
  return std::string_view(buffer, size_t(result.ptr - buffer));
}

std::string_view realText(char (&buffer)[64], double number) {
  if (std::isnan(number)) return "nan";
  if (std::isinf(number)) return number > 0 ? "inf" : "-inf";
  return numberText(buffer, number);
}

void Writer::value(const QVariant& v, int depth, const Place& place) {
  if (out_.size() >= kPieceSize) flush();
  if (!error_.isEmpty()) return;
  char buffer[64];
  indent(depth);
  switch (v.metaType().id()) {
    case QMetaType::QString:
      out_ += "<string>";
      text(v.toString(), place);
      out_ += "</string>\n";
      return;
    case QMetaType::Bool:
      out_ += v.toBool() ? "<true/>\n" : "<false/>\n";
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
      return element("<date>", std::string_view(buffer, size_t(length)), "</date>");
    }
    case QMetaType::QByteArray:
      return element("<data>", v.toByteArray().toBase64().toStdString(), "</data>");
    case QMetaType::QStringList:
    case QMetaType::QVariantList: {
      const QVariantList list = v.toList();
      if (list.isEmpty()) {
        out_ += "<array/>\n";
        return;
      }
      out_ += "<array>\n";
      for (qsizetype i = 0; i < list.size(); ++i) value(list[i], depth + 1, Place{&place, {}, i});
      indent(depth);
      out_ += "</array>\n";
      return;
    }
    case QMetaType::QVariantMap: {
      const QVariantMap map = v.toMap();
      if (map.isEmpty()) {
        out_ += "<dict/>\n";
        return;
      }
      out_ += "<dict>\n";
      for (auto it = map.cbegin(); it != map.cend(); ++it) {
        const Place inner{&place, it.key(), 0};
        indent(depth + 1);
        out_ += "<key>";
        text(it.key(), inner);
        out_ += "</key>\n";
        value(it.value(), depth + 1, inner);
      }
      indent(depth);
      out_ += "</dict>\n";
      return;
    }
    default:
      fail(QStringLiteral("a value of type %1 cannot be stored (at %2)")
               .arg(QLatin1String(v.metaType().name() ? v.metaType().name() : "none"),
                    place.text().isEmpty() ? QStringLiteral("top level") : place.text()));
  }
}

WriteResult Writer::run(const QVariant& root) {
  out_.reserve(device_ ? kPieceSize + (kPieceSize >> 2) : 1 << 16);
  out_ +=
      ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
       "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
       "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
       "<plist version=\"1.0\">\n");
  value(root, 0, Place{nullptr, u"", 0});
  out_ += "</plist>\n";
  flush();
  if (!error_.isEmpty()) return {{}, error_};
  return {QByteArray(out_.data(), qsizetype(out_.size())), {}};
}

}  // namespace

ReadResult read(const QByteArray& document) { return Reader(document).run(); }

WriteResult write(const QVariant& value) { return Writer().run(value); }

QString write(const QVariant& value, QIODevice& device) { return Writer(&device).run(value).error; }

}  // namespace PropertyList
