#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "LogindSleepMonitor.h"
#include "PelluxError.h"
#include "ScannerDeviceMonitor.h"
#include "TS860Delegate.h"
#include "TS860Object.h"

class PreferenceStore;

// The application's one way to the scanner. While monitoring, it opens a session when a supported
// TS860 is attached (also one attached before monitoring started), releases it when the scanner is
// removed or the computer goes to sleep, and opens it again after wake-up. Job requests go to the
// session after a check of its state. Everything here runs on the main thread.
class TS860Controller {
 public:
  // The preferences tell which devices the monitor watches.
  explicit TS860Controller(const PreferenceStore& preferences);
  ~TS860Controller();
  TS860Controller(const TS860Controller&) = delete;
  TS860Controller& operator=(const TS860Controller&) = delete;

  // Starts following the scanner's arrival and removal and the system's sleep; the delegate gets
  // every session callback. A scanner already attached is opened before this returns.
  std::optional<PelluxError> startMonitorWithDelegate(std::shared_ptr<TS860Delegate> delegate);
  // Ends monitoring; an open scanner stays open.
  void stopMonitor();

  std::optional<PelluxError> openScannerWithDelegate(std::shared_ptr<TS860Delegate> delegate);
  // Lets the session go; a running job keeps it until the job has ended.
  void closeScanner();
  bool isScannerOpened() const { return scanner_ != nullptr; }

  std::optional<PelluxError> startContinuouslyReading();
  std::optional<PelluxError> startReading();
  std::optional<PelluxError> startCalibration();
  std::optional<PelluxError> startCleaning();
  // Stops the running job, waiting for it up to the given time.
  std::optional<PelluxError> stopWorking(double seconds);

 private:
  std::optional<PelluxError> startWorking(std::optional<PelluxError> (TS860Object::*starter)());
  std::vector<ts860_device_entry> watchedDevices() const;
  void startSleepMonitor();
  void scannerConnectionChanged(bool arrived, const QStringList& devices);
  void powerStateChanged(bool goingToSleep);

  const PreferenceStore& preferences_;
  std::shared_ptr<TS860Delegate> delegate_;
  std::shared_ptr<TS860Object> scanner_;
  std::unique_ptr<ScannerDeviceMonitor> deviceMonitor_;
  qsizetype watchedCount_ = 0;
  std::unique_ptr<LogindSleepMonitor> sleepMonitor_;
};
