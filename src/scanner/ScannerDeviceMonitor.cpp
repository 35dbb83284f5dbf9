#include "ScannerDeviceMonitor.h"

#include "SimulatorDeviceMonitor.h"
#include "UdevDeviceMonitor.h"
#include "sim/ts860_sim.h"

std::unique_ptr<ScannerDeviceMonitor> ScannerDeviceMonitor::create() {
  if (const char* folder = ts860_simulator_folder())
    return std::make_unique<SimulatorDeviceMonitor>(QString::fromLocal8Bit(folder));
  return std::make_unique<UdevDeviceMonitor>();
}

bool ScannerDeviceMonitor::isWatched(const std::vector<ts860_device_entry>& watched, uint16_t vendor,
                                     uint16_t product) {
  for (const ts860_device_entry& entry : watched)
    if (entry.vendor == vendor && entry.product == product) return true;
  return false;
}
