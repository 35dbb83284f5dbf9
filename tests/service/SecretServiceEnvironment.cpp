#include "SecretServiceEnvironment.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QProcessEnvironment>

#include "WaitFor.h"

void SecretServiceEnvironment::SetUp() {
  bus_ = std::make_unique<QProcess>();
  bus_->start(QStringLiteral("dbus-daemon"),
              {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
  ASSERT_TRUE(bus_->waitForStarted());
  ASSERT_TRUE(bus_->waitForReadyRead(10000));
  const QByteArray address = bus_->readLine().trimmed();
  qputenv("DBUS_SESSION_BUS_ADDRESS", address);

  QProcess keyring;
  keyring.start(QStringLiteral("gnome-keyring-daemon"),
                {QStringLiteral("--unlock"), QStringLiteral("--components=secrets")});
  keyring.write("test-password");
  keyring.closeWriteChannel();
  ASSERT_TRUE(keyring.waitForFinished(10000));
  ASSERT_TRUE(waitFor(
      [] {
        return QDBusConnection::sessionBus().interface()->isServiceRegistered(
            QStringLiteral("org.freedesktop.secrets"));
      },
      10000))
      << "no Secret Service on the test bus";
}

void SecretServiceEnvironment::TearDown() {
  // The keyring daemon leaves when its bus goes away.
  bus_->terminate();
  bus_->waitForFinished(5000);
}
