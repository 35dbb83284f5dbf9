#include "HttpServer.h"

#include <QFile>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrlQuery>

#include "Accounts.h"
#include "AppInfo.h"
#include "PelluxProtocolConstants.h"
#include "ProtocolHandler.h"

struct HttpServer::Exchange {
  QByteArray method;
  QByteArray path;
  QByteArray body;
};

namespace {

constexpr qsizetype kMaxHeadBytes = 64 * 1024;

QByteArray reasonPhrase(int status) {
  switch (status) {
    case 200:
      return "OK";
    case 400:
      return "Bad Request";
    case 404:
      return "Not Found";
    case 405:
      return "Method Not Allowed";
    case 413:
      return "Payload Too Large";
    case 500:
      return "Internal Server Error";
    case 503:
      return "Service Unavailable";
    default:
      return "Status";
  }
}

QString formValue(const QUrlQuery& form, const char* key) {
  return form.queryItemValue(QLatin1String(key), QUrl::FullyDecoded);
}

QUrlQuery formOf(const QByteArray& body) {
  QByteArray text = body;
  text.replace('+', ' ');
  return QUrlQuery(QString::fromUtf8(text));
}

QByteArray page(const QString& title, const QString& content) {
  return QStringLiteral(
             "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>%1</title></head>"
             "<body style=\"font-family:sans-serif;max-width:40em;margin:2em auto\"><h1>%1</h1>%2</body></html>")
      .arg(title.toHtmlEscaped(), content)
      .toUtf8();
}

QString form(const QStringList& fields, const QString& button) {
  QString html = QStringLiteral("<form method=\"post\">");
  for (const QString& field : fields) {
    const QString type =
        field.contains(QLatin1String("password")) ? QStringLiteral("password") : QStringLiteral("email");
    html += QStringLiteral("<p><label>%1<br><input name=\"%1\" type=\"%2\" required></label></p>").arg(field, type);
  }
  return html + QStringLiteral("<p><button>%1</button></p></form>").arg(button);
}

}  // namespace

HttpServer::HttpServer(ProtocolHandler& protocol, Accounts& accounts, Options options)
    : protocol_(protocol), accounts_(accounts), options_(std::move(options)) {}

HttpServer::~HttpServer() = default;

std::optional<QString> HttpServer::listen() {
  if (options_.testControls && !options_.address.isLoopback())
    return QStringLiteral("test controls are only offered on a loopback address");
  if (options_.certificate.isEmpty()) {
    server_ = std::make_unique<QTcpServer>();
  } else {
    QFile certificate(options_.certificate), key(options_.key);
    if (!certificate.open(QIODevice::ReadOnly) || !key.open(QIODevice::ReadOnly))
      return QStringLiteral("cannot read the certificate or its key");
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.setLocalCertificate(QSslCertificate(certificate.readAll(), QSsl::Pem));
    configuration.setPrivateKey(QSslKey(key.readAll(), QSsl::Rsa, QSsl::Pem));
    configuration.setPeerVerifyMode(QSslSocket::VerifyNone);
    auto server = std::make_unique<QSslServer>();
    server->setSslConfiguration(configuration);
    server_ = std::move(server);
  }
  connect(server_.get(), &QTcpServer::pendingConnectionAvailable, this, [this] {
    while (QTcpSocket* socket = server_->nextPendingConnection()) serve(socket);
  });
  if (!server_->listen(options_.address, options_.port)) return server_->errorString();
  return std::nullopt;
}

quint16 HttpServer::port() const { return server_ ? server_->serverPort() : 0; }

void HttpServer::serve(QTcpSocket* socket) {
  socket->setParent(this);
  connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
  auto buffer = std::make_shared<QByteArray>();
  connect(socket, &QTcpSocket::readyRead, socket, [this, socket, buffer] {
    *buffer += socket->readAll();
    const qsizetype end = buffer->indexOf("\r\n\r\n");
    if (end < 0) {
      if (buffer->size() > kMaxHeadBytes) reply(socket, 400, "text/plain", "Request head too long.\n");
      return;
    }
    const QList<QByteArray> lines = buffer->left(end).split('\n');
    const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
    qsizetype length = 0;
    for (const QByteArray& line : lines)
      if (line.toLower().startsWith("content-length:")) length = line.mid(15).trimmed().toLongLong();
    if (requestLine.size() < 3 || length < 0) return reply(socket, 400, "text/plain", "Malformed request.\n");
    if (length > options_.maxBodyBytes) return reply(socket, 413, "text/plain", "The request is too large.\n");
    if (buffer->size() < end + 4 + length) return;
    const Exchange request{requestLine[0], requestLine[1], buffer->mid(end + 4, length)};
    buffer->clear();
    answer(socket, request);
  });
}

