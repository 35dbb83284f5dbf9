#include "PelluxProtocol.h"

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <openssl/bio.h>
#include <openssl/evp.h>

#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QUrl>
#include <algorithm>
#include <cstdlib>
#include <limits>
#include <mutex>

#include "AppInfo.h"
#include "Format.h"
#include "HttpClient.h"
#include "Localization.h"
#include "PelluxClientPreference.h"
#include "PelluxProtocolConstants.h"
#include "PreferenceStore.h"

namespace {

constexpr int kTimeoutSeconds = 10;
constexpr int kAttempts = 2;
constexpr qsizetype kMaxAnswerBytes = qsizetype(256) << 20;

struct Endpoints {
  std::mutex lock;
  bool configured = false;
  QString app = QStringLiteral("http://127.0.0.1:8860/Halvern/app/");
  QString userPage = QStringLiteral("http://127.0.0.1:8860/Halvern/meishi/");
  bool acceptAnyCertificate = false;
};

Endpoints& endpoints() {
  static Endpoints instance;
  return instance;
}

const xmlChar* xml(const QByteArray& text) { return reinterpret_cast<const xmlChar*>(text.constData()); }

QString fromXml(const xmlChar* text) { return QString::fromUtf8(reinterpret_cast<const char*>(text)); }

// The operating system's name and version, from os-release.
std::pair<QString, QString> operatingSystem() {
  QString name = QStringLiteral("Linux"), version;
  for (const char* path : {"/etc/os-release", "/usr/lib/os-release"}) {
    QFile file(QString::fromLatin1(path));
    if (!file.open(QIODevice::ReadOnly)) continue;
    for (const QByteArray& line : file.readAll().split('\n')) {
      const qsizetype equals = line.indexOf('=');
      if (equals < 0) continue;
      const QString value = QString::fromUtf8(line.mid(equals + 1)).remove(u'"').remove(u'\'');
      if (line.startsWith("NAME=")) name = value;
      if (line.startsWith("VERSION_ID=")) version = value;
    }
    break;
  }
  return {name, version};
}

// The leading decimal integer, as C's strtol reads it; none when the text holds no digits first.
long leadingInteger(const QByteArray& text) { return std::strtol(text.constData(), nullptr, 10); }

PelluxError parsingError(const QString& format, const QString& first = {}, const QString& second = {}) {
  QString message = localized(format);
  if (!first.isNull()) message = second.isNull() ? formatted(message, first) : formatted(message, first, second);
  return PelluxError::pelluxErrorWithCode(kPelluxError_Code_XML, message);
}

}  // namespace

// ---- process-wide set-up ----

void PelluxProtocol::reconfigure(const PreferenceStore& preferences) {
  const ServiceEndpoints configured = PelluxClientPreference::serviceEndpoints(preferences);
  Endpoints& state = endpoints();
  std::lock_guard guard(state.lock);
  state.app = configured.app;
  state.userPage = configured.userPage;
  state.acceptAnyCertificate =
      preferences.boolValue(QLatin1String(kPelluxClientPreference_key_pelluxUrlIgnoreSSLCertificateError));
  state.configured = true;
}

void PelluxProtocol::setUpEndpoints(const PreferenceStore& preferences) {
  PelluxProtocol initialiseParser;  // on the main thread, before the first worker
  {
    std::lock_guard guard(endpoints().lock);
    if (endpoints().configured) return;
  }
  reconfigure(preferences);
}

QString PelluxProtocol::urlBase() {
  std::lock_guard guard(endpoints().lock);
  return endpoints().app;
}

QString PelluxProtocol::userUrlBase() {
  std::lock_guard guard(endpoints().lock);
  return endpoints().userPage;
}

QString PelluxProtocol::pelluxProtocolVersion() { return QLatin1String(AppInfo::kPelluxProtocolVersion); }

QString PelluxProtocol::userAgentString() {
  static const QString agent = [] {
    const auto [system, version] = operatingSystem();
    return formatted(QStringLiteral("%@/%@ %@/%@"), QString::fromLatin1(AppInfo::kApplicationName).remove(u' '),
                     QString::number(AppInfo::kBuildNumber), QString(system).remove(u' '), version);
  }();
  return agent;
}

// ---- request ----

PelluxProtocol::PelluxProtocol(const QString& method) : method_(method) {
  // libxml2 sets up its global tables once, before any thread parses; later calls do nothing.
  static std::once_flag initialised;
  std::call_once(initialised, [] { xmlInitParser(); });
}

PelluxProtocol::~PelluxProtocol() {
  freeResponse();
  if (request_) xmlFreeDoc(request_);
}

