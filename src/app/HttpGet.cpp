#include "HttpGet.h"

#include <curl/curl.h>

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

}  // namespace

HttpGetResult httpGet(const QUrl& url, int timeoutSeconds, qsizetype maxBytes) {
  static std::once_flag initialised;
  std::call_once(initialised, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });

  std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), &curl_easy_cleanup);
  if (!curl) return {{}, QStringLiteral("cannot start a transfer")};
  std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)> headers(
      curl_slist_append(curl_slist_append(nullptr, "Cache-Control: no-cache"), "Pragma: no-cache"),
      &curl_slist_free_all);
  const QByteArray address = url.toEncoded();
  const QByteArray agent = QByteArray(AppInfo::kApplicationName) + '/' + AppInfo::kVersion;
  char reason[CURL_ERROR_SIZE] = {};
  Download download{{}, maxBytes};
  CURL* handle = curl.get();
  curl_easy_setopt(handle, CURLOPT_URL, address.constData());
  curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(handle, CURLOPT_MAXREDIRS, 5L);
  curl_easy_setopt(handle, CURLOPT_TIMEOUT, long(timeoutSeconds));
  curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(handle, CURLOPT_FAILONERROR, 1L);
  curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers.get());
  curl_easy_setopt(handle, CURLOPT_USERAGENT, agent.constData());
  curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, reason);
  curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &collect);
  curl_easy_setopt(handle, CURLOPT_WRITEDATA, &download);
  const CURLcode code = curl_easy_perform(handle);
  if (code != CURLE_OK) return {{}, QString::fromUtf8(reason[0] ? reason : curl_easy_strerror(code))};
  return {download.body, {}};
}
