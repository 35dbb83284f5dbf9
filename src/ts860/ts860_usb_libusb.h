#pragma once

#include <libusb-1.0/libusb.h>

#include <cstdint>

#include "ts860_usb.h"

// The libusb backend's choices, exposed so they can be checked on descriptors built in a test.

struct ts860_pipes {
  uint8_t in = 0;         // endpoint address of the first bulk IN endpoint, 0 for none
  uint8_t out = 0;        // of the first bulk OUT endpoint
  uint8_t interrupt = 0;  // of the first interrupt endpoint, either direction
};

ts860_pipes ts860_select_pipes(const libusb_interface_descriptor& interface);
