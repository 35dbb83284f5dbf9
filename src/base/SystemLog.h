#pragma once

#include <QString>
#include <QStringList>

// The system log: every diagnostic line goes to syslog(3) and to standard error, unless a
// SystemLogCapture is active, which collects the lines instead (for tests).
void systemLog(const QString& line);

class SystemLogCapture {
 public:
  SystemLogCapture();
  ~SystemLogCapture();
  SystemLogCapture(const SystemLogCapture&) = delete;
  SystemLogCapture& operator=(const SystemLogCapture&) = delete;

  QStringList lines() const;
};
