#include <gtest/gtest.h>

#include <QFile>
#include <cstring>
#include <deque>

#include "TestEnvironment.h"
#include "ts860_backend.h"
#include "ts860_usb.h"
#include "ts860_usb_libusb.h"

namespace {

// A backend answering from a script: each call takes the next return value (0 when the script is
// empty) and control IN requests are filled with a fixed pattern.
class ScriptedBackend : public Ts860Backend {
 public:
  std::deque<int> results;

  int next(int success) {
    if (results.empty()) return success;
    const int result = results.front();
    results.pop_front();
    return result;
  }
  int control(uint8_t requestType, uint8_t, uint16_t, uint16_t, unsigned char* data, uint16_t length,
              unsigned timeout) override {
    lastTimeout = timeout;
    if (requestType & 0x80)
      for (uint16_t i = 0; i < length; ++i) data[i] = uint8_t(0xA0 + i);
    return next(length);
  }
  int bulkIn(unsigned char* data, int length, int* transferred, unsigned) override {
    *transferred = length / 2;  // a short read: the caller compares the count
    std::memset(data, 0x5A, size_t(*transferred));
    return next(0);
  }
  int bulkOut(const unsigned char*, int length, int* transferred, unsigned) override {
    *transferred = length;
    return next(0);
  }
  const char* controlCall() const override { return "fake_control"; }
  const char* bulkInCall() const override { return "fake_bulk_in"; }
  const char* bulkOutCall() const override { return "fake_bulk_out"; }

  unsigned lastTimeout = 0;
};

TEST(Ts860TransportTest, TheSupportedDevicesAndTheirMatching) {
  const ts860_device_entry* table = ts860_usb_devices();
  EXPECT_EQ(table[0].vendor, 0x0A82);
  EXPECT_EQ(table[0].product, 0x8100);
  EXPECT_EQ(table[1].product, 0x8111);
  EXPECT_EQ(table[2].vendor, 0);
  EXPECT_TRUE(ts860_match_device(0x0A82, 0x8111, table));
  EXPECT_FALSE(ts860_match_device(0x0A82, 0x8112, table));
  const ts860_device_entry disabled[] = {{0x0A82, 0x8100, TS860_DEVICE_DISABLED}, {0x0A82, 0x8111, 0}, {0, 0, 0}};
  EXPECT_FALSE(ts860_match_device(0x0A82, 0x8100, disabled));
  EXPECT_EQ(ts860_match_device(0x0A82, 0x8111, disabled), &disabled[1]);
}

TEST(Ts860TransportTest, PipesAreTheFirstOfEachKind) {
  libusb_endpoint_descriptor endpoints[5] = {};
  const std::pair<uint8_t, uint8_t> layout[] = {{0x83, LIBUSB_TRANSFER_TYPE_INTERRUPT},
                                                {0x81, LIBUSB_TRANSFER_TYPE_BULK},
                                                {0x02, LIBUSB_TRANSFER_TYPE_BULK},
                                                {0x84, LIBUSB_TRANSFER_TYPE_BULK},
                                                {0x05, LIBUSB_TRANSFER_TYPE_ISOCHRONOUS}};
  for (int i = 0; i < 5; ++i) {
    endpoints[i].bEndpointAddress = layout[i].first;
    endpoints[i].bmAttributes = layout[i].second;
  }
  libusb_interface_descriptor interface = {};
  interface.endpoint = endpoints;
  interface.bNumEndpoints = 5;
  const ts860_pipes all = ts860_select_pipes(interface);
  EXPECT_EQ(all.in, 0x81);
  EXPECT_EQ(all.out, 0x02);
  EXPECT_EQ(all.interrupt, 0x83);

  // Without a bulk OUT endpoint the out pipe stays 0, which opening refuses.
  endpoints[2].bEndpointAddress = 0x82;
  EXPECT_EQ(ts860_select_pipes(interface).out, 0);
}

TEST(Ts860TransportTest, WithoutAScannerNothingIsFoundAndNothingRecorded) {
  testing::internal::CaptureStderr();
  EXPECT_EQ(ts860_check_connected(nullptr), 1);
  EXPECT_EQ(ts860_usb_init(), nullptr);
  const std::string diagnostics = testing::internal::GetCapturedStderr();
  EXPECT_EQ(diagnostics, "ts860_find_usbdevice() failed.\n");
  const char* function = "untouched";
  EXPECT_EQ(ts860_usb_lasterror(nullptr, &function), 0);
  EXPECT_EQ(function, nullptr);
}

TEST(Ts860TransportTest, TransfersAreTracedAndFailuresRecorded) {
  const QString trace = TestEnvironment::freshFolder() + QStringLiteral("/trace.txt");
  qputenv("TS860_TRACE", trace.toUtf8());
  auto* scripted = new ScriptedBackend;
  ts860_context* context = ts860_context_with_backend(std::unique_ptr<Ts860Backend>(scripted));
  unsigned char pairs[4] = {0x0E, 0xFF, 0x02, 0x78};
  unsigned char status[2] = {};
  unsigned char table[100];
  std::memset(table, 7, sizeof table);
  EXPECT_EQ(ts860_devicerequest(context, 0x40, 0x04, 0x0083, 0x0000, 4, pairs), 0);
  EXPECT_EQ(ts860_devicerequest(context, 0xC0, 0x04, 0x018E, 0x0122, 2, status), 0);
  EXPECT_EQ(ts860_writebulk(context, sizeof table, table), 0);
  uint32_t count = 8;
  unsigned char image[8] = {};
  EXPECT_EQ(ts860_readbulk(context, &count, image), 0);
  EXPECT_EQ(count, 4u);
  EXPECT_EQ(scripted->lastTimeout, TS860_DEFAULT_USBTIMEOUT);

  scripted->results = {-7};
  testing::internal::CaptureStderr();
  EXPECT_EQ(ts860_devicerequest(context, 0x40, 0x04, 0x0083, 0x0000, 4, pairs), -1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "DeviceRequest() failed, returned -7(fffffff9).\n");
  const char* function = nullptr;
  EXPECT_EQ(ts860_usb_lasterror(context, &function), -7);
  EXPECT_STREQ(function, "fake_control");
  EXPECT_EQ(ts860_usb_lasterror(context), -7);
  EXPECT_EQ(ts860_writebulk(context, 4, pairs), 0);
  EXPECT_EQ(ts860_usb_lasterror(context, &function), 0);
  EXPECT_EQ(function, nullptr);
  ts860_usb_final(context);
  qunsetenv("TS860_TRACE");

  QFile file(trace);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QList<QByteArray> lines = file.readAll().split('\n');
  ASSERT_GE(lines.size(), 6);
  EXPECT_EQ(lines[0], "ctrl 40 04 0083 0000 4 0eff0278 rc=4");
  EXPECT_EQ(lines[1], "ctrl c0 04 018e 0122 2 a0a1 rc=2");
  EXPECT_TRUE(lines[2].startsWith("bulk-out 100 sha256:")) << lines[2].toStdString();
  EXPECT_EQ(lines[2].size(), qsizetype(strlen("bulk-out 100 sha256:") + 64 + strlen(" rc=0")));
  EXPECT_EQ(lines[3], "bulk-in 8 4 5a5a5a5a rc=0");
  EXPECT_EQ(lines[4], "ctrl 40 04 0083 0000 4 0eff0278 rc=-7");
  EXPECT_EQ(lines[5], "bulk-out 4 0eff0278 rc=0");
}

}  // namespace
