#include "LogindSleepMonitor.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>

#include "Format.h"

namespace {

const QString kLogindService = QStringLiteral("org.freedesktop.login1");
const QString kLogindPath = QStringLiteral("/org/freedesktop/login1");
const QString kLogindManager = QStringLiteral("org.freedesktop.login1.Manager");

QString systemBusAddress() {
  return qEnvironmentVariable("DBUS_SYSTEM_BUS_ADDRESS", QStringLiteral("unix:path=/run/dbus/system_bus_socket"));
}

// The failed call, with the bus's own reason beside it.
PelluxError busError(const QString& function, const QDBusError& error) {
  return PelluxError::pelluxErrorWithSystemFunction(function, quint64(-1), std::nullopt,
                                                    {{QStringLiteral("com.tarvo.quillory.errorinfo.dbus_error"),
                                                      error.name() + QLatin1String(": ") + error.message()}});
}

}  // namespace

LogindSleepMonitor::LogindSleepMonitor(Handler handler)
    : handler_(std::move(handler)),
      connectionName_(formatted(QStringLiteral("quillory-sleep-monitor-%p"), static_cast<void*>(this))) {}

LogindSleepMonitor::~LogindSleepMonitor() {
  inhibitor_ = {};
  if (connected_) QDBusConnection::disconnectFromBus(connectionName_);
}

std::optional<PelluxError> LogindSleepMonitor::start() {
  QDBusConnection bus = QDBusConnection::connectToBus(systemBusAddress(), connectionName_);
  connected_ = true;
  if (!bus.isConnected()) return busError(QStringLiteral("QDBusConnection::connectToBus"), bus.lastError());
  if (!bus.connect(kLogindService, kLogindPath, kLogindManager, QStringLiteral("PrepareForSleep"), this,
                   SLOT(prepareForSleep(bool))))
    return busError(QStringLiteral("QDBusConnection::connect"), bus.lastError());
  return takeInhibitor();
}

std::optional<PelluxError> LogindSleepMonitor::takeInhibitor() {
  QDBusMessage call =
      QDBusMessage::createMethodCall(kLogindService, kLogindPath, kLogindManager, QStringLiteral("Inhibit"));
  call << QStringLiteral("sleep") << QStringLiteral("Quillory")
       << QStringLiteral("Closing the card scanner before sleep") << QStringLiteral("delay");
  const QDBusReply<QDBusUnixFileDescriptor> reply = QDBusConnection(connectionName_).call(call);
  if (!reply.isValid()) return busError(kLogindManager + QStringLiteral(".Inhibit"), reply.error());
  inhibitor_ = reply.value();
  return std::nullopt;
}

void LogindSleepMonitor::prepareForSleep(bool goingToSleep) {
  handler_(goingToSleep);
  if (goingToSleep) {
    inhibitor_ = {};  // closing our copy of the lock lets the system sleep
    return;
  }
  if (std::optional<PelluxError> error = takeInhibitor()) logPelluxError(*error);
}
