#pragma once

#include <QImage>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

// The TS860's contact sensor and the sheet in front of it, as the simulator models them. Sensor
// pixels count in 600-dpi steps from the left end of the sensor; each has its own dark level and
// its own response to light, the first few see no light at all, and the device may correct each
// line with the shading and tone tables the host loaded.
struct SensorSettings {
  double dark = 18;          // mean dark level
  double darkSpread = 6;     // how far a pixel's dark level strays from the mean, either way
  double white = 180;        // lit level of a white sheet in the middle of the sensor
  double vignetting = 0.25;  // share of the white response lost at both ends of the sensor
  double masked = 50;        // sensor pixels from 31 on that see no light
  double maskedLevel = 10;   // what those pixels read with the lamp on
  double noise = 2;          // largest noise, in levels, either way
  double cardLeft = 104;     // sensor pixel under the card's left edge
  double cardTop = 18;       // 600-dpi lines of background before the card's top edge
  double background = 0.04;  // reflectance of the dark lid around the card

  static SensorSettings from(const std::map<std::string, double>& numbers);
};

// What the device scans: a card image, a plain white sheet (calibration and cleaning sheets), or
// nothing (the lid alone).
struct Sheet {
  enum Kind { Card, White, Empty } kind = Empty;
  QImage card;  // any size and orientation; stands for a card 55 mm across
};

// The scan the host programmed.
struct ScanWindow {
  int startPixel = 0;  // sensor pixels, 600 dpi
  int endPixel = 0;
  int dpi = 0;
  int lines = 0;
  bool lamp = false;
  bool corrected = false;            // apply the shading and tone tables
  const uint8_t* shading = nullptr;  // 6152 bytes, or none
  const uint8_t* tone = nullptr;     // 512 bytes, or none

  int width() const { return dpi > 0 && endPixel > startPixel ? (endPixel - startPixel) * dpi / 600 : 0; }
};

// The image the device produces for one scan: lines × width bytes, top line first.
std::vector<uint8_t> formImage(const SensorSettings& sensor, const Sheet& sheet, const ScanWindow& window);
