#include "ts860_param.h"

void ts860_initparam(ts860_context*, ts860_param* param) {
  param->width = 2.17f;
  param->height = 3.7f;
  param->dpi = 400;
  param->brightness = 0xC8C4;
  param->contrast = 0x6C50;
  param->highlight = 255;
  param->shadow = 0;
  param->gamma = 1.0f;
  param->xoffset = 101;
  param->yoffset = 0;
  param->calibrationData = nullptr;
  param->toneTable = nullptr;
}

ts860_effective_param ts860_effective(const ts860_param& param) {
  ts860_effective_param effective{};
  effective.tableDpi = param.dpi == 200 || param.dpi == 300 || param.dpi == 600 ? param.dpi : 400;
  // Single-precision products, truncated, as the device's own software computes them.
  effective.width = uint32_t(float(param.dpi) * param.width);
  if (effective.width % 4) effective.width += 4 - effective.width % 4;
  effective.lines = uint32_t(float(param.dpi) * param.height);
  effective.xoffset = param.xoffset < 1 ? 101 : param.xoffset;
  effective.yoffset = param.yoffset < 0 ? 0 : param.yoffset;
  uint8_t highlight = param.highlight == 0 ? 255 : param.highlight;
  uint8_t shadow = param.shadow == 255 ? 0 : param.shadow;
  if (highlight < shadow) highlight = 255, shadow = 0;
  effective.highlight = highlight;
  effective.shadow = shadow;
  const double gamma = double(param.gamma);
  effective.gamma = gamma < 0.1 || gamma > 10.0 ? 1.0 : gamma;
  return effective;
}
