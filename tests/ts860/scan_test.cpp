#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "StatusScriptBackend.h"
#include "ts860_proto.h"
#include "ts860_scan.h"
#include "ts860_usb.h"

namespace {

uint32_t field(const uint8_t* bitmap, int at) {
  return uint32_t(bitmap[at]) | uint32_t(bitmap[at + 1]) << 8 | uint32_t(bitmap[at + 2]) << 16 |
         uint32_t(bitmap[at + 3]) << 24;
}

class ScanTest : public testing::Test {
 protected:
  ScanTest() { ts860_initparam(nullptr, &param); }
  ~ScanTest() override { ts860_usb_final(context); }

  size_t count(const std::string& line) const {
    return size_t(std::count(device->requests.begin(), device->requests.end(), line));
  }
  size_t countPrefix(const std::string& prefix) const {
    return size_t(std::count_if(device->requests.begin(), device->requests.end(),
                                [&](const std::string& line) { return line.rfind(prefix, 0) == 0; }));
  }

  ts860_param param;
  StatusScriptBackend* device = new StatusScriptBackend;
  ts860_context* context = ts860_context_with_backend(std::unique_ptr<Ts860Backend>(device));
  uint8_t* bitmap = nullptr;
  uint32_t size = 0;
};

TEST_F(ScanTest, TheDefaultScan) {
  device->lineWidth = 868;
  ASSERT_EQ(ts860_scan(context, &param, &bitmap, &size), 0);
  EXPECT_EQ(size, 1285718u);
  EXPECT_EQ(count("ctrl 40 04 0083 0000 6 820083008465"), 1u);
  EXPECT_EQ(count("ctrl 40 04 0083 0000 6 85008605877b"), 1u);
  EXPECT_EQ(count("ctrl 40 04 0083 0000 6 2500260527c8"), 1u);
  EXPECT_EQ(count("ctrl 40 04 0083 0000 6 280029002a6c"), 1u);
  EXPECT_EQ(count("ctrl 40 04 0083 0000 4 2c012d90"), 1u);
  EXPECT_EQ(countPrefix("ctrl 40 04 0082 0000 8 00000010"), 37u);
  EXPECT_EQ(count("bulk-in 34720"), 37u);
  EXPECT_EQ(count("ctrl c0 04 018e 0222 5 in"), 1u);

  const struct {
    int at;
    uint32_t value;
  } header[] = {{2, 1285718}, {10, 1078}, {14, 40}, {18, 868}, {22, 1480}, {34, 868 * 1480}, {38, 15750}, {42, 15750}};
  EXPECT_EQ(bitmap[0], 'B');
  EXPECT_EQ(bitmap[1], 'M');
  for (const auto& [at, value] : header) EXPECT_EQ(field(bitmap, at), value) << at;
  EXPECT_EQ(bitmap[26], 1);
  EXPECT_EQ(bitmap[28], 8);
  EXPECT_EQ(field(bitmap, 54 + 4 * 200), 0x00C8C8C8u);
  // Rows are bottom-up: the last line read is the first row stored.
  EXPECT_EQ(bitmap[1078], uint8_t(1479 & 0xFF));
  EXPECT_EQ(bitmap[1078 + 1479 * 868], 0);
  ts860_freebmp(context, bitmap, size);
}

TEST_F(ScanTest, DroppedLinesAndTheLastShortChunk) {
  param.dpi = 300;
  param.yoffset = 3;
  device->lineWidth = 652;
  ASSERT_EQ(ts860_scan(context, &param, &bitmap, &size), 0);
  EXPECT_EQ(field(bitmap, 22), 1110u);
  EXPECT_EQ(countPrefix("bulk-in "), 28u);
  EXPECT_EQ(device->requests.back(), "bulk-in 21516");          // 33 lines
  EXPECT_EQ(count("ctrl 40 04 0083 0000 6 250026042759"), 1u);  // 1113 lines in all
  // The top row is the fourth line read; the bottom row the last.
  EXPECT_EQ(bitmap[1078 + 1109 * 652], 3);
  EXPECT_EQ(bitmap[1078], uint8_t(1112 & 0xFF));
  EXPECT_EQ(field(bitmap, 38), 11812u);
  ts860_freebmp(context, bitmap, size);
}

TEST_F(ScanTest, FailuresHandOutNothing) {
  param.dpi = 0;
  testing::internal::CaptureStderr();
  EXPECT_EQ(ts860_scan(context, &param, &bitmap, &size), -1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "ts860_scan:1: dpi is zero.\n");
  EXPECT_TRUE(device->requests.empty());

  ts860_initparam(nullptr, &param);
  device->lineWidth = 868;
  device->shortBy = 4;
  testing::internal::CaptureStderr();
  EXPECT_EQ(ts860_scan(context, &param, &bitmap, &size), -1);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("ts860_readbulk read only 34716 bytes for 34720 bytes."),
            std::string::npos);
  EXPECT_EQ(bitmap, nullptr);

