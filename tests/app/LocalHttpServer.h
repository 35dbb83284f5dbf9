#pragma once

#include <QByteArray>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>

// A real HTTP server on a free loopback port, answering every GET with one fixed body, or (when
// silent) accepting connections and never answering. Runs in the thread that created it.
class LocalHttpServer : public QObject {
 public:
  explicit LocalHttpServer(QByteArray body, bool silent = false) : body_(std::move(body)), silent_(silent) {
    server_.listen(QHostAddress::LocalHost, 0);
    connect(&server_, &QTcpServer::newConnection, this, [this] {
      while (QTcpSocket* socket = server_.nextPendingConnection()) {
        socket->setParent(this);
        if (silent_) continue;
        connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
          request_ += socket->readAll();
          if (!request_.contains("\r\n\r\n")) return;
          socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/plain; charset=utf-8\r\nContent-Length: " +
                        QByteArray::number(body_.size()) + "\r\nConnection: close\r\n\r\n" + body_);
          socket->disconnectFromHost();
        });
      }
    });
  }

  QUrl url(const QString& path = QStringLiteral("/version.txt")) const {
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(server_.serverPort()).arg(path));
  }
  QByteArray request() const { return request_; }

 private:
  QTcpServer server_;
  QByteArray body_;
  QByteArray request_;
  bool silent_;
};
