#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

struct ts860_context;

// The requests of one driver function, numbered as they are sent, so that a failure names the
// function and the step: "<function>:<step>: ts860_devicerequest failed." (or ts860_writebulk).
// Each call gives 0, or -1 after writing that line.
class Ts860Requests {
 public:
  Ts860Requests(ts860_context* context, const char* function) : context_(context), function_(function) {}

  // One register write of (address, value) pairs, in order.
  int registers(std::initializer_list<uint8_t> pairs) { return registers(pairs.begin(), int(pairs.size() / 2)); }
  int registers(const uint8_t* pairs, int count);
  int registers(const std::vector<uint8_t>& pairs) { return registers(pairs.data(), int(pairs.size() / 2)); }
  // (0x51, index), (0x5D, high byte), (0x5E, low byte).
  int frontend(uint8_t index, uint16_t value);
  int controlByte(uint16_t target, uint8_t value);
  // A read whose answer is not used.
  int read(uint8_t request, uint16_t value, uint16_t index, uint16_t length);
  // The status register request; only a failed transfer counts (the marker is not checked).
  int statusRequest();
  // A memory write: the header (address, byte count), then one bulk write of exactly those bytes.
  int memory(uint32_t address, const void* bytes, uint32_t count);
  // A motor table into slot 0 to 4, then its entry count into the slot's count registers.
  int motorTable(int slot, const uint16_t* entries, int count);
  int bulkOut(const void* bytes, uint32_t count);

  ts860_context* context() const { return context_; }
  const char* function() const { return function_; }
  // Counts a step taken outside these helpers (a status read).
  int nextStep() { return ++step_; }

 private:
  int request(uint8_t type, uint8_t request, uint16_t value, uint16_t index, uint16_t length, void* data);

  ts860_context* context_;
  const char* function_;
  int step_ = 0;
};

// The status register read on behalf of a function (its step numbering continues).
int ts860_read_status(Ts860Requests& requests);
