#pragma once

#include <cstdint>

// The parameter record of one card scan: geometry, analogue front end, tone curve and shading.

struct ts860_context;

struct ts860_param {
  float width;                     // scan width in inches
  float height;                    // scan length in inches
  int32_t dpi;                     // 200, 300, 400 or 600; 0 means invalid
  uint16_t brightness;             // front-end bytes, low byte first
  uint16_t contrast;               // front-end bytes, low byte first
  uint8_t highlight;               // input level at and above which the tone curve gives 255
  uint8_t shadow;                  // input level at and below which the tone curve gives 0
  float gamma;                     // exponent of the tone curve between shadow and highlight
  int32_t xoffset;                 // first sensor pixel of the window, in 600-dpi pixels
  int32_t yoffset;                 // scanned lines dropped before the image starts
  const uint8_t* calibrationData;  // 6152-byte shading table, or null for the built-in one
  const uint8_t* toneTable;        // 512-byte ready tone table, or null to compute one
};

// Fills every field with the driver's default. The context may be null and is not used.
void ts860_initparam(ts860_context* context, ts860_param* param);

// The values a scan actually uses, after the driver's rules: resolution 200, 300 and 600 stay,
// anything else is scanned as 400; an xoffset below 1 becomes 101, a yoffset below 0 becomes 0;
// highlight 0 means 255, shadow 255 means 0, and a highlight below the shadow gives 255 and 0;
// a gamma outside 0.1 to 10 becomes 1.0.
struct ts860_effective_param {
  int32_t tableDpi;  // the resolution whose tables are used
  uint32_t width;    // pixels per line: dpi × width inches, rounded up to a multiple of 4
  uint32_t lines;    // image lines: dpi × height inches
  int32_t xoffset;
  int32_t yoffset;  // scanned lines dropped before the image
  uint8_t highlight;
  uint8_t shadow;
  double gamma;
};
ts860_effective_param ts860_effective(const ts860_param& param);
