#include "TS860ScanParamWrapper.h"

#include <cstdio>

#include "ts860_calibrate.h"

void TS860ScanParamWrapper::setDpi(int32_t dpi) {
  param_->dpi = dpi == 200 || dpi == 300 || dpi == 400 || dpi == 600 ? dpi : 0;
}

void TS860ScanParamWrapper::setCalibrationData(const QByteArray& data) {
  if (data.constData() == calibrationData_.constData() && data.size() == calibrationData_.size()) return;
  QByteArray kept = data;
  if (!data.isNull() && data.size() != qsizetype(TS860_CALIBRATION_DATA_SIZE)) {
    std::fprintf(stderr, "Calibration data size: %lu != %d.\n", static_cast<unsigned long>(data.size()),
                 int(TS860_CALIBRATION_DATA_SIZE));
    kept = QByteArray();
  }
  calibrationData_ = kept;
  param_->calibrationData =
      calibrationData_.isNull() ? nullptr : reinterpret_cast<const uint8_t*>(calibrationData_.constData());
}