void PelluxProtocol::createRequest(const std::optional<QString>& mailaddress, const std::optional<QString>& password) {
  if (request_) xmlFreeDoc(request_);
  request_ = xmlNewDoc(xml("1.0"));
  requestNode_ = xmlNewDocNode(request_, nullptr, xml(kPelluxProtocolParameter_request), nullptr);
  xmlDocSetRootElement(request_, requestNode_);
  xmlNewProp(requestNode_, xml(kPelluxProtocolParameter_command), xml(method_.toUtf8()));
  xmlNewProp(requestNode_, xml(kPelluxProtocolParameter_version), xml(pelluxProtocolVersion().toUtf8()));
  addRequestNodeWithName(QLatin1String(kPelluxProtocolParameter_mailaddress), mailaddress.value_or(QString()));
  addRequestNodeWithName(QLatin1String(kPelluxProtocolParameter_password), password.value_or(QString()));
}

XmlNode* PelluxProtocol::newRequestChild(const QString& name, const std::optional<QString>& value) {
  if (!request_) return nullptr;
  XmlNode* node = xmlNewDocNode(request_, nullptr, xml(name.toUtf8()), nullptr);
  // Added as character data: markup characters are escaped when the document is written.
  if (value && !value->isEmpty()) {
    const QByteArray text = value->toUtf8();
    xmlNodeAddContentLen(node, xml(text), int(text.size()));
  }
  return node;
}

bool PelluxProtocol::addRequestNode(XmlNode* node) {
  if (!requestNode_) {
    xmlFreeNode(node);
    return false;
  }
  return xmlAddChild(requestNode_, node) != nullptr;
}

bool PelluxProtocol::addRequestNodeWithName(const QString& name, const std::optional<QString>& value) {
  return request_ && addRequestNode(newRequestChild(name, value));
}

void PelluxProtocol::addChild(XmlNode* parent, XmlNode* child) { xmlAddChild(parent, child); }

QByteArray PelluxProtocol::requestBody() const {
  if (!request_) return {};
  xmlChar* buffer = nullptr;
  int length = 0;
  xmlDocDumpFormatMemoryEnc(request_, &buffer, &length, "UTF-8", 0);
  const QByteArray body(reinterpret_cast<const char*>(buffer), length);
  xmlFree(buffer);
  return body;
}

// ---- exchange ----

void PelluxProtocol::freeResponse() {
  if (response_) xmlFreeDoc(response_);
  response_ = nullptr;
  responseNode_ = nullptr;
}

std::optional<PelluxError> PelluxProtocol::invoke() {
  freeResponse();
  HttpRequest request;
  {
    std::lock_guard guard(endpoints().lock);
    request.url = QUrl(endpoints().app);
    request.acceptAnyCertificate = endpoints().acceptAnyCertificate;
  }
  request.timeoutSeconds = kTimeoutSeconds;
  request.maxBytes = kMaxAnswerBytes;
  request.contentType = kPelluxProtocol_RequestContentType;
  request.userAgent = userAgentString().toUtf8();
  const QByteArray body = requestBody();

  HttpAnswer answer;
  for (int attempt = 0; attempt < kAttempts && !answer.body; ++attempt) answer = httpPost(request, body);
  if (!answer.body)
    return PelluxError::pelluxErrorWithCode(kPelluxError_Code_NetworkAccess,
                                            localized(QStringLiteral("Network access failed.")), answer.error);
  if (answer.status != 0) {
    if (answer.status < 200 || answer.status > 299)
      return PelluxError::pelluxErrorWithCode(kPelluxError_Code_Http,
                                              formatted(localized(QStringLiteral("Unexpected HTTP response: %ld: %@")),
                                                        qlonglong(answer.status), httpReasonPhrase(answer.status)));
    if (answer.contentType.isEmpty())
      return PelluxError::pelluxErrorWithCode(
          kPelluxError_Code_Http, formatted(localized(QStringLiteral("Unexpected HTTP Content-Type: %@")), QVariant()));
  }
  const QString mediaType = answer.contentType.section(u';', 0, 0).trimmed().toLower();
  static const QRegularExpression charsetPattern(QStringLiteral("charset\\s*=\\s*\"?([^\";\\s]+)"),
                                                 QRegularExpression::CaseInsensitiveOption);
  // The declared character set, when it is one we know; the document's own declaration (or
  // UTF-8) decides otherwise.
  QByteArray charset = charsetPattern.match(answer.contentType).captured(1).toLatin1();
  if (!charset.isEmpty() && !QStringDecoder(charset.constData()).isValid()) charset.clear();
  if (answer.status != 0) {
    if (mediaType.startsWith(QLatin1String(kPelluxProtocol_ErrorContentType))) {
      QStringDecoder decoder(charset.isEmpty() ? "UTF-8" : charset.constData());
      return PelluxError::pelluxErrorWithCode(kPelluxError_Code_Pellux,
                                              localized(QStringLiteral("PELLUX internal error.")),
                                              QString(decoder.decode(*answer.body)));
    }
    if (!mediaType.contains(QLatin1String("/xml")) && !mediaType.contains(QLatin1String("+xml")))
      return PelluxError::pelluxErrorWithCode(
          kPelluxError_Code_Http, formatted(localized(QStringLiteral("Unexpected HTTP Content-Type: %@")), mediaType));
  }
  return validateResponse(*answer.body, charset);
}

