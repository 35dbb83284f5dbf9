#pragma once

#include <QHostAddress>
#include <QObject>
#include <QString>
#include <memory>
#include <optional>

class Accounts;
class ProtocolHandler;
class QTcpServer;
class QTcpSocket;

// The service over HTTP (or HTTPS with a certificate): the request endpoint at /Halvern/app/,
// the user pages at /Halvern/meishi/ (creating an account, changing a password, help), the
// version file, and, when asked for on a loopback address, controls that make the next answers
// misbehave for tests.
class HttpServer : public QObject {
  Q_OBJECT
 public:
  struct Options {
    QHostAddress address = QHostAddress::LocalHost;
    quint16 port = 8860;
    QString certificate;  // PEM; with a key, the server speaks HTTPS
    QString key;
    bool testControls = false;
    qsizetype maxBodyBytes = qsizetype(64) << 20;
  };

  HttpServer(ProtocolHandler& protocol, Accounts& accounts, Options options);
  ~HttpServer() override;

  // Starts listening; gives the reason on failure.
  std::optional<QString> listen();
  quint16 port() const;

 private:
  struct Exchange;
  struct Override {
    int count = 0;
    int status = 0;
    std::optional<QByteArray> contentType;
    std::optional<QByteArray> body;
    int delayMilliseconds = 0;
    bool drop = false;
  };

  void serve(QTcpSocket* socket);
  void answer(QTcpSocket* socket, const Exchange& request);
  void reply(QTcpSocket* socket, int status, const QByteArray& contentType, const QByteArray& body);
  QByteArray userPage(const Exchange& request, int* status);
  void setOverride(const Exchange& request, QTcpSocket* socket);

  ProtocolHandler& protocol_;
  Accounts& accounts_;
  Options options_;
  std::unique_ptr<QTcpServer> server_;
  Override override_;
};
