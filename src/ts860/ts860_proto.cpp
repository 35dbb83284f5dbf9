#include "ts860_proto.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

#include "ts860_requests.h"
#include "ts860_usb.h"

namespace {

constexpr uint8_t kCheckMarker = 0x55;
constexpr int kPollMilliseconds = 100;

void realSleep(int milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }
// Opening a device may replace it on one thread while another sleeps.
std::atomic<ts860_sleep_function> sleepFunction{&realSleep};

// The feed motor table, loaded into every slot before a motor run.
constexpr uint16_t kFeedMotorTable[32] = {65535, 48387, 32608, 22388, 18072, 14563, 12195, 10416, 9146, 8108, 7281,
                                          6637,  6072,  5639,  5226,  4885,  4573,  4310,  4076,  3856, 3667, 3504,
                                          3348,  3205,  3073,  2952,  2840,  2742,  2645,  2555,  2499, 2499};

constexpr uint32_t kSlotAddresses[5] = {0x10000000, 0x10004000, 0x10008000, 0x1000C000, 0x10010000};
constexpr uint8_t kSlotCountRegisters[5] = {0xA4, 0xAA, 0xAC, 0xAE, 0xB0};

// Runs the steps in order, stopping at the first that does not give 0.
template <typename... Steps>
int sequence(Steps&&... steps) {
  int result = 0;
  ((result == 0 ? (result = steps()) : 0), ...);
  return result;
}

int prefeedRequests(Ts860Requests& r) {
  return sequence(
      [&] {
        return r.registers({0x1C, 0x00});
      },
      [&] {
        return r.registers({0xA0, 0x09});
      },
      [&] {
        return r.registers({0x3B, 0x55});
      },
      [&] { return r.motorTable(3, kFeedMotorTable, 32); }, [&] { return r.motorTable(4, kFeedMotorTable, 32); },
      [&] {
        return r.registers({0xA0, 0x09});
      },
      [&] {
        return r.registers({0x3B, 0x55});
      },
      [&] { return r.motorTable(0, kFeedMotorTable, 32); }, [&] { return r.motorTable(1, kFeedMotorTable, 32); },
      [&] { return r.motorTable(2, kFeedMotorTable, 32); });
}

// A motor run of the given length in the given mode, preceded by the mode written twice (first
// the previous mode, then this one, as the device expects) and started with 0F=FF.
int motorRun(Ts860Requests& r, uint8_t before, uint8_t mode, uint32_t length) {
  const auto high = uint8_t(length >> 16), middle = uint8_t(length >> 8), low = uint8_t(length);
  return sequence(
      [&] {
        return r.registers({0x02, before});
      },
      [&] {
        return r.registers({0x02, mode});
      },
      [&] {
        return r.registers({0x3D, high, 0x3E, middle, 0x3F, low});
      },
      [&] {
        return r.registers({0x02, mode});
      },
      [&] {
        return r.registers({0x0F, 0xFF});
      });
}

// Waits while the motor runs, polling every 100 ms, at most limit ms (negative: no limit).
int waitForMotor(Ts860Requests& r, int32_t limit) {
  for (int32_t elapsed = 0; limit < 0 || elapsed < limit;) {
    ts860_sleep(kPollMilliseconds);
    const int status = ts860_read_status(r);
    if (status < 0) return status;
    elapsed += kPollMilliseconds;
    if (!(status & TS860_REGISTER101_MASK_MOTORENB)) break;
  }
  return 0;
}

int initialisationBlock(Ts860Requests& r) {
  static const uint8_t block2[] = {0x01, 0x00, 0x02, 0x78, 0x03, 0x8F, 0x04, 0x05, 0x05, 0x00, 0x06, 0xD0, 0x08,
                                   0x00, 0x09, 0x00, 0x0A, 0x00, 0x0B, 0x69, 0x0C, 0x00, 0x11, 0x00, 0x12, 0x00,
                                   0x13, 0x10, 0x14, 0x70, 0x16, 0x3B, 0x17, 0x04, 0x18, 0x10, 0x19, 0x00, 0x1A,
                                   0x30, 0x1B, 0x00, 0x1C, 0x00, 0x1D, 0x00, 0x1E, 0x10, 0x1F, 0x00, 0x20, 0x02,
                                   0x21, 0x00, 0x22, 0x1A, 0x25, 0x00, 0x26, 0x00, 0x27, 0x00, 0x28, 0x00};
  // Register 0x33 goes before 0x32; 0x52 to 0x57 hold 1 + 3k.
  static const uint8_t block3[] = {0x29, 0x40, 0x2A, 0x00, 0x2B, 0xF0, 0x2C, 0x02, 0x2D, 0x58, 0x2E, 0x80, 0x2F,
                                   0x80, 0x30, 0x60, 0x31, 0x20, 0x33, 0x0F, 0x32, 0x79, 0x34, 0x20, 0x35, 0x7F,
                                   0x36, 0x0F, 0x37, 0x00, 0x38, 0xD0, 0x39, 0x00, 0x3D, 0x00, 0x3E, 0x00, 0x3F,
                                   0x01, 0x52, 0x01, 0x53, 0x04, 0x54, 0x07, 0x55, 0x0A, 0x56, 0x0D, 0x57, 0x10,
                                   0x5A, 0x1B, 0x5B, 0x00, 0x5C, 0x40, 0x7D, 0x00, 0x7E, 0x55, 0x7F, 0xF0};
  static const uint8_t block4[] = {0x80, 0x00, 0x81, 0x3C, 0x82, 0x00, 0x83, 0x00, 0x84, 0x14, 0x85, 0x00, 0x86,
                                   0x27, 0x87, 0xEC, 0x88, 0x00, 0x89, 0x2A, 0x8A, 0x00, 0x8B, 0x00, 0x8C, 0x00,
                                   0x8D, 0x00, 0x8E, 0x00, 0x8F, 0x00, 0x90, 0x00, 0x91, 0x00, 0x92, 0x00, 0x93,
                                   0x00, 0x94, 0x00, 0x95, 0x00, 0x96, 0x00, 0x97, 0x00, 0x98, 0x00, 0x9B, 0x7F,
                                   0x9C, 0x7F, 0x9F, 0x00, 0xA1, 0xB0, 0xA2, 0x00, 0xA3, 0x01, 0xA4, 0x00};
  static const uint8_t block5[] = {0xA5, 0x04, 0xA6, 0x00, 0xA7, 0x50, 0xA8, 0x00, 0xA9, 0x50, 0xAA, 0x00,
                                   0xAB, 0x04, 0xAC, 0x00, 0xAD, 0x01, 0xAE, 0x00, 0xAF, 0x04, 0xB0, 0x00,
                                   0xB1, 0x01, 0xB8, 0x00, 0xB9, 0x00, 0xBD, 0x00, 0xBE, 0x00};
  static const std::pair<uint8_t, uint8_t> frontend[] = {{0x01, 0x79}, {0x02, 0x21}, {0x03, 0x16}, {0x04, 0x3F},
                                                         {0x06, 0x05}, {0x08, 0x00}, {0x20, 0x80}, {0x21, 0x80},
                                                         {0x22, 0x80}, {0x28, 0x4B}, {0x29, 0x4B}, {0x2A, 0x4B}};
  if (int result = sequence(
          [&] {
            return r.registers({0x0E, 0xFF});
          },
          [&] { return r.registers(block2, 32); }, [&] { return r.registers(block3, 32); },
          [&] { return r.registers(block4, 32); }, [&] { return r.registers(block5, 17); }))
    return result;
  for (const auto& [index, value] : frontend)
    if (int result = r.frontend(index, value)) return result;
  return sequence(
      [&] {
        return r.registers({0x0B, 0x6A});
      },
      [&] {
        return r.registers({0x08, 0x00});
      },
      [&] {
        return r.registers({0x08, 0x00});
      },
      [&] {
        return r.registers({0x0B, 0x0A});
      },
      [&] { return r.controlByte(0x0010, 0x0A); }, [&] { return r.controlByte(0x0013, 0x0A); },
      [&] {
        return r.registers({0x14, 0x70});
      },
      [&] {
        return r.registers({0x06, 0x50});
      },
      [&] {
        return r.registers({0x0D, 0x02});
      },
      [&] {
        return r.registers({0x08, 0x40});
      },
      [&] {
        return r.registers({0xD0, 0x0A});
      },
      [&] {
        return r.registers({0xD1, 0x0D});
      },
      [&] {
        return r.registers({0xD2, 0x10});
      });
}

}  // namespace

