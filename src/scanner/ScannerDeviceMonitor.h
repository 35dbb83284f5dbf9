#pragma once

#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "PelluxError.h"
#include "ts860_usb.h"

// Follows scanners arriving on and leaving the USB bus. Only devices whose vendor and product ids
// equal one of the watched entries count (an entry's disabled bit plays no part here). Changes are
// reported from the main event loop, each with the devices it concerns; monitoring ends with the
// monitor's destruction.
class ScannerDeviceMonitor {
 public:
  // The devices are named by where the system keeps them (a sysfs path, the simulator's folder).
  using Handler = std::function<void(bool arrived, const QStringList& devices)>;

  virtual ~ScannerDeviceMonitor() = default;

  // Starts reporting changes; the error names the system call that failed.
  virtual std::optional<PelluxError> start(std::vector<ts860_device_entry> watched, Handler handler) = 0;
  // The watched devices on the bus now.
  virtual QStringList attachedDevices() const = 0;

  // The simulated TS860's monitor when the simulator is chosen, otherwise the system's (udev).
  static std::unique_ptr<ScannerDeviceMonitor> create();

 protected:
  static bool isWatched(const std::vector<ts860_device_entry>& watched, uint16_t vendor, uint16_t product);
};
