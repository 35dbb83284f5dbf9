#include "HttpClient.h"

#include <curl/curl.h>

#include <QHash>
#include <memory>
#include <mutex>

#include "AppInfo.h"

namespace {

struct Download {
  QByteArray body;
  qsizetype maxBytes;
};

size_t collect(char* data, size_t size, size_t count, void* target) {
  auto* download = static_cast<Download*>(target);
  const size_t bytes = size * count;
  if (download->body.size() + qsizetype(bytes) > download->maxBytes) return 0;  // ends the transfer
  download->body.append(data, qsizetype(bytes));
  return bytes;
}

using Curl = std::unique_ptr<CURL, decltype(&curl_easy_cleanup)>;
using Headers = std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)>;

Curl newHandle() {
  static std::once_flag initialised;
  std::call_once(initialised, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
  return Curl(curl_easy_init(), &curl_easy_cleanup);
}

HttpAnswer perform(const HttpRequest& request, const std::optional<QByteArray>& postBody) {
  Curl curl = newHandle();
  if (!curl) return {std::nullopt, QStringLiteral("cannot start a transfer"), 0, {}};
  CURL* handle = curl.get();
  Headers headers(curl_slist_append(curl_slist_append(nullptr, "Cache-Control: no-cache"), "Pragma: no-cache"),
                  &curl_slist_free_all);
  if (postBody) {
    const QByteArray type = "Content-Type: " + request.contentType;
    headers.reset(curl_slist_append(headers.release(), type.constData()));
    headers.reset(curl_slist_append(headers.release(), "Expect:"));
  }
  const QByteArray address = request.url.toEncoded();
  const QByteArray agent = request.userAgent.isEmpty()
                               ? QByteArray(AppInfo::kApplicationName) + '/' + AppInfo::kVersion
                               : request.userAgent;
  char reason[CURL_ERROR_SIZE] = {};
  Download download{{}, request.maxBytes};
  curl_easy_setopt(handle, CURLOPT_URL, address.constData());
  curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(handle, CURLOPT_TIMEOUT, long(request.timeoutSeconds));
  curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers.get());
  curl_easy_setopt(handle, CURLOPT_USERAGENT, agent.constData());
  curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, reason);
  curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &collect);
  curl_easy_setopt(handle, CURLOPT_WRITEDATA, &download);
  if (request.acceptAnyCertificate) {
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, 0L);
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, 0L);
  }
  if (postBody) {
    curl_easy_setopt(handle, CURLOPT_POST, 1L);
    curl_easy_setopt(handle, CURLOPT_POSTFIELDS, postBody->constData());
    curl_easy_setopt(handle, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(postBody->size()));
  } else {
    curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(handle, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(handle, CURLOPT_FAILONERROR, 1L);
  }
  const CURLcode code = curl_easy_perform(handle);
  if (code != CURLE_OK)
    return {std::nullopt, QString::fromUtf8(reason[0] ? reason : curl_easy_strerror(code)), 0, {}};
  HttpAnswer answer{download.body, {}, 0, {}};
  curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &answer.status);
  char* type = nullptr;
  if (curl_easy_getinfo(handle, CURLINFO_CONTENT_TYPE, &type) == CURLE_OK && type)
    answer.contentType = QString::fromLatin1(type);
  return answer;
}

}  // namespace

HttpAnswer httpGet(const HttpRequest& request) { return perform(request, std::nullopt); }

HttpAnswer httpPost(const HttpRequest& request, const QByteArray& body) { return perform(request, body); }

QString httpReasonPhrase(long status) {
  static const QHash<long, const char*> phrases{
      {200, "OK"},           {201, "Created"},          {204, "No Content"},
      {301, "Moved Permanently"}, {302, "Found"},       {304, "Not Modified"},
      {400, "Bad Request"},  {401, "Unauthorized"},     {403, "Forbidden"},
      {404, "Not Found"},    {405, "Method Not Allowed"}, {408, "Request Timeout"},
      {413, "Payload Too Large"}, {429, "Too Many Requests"}, {500, "Internal Server Error"},
      {501, "Not Implemented"}, {502, "Bad Gateway"},   {503, "Service Unavailable"},
      {504, "Gateway Timeout"}};
  return QString::fromLatin1(phrases.value(status, "Unknown Status"));
}