  device->shortBy = 0;
  device->marker = 0x12;
  testing::internal::CaptureStderr();
  EXPECT_EQ(ts860_scan(context, &param, &bitmap, &size), -2);
  testing::internal::GetCapturedStderr();
}

TEST(Ts860TablesTest, ToneTables) {
  struct Case {
    uint8_t highlight, shadow;
    double gamma;
    std::vector<std::pair<int, int>> values;  // (i, t(i))
  } cases[] = {
      {200, 50, 1.0, {{0, 0}, {50, 0}, {51, 1}, {120, 70}, {199, 149}, {200, 255}, {255, 255}}},
      {255, 0, 2.2, {{0, 0}, {128, 56}, {254, 253}, {255, 255}}},
  };
  for (const Case& c : cases) {
    uint8_t table[TS860_TONE_TABLE_SIZE];
    ts860_tone_table(c.highlight, c.shadow, c.gamma, table);
    for (const auto& [i, t] : c.values) {
      EXPECT_EQ(table[2 * i + 1], t) << i;
      EXPECT_EQ(table[2 * i], i == 255 ? 0xFF : 0) << i;
    }
  }
}

TEST(Ts860TablesTest, DefaultShadingAndResolutions) {
  uint8_t table[TS860_SHADING_TABLE_SIZE];
  ts860_default_shading_table(50, table);
  auto entry = [&](int i) { return field(table, 8 + 4 * i); };
  EXPECT_EQ(field(table, 0), 0xFFFFFFFFu);
  EXPECT_EQ(entry(18), 0xFFFF0000u);
  EXPECT_EQ(entry(19), 0x80001500u);
  EXPECT_EQ(entry(1367), 0x80001500u);
  EXPECT_EQ(entry(1368), 0xFFFF0000u);
  ts860_default_shading_table(200, table);
  EXPECT_EQ(entry(63), 0xFFFF0000u);
  EXPECT_EQ(entry(64), 0x80001500u);

  const std::pair<int32_t, uint32_t> metres[] = {{200, 7875}, {300, 11812}, {400, 15750}, {600, 23625}};
  for (const auto& [dpi, ppm] : metres) EXPECT_EQ(ts860_pixels_per_metre(dpi), ppm);
}

TEST(Ts860ParamTest, TheParameterRules) {
  ts860_param param;
  ts860_initparam(nullptr, &param);
  const std::pair<int32_t, uint32_t> widths[] = {{400, 868}, {300, 652}, {200, 436}, {600, 1304}};
  for (const auto& [dpi, width] : widths) {
    param.dpi = dpi;
    EXPECT_EQ(ts860_effective(param).width, width) << dpi;
  }
  param.dpi = 400;
  EXPECT_EQ(ts860_effective(param).lines, 1480u);
  param.dpi = 500;
  EXPECT_EQ(ts860_effective(param).tableDpi, 400);
  for (float gamma : {0.05f, 11.0f}) {
    param.gamma = gamma;
    EXPECT_EQ(ts860_effective(param).gamma, 1.0);
  }
  param.highlight = 10;
  param.shadow = 100;
  EXPECT_EQ(ts860_effective(param).highlight, 255);
  EXPECT_EQ(ts860_effective(param).shadow, 0);
  param.xoffset = 0;
  param.yoffset = -4;
  EXPECT_EQ(ts860_effective(param).xoffset, 101);
  EXPECT_EQ(ts860_effective(param).yoffset, 0);
}

}  // namespace

#include "TS860ScanParamWrapper.h"

namespace {

TEST(TS860ScanParamWrapperTest, ResolutionAndCalibrationDataRules) {
  ts860_param param;
  ts860_initparam(nullptr, &param);
  TS860ScanParamWrapper wrapper(&param);
  const std::pair<int32_t, int32_t> resolutions[] = {{500, 0}, {600, 600}, {200, 200}, {-1, 0}};
  for (const auto& [given, stored] : resolutions) {
    wrapper.setDpi(given);
    EXPECT_EQ(param.dpi, stored) << given;
  }
  const QByteArray calibration(6152, '\x11');
  wrapper.setCalibrationData(calibration);
  ASSERT_NE(param.calibrationData, nullptr);
  EXPECT_EQ(param.calibrationData[6151], 0x11);
  testing::internal::CaptureStderr();
  wrapper.setCalibrationData(QByteArray(6151, '\x22'));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Calibration data size: 6151 != 6152.\n");
  EXPECT_EQ(param.calibrationData, nullptr);
  EXPECT_TRUE(wrapper.calibrationData().isNull());
}

}  // namespace
