#include "SimSensor.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kShadingFirstPixel = 31;
constexpr int kShadingColumns = 1536;
constexpr int kSensorCentre = 800;
constexpr double kCardWidthInches = 55.0 / 25.4;

// A fixed pseudo-random value in [-1, 1] for a number, so that a pixel keeps its character from
// scan to scan.
double scatter(uint32_t n) {
  n ^= n >> 16;
  n *= 0x7feb352dU;
  n ^= n >> 15;
  n *= 0x846ca68bU;
  n ^= n >> 16;
  return double(n & 0xFFFF) / 32767.5 - 1.0;
}

uint16_t le16(const uint8_t* bytes) { return uint16_t(bytes[0] | bytes[1] << 8); }

// One output column: the sensor pixel behind it and that pixel's character.
struct Column {
  int pixel;
  double dark;
  double span;  // lit minus dark level for a white sheet
  bool usable;
};

Column columnAt(const SensorSettings& sensor, const ScanWindow& window, int x) {
  Column column;
  column.pixel = window.startPixel + x * 600 / window.dpi;
  column.dark = sensor.dark + sensor.darkSpread * scatter(uint32_t(column.pixel));
  const double fromCentre = double(column.pixel - kSensorCentre) / kSensorCentre;
  column.span = (sensor.white - sensor.dark) * (1.0 - sensor.vignetting * fromCentre * fromCentre);
  column.usable = column.pixel >= kShadingFirstPixel + int(sensor.masked);
  return column;
}

// The card as the window sees it: upright (short side across the sensor), at the window's
// resolution, in grey.
QImage cardAtResolution(const QImage& card, int dpi) {
  QImage upright = card.width() > card.height() ? card.transformed(QTransform().rotate(90)) : card;
  const int width = std::max(1, int(std::lround(kCardWidthInches * dpi)));
  const int height = std::max(1, int(std::lround(double(width) * upright.height() / upright.width())));
  return upright.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
      .convertToFormat(QImage::Format_Grayscale8);
}

// The reflectance at window pixel (x, y).
double reflectance(const SensorSettings& sensor, const Sheet& sheet, const QImage& card, const ScanWindow& window,
                   int x, int y) {
  if (sheet.kind == Sheet::White) return 1.0;
  if (sheet.kind == Sheet::Empty) return sensor.background;
  const int cardX = x - int((sensor.cardLeft - window.startPixel) * window.dpi / 600);
  const int cardY = y - int(sensor.cardTop * window.dpi / 600);
  if (cardX < 0 || cardY < 0 || cardX >= card.width() || cardY >= card.height()) return sensor.background;
  return 0.02 + 0.96 * card.constScanLine(cardY)[cardX] / 255.0;
}

int rawLevel(const SensorSettings& sensor, const ScanWindow& window, const Column& column, double reflect,
             int noiseSeed) {
  double level = column.dark;
  if (window.lamp) level = column.usable ? column.dark + reflect * column.span : sensor.maskedLevel;
  level += sensor.noise * scatter(uint32_t(noiseSeed));
  return std::clamp(int(std::lround(level)), 0, 255);
}

// The device's correction: (level × 256 − offset) × gain / 2^14 as a 16-bit level, then the tone
// table on its high byte.
int corrected(const ScanWindow& window, const Column& column, int raw) {
  int value = raw;
  const int entry = column.pixel - kShadingFirstPixel;
  if (window.shading && entry >= 0 && entry < kShadingColumns) {
    const uint8_t* field = window.shading + 8 + 4 * entry;
    const int64_t level = (int64_t(raw) * 256 - le16(field)) * le16(field + 2) >> 14;
    value = int(std::clamp<int64_t>(level, 0, 0xFFFF) >> 8);
  }
  return window.tone ? window.tone[2 * value + 1] : value;
}

}  // namespace

SensorSettings SensorSettings::from(const std::map<std::string, double>& numbers) {
  SensorSettings settings;
  const auto take = [&numbers](const char* key, double& field) {
    if (const auto found = numbers.find(key); found != numbers.end()) field = found->second;
  };
  take("dark", settings.dark);
  take("dark_spread", settings.darkSpread);
  take("white", settings.white);
  take("vignetting", settings.vignetting);
  take("masked", settings.masked);
  take("masked_level", settings.maskedLevel);
  take("noise", settings.noise);
  take("card_left", settings.cardLeft);
  take("card_top", settings.cardTop);
  take("background", settings.background);
  return settings;
}

std::vector<uint8_t> formImage(const SensorSettings& sensor, const Sheet& sheet, const ScanWindow& window) {
  const int width = window.width();
  std::vector<uint8_t> image(size_t(width) * size_t(std::max(window.lines, 0)));
  if (width == 0) return image;
  std::vector<Column> columns;
  columns.reserve(size_t(width));
  for (int x = 0; x < width; ++x) columns.push_back(columnAt(sensor, window, x));
  const QImage card = sheet.kind == Sheet::Card ? cardAtResolution(sheet.card, window.dpi) : QImage();
  for (int y = 0; y < window.lines; ++y) {
    uint8_t* line = image.data() + size_t(y) * size_t(width);
    for (int x = 0; x < width; ++x) {
      const int raw = rawLevel(sensor, window, columns[size_t(x)], reflectance(sensor, sheet, card, window, x, y),
                               y * 7919 + x * 104729 + 1);
      line[x] = uint8_t(window.corrected ? corrected(window, columns[size_t(x)], raw) : raw);
    }
  }
  return image;
}
