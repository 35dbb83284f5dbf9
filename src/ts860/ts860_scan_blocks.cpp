#include "ts860_scan_blocks.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#include "ts860_proto.h"
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

struct Resolution {
  int32_t dpi;
  int baseEntries;             // the first entries of the base table
  std::vector<uint16_t> tail;  // followed by these
  uint32_t b2to4, b5to7;
};

const Resolution kResolutions[] = {
    {200, 184, {}, 160, 4226},
    {300, 71, {1499}, 3995, 4055},
    {400, 43, {1999}, 2311, 4364},
    {600, 25, {2999, 2999, 2999}, 3353, 3393},
};

const Resolution& resolution(int32_t dpi) {
  for (const Resolution& entry : kResolutions)
    if (entry.dpi == dpi) return entry;
  return kResolutions[2];
}

constexpr uint32_t kImageAddress = 0x10000000;
constexpr uint32_t kChunkLines = 40;
constexpr int kPollsPerClockCheck = 128;
constexpr double kTimeoutSeconds = 5;

int all(Ts860Requests& r, const std::vector<std::vector<uint8_t>>& requests) {
  for (const auto& pairs : requests)
    if (r.registers(pairs)) return -1;
  return 0;
}

std::vector<uint8_t> triple(uint8_t first, uint32_t value, uint32_t highMask) {
  return {first,         uint8_t((value >> 16) & highMask), uint8_t(first + 1), uint8_t(value >> 8), uint8_t(first + 2),
          uint8_t(value)};
}

void put32(uint8_t* at, uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = uint8_t(value >> (8 * i));
}

}  // namespace

int ts860_program_window(Ts860Requests& r, uint32_t x, uint32_t xEnd, int32_t dpi, uint32_t total, uint8_t a0) {
  static const uint8_t block[] = {0x05, 0x00, 0x16, 0x00, 0x17, 0x00, 0x18, 0x00, 0x1A, 0x26, 0x1C, 0x00, 0x1D,
                                  0x00, 0x1F, 0x00, 0x20, 0x01, 0x21, 0x00, 0x22, 0x0F, 0x52, 0x00, 0x53, 0x01,
                                  0x54, 0x02, 0x55, 0x03, 0x56, 0x04, 0x57, 0x05, 0x5A, 0x31, 0x5C, 0x40, 0x70,
                                  0x01, 0x71, 0x03, 0x72, 0x04, 0x73, 0x05, 0x74, 0x00, 0x75, 0x00, 0x76, 0x00,
                                  0x77, 0x00, 0x78, 0x07, 0x79, 0xFE, 0x7A, 0x03, 0x7B, 0xFF, 0x7C, 0xFF};
  if (all(r, {{0x0C, 0x00}, {0x7D, 0x00, 0x7E, 0x00, 0x7F, 0x01}, {0x1D, 0x00}, {0x02, 0x38}})) return -1;
  if (r.registers(block, 32)) return -1;
  if (r.registers({0x80, 0x00, 0x81, 0x1F, 0x88, 0x00, 0x89, 0xB6, 0x3B, 0x00, 0x30, 0x60, 0x33, 0x0E, 0x37, 0x00}))
    return -1;
  if (r.frontend(0x01, 0x35) || r.frontend(0x02, 0x80) || r.frontend(0x03, 0x02)) return -1;
  return all(r, {{0x04, 0x25},
                 {0x80, 0x00, 0x81, 0x1F},
                 triple(0x82, x, 0x01),
                 triple(0x85, xEnd, 0x01),
                 {0x05, 0x00},
                 {0x2C, uint8_t(dpi >> 8), 0x2D, uint8_t(dpi)},
                 triple(0x25, total, 0x0F),
                 {0x1C, 0x00},
                 {0x7D, 0x00, 0x7E, 0x17, 0x7F, 0x6F},
                 {0x8A, 0x00, 0x8B, 0x0A, 0x8C, 0x9A},
                 {0x8D, 0x00, 0x8E, 0x08, 0x8F, 0xBA},
                 {0x90, 0x00, 0x91, 0x05, 0x92, 0xE1},
                 {0x3B, 0x55},
                 {0xA0, a0},
                 {0xA0, 0x09},
                 {0xA0, 0x09},
                 {0x3B, 0x55}});
}

int ts860_load_motor_tables(Ts860Requests& r, int32_t tableDpi) {
  const Resolution& entry = resolution(tableDpi);
  std::vector<uint16_t> table(kBaseMotorTable, kBaseMotorTable + entry.baseEntries);
  table.insert(table.end(), entry.tail.begin(), entry.tail.end());
  if (r.motorTable(3, kBaseMotorTable, 184) || r.motorTable(4, kBaseMotorTable, 184)) return -1;
  if (all(r, {{0xA0, 0x09}, {0x3B, 0x55}})) return -1;
  for (int slot = 0; slot < 3; ++slot)
    if (r.motorTable(slot, table.data(), int(table.size()))) return -1;
  return 0;
}

