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
