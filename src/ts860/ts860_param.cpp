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
