#include "ts860_sim.h"

#include <cstdio>
#include <cstdlib>

#include "SimDevice.h"
#include "ts860_internal.h"

const char* ts860_simulator_folder() {
  const char* folder = std::getenv("TS860_SIMULATOR");
  return folder && *folder ? folder : nullptr;
}

namespace {

// Whether the driver's device search finds the attached device.
bool supportedDeviceAttached(const SimFolder& simulated) {
  const std::optional<ts860_device_entry> device = simulated.attachedDevice();
  return device && ts860_match_device(device->vendor, device->product, ts860_usb_devices());
}

}  // namespace

ts860_context* ts860_sim_open(const char* folder) {
  SimFolder simulated{QString::fromLocal8Bit(folder)};
  if (!supportedDeviceAttached(simulated)) {
    std::fputs("ts860_find_usbdevice() failed.\n", stderr);
    return nullptr;
  }
  ts860_context* context = ts860_context_with_backend(std::make_unique<SimDevice>(simulated));
  // The simulated interface has the real device's endpoints.
  context->pipe_in = 0x81;
  context->pipe_out = 0x02;
  context->pipe_intr = 0x83;
  return context;
}

int ts860_sim_check_connected(const char* folder) {
  const SimFolder simulated{QString::fromLocal8Bit(folder)};
  if (!simulated.exists()) {
    ts860_record_module_error(-1, "ts860sim_find_device");
    return -1;
  }
  return supportedDeviceAttached(simulated) ? 0 : 1;
}

int ts860_sim_reset(const char* folder) { return ts860_sim_check_connected(folder) == 0 ? 0 : -1; }
