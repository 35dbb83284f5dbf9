#include "LogindMock.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>

#include "WaitFor.h"

namespace {

const QString kConnection = QStringLiteral("logind-mock-test");
const QString kService = QStringLiteral("org.freedesktop.login1");
const QString kPath = QStringLiteral("/org/freedesktop/login1");

QDBusMessage callLogind(const QString& interface, const QString& method, const QVariantList& arguments) {
  QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, interface, method);
  call.setArguments(arguments);
  return QDBusConnection(kConnection).call(call);
}

}  // namespace

LogindMock::LogindMock() {
  bus_.start(QStringLiteral("dbus-daemon"),
             {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
  if (!bus_.waitForStarted() || !bus_.waitForReadyRead(10000)) {
    failure_ = QStringLiteral("dbus-daemon did not start");
    return;
  }
  address_ = QString::fromLocal8Bit(bus_.readLine().trimmed());
  qputenv("DBUS_SYSTEM_BUS_ADDRESS", address_.toLocal8Bit());
  logind_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  logind_.start(QStringLiteral(QUILLORY_PYTHON3),
                {QStringLiteral("-m"), QStringLiteral("dbusmock"), QStringLiteral("--system"),
                 QStringLiteral("--template"), QStringLiteral("logind")});
  QDBusConnection bus = QDBusConnection::connectToBus(address_, kConnection);
  if (!logind_.waitForStarted() ||
      !waitFor(
          [this, &bus] {
            return logind_.state() == QProcess::NotRunning || bus.interface()->isServiceRegistered(kService).value();
          },
          20000) ||
      logind_.state() == QProcess::NotRunning)
    failure_ = QStringLiteral("python-dbusmock's logind did not come up (is python3-dbusmock installed?)");
}

LogindMock::~LogindMock() {
  QDBusConnection::disconnectFromBus(kConnection);
  for (QProcess* process : {&logind_, &bus_}) {
    process->terminate();
    process->waitForFinished(5000);
  }
  qunsetenv("DBUS_SYSTEM_BUS_ADDRESS");
}

bool LogindMock::announceSleep(bool goingToSleep) {
  const QDBusMessage reply =
      callLogind(QStringLiteral("org.freedesktop.DBus.Mock"), QStringLiteral("EmitSignal"),
                 {QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"),
                  QStringLiteral("b"), QVariantList{goingToSleep}});
  return reply.type() == QDBusMessage::ReplyMessage;
}

QStringList LogindMock::inhibitors() {
  const QDBusMessage reply =
      callLogind(QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("ListInhibitors"), {});
  QStringList locks;
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return locks;
  const QDBusArgument list = reply.arguments().constFirst().value<QDBusArgument>();
  list.beginArray();
  while (!list.atEnd()) {
    QString what, who, why, mode;
    uint uid = 0, pid = 0;
    list.beginStructure();
    list >> what >> who >> why >> mode >> uid >> pid;
    list.endStructure();
    locks << what + u'/' + mode + u'/' + who;
  }
  list.endArray();
  return locks;
}
