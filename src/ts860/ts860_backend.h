#pragma once

#include <cstdint>
#include <memory>

// What the transport needs of a USB stack once a device is open: control and bulk transfers and a
// reset. The libusb backend drives a real TS860; the simulator backend a model of one. The code
// above the transport never knows which it runs on.
class Ts860Backend {
 public:
  virtual ~Ts860Backend() = default;

  // Each gives the stack's own return value: 0 or more on success (the bytes moved, for control
  // transfers), negative on failure.
  virtual int control(uint8_t requestType, uint8_t request, uint16_t value, uint16_t index, unsigned char* data,
                      uint16_t length, unsigned timeout) = 0;
  virtual int bulkIn(unsigned char* data, int length, int* transferred, unsigned timeout) = 0;
  virtual int bulkOut(const unsigned char* data, int length, int* transferred, unsigned timeout) = 0;

  // The names of the calls, as the diagnostics and the last-error record give them.
  virtual const char* controlCall() const = 0;
  virtual const char* bulkInCall() const = 0;
  virtual const char* bulkOutCall() const = 0;
};

// A context around an already opened backend (the simulator, and tests).
struct ts860_context;
ts860_context* ts860_context_with_backend(std::unique_ptr<Ts860Backend> backend);
