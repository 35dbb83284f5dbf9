#pragma once

#include <cstdint>

// The TS860's USB transport: finding the scanner by vendor and product id, opening it and its
// first interface, the three transfers the protocol uses (vendor control request, bulk read, bulk
// write), each bounded by one time-out, the record of the last failing system call, the presence
// check and reset. Plain functions over one opaque context; 0 for success, negative for failure,
// one diagnostic line on standard error per failing call.

struct ts860_context;

struct ts860_device_entry {
  uint16_t vendor;
  uint16_t product;
  uint8_t flags;  // bit 0: disabled, the device search skips the entry
};

inline constexpr uint8_t TS860_DEVICE_DISABLED = 0x01;
inline constexpr uint32_t TS860_DEFAULT_USBTIMEOUT = 5000;

// The supported devices, ended by an entry whose vendor or product is 0.
const ts860_device_entry* ts860_usb_devices();

// The first enabled entry of the table with these ids, or none.
const ts860_device_entry* ts860_match_device(uint16_t vendor, uint16_t product, const ts860_device_entry* table);

// Opens the first supported device found; none on failure (the module record tells why).
ts860_context* ts860_usb_init();
void ts860_usb_final(ts860_context* context);
// Resets the device (closing the context first when one is given); 0, or -1 when a step failed.
int ts860_usb_reset(ts860_context* context);
// 0: a supported device is present; 1: none; -1: the search failed. Never opens the device.
int ts860_check_connected(ts860_context* context);
// The last failing call's return value (0 when none) of the context, or of the module when none is
// given; function receives its name (null when none) when asked for.
int64_t ts860_usb_lasterror(ts860_context* context, const char** function = nullptr);
void ts860_set_usbtimeout(ts860_context* context, int32_t milliseconds);

int ts860_devicerequest(ts860_context* context, uint8_t requestType, uint8_t request, uint16_t value, uint16_t index,
                        uint16_t length, void* data);
// count: in the bytes wanted, out the bytes received.
int ts860_readbulk(ts860_context* context, uint32_t* count, void* buffer);
int ts860_writebulk(ts860_context* context, uint32_t count, const void* buffer);
