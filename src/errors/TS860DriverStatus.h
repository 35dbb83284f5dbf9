#pragma once

#include <QString>
#include <QtGlobal>

// What the scanner error factory reads from the scanner driver: the last failing system call and
// whether the device still answers. The driver implements it for an open session, or for the
// driver as a whole when no session exists.
class TS860DriverStatus {
 public:
  virtual ~TS860DriverStatus() = default;

  // True when this stands for an open scanner session (a handle), false for the driver as a whole.
  virtual bool hasScanner() const = 0;

  // The value the last failing system call returned (0 when none failed) and its name (empty
  // when none was recorded).
  virtual quint64 lastError(QString* function) const = 0;

  // 0 when a supported device is present, 1 when none is, -1 when the search failed.
  virtual int checkConnected() const = 0;
};
