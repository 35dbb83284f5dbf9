#pragma once

#include <QByteArray>
#include <QList>
#include <QQueue>
#include <QSslServer>
#include <QTcpServer>
#include <QUrl>
#include <memory>

// A real HTTP(S) server on a free loopback port, in the test's thread, answering each request
// with the next canned answer (the last one repeats). Requests are recorded. Serve it by keeping
// the event loop running while the client works on another thread (MainThread::runBesideLoop).
class TestHttpServer : public QObject {
 public:
  struct Answer {
    int status = 200;
    QByteArray contentType = "text/xml; charset=utf-8";
    QByteArray body;
    bool drop = false;  // close the connection without answering
  };
  struct Request {
    QByteArray head;
    QByteArray body;
  };

  // With a certificate and key (PEM files), the server speaks HTTPS.
  explicit TestHttpServer(const QString& certificate = {}, const QString& key = {});

  QUrl url(const QString& path = QStringLiteral("/Halvern/app/")) const;
  void answer(const Answer& answer) { answers_.enqueue(answer); }
  const QList<Request>& requests() const { return requests_; }

  // Makes a self-signed certificate for 127.0.0.1 in the folder; gives (certificate, key) paths.
  static std::pair<QString, QString> makeSelfSignedCertificate(const QString& folder);

 private:
  void serve(QTcpSocket* socket);

  std::unique_ptr<QTcpServer> server_;
  bool tls_ = false;
  QQueue<Answer> answers_;
  Answer last_;
  QList<Request> requests_;
};
