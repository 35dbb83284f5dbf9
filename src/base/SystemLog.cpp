#include "SystemLog.h"

#include <syslog.h>

#include <cstdio>
#include <mutex>

#include "AppInfo.h"

namespace {

std::mutex logLock;
QStringList* capturedLines = nullptr;
bool syslogOpen = false;

}  // namespace

void systemLog(const QString& line) {
  std::lock_guard locker(logLock);
  if (capturedLines) {
    capturedLines->append(line);
    return;
  }
  if (!syslogOpen) {
    openlog(AppInfo::kApplicationName, LOG_PID, LOG_USER);
    syslogOpen = true;
  }
  const QByteArray text = line.toUtf8();
  syslog(LOG_NOTICE, "%s", text.constData());
  std::fprintf(stderr, "%s\n", text.constData());
}

SystemLogCapture::SystemLogCapture() {
  std::lock_guard locker(logLock);
  Q_ASSERT(!capturedLines);
  capturedLines = new QStringList;
}

SystemLogCapture::~SystemLogCapture() {
  std::lock_guard locker(logLock);
  delete capturedLines;
  capturedLines = nullptr;
}

QStringList SystemLogCapture::lines() const {
  std::lock_guard locker(logLock);
  return *capturedLines;
}
