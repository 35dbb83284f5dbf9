#pragma once

#include <cstdint>

struct ts860_context;

inline constexpr uint32_t TS860_CALIBRATION_DATA_SIZE = 6152;

// Calibrates with a white sheet: scans a 1536-pixel, 800-line window at 600 dpi dark and lit,
// averages each sensor column and fills the 6152-byte shading table (per column: dark level × 256
// as offset, and a gain), and gives the first usable column + 31 as the horizontal offset.
// 0; 1 without paper at the start or on a time-out; -1 for a failed transfer, allocation or short
// read; -2 for a status answer without its marker; or the pre-command's own result. The
// environment variables TS860_CALIBRATION_COEFF (default 0x4000) and TS860_CALIBRATION_TARGET
// (default 0xF000) tune the gain.
int ts860_calibrate(ts860_context* context, int32_t* xoffset, uint8_t* data);

// One step of the running column average: (i × average + 256 × pixel) / (i + 1), halves rounded to
// the even neighbour.
uint16_t ts860_running_average(uint32_t row, uint16_t average, uint8_t pixel);