// ---- the numbered requests ----

int Ts860Requests::request(uint8_t type, uint8_t requestCode, uint16_t value, uint16_t index, uint16_t length,
                           void* data) {
  const int step = ++step_;
  if (ts860_devicerequest(context_, type, requestCode, value, index, length, data) == 0) return 0;
  std::fprintf(stderr, "%s:%d: ts860_devicerequest failed.\n", function_, step);
  return -1;
}

int Ts860Requests::registers(const uint8_t* pairs, int count) {
  return request(0x40, 0x04, 0x0083, 0x0000, uint16_t(2 * count), const_cast<uint8_t*>(pairs));
}

int Ts860Requests::frontend(uint8_t index, uint16_t value) {
  return registers({0x51, index, 0x5D, uint8_t(value >> 8), 0x5E, uint8_t(value)});
}

int Ts860Requests::controlByte(uint16_t target, uint8_t value) {
  return request(0x40, 0x0C, 0x008C, target, 1, &value);
}

int Ts860Requests::read(uint8_t requestCode, uint16_t value, uint16_t index, uint16_t length) {
  uint8_t answer[8] = {};
  return request(0xC0, requestCode, value, index, length, answer);
}

int Ts860Requests::statusRequest() { return read(0x04, 0x018E, 0x0122, 2); }

int Ts860Requests::bulkOut(const void* bytes, uint32_t count) {
  const int step = ++step_;
  if (ts860_writebulk(context_, count, bytes) == 0) return 0;
  std::fprintf(stderr, "%s:%d: ts860_writebulk failed.\n", function_, step);
  return -1;
}

