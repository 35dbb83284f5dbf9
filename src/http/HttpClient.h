#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <optional>

// One HTTP(S) exchange on the calling thread, never from a cache.
struct HttpAnswer {
  // The body, or none when the transport brought no answer at all.
  std::optional<QByteArray> body;
  QString error;        // the transport's reason when there is no body
  long status = 0;      // the HTTP status code, 0 when none
  QString contentType;  // the Content-Type header as sent, empty when none
};

struct HttpRequest {
  QUrl url;
  int timeoutSeconds = 10;
  qsizetype maxBytes = 1 << 20;  // a longer body ends the transfer with an error
  QByteArray contentType;        // for a POST
  QByteArray userAgent;
  // Accept any certificate from the request's host (redirects are never followed, so no other
  // host is reached).
  bool acceptAnyCertificate = false;
};

// A GET that follows redirects and fails on an HTTP error status.
HttpAnswer httpGet(const HttpRequest& request);

// A POST of the body; any answer with a body, whatever its status, is returned as it came.
HttpAnswer httpPost(const HttpRequest& request, const QByteArray& body);

// The standard reason phrase of an HTTP status code ("Service Unavailable").
QString httpReasonPhrase(long status);
