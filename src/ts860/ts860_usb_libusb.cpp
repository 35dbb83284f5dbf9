#include "ts860_usb_libusb.h"

#include <cstdio>
#include <memory>

#include "ts860_internal.h"

namespace {

class LibusbBackend : public Ts860Backend {
 public:
  LibusbBackend(libusb_context* usb, libusb_device_handle* handle, int interfaceNumber, ts860_pipes pipes)
      : usb_(usb), handle_(handle), interface_(interfaceNumber), pipes_(pipes) {}

  ~LibusbBackend() override {
    const int released = libusb_release_interface(handle_, interface_);
    if (released < 0) ts860_report_failure("libusb_release_interface", released, ", but continue");
    libusb_close(handle_);
    libusb_exit(usb_);
  }

  int control(uint8_t requestType, uint8_t request, uint16_t value, uint16_t index, unsigned char* data,
              uint16_t length, unsigned timeout) override {
    return libusb_control_transfer(handle_, requestType, request, value, index, data, length, timeout);
  }
  int bulkIn(unsigned char* data, int length, int* transferred, unsigned timeout) override {
    return libusb_bulk_transfer(handle_, pipes_.in, data, length, transferred, timeout);
  }
  int bulkOut(const unsigned char* data, int length, int* transferred, unsigned timeout) override {
    return libusb_bulk_transfer(handle_, pipes_.out, const_cast<unsigned char*>(data), length, transferred, timeout);
  }
  const char* controlCall() const override { return "libusb_control_transfer"; }
  const char* bulkInCall() const override { return "libusb_bulk_transfer"; }
  const char* bulkOutCall() const override { return "libusb_bulk_transfer"; }

 private:
  libusb_context* usb_;
  libusb_device_handle* handle_;
  int interface_;
  ts860_pipes pipes_;
};

// The first supported device on the bus (referenced), or none; notFound is set when nothing was
// found and nothing failed.
libusb_device* findDevice(libusb_context* usb, bool* notFound) {
  libusb_device** list = nullptr;
  const ssize_t count = libusb_get_device_list(usb, &list);
  if (count < 0) {
    ts860_report_failure("libusb_get_device_list", count);
    ts860_record_module_error(count, "libusb_get_device_list");
    return nullptr;
  }
  libusb_device* found = nullptr;
  for (ssize_t i = 0; i < count && !found; ++i) {
    libusb_device_descriptor descriptor;
    if (libusb_get_device_descriptor(list[i], &descriptor) < 0) continue;
    if (ts860_match_device(descriptor.idVendor, descriptor.idProduct, ts860_usb_devices()))
      found = libusb_ref_device(list[i]);
  }
  libusb_free_device_list(list, 1);
  if (!found && notFound) *notFound = true;
  return found;
}

// Selects the device's first configuration, as far as it can (failures are reported and opening
// goes on).
void selectFirstConfiguration(libusb_device* device, libusb_device_handle* handle) {
  libusb_config_descriptor* config = nullptr;
  const int got = libusb_get_config_descriptor(device, 0, &config);
  if (got < 0) {
    ts860_report_failure("libusb_get_config_descriptor", got, ", but continue");
    return;
  }
  int current = 0;
  if (libusb_get_configuration(handle, &current) < 0 || current != config->bConfigurationValue) {
    const int set = libusb_set_configuration(handle, config->bConfigurationValue);
    if (set < 0) ts860_report_failure("libusb_set_configuration", set, ", but continue");
  }
  libusb_free_config_descriptor(config);
}

// Opens the first interface of the active configuration and finds its pipes; none (reported) on
// failure.
std::unique_ptr<LibusbBackend> openInterface(libusb_context* usb, libusb_device* device, libusb_device_handle* handle) {
  libusb_config_descriptor* config = nullptr;
  const int got = libusb_get_active_config_descriptor(device, &config);
  if (got < 0 || config->bNumInterfaces == 0 || config->interface[0].num_altsetting == 0) {
    if (got < 0)
      ts860_report_failure("libusb_get_active_config_descriptor", got);
    else
      std::fputs("libusb_get_active_config_descriptor() found no usb interface.\n", stderr);
    ts860_record_module_error(got < 0 ? got : -1, "libusb_get_active_config_descriptor");
    if (config) libusb_free_config_descriptor(config);
    std::fputs("ts860_find_usbinterface() failed.\n", stderr);
    return nullptr;
  }
  const libusb_interface_descriptor& setting = config->interface[0].altsetting[0];
  const int number = setting.bInterfaceNumber;
  const ts860_pipes pipes = ts860_select_pipes(setting);
  libusb_free_config_descriptor(config);
  // A kernel driver bound to the interface is detached for as long as it is claimed.
  libusb_set_auto_detach_kernel_driver(handle, 1);
  const int claimed = libusb_claim_interface(handle, number);
  if (claimed < 0) {
    ts860_report_failure("libusb_claim_interface", claimed);
    ts860_record_module_error(claimed, "libusb_claim_interface");
    return nullptr;
  }
  if (pipes.in == 0 || pipes.out == 0) {
    std::fprintf(stderr, "pipe_in(%d) and/or pipe_out(%d) is zero.\n", pipes.in, pipes.out);
    ts860_record_module_error(-1, "EnumEndpoints");
    libusb_release_interface(handle, number);
    return nullptr;
  }
  return std::make_unique<LibusbBackend>(usb, handle, number, pipes);
}

}  // namespace

