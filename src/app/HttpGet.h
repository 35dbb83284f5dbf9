#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

// One plain HTTP(S) GET that ignores cached copies, on the calling thread.
struct HttpGetResult {
  QByteArray body;
  QString error;  // the transport's reason, empty on success
  bool ok() const { return error.isEmpty(); }
};

// Fails on a time-out, a transport error, an HTTP error status or a body over maxBytes.
HttpGetResult httpGet(const QUrl& url, int timeoutSeconds, qsizetype maxBytes = 1 << 20);
