// quillory-ocr-server: the local Pellux service.

#include <QCoreApplication>
#include <QDir>
#include <QTextStream>
#include <cstdio>

#include "Accounts.h"
#include "Certificate.h"
#include "FileStore.h"
#include "HttpServer.h"
#include "ProtocolHandler.h"
#include "QuitOnSignal.h"
#include "Recognizer.h"

namespace {

const char kUsage[] =
    "Usage: quillory-ocr-server --data DIR [--listen ADDRESS:PORT] [--tls-cert FILE --tls-key FILE]\n"
    "                           [--fixtures DIR] [--processing-ms N] [--test-controls]\n"
    "       quillory-ocr-server --data DIR add-account MAIL      (the password is read from standard input)\n"
    "       quillory-ocr-server --data DIR make-certificate      (writes DIR/tls/certificate.pem and key.pem)\n"
    "\n"
    "Serves the Pellux service protocol at /Halvern/app/ and the user pages at /Halvern/meishi/\n"
    "(default address 127.0.0.1:8860). Card fields come from the fixture folder (default DIR/fixtures):\n"
    "one property list per image, named by the image's SHA-256. Uploaded cards are read after\n"
    "--processing-ms milliseconds (default 3000).\n";

int fail(const QString& message, int status = 1) {
  std::fprintf(stderr, "quillory-ocr-server: %s\n", message.toUtf8().constData());
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  QStringList arguments = QCoreApplication::arguments().mid(1);
  QString data, fixtures, certificate, key, command, commandArgument;
  HttpServer::Options options;
  qint64 processing = 3000;
  for (qsizetype i = 0; i < arguments.size(); ++i) {
    const QString& argument = arguments[i];
    const QString next = arguments.value(i + 1);
    if (argument == QLatin1String("--data")) {
      data = next, ++i;
    } else if (argument == QLatin1String("--fixtures")) {
      fixtures = next, ++i;
    } else if (argument == QLatin1String("--tls-cert")) {
      options.certificate = next, ++i;
    } else if (argument == QLatin1String("--tls-key")) {
      options.key = next, ++i;
    } else if (argument == QLatin1String("--processing-ms")) {
      processing = next.toLongLong(), ++i;
    } else if (argument == QLatin1String("--test-controls")) {
      options.testControls = true;
    } else if (argument == QLatin1String("--listen")) {
      const qsizetype colon = next.lastIndexOf(u':');
      options.address = QHostAddress(next.left(colon).remove(u'[').remove(u']'));
      options.port = quint16(next.mid(colon + 1).toUInt());
      ++i;
      if (colon < 0 || options.address.isNull()) return fail(QStringLiteral("--listen takes ADDRESS:PORT"), 2);
    } else if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
      std::fputs(kUsage, stdout);
      return 0;
    } else if (command.isEmpty() && !argument.startsWith(u'-')) {
      command = argument;
      commandArgument = next;
      if (!next.isEmpty()) ++i;
    } else {
      std::fputs(kUsage, stderr);
      return 2;
    }
  }
  if (data.isEmpty() || options.certificate.isEmpty() != options.key.isEmpty()) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  QDir().mkpath(data);

  if (command == QLatin1String("make-certificate")) {
    QDir().mkpath(data + QStringLiteral("/tls"));
    const QString certificatePath = data + QStringLiteral("/tls/certificate.pem"),
                  keyPath = data + QStringLiteral("/tls/key.pem");
    if (const std::optional<QString> error = makeSelfSignedCertificate(certificatePath, keyPath)) return fail(*error);
    std::printf("%s\n%s\n", certificatePath.toUtf8().constData(), keyPath.toUtf8().constData());
    return 0;
  }

  Accounts accounts(data + QStringLiteral("/accounts.plist"));
  if (const std::optional<QString> error = accounts.load()) return fail(QStringLiteral("accounts: %1").arg(*error));
  if (command == QLatin1String("add-account")) {
    const QString password = QTextStream(stdin).readLine();
    QString error;
    const std::optional<QString> aid = accounts.add(commandArgument, password, &error);
    if (!aid) return fail(error);
    std::printf("%s\n", aid->toUtf8().constData());
    return 0;
  }
  if (!command.isEmpty()) {
    std::fputs(kUsage, stderr);
    return 2;
  }

  FileStore files(data, processing);
  if (const std::optional<QString> error = files.load()) return fail(QStringLiteral("files: %1").arg(*error));
  FixtureRecognizer recognizer(fixtures.isEmpty() ? data + QStringLiteral("/fixtures") : fixtures);
  ProtocolHandler protocol(accounts, files, recognizer);
  HttpServer server(protocol, accounts, options);
  if (const std::optional<QString> error = server.listen()) return fail(*error);
  std::printf("Serving on %s://%s:%u/Halvern/\n", options.certificate.isEmpty() ? "http" : "https",
              options.address.toString().toUtf8().constData(), unsigned(server.port()));
  std::fflush(stdout);
  quitOnTerminationSignals();
  return application.exec();
}
