#pragma once

#include <QDBusUnixFileDescriptor>
#include <QObject>
#include <functional>
#include <optional>

#include "PelluxError.h"

// Sleep and wake-up as systemd-logind announces them on the system bus. While monitoring, a delay
// inhibitor lock holds the system's sleep back: before sleep the handler runs with true and the
// lock is released when it returns (that lets the system go on); after wake-up the handler runs
// with false and a new lock is taken.
class LogindSleepMonitor : public QObject {
  Q_OBJECT

 public:
  using Handler = std::function<void(bool goingToSleep)>;

  explicit LogindSleepMonitor(Handler handler);
  ~LogindSleepMonitor() override;

  // Connects to the system bus (DBUS_SYSTEM_BUS_ADDRESS when set), follows logind's announcements
  // and takes the first lock; the error tells what could not be reached.
  std::optional<PelluxError> start();

 private Q_SLOTS:
  void prepareForSleep(bool goingToSleep);

 private:
  std::optional<PelluxError> takeInhibitor();

  const Handler handler_;
  const QString connectionName_;
  bool connected_ = false;
  QDBusUnixFileDescriptor inhibitor_;
};
