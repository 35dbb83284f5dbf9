#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

// A private system bus with python-dbusmock's logind on it. While it lives, DBUS_SYSTEM_BUS_ADDRESS
// points at that bus; it can announce sleep and wake-up and tell which inhibitor locks are held.
class LogindMock {
 public:
  LogindMock();
  ~LogindMock();
  LogindMock(const LogindMock&) = delete;
  LogindMock& operator=(const LogindMock&) = delete;

  // Empty once the bus and logind run, else why not.
  QString failure() const { return failure_; }
  // Sends PrepareForSleep(goingToSleep) as logind does before sleep and after wake-up.
  bool announceSleep(bool goingToSleep);
  // The locks held, as "what/mode/who".
  QStringList inhibitors();

 private:
  QProcess bus_;
  QProcess logind_;
  QString address_;
  QString failure_;
};