ts860_pipes ts860_select_pipes(const libusb_interface_descriptor& interface) {
  ts860_pipes pipes;
  for (int i = 0; i < interface.bNumEndpoints; ++i) {
    const libusb_endpoint_descriptor& endpoint = interface.endpoint[i];
    const int type = endpoint.bmAttributes & LIBUSB_TRANSFER_TYPE_MASK;
    const bool in = (endpoint.bEndpointAddress & LIBUSB_ENDPOINT_DIR_MASK) == LIBUSB_ENDPOINT_IN;
    if (type == LIBUSB_TRANSFER_TYPE_BULK && in && !pipes.in) pipes.in = endpoint.bEndpointAddress;
    if (type == LIBUSB_TRANSFER_TYPE_BULK && !in && !pipes.out) pipes.out = endpoint.bEndpointAddress;
    if (type == LIBUSB_TRANSFER_TYPE_INTERRUPT && !pipes.interrupt) pipes.interrupt = endpoint.bEndpointAddress;
  }
  return pipes;
}

ts860_context* ts860_libusb_open() {
  libusb_context* usb = nullptr;
  const int initialised = libusb_init(&usb);
  if (initialised < 0) {
    ts860_report_failure("libusb_init", initialised);
    ts860_record_module_error(initialised, "libusb_init");
    return nullptr;
  }
  libusb_device* device = findDevice(usb, nullptr);
  if (!device) {
    std::fputs("ts860_find_usbdevice() failed.\n", stderr);
    libusb_exit(usb);
    return nullptr;
  }
  libusb_device_handle* handle = nullptr;
  const int opened = libusb_open(device, &handle);
  if (opened < 0) {
    ts860_report_failure("libusb_open", opened);
    ts860_record_module_error(opened, "libusb_open");
    libusb_unref_device(device);
    libusb_exit(usb);
    return nullptr;
  }
  selectFirstConfiguration(device, handle);
  std::unique_ptr<LibusbBackend> backend = openInterface(usb, device, handle);
  libusb_unref_device(device);
  if (!backend) {
    libusb_close(handle);
    libusb_exit(usb);
    return nullptr;
  }
  return ts860_context_with_backend(std::move(backend));
}

int ts860_libusb_check_connected() {
  libusb_context* usb = nullptr;
  const int initialised = libusb_init(&usb);
  if (initialised < 0) {
    ts860_report_failure("libusb_init", initialised);
    return -1;
  }
  bool notFound = false;
  libusb_device* device = findDevice(usb, &notFound);
  int result = 0;
  if (device) {
    libusb_unref_device(device);
  } else if (notFound) {
    result = 1;
  } else {
    std::fputs("ts860_find_usbdevice() failed.\n", stderr);
    result = -1;
  }
  libusb_exit(usb);
  return result;
}

int ts860_libusb_reset() {
  libusb_context* usb = nullptr;
  const int initialised = libusb_init(&usb);
  if (initialised < 0) {
    std::fprintf(stderr, "libusb_init() (for resetting) failed, returned %d(%08x).\n", initialised,
                 unsigned(initialised));
    return -1;
  }
  libusb_device* device = findDevice(usb, nullptr);
  if (!device) {
    std::fputs("ts860_find_usbdevice() (for resetting) failed.\n", stderr);
    libusb_exit(usb);
    return -1;
  }
  libusb_device_handle* handle = nullptr;
  const int opened = libusb_open(device, &handle);
  libusb_unref_device(device);
  int result = 0;
  if (opened < 0) {
    std::fprintf(stderr, "libusb_open() (for resetting) failed, returned %d(%08x).\n", opened, unsigned(opened));
    result = -1;
  } else {
    const int reset = libusb_reset_device(handle);
    if (reset < 0) {
      std::fprintf(stderr, "libusb_reset_device() (for resetting) failed, returned %d(%08x), but continue.\n", reset,
                   unsigned(reset));
      result = -1;
    }
    libusb_close(handle);
  }
  libusb_exit(usb);
  return result;
}
