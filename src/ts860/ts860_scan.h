#pragma once

#include <cstdint>

#include "ts860_param.h"

struct ts860_context;

// Scans the inserted card into an 8-bit grey bitmap (a Windows BMP in one block: 1078 bytes of
// header and grey palette, then the rows bottom-up, each a multiple of 4 bytes wide). 0 with the
// bitmap (release it with ts860_freebmp); -1 for a failed transfer, allocation or short read; -2
// for a status answer without its marker; 1 when no image data came within 5 seconds.
int ts860_scan(ts860_context* context, const ts860_param* param, uint8_t** bitmap, uint32_t* size);
void ts860_freebmp(ts860_context* context, uint8_t* bitmap, uint32_t size);

// The pieces of a scan that tests and the calibration look at.
inline constexpr uint32_t TS860_BMP_HEADER_SIZE = 1078;
inline constexpr uint32_t TS860_SHADING_TABLE_SIZE = 6152;
inline constexpr uint32_t TS860_TONE_TABLE_SIZE = 512;
// The tone table of the highlight, shadow and gamma (after the parameter rules).
void ts860_tone_table(uint8_t highlight, uint8_t shadow, double gamma, uint8_t table[TS860_TONE_TABLE_SIZE]);
// The shading table used without calibration data; masks the first xoffset − 31 entries (0 to 64).
void ts860_default_shading_table(int32_t xoffset, uint8_t table[TS860_SHADING_TABLE_SIZE]);
// Pixels per metre at a resolution: floor((dpi × 37800 + 5) / 960).
uint32_t ts860_pixels_per_metre(int32_t dpi);
