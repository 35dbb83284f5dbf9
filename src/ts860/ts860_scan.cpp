#include "ts860_scan.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#include "ts860_proto.h"
#include "ts860_requests.h"
#include "ts860_scan_blocks.h"
#include "ts860_usb.h"

namespace {

// Steps 3 to 5: the window, resolution and motor programming.
int programScan(Ts860Requests& r, const ts860_effective_param& p, int32_t dpi) {
  const uint32_t x = uint32_t(p.xoffset), xEnd = x + p.width * 600 / uint32_t(dpi);
  if (ts860_program_window(r, x, xEnd, dpi, p.lines + uint32_t(p.yoffset), 0x01)) return -1;
  if (ts860_load_motor_tables(r, p.tableDpi)) return -1;
  if (ts860_program_motor_run(r, p.tableDpi, p.width)) return -1;
  const std::vector<std::vector<uint8_t>> steps = {{0x02, 0x10},
                                                   {0x05, 0x08},
                                                   {0x01, 0x20},
                                                   {0x06, 0x58},
                                                   {0x02, 0x10},
                                                   {0x19, 0x01},
                                                   {0x0C, 0x00},
                                                   {0x01, 0xA0},
                                                   {0x08, 0x50},
                                                   {0x06, 0x58},
                                                   {0x0D, 0x05},
                                                   {0xC5, 0x00, 0xC6, 0x00},
                                                   {0xC7, 0x00, 0xC8, 0x00},
                                                   {0xC9, 0x00, 0xCA, 0x00},
                                                   {0xBD, 0x00},
                                                   {0xBE, 0x07}};
  for (const auto& pairs : steps)
    if (r.registers(pairs)) return -1;
  return 0;
}

// Steps 6 to 9: the tables, the front end and the start.
int loadTablesAndStart(Ts860Requests& r, const ts860_param& param, const ts860_effective_param& p) {
  uint8_t tone[TS860_TONE_TABLE_SIZE];
  if (param.toneTable)
    std::memcpy(tone, param.toneTable, sizeof tone);
  else
    ts860_tone_table(p.highlight, p.shadow, p.gamma, tone);
  for (uint32_t address : {0x01000000u, 0x01000200u, 0x01000400u})
    if (r.memory(address, tone, sizeof tone)) return -1;
  // One staging area, as the device's own software keeps it; scans never run side by side.
  static uint8_t shading[TS860_SHADING_TABLE_SIZE];
  if (param.calibrationData)
    std::memcpy(shading, param.calibrationData, sizeof shading);
  else
    ts860_default_shading_table(p.xoffset, shading);
  for (uint32_t address : {0x10014000u, 0x1001A000u, 0x10020000u})
    if (r.memory(address, shading, sizeof shading)) return -1;
  if (r.registers({0x01, 0xA0})) return -1;
  for (const uint16_t shift : {0, 8}) {
    const auto brightness = uint8_t(param.brightness >> shift), contrast = uint8_t(param.contrast >> shift);
    for (uint8_t index : {0x28, 0x29, 0x2A})
      if (r.frontend(index, brightness)) return -1;
    for (uint8_t index : {0x20, 0x21, 0x22})
      if (r.frontend(index, contrast)) return -1;
  }
  const std::vector<uint8_t> start[] = {{0x60, 0x00}, {0x36, 0x0F}, {0x33, 0x0E}, {0x35, 0xFF},
                                        {0x32, 0x79}, {0x03, 0x8F}, {0x03, 0x8F}, {0x03, 0x9F},
                                        {0x36, 0x1F}, {0x33, 0x0E}, {0x01, 0xA1}, {0x0F, 0xFF}};
  for (const auto& pairs : start)
    if (r.registers(pairs)) return -1;
  return 0;
}

}  // namespace

uint32_t ts860_pixels_per_metre(int32_t dpi) { return uint32_t((int64_t(dpi) * 37800 + 5) / 960); }

void ts860_tone_table(uint8_t highlight, uint8_t shadow, double gamma, uint8_t table[TS860_TONE_TABLE_SIZE]) {
  for (int i = 0; i < 256; ++i) {
    int value = 255;
    if (i <= shadow)
      value = 0;
    else if (i < highlight)
      value = int(std::round(std::pow(double(i - shadow) / double(highlight - shadow), gamma) * (highlight - shadow)));
    table[2 * i] = i == 255 ? 0xFF : 0;
    table[2 * i + 1] = uint8_t(value);
  }
}

void ts860_default_shading_table(int32_t xoffset, uint8_t table[TS860_SHADING_TABLE_SIZE]) {
  std::memset(table, 0xFF, 8);
  const int32_t masked = std::clamp(xoffset - 31, 0, 64);
  for (int entry = 0; entry < 1536; ++entry) {
    const bool open = entry >= masked && entry <= 1367;
    const uint16_t offset = open ? 0x1500 : 0x0000, gain = open ? 0x8000 : 0xFFFF;
    uint8_t* at = table + 8 + 4 * entry;
    at[0] = uint8_t(offset);
    at[1] = uint8_t(offset >> 8);
    at[2] = uint8_t(gain);
    at[3] = uint8_t(gain >> 8);
  }
}

int ts860_scan(ts860_context* context, const ts860_param* param, uint8_t** bitmapOut, uint32_t* sizeOut) {
  Ts860Requests r(context, __func__);
  if (param->dpi == 0) {
    std::fprintf(stderr, "%s:%d: dpi is zero.\n", __func__, r.nextStep());
    return -1;
  }
  const ts860_effective_param p = ts860_effective(*param);
  const uint32_t width = p.width, lines = p.lines, total = lines + uint32_t(p.yoffset);
  if (int result = ts860_initcommand(context)) return result;
  if (programScan(r, p, param->dpi) || loadTablesAndStart(r, *param, p)) return -1;
  if (int result = ts860_wait_until_clear(r, TS860_REGISTER101_MASK_BUFEMPTY, "TS860_REGISTER101_MASK_BUFEMPTY"))
    return result;
  if (r.read(0x04, 0x018E, 0x0222, 5)) return -1;

  const uint32_t size = TS860_BMP_HEADER_SIZE + width * lines;
  auto* bitmap = static_cast<uint8_t*>(std::malloc(size));
  if (!bitmap) {
    std::fprintf(stderr, "%s\n", std::strerror(errno));
    return -1;
  }
  ts860_fill_bmp_header(bitmap, width, lines, ts860_pixels_per_metre(param->dpi));
  if (ts860_read_image(r, width, total, uint32_t(p.yoffset), lines, bitmap + TS860_BMP_HEADER_SIZE)) {
    std::free(bitmap);
    return -1;
  }
  *bitmapOut = bitmap;
  *sizeOut = size;
  return 0;
}

void ts860_freebmp(ts860_context*, uint8_t* bitmap, uint32_t) { std::free(bitmap); }