int Ts860Requests::memory(uint32_t address, const void* bytes, uint32_t count) {
  uint8_t header[8];
  for (int i = 0; i < 4; ++i) {
    header[i] = uint8_t(address >> (8 * i));
    header[4 + i] = uint8_t(count >> (8 * i));
  }
  if (request(0x40, 0x04, 0x0082, 0x0001, 8, header)) return -1;
  return bulkOut(bytes, count);
}

int Ts860Requests::motorTable(int slot, const uint16_t* entries, int count) {
  uint8_t bytes[2 * 256];
  for (int i = 0; i < count; ++i) {
    bytes[2 * i] = uint8_t(entries[i]);
    bytes[2 * i + 1] = uint8_t(entries[i] >> 8);
  }
  const uint8_t high = kSlotCountRegisters[slot];
  if (memory(kSlotAddresses[slot], bytes, uint32_t(2 * count))) return -1;
  return registers({high, uint8_t(count >> 8), uint8_t(high + 1), uint8_t(count)});
}

int ts860_read_status(Ts860Requests& r) {
  uint8_t answer[2] = {};
  const int step = r.nextStep();
  if (ts860_devicerequest(r.context(), 0xC0, 0x04, 0x018E, 0x0122, 2, answer) != 0) {
    std::fprintf(stderr, "%s:%d: ts860_devicerequest failed.\n", r.function(), step);
    return -1;
  }
  if (answer[1] != kCheckMarker) {
    std::fprintf(stderr, "%s:%d: b[1] is not 0x55: 0x%2X.\n", r.function(), step, answer[1]);
    return -2;
  }
  return answer[0];
}

// ---- the operations ----

void ts860_set_sleep_function(ts860_sleep_function sleep) { sleepFunction = sleep ? sleep : &realSleep; }

void ts860_sleep(int milliseconds) { sleepFunction.load()(milliseconds); }

int ts860_read_register101(ts860_context* context) {
  Ts860Requests r(context, __func__);
  return ts860_read_status(r);
}

int ts860_ispaperon(ts860_context* context) {
  const int status = ts860_read_register101(context);
  if (status < 0) return status;
  return (status & TS860_REGISTER101_MASK_NOPAPER) ? 0 : 1;
}

int ts860_proto_init(ts860_context* context) {
  static const uint8_t start[4] = {0x01, 0x07, 0x00, 0x01};
  Ts860Requests r(context, __func__);
  return r.bulkOut(start, sizeof start);
}

int ts860_initcommand(ts860_context* context) {
  Ts860Requests r(context, __func__);
  return initialisationBlock(r);
}

int ts860_precommand(ts860_context* context) {
  Ts860Requests r(context, __func__);
  if (r.read(0x0C, 0x008E, 0x0000, 1)) return -1;
  if (int result = ts860_initcommand(context)) return result;
  return sequence([&] { return r.registers({0x34, 0x00}); }, [&] { return r.read(0x04, 0x008E, 0x3122, 2); });
}

int ts860_prefeed(ts860_context* context) {
  Ts860Requests r(context, __func__);
  return prefeedRequests(r);
}

int ts860_feed(ts860_context* context, int32_t maximum, int32_t extra) {
  if (int result = ts860_initcommand(context)) return result;
  if (int result = ts860_prefeed(context)) return result;
  Ts860Requests r(context, __func__);
  if (int result = motorRun(r, 0x78, 0x78, 100000)) return result;

  int32_t limit = maximum;
  bool watching = extra != -2;
  for (int32_t elapsed = 0; limit < 0 || elapsed < limit; elapsed += kPollMilliseconds) {
    const int status = ts860_read_status(r);
    if (status < 0) return status;
    if (watching && (status & TS860_REGISTER101_MASK_NOPAPER)) {
      if (extra < 1) break;
      // The paper has left: run on for the extra time, within the maximum.
      if (limit < 0 || elapsed + extra < limit) limit = elapsed + extra;
      watching = false;
    }
    ts860_sleep(kPollMilliseconds);
  }

  if (r.registers({0x02, 0x68})) return -1;
  if (int result = ts860_initcommand(context)) return result;
  return sequence(
      [&] {
        return r.registers({0x01, 0x00});
      },
      [&] { return r.statusRequest(); },
      [&] {
        return r.registers({0x03, 0x8F});
      },
      [&] {
        return r.registers({0x0E, 0xFF});
      });
}

int ts860_cleaning(ts860_context* context, int32_t passes, int32_t limit) {
  if (int result = ts860_initcommand(context)) return result;
  if (int result = ts860_prefeed(context)) return result;
  Ts860Requests r(context, __func__);
  if (int result = motorRun(r, 0x78, 0x70, 100)) return result;
  if (int result = waitForMotor(r, limit)) return result;
  for (int32_t pass = 0; pass < passes; ++pass) {
    for (const auto& [before, mode] : {std::pair<uint8_t, uint8_t>{0x70, 0x78}, {0x7C, 0x7C}}) {
      if (int result = ts860_prefeed(r.context())) return result;
      if (int result = motorRun(r, before, mode, 1800)) return result;
      if (int result = waitForMotor(r, limit)) return result;
    }
  }
  return 0;
}
