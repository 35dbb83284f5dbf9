#include "ts860_sim.h"

#include <cstdio>
#include <cstdlib>

#include "SimDevice.h"
#include "ts860_internal.h"

const char* ts860_simulator_folder() {
  const char* folder = std::getenv("TS860_SIMULATOR");
  return folder && *folder ? folder : nullptr;
}

ts860_context* ts860_sim_open(const char* folder) {
  SimFolder simulated{QString::fromLocal8Bit(folder)};
  if (!simulated.attached()) {
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
  return simulated.attached() ? 0 : 1;
}

int ts860_sim_reset(const char* folder) { return ts860_sim_check_connected(folder) == 0 ? 0 : -1; }
