#pragma once

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "ts860_backend.h"

// A device stand-in for the protocol tests: records every request in the trace's line format and
// answers status reads from a function of the time the driver has slept (a virtual clock).
class StatusScriptBackend : public Ts860Backend {
 public:
  // The status register at a given virtual time, and the check marker to send with it.
  std::function<int(int elapsedMilliseconds)> status = [](int) { return 0x08; };
  uint8_t marker = 0x55;
  // The request number (1-based) that fails, 0 for none.
  int failAt = 0;
  std::vector<std::string> requests;

  static int& clock() {
    static int milliseconds = 0;
    return milliseconds;
  }
  static void sleep(int milliseconds) { clock() += milliseconds; }

  int control(uint8_t type, uint8_t request, uint16_t value, uint16_t index, unsigned char* data, uint16_t length,
              unsigned) override {
    char line[48];
    std::snprintf(line, sizeof line, "ctrl %02x %02x %04x %04x %u ", type, request, value, index, unsigned(length));
    if (type & 0x80) {
      std::memset(data, 0, length);
      if (request == 0x04 && value == 0x018E && index == 0x0122) {
        data[0] = uint8_t(status(clock()));
        data[1] = marker;
      }
      requests.push_back(line + std::string("in"));
    } else {
      requests.push_back(line + hex(data, length));
    }
    return int(requests.size()) == failAt ? -9 : length;
  }
  // Image data: each line filled with its number (modulo 256), lineWidth bytes a line.
  int lineWidth = 0;
  int linesDelivered = 0;
  int shortBy = 0;  // bytes left out of every read
  // When set, fills each bulk read instead (its number counts from 0).
  std::function<void(int read, unsigned char* data, int length)> image;
  int bulkReads = 0;

  int bulkIn(unsigned char* data, int length, int* transferred, unsigned) override {
    requests.push_back("bulk-in " + std::to_string(length));
    if (image) image(bulkReads, data, length);
    ++bulkReads;
    for (int line = 0; !image && lineWidth > 0 && line < length / lineWidth; ++line)
      std::memset(data + line * lineWidth, linesDelivered++ & 0xFF, size_t(lineWidth));
    *transferred = length - shortBy;
    return 0;
  }
  int bulkOut(const unsigned char* data, int length, int* transferred, unsigned) override {
    requests.push_back("bulk-out " + std::to_string(length) + ' ' + (length > 16 ? "..." : hex(data, length)));
    *transferred = length;
    return int(requests.size()) == failAt ? -9 : 0;
  }
  const char* controlCall() const override { return "script_control"; }
  const char* bulkInCall() const override { return "script_bulk_in"; }
  const char* bulkOutCall() const override { return "script_bulk_out"; }

  static std::string hex(const unsigned char* data, int length) {
    std::string text;
    char pair[3];
    for (int i = 0; i < length; ++i) {
      std::snprintf(pair, sizeof pair, "%02x", data[i]);
      text += pair;
    }
    return text.empty() ? "-" : text;
  }
};