int ts860_program_motor_run(Ts860Requests& r, int32_t tableDpi, uint32_t width) {
  const Resolution& entry = resolution(tableDpi);
  if (all(r, {{0xA2, 0x00, 0xA3, 0x02},
              {0x3D, 0x00, 0x3E, 0x00, 0x3F, 0x00},
              {0x02, 0x30},
              {0x02, 0x30},
              triple(0xB2, entry.b2to4, 0x00),
              triple(0xB5, entry.b5to7, 0x00)}))
    return -1;
  for (int group = 0; group < 3; ++group) {
    const auto base = uint8_t(0xE0 + 8 * group);
    if (all(r, {{base, 0x00, uint8_t(base + 1), 0x4C},
                {uint8_t(base + 2), 0x08, uint8_t(base + 3), 0x25},
                {uint8_t(base + 4), 0x08, uint8_t(base + 5), 0x26},
                {uint8_t(base + 6), 0x0F, uint8_t(base + 7), 0xFF}}))
      return -1;
  }
  return all(r, {{0xF8, 0x01}, triple(0x28, width / 8, 0xFF)});
}

int ts860_wait_until_clear(Ts860Requests& r, uint8_t mask, const char* maskName) {
  const std::time_t began = std::time(nullptr);
  for (int reads = 1;; ++reads) {
    const int status = ts860_read_status(r);
    if (status < 0) return status;
    if (!(status & mask)) return 0;
    if (reads % kPollsPerClockCheck) continue;
    const double elapsed = std::difftime(std::time(nullptr), began);
    if (elapsed > kTimeoutSeconds) {
      std::fprintf(stderr, "%s:%d waiting %s timed out: %f\n", r.function(), r.nextStep(), maskName, elapsed);
      return 1;
    }
  }
}

void ts860_fill_bmp_header(uint8_t* bitmap, uint32_t width, uint32_t lines, uint32_t pixelsPerMetre) {
  std::memset(bitmap, 0, 1078);
  bitmap[0] = 'B';
  bitmap[1] = 'M';
  put32(bitmap + 2, 1078 + width * lines);
  put32(bitmap + 10, 1078);
  put32(bitmap + 14, 40);
  put32(bitmap + 18, width);
  put32(bitmap + 22, lines);
  bitmap[26] = 1;
  bitmap[28] = 8;
  put32(bitmap + 34, width * lines);
  put32(bitmap + 38, pixelsPerMetre);
  put32(bitmap + 42, pixelsPerMetre);
  for (int i = 0; i < 256; ++i) {
    uint8_t* entry = bitmap + 54 + 4 * i;
    entry[0] = entry[1] = entry[2] = uint8_t(i);
  }
}

int ts860_read_image(Ts860Requests& r, uint32_t width, uint32_t total, uint32_t dropped, uint32_t lines,
                     uint8_t* pixels) {
  // The device takes a read's byte count in 16 bits: lines wider than 1636 pixels are read in
  // chunks of fewer lines, so that every chunk still fits.
  const uint32_t chunkLines = width ? std::clamp<uint32_t>(0xFFFF / width, 1, kChunkLines) : kChunkLines;
  auto* chunk = static_cast<uint8_t*>(std::malloc(std::max<size_t>(size_t(width) * chunkLines, 1)));
  if (!chunk) {
    std::fprintf(stderr, "%s\n", std::strerror(errno));
    return -1;
  }
  int result = 0;
  for (uint32_t read = 0; read < total && result == 0;) {
    const uint32_t count = std::min(chunkLines, total - read);
    const uint32_t wanted = count * width;
    uint32_t received = wanted;
    uint8_t header[8] = {};
    put32(header, kImageAddress);
    header[4] = uint8_t(wanted);
    header[5] = uint8_t(wanted >> 8);
    const int step = r.nextStep();
    if (ts860_devicerequest(r.context(), 0x40, 0x04, 0x0082, 0x0000, 8, header) != 0) {
      std::fprintf(stderr, "%s:%d: ts860_devicerequest failed.\n", r.function(), step);
      result = -1;
    } else if (ts860_readbulk(r.context(), &received, chunk) != 0) {
      std::fprintf(stderr, "%s:%d: ts860_readbulk failed.\n", r.function(), step);
      result = -1;
    } else if (received != wanted) {
      std::fprintf(stderr, "%s:%d: ts860_readbulk read only %u bytes for %u bytes.\n", r.function(), step, received,
                   wanted);
      result = -1;
    } else {
      for (uint32_t j = 0; j < count; ++j) {
        const int64_t line = int64_t(read + j) - int64_t(dropped);
        if (line >= 0) std::memcpy(pixels + (lines - 1 - uint32_t(line)) * width, chunk + j * width, width);
      }
      read += count;
    }
  }
  std::free(chunk);
  return result;
}