void HttpServer::reply(QTcpSocket* socket, int status, const QByteArray& contentType, const QByteArray& body) {
  socket->write("HTTP/1.1 " + QByteArray::number(status) + ' ' + reasonPhrase(status) +
                "\r\nContent-Type: " + contentType + "\r\nContent-Length: " + QByteArray::number(body.size()) +
                "\r\nConnection: close\r\n\r\n" + body);
  socket->disconnectFromHost();
}

void HttpServer::answer(QTcpSocket* socket, const Exchange& request) {
  const QByteArray path =
      request.path.left(request.path.indexOf('?') < 0 ? request.path.size() : request.path.indexOf('?'));
  if (path == kPelluxProtocol_AppPath) {
    if (request.method != "POST") return reply(socket, 405, "text/plain", "Requests are posted.\n");
    ProtocolHandler::Reply answer = protocol_.handle(request.body);
    int status = 200;
    if (override_.count > 0) {
      --override_.count;
      if (override_.drop) return socket->abort();
      if (override_.status) status = override_.status;
      if (override_.contentType) answer.contentType = *override_.contentType;
      if (override_.body) answer.body = *override_.body;
      if (override_.delayMilliseconds > 0) {
        QTimer::singleShot(override_.delayMilliseconds, socket,
                           [this, socket, status, answer] { reply(socket, status, answer.contentType, answer.body); });
        return;
      }
    }
    return reply(socket, status, answer.contentType, answer.body);
  }
  if (path.startsWith(kPelluxProtocol_UserPagePath)) {
    int status = 200;
    const QByteArray html = userPage(request, &status);
    return reply(socket, status, "text/html; charset=utf-8", html);
  }
  if (path == "/Halvern/quillory-version.txt")
    return reply(socket, 200, "text/plain; charset=utf-8",
                 QByteArray::number(AppInfo::kBuildNumber) + "\nhttp://127.0.0.1:8860/Halvern/meishi/help.html\n");
  if (path == "/Halvern/test/next" && options_.testControls && request.method == "POST")
    return setOverride(request, socket);
  reply(socket, 404, "text/plain", "Not found.\n");
}

QByteArray HttpServer::userPage(const Exchange& request, int* status) {
  const QByteArray page_ =
      request.path.left(request.path.indexOf('?') < 0 ? request.path.size() : request.path.indexOf('?'))
          .mid(qsizetype(qstrlen(kPelluxProtocol_UserPagePath)));
  const QUrlQuery form_ = formOf(request.body);
  if (page_ == "regist_account.html") {
    if (request.method != "POST")
      return page(QStringLiteral("Create an account"),
                  form({QStringLiteral("mail"), QStringLiteral("password")}, QStringLiteral("Create")));
    QString error;
    const std::optional<QString> aid = accounts_.add(formValue(form_, "mail"), formValue(form_, "password"), &error);
    if (!aid) {
      *status = 400;
      return page(QStringLiteral("Account not created"), QStringLiteral("<p>%1</p>").arg(error.toHtmlEscaped()));
    }
    return page(QStringLiteral("Account created"),
                QStringLiteral("<p>Your account identifier is <b>%1</b>. Log in from Quillory "
                               "with your mail address and password.</p>")
                    .arg(*aid));
  }
  if (page_ == "reset_password.html") {
    if (request.method != "POST")
      return page(QStringLiteral("Change your password"),
                  form({QStringLiteral("mail"), QStringLiteral("old_password"), QStringLiteral("new_password")},
                       QStringLiteral("Change")));
    if (const std::optional<QString> error = accounts_.changePassword(
            formValue(form_, "mail"), formValue(form_, "old_password"), formValue(form_, "new_password"))) {
      *status = 400;
      return page(QStringLiteral("Password not changed"), QStringLiteral("<p>%1</p>").arg(error->toHtmlEscaped()));
    }
    return page(QStringLiteral("Password changed"),
                QStringLiteral("<p>Log in from Quillory with the new password.</p>"));
  }
  if (page_ == "help.html")
    return page(
        QStringLiteral("Quillory and the local service"),
        QStringLiteral("<p>This service reads the cards Quillory uploads and returns their fields. "
                       "<a href=\"regist_account.html\">Create an account</a>, then log in from Quillory.</p>"));
  *status = 404;
  return page(QStringLiteral("Not found"), QString());
}

void HttpServer::setOverride(const Exchange& request, QTcpSocket* socket) {
  const QUrlQuery form_ = formOf(request.body);
  Override next;
  next.count = formValue(form_, "count").isEmpty() ? 1 : formValue(form_, "count").toInt();
  next.status = formValue(form_, "status").toInt();
  if (form_.hasQueryItem(QStringLiteral("contentType"))) next.contentType = formValue(form_, "contentType").toUtf8();
  if (form_.hasQueryItem(QStringLiteral("body"))) next.body = formValue(form_, "body").toUtf8();
  next.delayMilliseconds = formValue(form_, "delayMs").toInt();
  next.drop = formValue(form_, "drop") == QLatin1String("1");
  override_ = next;
  reply(socket, 200, "text/plain", "OK\n");
}
