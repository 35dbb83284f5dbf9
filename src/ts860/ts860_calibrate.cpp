#include "ts860_calibrate.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "ts860_proto.h"
#include "ts860_requests.h"
#include "ts860_scan_blocks.h"

namespace {

constexpr uint32_t kColumns = 1536;
constexpr uint32_t kLines = 800;
constexpr uint32_t kFirstPixel = 31;
constexpr int32_t kDpi = 600;
constexpr uint32_t kDefaultCoefficient = 0x4000;
constexpr uint32_t kDefaultTarget = 0xF000;

// A tuning value from the environment: used when it parses (0x: hexadecimal, leading 0: octal) to
// 1 to 0xFFFF in its low 32 bits; otherwise the default.
uint32_t tuning(const char* name, uint32_t fallback) {
  const char* text = std::getenv(name);
  if (!text || !*text) return fallback;
  const auto value = uint32_t(std::strtoul(text, nullptr, 0));
  return value >= 1 && value <= 0xFFFF ? value : fallback;
}

uint16_t field(const uint8_t* data, uint32_t column, int which) {
  const uint8_t* at = data + 8 + 4 * column + 2 * which;
  return uint16_t(at[0] | at[1] << 8);
}

void setField(uint8_t* data, uint32_t column, int which, uint16_t value) {
  uint8_t* at = data + 8 + 4 * column + 2 * which;
  at[0] = uint8_t(value);
  at[1] = uint8_t(value >> 8);
}

// Steps 2.3 to 2.5 and the start, for the dark (pass 0) or the lit (pass 1) scan.
int programPass(Ts860Requests& r, int pass) {
  if (ts860_program_window(r, kFirstPixel, kFirstPixel + kColumns, kDpi, kLines, pass == 0 ? 0x09 : 0x01)) return -1;
  if (ts860_load_motor_tables(r, kDpi) || ts860_program_motor_run(r, kDpi, kColumns)) return -1;
  const std::vector<std::vector<uint8_t>> middle = {{0x02, 0x10}, {0x05, 0x00}, {0x01, 0x00}, {0x02, 0x10},
                                                    {0x19, 0x01}, {0x0C, 0x00}, {0x01, 0x80}, {0x08, 0x50},
                                                    {0x06, 0x50}, {0x0D, 0x05}, {0x35, 0xFF}, {0x32, 0x79}};
  for (const auto& pairs : middle)
    if (r.registers(pairs)) return -1;
  for (const auto& [index, value] :
       {std::pair<uint8_t, uint8_t>{0x28, 0xC8}, {0x29, 0xC8}, {0x2A, 0xC8}, {0x20, 0x6C}, {0x21, 0x6C}, {0x22, 0x6C}})
    if (r.frontend(index, value)) return -1;
  const std::vector<std::vector<uint8_t>> start = {
      {0x03, uint8_t(pass == 0 ? 0x8F : 0x9F)}, {0x36, 0x1F}, {0x33, 0x0E}, {0x01, 0x81}, {0x0F, 0xFF}};
  for (const auto& pairs : start)
    if (r.registers(pairs)) return -1;
  return 0;
}

// One pass: programs, scans the window and averages each column into the pass's field.
int runPass(Ts860Requests& r, int pass, uint8_t* data) {
  if (int result = ts860_precommand(r.context())) return result;
  const int status = ts860_read_status(r);
  if (status < 0) return status;
  if (status & TS860_REGISTER101_MASK_NOPAPER) {
    if (pass == 0) return 1;
    std::fprintf(stderr, "%s:%d: no paper, but continue.\n", r.function(), r.nextStep());
  }
  if (programPass(r, pass)) return -1;
  if (int result = ts860_wait_until_clear(r, TS860_REGISTER101_MASK_BUFEMPTY, "TS860_REGISTER101_MASK_BUFEMPTY"))
    return result;
  if (r.read(0x04, 0x018E, 0x0222, 5)) return -1;

  const uint32_t size = 1078 + kColumns * kLines;
  auto* image = static_cast<uint8_t*>(std::malloc(size));
  if (!image) {
    std::fprintf(stderr, "%s\n", std::strerror(errno));
    return -1;
  }
  ts860_fill_bmp_header(image, kColumns, kLines, 0);
  if (ts860_read_image(r, kColumns, kLines, 0, kLines, image + 1078)) {
    std::free(image);
    return -1;
  }
  const uint8_t* pixels = image + 1078;
  for (uint32_t row = 0; row < kLines; ++row)
    for (uint32_t column = 0; column < kColumns; ++column)
      setField(data, column, pass,
               ts860_running_average(row, field(data, column, pass), pixels[row * kColumns + column]));
  std::free(image);
  if (r.registers({0x01, 0x80})) return -1;
  if (int result = ts860_wait_until_clear(r, TS860_REGISTER101_MASK_MOTORENB, "TS860_REGISTER101_MASK_MOTORENB"))
    return result;
  return r.registers({0x03, 0x8F});
}

}  // namespace

uint16_t ts860_running_average(uint32_t row, uint16_t average, uint8_t pixel) {
  const uint32_t numerator = row * average + 256u * pixel, denominator = row + 1;
  uint32_t quotient = numerator / denominator;
  const uint32_t twice = 2 * (numerator % denominator);
  if (twice > denominator || (twice == denominator && (quotient & 1))) ++quotient;
  return uint16_t(quotient);
}

int ts860_calibrate(ts860_context* context, int32_t* xoffset, uint8_t* data) {
  std::memset(data, 0, TS860_CALIBRATION_DATA_SIZE);
  std::memset(data, 0xFF, 8);
  Ts860Requests r(context, __func__);
  for (int pass = 0; pass < 2; ++pass)
    if (int result = runPass(r, pass, data)) return result;

  const uint32_t product =
      tuning("TS860_CALIBRATION_COEFF", kDefaultCoefficient) * tuning("TS860_CALIBRATION_TARGET", kDefaultTarget);
  int32_t firstUsable = -1;
  for (uint32_t column = 0; column < kColumns; ++column) {
    const uint16_t dark = field(data, column, 0), lit = field(data, column, 1);
    uint32_t gain = 0xFFFF;
    if (dark < lit) {
      if (firstUsable < 0) firstUsable = int32_t(column);
      gain = std::min<uint32_t>(product / uint32_t(lit - dark), 0xFFFF);
    }
    setField(data, column, 1, uint16_t(gain));
  }
  *xoffset = (firstUsable < 0 ? -1 : firstUsable) + int32_t(kFirstPixel);
  return 0;
}
