#include <cstdio>

#include "sim/ts860_sim.h"
#include "ts860_internal.h"
#include "ts860_trace.h"

namespace {

const ts860_device_entry kSupportedDevices[] = {
    {0x0A82, 0x8100, 0},
    {0x0A82, 0x8111, 0},
    {0, 0, 0},
};

void recordFailure(ts860_context* context, int64_t value, const char* function) {
  context->lastError = value;
  context->lastErrorFunction = function;
}

void clearRecord(ts860_context* context) { recordFailure(context, 0, nullptr); }

}  // namespace

Ts860ErrorRecord& ts860_module_record() {
  static Ts860ErrorRecord record;
  return record;
}

void ts860_record_module_error(int64_t value, const char* function) { ts860_module_record() = {value, function}; }

void ts860_report_failure(const char* call, int64_t value, const char* suffix) {
  std::fprintf(stderr, "%s() failed, returned %d(%08x)%s.\n", call, int(value), unsigned(value), suffix);
}

const ts860_device_entry* ts860_usb_devices() { return kSupportedDevices; }

const ts860_device_entry* ts860_match_device(uint16_t vendor, uint16_t product, const ts860_device_entry* table) {
  for (const ts860_device_entry* entry = table; entry->vendor != 0 && entry->product != 0; ++entry)
    if (!(entry->flags & TS860_DEVICE_DISABLED) && entry->vendor == vendor && entry->product == product) return entry;
  return nullptr;
}

ts860_context* ts860_context_with_backend(std::unique_ptr<Ts860Backend> backend) {
  auto* context = new ts860_context;
  context->backend = std::move(backend);
  return context;
}

ts860_context* ts860_usb_init() {
  ts860_module_record() = {};
  if (const char* simulator = ts860_simulator_folder()) return ts860_sim_open(simulator);
  return ts860_libusb_open();
}

void ts860_usb_final(ts860_context* context) {
  if (!context) return;
  context->pipe_in = context->pipe_out = context->pipe_intr = 0;
  delete context;  // the backend closes what it opened
}

int ts860_usb_reset(ts860_context* context) {
  ts860_usb_final(context);
  if (const char* simulator = ts860_simulator_folder()) return ts860_sim_reset(simulator);
  return ts860_libusb_reset();
}

int ts860_check_connected(ts860_context*) {
  if (const char* simulator = ts860_simulator_folder()) return ts860_sim_check_connected(simulator);
  return ts860_libusb_check_connected();
}

int64_t ts860_usb_lasterror(ts860_context* context, const char** function) {
  const Ts860ErrorRecord record =
      context ? Ts860ErrorRecord{context->lastError, context->lastErrorFunction} : ts860_module_record();
  if (function) *function = record.function;
  return record.value;
}

void ts860_set_usbtimeout(ts860_context* context, int32_t milliseconds) {
  if (context) context->usbtimeout = uint32_t(milliseconds);
}

int ts860_devicerequest(ts860_context* context, uint8_t requestType, uint8_t request, uint16_t value, uint16_t index,
                        uint16_t length, void* data) {
  clearRecord(context);
  auto* bytes = static_cast<unsigned char*>(data);
  const int rc = context->backend->control(requestType, request, value, index, bytes, length, context->usbtimeout);
  const bool in = (requestType & 0x80) != 0;
  // Sent bytes are traced as given; received ones as many as arrived.
  ts860_trace_control(requestType, request, value, index, length, bytes, in ? (rc > 0 ? rc : 0) : length, rc);
  if (rc < 0) {
    std::fprintf(stderr, "DeviceRequest() failed, returned %d(%08x).\n", rc, unsigned(rc));
    recordFailure(context, rc, context->backend->controlCall());
    return -1;
  }
  return 0;
}

int ts860_readbulk(ts860_context* context, uint32_t* count, void* buffer) {
  clearRecord(context);
  int transferred = 0;
  auto* bytes = static_cast<unsigned char*>(buffer);
  const int rc = context->backend->bulkIn(bytes, int(*count), &transferred, context->usbtimeout);
  ts860_trace_bulk_in(*count, uint32_t(transferred), bytes, rc);
  *count = uint32_t(transferred);
  if (rc < 0) {
    std::fprintf(stderr, "ReadPipe failed, returns %d(%08x).\n", rc, unsigned(rc));
    recordFailure(context, rc, context->backend->bulkInCall());
    return -1;
  }
  return 0;
}

int ts860_writebulk(ts860_context* context, uint32_t count, const void* buffer) {
  clearRecord(context);
  int transferred = 0;
  const auto* bytes = static_cast<const unsigned char*>(buffer);
  const int rc = context->backend->bulkOut(bytes, int(count), &transferred, context->usbtimeout);
  ts860_trace_bulk_out(count, bytes, rc);
  if (rc < 0) {
    std::fprintf(stderr, "WritePipe failed, returned %d(%08x).\n", rc, unsigned(rc));
    recordFailure(context, rc, context->backend->bulkOutCall());
    return -1;
  }
  return 0;
}
