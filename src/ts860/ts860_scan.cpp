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
#include "ts860_usb.h"

namespace {

constexpr uint16_t kBaseMotorTable[184] = {
    65535, 65217, 36585, 24999, 19230, 15624, 13043, 11363, 9999, 8928, 8021, 7317, 6726, 6198, 5769, 5338, 4966,
    4643,  4347,  4098,  3865,  3667,  3472,  3282,  3105,  2952, 2851, 2757, 2678, 2604, 2533, 2471, 2415, 2362,
    2311,  2265,  2222,  2180,  2142,  2103,  2071,  2038,  2008, 1978, 1950, 1923, 1896, 1872, 1849, 1827, 1805,
    1785,  1764,  1746,  1728,  1708,  1693,  1675,  1659,  1644, 1628, 1614, 1600, 1587, 1573, 1560, 1547, 1535,
    1524,  1512,  1501,  1491,  1480,  1470,  1461,  1452,  1443, 1434, 1425, 1417, 1408, 1400, 1392, 1385, 1377,
    1369,  1362,  1356,  1348,  1341,  1334,  1328,  1321,  1315, 1308, 1303, 1296, 1290, 1285, 1278, 1273, 1267,
    1262,  1257,  1252,  1246,  1241,  1236,  1231,  1226,  1221, 1216, 1212, 1207, 1202, 1198, 1194, 1189, 1185,
    1181,  1177,  1172,  1169,  1164,  1160,  1157,  1152,  1149, 1145, 1141, 1138, 1134, 1131, 1127, 1124, 1121,
    1117,  1114,  1111,  1107,  1104,  1101,  1098,  1094,  1091, 1088, 1085, 1083, 1079, 1076, 1073, 1071, 1068,
    1065,  1063,  1060,  1057,  1054,  1051,  1049,  1046,  1044, 1041, 1039, 1036, 1034, 1031, 1029, 1027, 1024,
    1022,  1019,  1017,  1015,  1013,  1010,  1008,  1006,  1004, 1002, 999,  999,  999,  999};

struct ResolutionTables {
  int32_t dpi;
  int baseEntries;             // the first entries of the base table
  std::vector<uint16_t> tail;  // followed by these
  uint32_t b2to4, b5to7;
};

const ResolutionTables kResolutions[] = {
    {200, 184, {}, 160, 4226},
    {300, 71, {1499}, 3995, 4055},
    {400, 43, {1999}, 2311, 4364},
    {600, 25, {2999, 2999, 2999}, 3353, 3393},
};

constexpr uint32_t kImageAddress = 0x10000000;
constexpr uint32_t kChunkLines = 40;
constexpr int kPollsPerClockCheck = 128;
constexpr double kDataTimeoutSeconds = 5;

const ResolutionTables& tablesFor(int32_t dpi) {
  for (const ResolutionTables& tables : kResolutions)
    if (tables.dpi == dpi) return tables;
  return kResolutions[2];
}

void put32(uint8_t* at, uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = uint8_t(value >> (8 * i));
}

void fillHeader(uint8_t* bitmap, uint32_t width, uint32_t lines, int32_t dpi) {
  std::memset(bitmap, 0, TS860_BMP_HEADER_SIZE);
  bitmap[0] = 'B';
  bitmap[1] = 'M';
  put32(bitmap + 2, TS860_BMP_HEADER_SIZE + width * lines);
  put32(bitmap + 10, TS860_BMP_HEADER_SIZE);
  put32(bitmap + 14, 40);
  put32(bitmap + 18, width);
  put32(bitmap + 22, lines);
  bitmap[26] = 1;
  bitmap[28] = 8;
  put32(bitmap + 34, width * lines);
  put32(bitmap + 38, ts860_pixels_per_metre(dpi));
  put32(bitmap + 42, ts860_pixels_per_metre(dpi));
  for (int i = 0; i < 256; ++i) {
    uint8_t* entry = bitmap + 54 + 4 * i;
    entry[0] = entry[1] = entry[2] = uint8_t(i);
  }
}

// Steps 3 to 5: the window, resolution and motor programming.
int programScan(Ts860Requests& r, const ts860_effective_param& p, int32_t dpi) {
  const uint32_t x = uint32_t(p.xoffset), xEnd = x + p.width * 600 / uint32_t(dpi);
  const uint32_t total = p.lines + uint32_t(p.yoffset);
  static const uint8_t block2[] = {0x05, 0x00, 0x16, 0x00, 0x17, 0x00, 0x18, 0x00, 0x1A, 0x26, 0x1C, 0x00, 0x1D,
                                   0x00, 0x1F, 0x00, 0x20, 0x01, 0x21, 0x00, 0x22, 0x0F, 0x52, 0x00, 0x53, 0x01,
                                   0x54, 0x02, 0x55, 0x03, 0x56, 0x04, 0x57, 0x05, 0x5A, 0x31, 0x5C, 0x40, 0x70,
                                   0x01, 0x71, 0x03, 0x72, 0x04, 0x73, 0x05, 0x74, 0x00, 0x75, 0x00, 0x76, 0x00,
                                   0x77, 0x00, 0x78, 0x07, 0x79, 0xFE, 0x7A, 0x03, 0x7B, 0xFF, 0x7C, 0xFF};
  const ResolutionTables& tables = tablesFor(p.tableDpi);
  std::vector<uint16_t> motor(kBaseMotorTable, kBaseMotorTable + tables.baseEntries);
  motor.insert(motor.end(), tables.tail.begin(), tables.tail.end());
  const uint32_t scale = p.width / 8;
  std::vector<std::vector<uint8_t>> steps = {
      {0x0C, 0x00}, {0x7D, 0x00, 0x7E, 0x00, 0x7F, 0x01}, {0x1D, 0x00}, {0x02, 0x38}};
  for (const auto& pairs : steps)
    if (r.registers(pairs)) return -1;
  if (r.registers(block2, 32)) return -1;
  if (r.registers({0x80, 0x00, 0x81, 0x1F, 0x88, 0x00, 0x89, 0xB6, 0x3B, 0x00, 0x30, 0x60, 0x33, 0x0E, 0x37, 0x00}))
    return -1;
  if (r.frontend(0x01, 0x35) || r.frontend(0x02, 0x80) || r.frontend(0x03, 0x02)) return -1;
  if (r.registers({0x04, 0x25}) || r.registers({0x80, 0x00, 0x81, 0x1F})) return -1;
  if (r.registers({0x82, uint8_t((x >> 16) & 1), 0x83, uint8_t(x >> 8), 0x84, uint8_t(x)})) return -1;
  if (r.registers({0x85, uint8_t((xEnd >> 16) & 1), 0x86, uint8_t(xEnd >> 8), 0x87, uint8_t(xEnd)})) return -1;
  if (r.registers({0x05, 0x00}) || r.registers({0x2C, uint8_t(dpi >> 8), 0x2D, uint8_t(dpi)})) return -1;
  if (r.registers({0x25, uint8_t((total >> 16) & 0x0F), 0x26, uint8_t(total >> 8), 0x27, uint8_t(total)})) return -1;
  steps = {{0x1C, 0x00},
           {0x7D, 0x00, 0x7E, 0x17, 0x7F, 0x6F},
           {0x8A, 0x00, 0x8B, 0x0A, 0x8C, 0x9A},
           {0x8D, 0x00, 0x8E, 0x08, 0x8F, 0xBA},
           {0x90, 0x00, 0x91, 0x05, 0x92, 0xE1},
           {0x3B, 0x55},
           {0xA0, 0x01},
           {0xA0, 0x09},
           {0xA0, 0x09},
           {0x3B, 0x55}};
  for (const auto& pairs : steps)
    if (r.registers(pairs)) return -1;
  if (r.motorTable(3, kBaseMotorTable, 184) || r.motorTable(4, kBaseMotorTable, 184)) return -1;
  if (r.registers({0xA0, 0x09}) || r.registers({0x3B, 0x55})) return -1;
  for (int slot = 0; slot < 3; ++slot)
    if (r.motorTable(slot, motor.data(), int(motor.size()))) return -1;
  steps = {{0xA2, 0x00, 0xA3, 0x02}, {0x3D, 0x00, 0x3E, 0x00, 0x3F, 0x00}, {0x02, 0x30}, {0x02, 0x30}};
  for (const auto& pairs : steps)
    if (r.registers(pairs)) return -1;
  if (r.registers({0xB2, 0x00, 0xB3, uint8_t(tables.b2to4 >> 8), 0xB4, uint8_t(tables.b2to4)})) return -1;
  if (r.registers({0xB5, 0x00, 0xB6, uint8_t(tables.b5to7 >> 8), 0xB7, uint8_t(tables.b5to7)})) return -1;
  for (int group = 0; group < 3; ++group) {
    const uint8_t base = uint8_t(0xE0 + 8 * group);
    steps = {{base, 0x00, uint8_t(base + 1), 0x4C},
             {uint8_t(base + 2), 0x08, uint8_t(base + 3), 0x25},
             {uint8_t(base + 4), 0x08, uint8_t(base + 5), 0x26},
             {uint8_t(base + 6), 0x0F, uint8_t(base + 7), 0xFF}};
    for (const auto& pairs : steps)
      if (r.registers(pairs)) return -1;
  }
  if (r.registers({0xF8, 0x01})) return -1;
  if (r.registers({0x28, uint8_t(scale >> 16), 0x29, uint8_t(scale >> 8), 0x2A, uint8_t(scale)})) return -1;
  steps = {{0x02, 0x10},
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

// Step 10: polls back to back until image data is ready, consulting the clock every 128 reads.
int waitForData(Ts860Requests& r) {
  const std::time_t began = std::time(nullptr);
  for (int reads = 1;; ++reads) {
    const int status = ts860_read_status(r);
    if (status < 0) return status;
    if (!(status & TS860_REGISTER101_MASK_BUFEMPTY)) return 0;
    if (reads % kPollsPerClockCheck) continue;
    const double elapsed = std::difftime(std::time(nullptr), began);
    if (elapsed > kDataTimeoutSeconds) {
      std::fprintf(stderr, "%s:%d waiting TS860_REGISTER101_MASK_BUFEMPTY timed out: %f\n", r.function(), r.nextStep(),
                   elapsed);
      return 1;
    }
  }
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
  if (int result = waitForData(r)) return result;
  if (r.read(0x04, 0x018E, 0x0222, 5)) return -1;

  const uint32_t size = TS860_BMP_HEADER_SIZE + width * lines;
  auto* bitmap = static_cast<uint8_t*>(std::malloc(size));
  auto* chunk = static_cast<uint8_t*>(std::malloc(size_t(width) * kChunkLines));
  if (!bitmap || !chunk) {
    std::fprintf(stderr, "%s\n", std::strerror(errno));
    std::free(bitmap);
    std::free(chunk);
    return -1;
  }
  fillHeader(bitmap, width, lines, param->dpi);
  uint8_t* pixels = bitmap + TS860_BMP_HEADER_SIZE;
  for (uint32_t read = 0; read < total;) {
    const uint32_t count = std::min(kChunkLines, total - read);
    uint32_t bytes = count * width;
    // The device takes the byte count in 16 bits.
    uint8_t header[8] = {};
    put32(header, kImageAddress);
    header[4] = uint8_t(bytes);
    header[5] = uint8_t(bytes >> 8);
    const int step = r.nextStep();
    if (ts860_devicerequest(context, 0x40, 0x04, 0x0082, 0x0000, 8, header) != 0) {
      std::fprintf(stderr, "%s:%d: ts860_devicerequest failed.\n", __func__, step);
    } else if (ts860_readbulk(context, &bytes, chunk) != 0) {
      std::fprintf(stderr, "%s:%d: ts860_readbulk failed.\n", __func__, step);
    } else if (bytes != count * width) {
      std::fprintf(stderr, "%s:%d: ts860_readbulk read only %u bytes for %u bytes.\n", __func__, step, bytes,
                   count * width);
    } else {
      for (uint32_t j = 0; j < count; ++j) {
        const int64_t line = int64_t(read + j) - p.yoffset;
        if (line >= 0) std::memcpy(pixels + (lines - 1 - uint32_t(line)) * width, chunk + j * width, width);
      }
      read += count;
      continue;
    }
    std::free(bitmap);
    std::free(chunk);
    return -1;
  }
  std::free(chunk);
  *bitmapOut = bitmap;
  *sizeOut = size;
  return 0;
}

void ts860_freebmp(ts860_context*, uint8_t* bitmap, uint32_t) { std::free(bitmap); }
