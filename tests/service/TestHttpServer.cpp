#include "TestHttpServer.h"

#include <QFile>
#include <QProcess>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslSocket>

TestHttpServer::TestHttpServer(const QString& certificate, const QString& key) {
  if (certificate.isEmpty()) {
    server_ = std::make_unique<QTcpServer>();
  } else {
    auto server = std::make_unique<QSslServer>();
    QFile certificateFile(certificate), keyFile(key);
    certificateFile.open(QIODevice::ReadOnly);
    keyFile.open(QIODevice::ReadOnly);
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.setLocalCertificate(QSslCertificate(certificateFile.readAll(), QSsl::Pem));
    configuration.setPrivateKey(QSslKey(keyFile.readAll(), QSsl::Rsa, QSsl::Pem));
    configuration.setPeerVerifyMode(QSslSocket::VerifyNone);
    server->setSslConfiguration(configuration);
    server_ = std::move(server);
    tls_ = true;
  }
  server_->listen(QHostAddress::LocalHost, 0);
  connect(server_.get(), &QTcpServer::pendingConnectionAvailable, this, [this] {
    while (QTcpSocket* socket = server_->nextPendingConnection()) serve(socket);
  });
}

QUrl TestHttpServer::url(const QString& path) const {
  return QUrl(QStringLiteral("%1://127.0.0.1:%2%3")
                  .arg(tls_ ? QStringLiteral("https") : QStringLiteral("http"))
                  .arg(server_->serverPort())
                  .arg(path));
}

void TestHttpServer::serve(QTcpSocket* socket) {
  socket->setParent(this);
  auto buffer = std::make_shared<QByteArray>();
  connect(socket, &QTcpSocket::readyRead, socket, [this, socket, buffer] {
    *buffer += socket->readAll();
    const qsizetype end = buffer->indexOf("\r\n\r\n");
    if (end < 0) return;
    const QByteArray head = buffer->left(end);
    qsizetype length = 0;
    for (const QByteArray& line : head.split('\n'))
      if (line.toLower().startsWith("content-length:")) length = line.mid(15).trimmed().toLongLong();
    if (buffer->size() < end + 4 + length) return;
    requests_.append({head, buffer->mid(end + 4, length)});
    if (!answers_.isEmpty()) last_ = answers_.dequeue();
    if (last_.drop) {
      socket->abort();
      return;
    }
    QByteArray reply = "HTTP/1.1 " + QByteArray::number(last_.status) + " Whatever\r\n";
    if (!last_.contentType.isEmpty()) reply += "Content-Type: " + last_.contentType + "\r\n";
    reply += "Content-Length: " + QByteArray::number(last_.body.size()) + "\r\nConnection: close\r\n\r\n" + last_.body;
    socket->write(reply);
    socket->disconnectFromHost();
  });
}

std::pair<QString, QString> TestHttpServer::makeSelfSignedCertificate(const QString& folder) {
  const QString certificate = folder + QStringLiteral("/certificate.pem"), key = folder + QStringLiteral("/key.pem");
  QProcess::execute(
      QStringLiteral("openssl"),
      {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"), QStringLiteral("rsa:2048"),
       QStringLiteral("-nodes"), QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-subj"),
       QStringLiteral("/CN=127.0.0.1"), QStringLiteral("-addext"), QStringLiteral("subjectAltName=IP:127.0.0.1"),
       QStringLiteral("-keyout"), key, QStringLiteral("-out"), certificate});
  return {certificate, key};
}
