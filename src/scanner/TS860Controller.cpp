#include "TS860Controller.h"

#include "Format.h"
#include "Localization.h"
#include "MainThread.h"
#include "PelluxClientPreference.h"
#include "PreferenceStore.h"
#include "SystemLog.h"

namespace {

// The controller's own table: the monitor watches the TS860 only, unless the preferences ask for
// the driver's whole table.
const ts860_device_entry kSupportedDevices[] = {
    {0x0A82, 0x8111, 0},
    {0, 0, 0},
};

PelluxError statusError(const QString& text) {
  return PelluxError::pelluxErrorWithCode(kPelluxError_Code_Status, text);
}

PelluxError statusError(const char* format, const TS860Object& scanner) {
  return statusError(formatted(localized(QString::fromLatin1(format)), scanner.description()));
}

}  // namespace

TS860Controller::TS860Controller(const PreferenceStore& preferences) : preferences_(preferences) {}

TS860Controller::~TS860Controller() {
  stopMonitor();
  closeScanner();
}

std::optional<PelluxError> TS860Controller::startMonitorWithDelegate(std::shared_ptr<TS860Delegate> delegate) {
  if (delegate_ || deviceMonitor_ || sleepMonitor_) {
    // The arrival and removal registrations are counted by the devices watched.
    return statusError(formatted(localized(QStringLiteral("Monitoring scanner already running: %p/%p/%p/%08x/%08x.")),
                                 delegate_.get(), deviceMonitor_.get(), sleepMonitor_.get(), watchedCount_,
                                 watchedCount_));
  }
  // The delegate stays even when the monitor cannot start, so a second start is refused until
  // stopMonitor.
  delegate_ = std::move(delegate);
  std::unique_ptr<ScannerDeviceMonitor> monitor = ScannerDeviceMonitor::create();
  std::vector<ts860_device_entry> watched = watchedDevices();
  const qsizetype count = qsizetype(watched.size());
  if (std::optional<PelluxError> error = monitor->start(
          std::move(watched),
          [this](bool arrived, const QStringList& devices) { scannerConnectionChanged(arrived, devices); }))
    return error;
  deviceMonitor_ = std::move(monitor);
  watchedCount_ = count;
  scannerConnectionChanged(true, deviceMonitor_->attachedDevices());
  startSleepMonitor();
  return std::nullopt;
}

std::vector<ts860_device_entry> TS860Controller::watchedDevices() const {
  const ts860_device_entry* table =
      preferences_.boolValue(QLatin1String(kPelluxClientPreference_key_ts860_supports_shiro)) ? ts860_usb_devices()
                                                                                              : kSupportedDevices;
  std::vector<ts860_device_entry> watched;
  for (const ts860_device_entry* entry = table; entry->vendor != 0 && entry->product != 0; ++entry)
    watched.push_back(*entry);
  return watched;
}

// Without logind the scanner is simply not closed for sleep; monitoring goes on.
void TS860Controller::startSleepMonitor() {
  auto monitor = std::make_unique<LogindSleepMonitor>([this](bool goingToSleep) { powerStateChanged(goingToSleep); });
  if (std::optional<PelluxError> error = monitor->start()) {
    systemLog(formatted(QStringLiteral("%@"), QVariant::fromValue(*error)));
    return;
  }
  sleepMonitor_ = std::move(monitor);
}

void TS860Controller::stopMonitor() {
  sleepMonitor_.reset();
  deviceMonitor_.reset();
  watchedCount_ = 0;
  delegate_.reset();
}

std::optional<PelluxError> TS860Controller::openScannerWithDelegate(std::shared_ptr<TS860Delegate> delegate) {
  if (scanner_) return statusError("Scanner already opened: %@.", *scanner_);
  // The session is ours before it opens: the delegate, told that it opened, may start a job at once.
  scanner_ = TS860Object::create(std::move(delegate));
  if (std::optional<PelluxError> error = scanner_->open()) {
    scanner_.reset();
    return error;
  }
  return std::nullopt;
}

void TS860Controller::closeScanner() { scanner_.reset(); }

std::optional<PelluxError> TS860Controller::startContinuouslyReading() {
  return startWorking(&TS860Object::startPolling);
}
std::optional<PelluxError> TS860Controller::startReading() { return startWorking(&TS860Object::startReading); }
std::optional<PelluxError> TS860Controller::startCalibration() { return startWorking(&TS860Object::startCalibrating); }
std::optional<PelluxError> TS860Controller::startCleaning() { return startWorking(&TS860Object::startCleaning); }

std::optional<PelluxError> TS860Controller::startWorking(std::optional<PelluxError> (TS860Object::*starter)()) {
  if (!scanner_) return statusError(localized(QStringLiteral("Scanner not opened.")));
  if (scanner_->isWorking()) return statusError("Scanner already working: %@.", *scanner_);
  return ((*scanner_).*starter)();
}

std::optional<PelluxError> TS860Controller::stopWorking(double seconds) {
  if (!scanner_) return statusError(localized(QStringLiteral("Scanner not opened.")));
  if (!scanner_->isWorking()) return statusError("Scanner not working: %@.", *scanner_);
  return scanner_->stopWithWaiting(seconds);
}

void TS860Controller::scannerConnectionChanged(bool arrived, const QStringList& devices) {
  if (devices.isEmpty()) return;
  closeScanner();
  if (!arrived) return;
  if (std::optional<PelluxError> error = openScannerWithDelegate(delegate_)) {
    const std::shared_ptr<TS860Delegate> delegate = delegate_;
    if (delegate && delegate->handles(TS860Delegate::Callback::Errored))
      MainThread::callAndWait([&] { delegate->ts860Errored(*error); });
  }
}

void TS860Controller::powerStateChanged(bool goingToSleep) {
  if (goingToSleep) {
    closeScanner();
    return;
  }
  if (std::optional<PelluxError> error = openScannerWithDelegate(delegate_))
    systemLog(formatted(QStringLiteral("%s: %@"), "TS860Controller::powerStateChanged", QVariant::fromValue(*error)));
}
