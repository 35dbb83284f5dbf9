#pragma once

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <memory>

#include "Accounts.h"
#include "FileStore.h"
#include "HttpServer.h"
#include "Localization.h"
#include "MainThread.h"
#include "PelluxProtocol.h"
#include "PreferenceStore.h"
#include "PropertyList.h"
#include "ProtocolHandler.h"
#include "Recognizer.h"
#include "TestEnvironment.h"

// A local service in the test's thread, on a free loopback port, with one account and a clock the
// test sets; the project's own protocol client talks to it.
class ServerFixture : public testing::Test {
 public:
  struct Call {
    std::unique_ptr<PelluxProtocol> protocol;
    std::optional<PelluxError> error;
    int result() const { return error ? PelluxError::pelluxErrorCodeWithError(*error) : 0; }
  };

 protected:
  static constexpr qint64 kProcessing = 1000;

  ServerFixture() {
    Localization::useLanguages({QStringLiteral("en")});
    QString error;
    aid = *accounts.add(QStringLiteral("taro@example.jp"), QStringLiteral("pw"), &error);
    start();
  }

  void start() {
    files = std::make_unique<FileStore>(data, kProcessing);
    files->load();
    protocol = std::make_unique<ProtocolHandler>(accounts, *files, recognizer, [this] { return now; });
    HttpServer::Options options;
    options.port = 0;
    server = std::make_unique<HttpServer>(*protocol, accounts, options);
    ASSERT_FALSE(server->listen());
    preferences.setValue(QStringLiteral("PelluxServerUrlForApp"),
                         QStringLiteral("http://127.0.0.1:%1/Halvern/app/").arg(server->port()));
    PelluxProtocol::reconfigure(preferences);
  }

  // Stops the service and starts a new one on the same data, as after a restart.
  void restart() {
    server.reset();
    protocol.reset();
    files.reset();
    start();
  }

  // One exchange: the method with its parameters (a value of none makes an empty element).
  Call call(const QString& method, const QList<std::pair<QString, QString>>& parameters = {},
            const QString& password = QStringLiteral("pw")) {
    Call call{std::make_unique<PelluxProtocol>(method), std::nullopt};
    call.protocol->createRequest(QStringLiteral("taro@example.jp"), password);
    for (const auto& [name, value] : parameters) call.protocol->addRequestNodeWithName(name, value);
    MainThread::runBesideLoop([&] { call.error = call.protocol->invoke(); });
    return call;
  }

  // Writes a fixture: the fields the recognizer returns for this image.
  void fixture(const QByteArray& image, const QVariantMap& fields) {
    QDir().mkpath(data + QStringLiteral("/fixtures"));
    QFile file(data + QStringLiteral("/fixtures/") +
               QString::fromLatin1(QCryptographicHash::hash(image, QCryptographicHash::Sha256).toHex()) +
               QStringLiteral(".plist"));
    file.open(QIODevice::WriteOnly);
    file.write(PropertyList::write(fields).document);
  }

  QString data = TestEnvironment::freshFolder();
  qint64 now = QDateTime(QDate(2026, 12, 11), QTime(10, 0), Qt::UTC).toMSecsSinceEpoch();
  Accounts accounts{data + QStringLiteral("/accounts.plist")};
  FixtureRecognizer recognizer{data + QStringLiteral("/fixtures")};
  std::unique_ptr<FileStore> files;
  std::unique_ptr<ProtocolHandler> protocol;
  std::unique_ptr<HttpServer> server;
  PreferenceStore preferences{TestEnvironment::freshFolder() + QStringLiteral("/Quillory.plist")};
  QString aid;
};
