#pragma once

#include <cstdint>
#include <memory>

#include "ts860_backend.h"
#include "ts860_usb.h"

// The transport's shared state: the context and the module's last-error record.

struct ts860_context {
  std::unique_ptr<Ts860Backend> backend;
  uint8_t pipe_in = 0;    // endpoint address of the first bulk IN endpoint
  uint8_t pipe_out = 0;   // endpoint address of the first bulk OUT endpoint
  uint8_t pipe_intr = 0;  // endpoint address of the first interrupt endpoint; kept, never used
  uint32_t usbtimeout = TS860_DEFAULT_USBTIMEOUT;
  int64_t lastError = 0;
  const char* lastErrorFunction = nullptr;
};

struct Ts860ErrorRecord {
  int64_t value = 0;
  const char* function = nullptr;
};

// The record of the calls made without a context (opening, searching, the presence check).
Ts860ErrorRecord& ts860_module_record();
void ts860_record_module_error(int64_t value, const char* function);

// Writes the diagnostic "<call>() failed, returned %d(%08x).<suffix>\n" to standard error.
void ts860_report_failure(const char* call, int64_t value, const char* suffix = "");

// The libusb side of opening, presence, reset (ts860_usb_libusb.cpp).
ts860_context* ts860_libusb_open();
int ts860_libusb_check_connected();
int ts860_libusb_reset();
