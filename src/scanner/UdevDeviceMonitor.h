#pragma once

#include <QSocketNotifier>
#include <memory>

#include "ScannerDeviceMonitor.h"

struct udev;
struct udev_device;
struct udev_monitor;

// USB devices arriving and leaving as udev announces them (after its rules have run, so the device
// node is ready to be opened), read from udev's socket in the main event loop. A device is matched
// by the ids in its PRODUCT property, which the kernel gives on arrival and on removal alike.
class UdevDeviceMonitor : public ScannerDeviceMonitor {
 public:
  UdevDeviceMonitor();
  ~UdevDeviceMonitor() override;

  std::optional<PelluxError> start(std::vector<ts860_device_entry> watched, Handler handler) override;
  QStringList attachedDevices() const override;

 private:
  bool isWatched(udev_device* device) const;
  void receive();

  udev* udev_ = nullptr;
  udev_monitor* monitor_ = nullptr;
  std::unique_ptr<QSocketNotifier> notifier_;
  std::vector<ts860_device_entry> watched_;
  Handler handler_;
};