std::optional<PelluxError> PelluxProtocol::validateResponse(const QByteArray& body, const QByteArray& charset) {
  freeResponse();
  status_ = -1;
  // No network, no DTD loading and no entity substitution: a hostile answer can neither read local
  // files nor reach other hosts, and its entities stay unexpanded (and so have no text value).
  response_ =
      xmlReadMemory(body.constData(), int(body.size()), nullptr, charset.isEmpty() ? nullptr : charset.constData(),
                    XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  if (!response_)
    return PelluxError::pelluxErrorWithCode(kPelluxError_Code_XML,
                                            localized(QStringLiteral("Parsing response body failed.")));
  const QString response = QLatin1String(kPelluxProtocolParameter_response);
  XmlNode* root = xmlDocGetRootElement(response_);
  if (!root) return parsingError(QStringLiteral("Parsing response body failed: %s"), response);
  if (fromXml(root->name) != response)
    return parsingError(QStringLiteral("Parsing response body failed: %s, %s"), response, fromXml(root->name));
  responseNode_ = root;
  const std::optional<QString> result = attributeStringForName(QLatin1String(kPelluxProtocolParameter_result), root);
  if (!result || result->isEmpty()) return parsingError(QStringLiteral("Parsing response body failed: %s"), response);
  const long value = leadingInteger(result->toUtf8());
  if (value < 0) return parsingError(QStringLiteral("Parsing response body failed: %s"), response);
  status_ = int(std::min<long>(value, std::numeric_limits<int>::max()));
  return PelluxError::pelluxErrorForResultValue(status_);
}

// ---- lookups ----

XmlNode* PelluxProtocol::childForName(const QString& name, XmlNode* parent) {
  if (!parent) return nullptr;
  const QByteArray wanted = name.toUtf8();
  for (XmlNode* child = parent->children; child; child = child->next)
    if (child->type == XML_ELEMENT_NODE && xmlStrcmp(child->name, xml(wanted)) == 0) return child;
  return nullptr;
}

std::optional<QString> PelluxProtocol::childStringForName(const QString& name, XmlNode* parent) {
  return stringValue(childForName(name, parent));
}

XmlNode* PelluxProtocol::childForPath(const QStringList& path, XmlNode* parent) {
  XmlNode* node = parent;
  for (const QString& name : path) node = childForName(name, node);
  return node;
}

std::optional<QString> PelluxProtocol::childStringForPath(const QStringList& path, XmlNode* parent) {
  return stringValue(childForPath(path, parent));
}

XmlNode* PelluxProtocol::siblingForName(const QString& name, XmlNode* current) {
  if (!current) return nullptr;
  const QByteArray wanted = name.toUtf8();
  for (XmlNode* next = current->next; next; next = next->next)
    if (next->type == XML_ELEMENT_NODE && xmlStrcmp(next->name, xml(wanted)) == 0) return next;
  return nullptr;
}

std::optional<QString> PelluxProtocol::attributeStringForName(const QString& name, XmlNode* node) {
  if (!node) return std::nullopt;
  xmlChar* value = xmlGetProp(node, xml(name.toUtf8()));
  if (!value) return std::nullopt;
  const QString text = fromXml(value);
  xmlFree(value);
  return text;
}

std::optional<QString> PelluxProtocol::stringValue(XmlNode* node) {
  if (!node || !node->children || node->children != node->last || node->children->type != XML_TEXT_NODE)
    return std::nullopt;
  return fromXml(node->children->content);
}

// ---- Base64 ----

QString PelluxProtocol::base64EncodedString(const QByteArray& bytes) {
  BIO* base64 = BIO_new(BIO_f_base64());
  BIO* memory = BIO_new(BIO_s_mem());
  BIO_set_flags(base64, BIO_FLAGS_BASE64_NO_NL);
  BIO_push(base64, memory);
  if (!bytes.isEmpty()) BIO_write(base64, bytes.constData(), int(bytes.size()));
  (void)BIO_flush(base64);
  char* data = nullptr;
  const long length = BIO_get_mem_data(memory, &data);
  const QString text = QString::fromUtf8(data, qsizetype(length));
  BIO_free_all(base64);
  return text;
}

QByteArray PelluxProtocol::base64DecodeData(const QString& text) {
  const QByteArray encoded = text.toUtf8();
  BIO* base64 = BIO_new(BIO_f_base64());
  BIO* memory = BIO_new_mem_buf(encoded.constData(), int(encoded.size()));
  BIO_set_flags(base64, BIO_FLAGS_BASE64_NO_NL);
  BIO_push(base64, memory);
  QByteArray decoded(encoded.size(), Qt::Uninitialized);
  const int length = BIO_read(base64, decoded.data(), int(decoded.size()));
  BIO_free_all(base64);
  decoded.truncate(std::max(length, 0));
  return decoded;
}
