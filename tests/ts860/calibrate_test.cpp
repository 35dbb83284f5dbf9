#include <gtest/gtest.h>

#include <QByteArray>
#include <QtGlobal>
#include <algorithm>
#include <cstring>
#include <vector>

#include "StatusScriptBackend.h"
#include "ts860_calibrate.h"
#include "ts860_usb.h"

namespace {

constexpr int kColumns = 1536;
constexpr int kReadsPerPass = 20;

uint16_t entry(const std::vector<uint8_t>& data, int column, int which) {
  return uint16_t(data[size_t(8 + 4 * column + 2 * which)] | data[size_t(9 + 4 * column + 2 * which)] << 8);
}

class CalibrateTest : public testing::Test {
 protected:
  ~CalibrateTest() override {
    ts860_usb_final(context);
    qunsetenv("TS860_CALIBRATION_COEFF");
  }

  // A sheet whose dark level is `dark` everywhere and whose lit level is `lit`, except `masked`
  // leading columns at `maskedLevel`.
  void sheet(uint8_t dark, uint8_t lit, int masked, uint8_t maskedLevel) {
    device->status = [](int) { return 0x00; };  // paper, data ready, motor stopped
    device->image = [=](int read, unsigned char* data, int length) {
      for (int i = 0; i < length; ++i) {
        const int column = i % kColumns;
        data[i] = read % (2 * kReadsPerPass) < kReadsPerPass ? dark : column < masked ? maskedLevel : lit;
      }
    };
  }

  int calibrate() { return ts860_calibrate(context, &xoffset, data.data()); }

  StatusScriptBackend* device = new StatusScriptBackend;
  ts860_context* context = ts860_context_with_backend(std::unique_ptr<Ts860Backend>(device));
  std::vector<uint8_t> data = std::vector<uint8_t>(TS860_CALIBRATION_DATA_SIZE, 0x33);
  int32_t xoffset = 0;
};

TEST_F(CalibrateTest, TheWorkedExample) {
  sheet(20, 150, 50, 10);
  ASSERT_EQ(calibrate(), 0);
  EXPECT_EQ(xoffset, 81);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(data[size_t(i)], 0xFF);
  for (int column : {0, 49, 50, 800, 1535}) {
    EXPECT_EQ(entry(data, column, 0), 5120) << column;
    EXPECT_EQ(entry(data, column, 1), column < 50 ? 0xFFFF : 30247) << column;
  }
  EXPECT_EQ(device->bulkReads, 2 * kReadsPerPass);
  EXPECT_EQ(std::count(device->requests.begin(), device->requests.end(), "bulk-in 61440"), 2 * kReadsPerPass);
  // Dark and lit passes differ in their A0 select and 03 values.
  EXPECT_EQ(std::count(device->requests.begin(), device->requests.end(), "ctrl 40 04 0083 0000 2 039f"), 1);
}

TEST_F(CalibrateTest, TuningAndUnusableColumns) {
  sheet(20, 150, 0, 0);
  qputenv("TS860_CALIBRATION_COEFF", QByteArray("0x2000"));
  ASSERT_EQ(calibrate(), 0);
  EXPECT_EQ(entry(data, 10, 1), 30247 / 2);
  for (const char* ignored : {"70000", "0", "abc", ""}) {
    qputenv("TS860_CALIBRATION_COEFF", QByteArray(ignored));
    ASSERT_EQ(calibrate(), 0);
    EXPECT_EQ(entry(data, 10, 1), 30247) << ignored;
  }
  sheet(40, 40, 0, 0);
  ASSERT_EQ(calibrate(), 0);
  EXPECT_EQ(xoffset, 30);
  EXPECT_EQ(entry(data, 700, 1), 0xFFFF);
}

TEST_F(CalibrateTest, NoPaperAtTheStart) {
  device->status = [](int) { return 0x08; };
  EXPECT_EQ(calibrate(), 1);
  EXPECT_EQ(data[8], 0);
  EXPECT_EQ(data[0], 0xFF);
}

TEST(CalibrationAverageTest, HalvesGoToTheEvenNeighbour) {
  const struct {
    uint16_t average;
    uint16_t expected;
  } cases[] = {{6, 4}, {10, 8}, {7, 5}};
  for (const auto& c : cases) EXPECT_EQ(ts860_running_average(3, c.average, 0), c.expected) << c.average;
  EXPECT_EQ(ts860_running_average(0, 0, 150), 150 * 256);
}

}  // namespace
