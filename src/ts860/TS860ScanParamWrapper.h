#pragma once

#include <QByteArray>

#include "ts860_param.h"

// Typed access to one scan parameter record for the application, which fills it from the settings
// before a scan. The record is referenced, not owned; the wrapper keeps the calibration bytes the
// record points to alive until it is destroyed.
class TS860ScanParamWrapper {
 public:
  explicit TS860ScanParamWrapper(ts860_param* param) : param_(param) {}
  TS860ScanParamWrapper(const TS860ScanParamWrapper&) = delete;
  TS860ScanParamWrapper& operator=(const TS860ScanParamWrapper&) = delete;

  ts860_param* param() const { return param_; }

  int32_t dpi() const { return param_->dpi; }
  // 200, 300, 400 and 600 are kept; anything else is stored as 0 (the scan then refuses).
  void setDpi(int32_t dpi);
  float width() const { return param_->width; }
  void setWidth(float width) { param_->width = width; }
  float height() const { return param_->height; }
  void setHeight(float height) { param_->height = height; }
  int32_t xoffset() const { return param_->xoffset; }
  void setXoffset(int32_t xoffset) { param_->xoffset = xoffset; }
  int32_t yoffset() const { return param_->yoffset; }
  void setYoffset(int32_t yoffset) { param_->yoffset = yoffset; }
  uint16_t brightness() const { return param_->brightness; }
  void setBrightness(uint16_t brightness) { param_->brightness = brightness; }
  uint16_t contrast() const { return param_->contrast; }
  void setContrast(uint16_t contrast) { param_->contrast = contrast; }
  uint8_t highlight() const { return param_->highlight; }
  void setHighlight(uint8_t highlight) { param_->highlight = highlight; }
  uint8_t shadow() const { return param_->shadow; }
  void setShadow(uint8_t shadow) { param_->shadow = shadow; }
  float gamma() const { return param_->gamma; }
  void setGamma(float gamma) { param_->gamma = gamma; }

  const QByteArray& calibrationData() const { return calibrationData_; }
  // Data of the wrong size (not 6152 bytes) is refused with a log line; the record then has none
  // and the scan uses the built-in shading table.
  void setCalibrationData(const QByteArray& data);

 private:
  ts860_param* param_;
  QByteArray calibrationData_;
};
