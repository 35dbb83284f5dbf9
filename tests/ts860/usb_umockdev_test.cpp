// The libusb transport, unchanged, against the simulated TS860 behind an emulated USB device:
// umockdev puts a TS860 into a private /sys and /dev (the program runs under umockdev-wrapper)
// and answers the usbfs requests that libusb makes with the simulator's device model.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QtGlobal>

#include "EmulatedTs860.h"
#include "SimulatorFolder.h"
#include "ts860_proto.h"
#include "ts860_scan.h"
#include "ts860_usb.h"

namespace {

QByteArray contents(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The default card scan through libusb gives the very transfers it gives through the simulator's
// direct backend; an unplugged device then fails the next transfer with libusb's NO_DEVICE.
TEST(UsbUmockdevTest, ScanThroughLibusb) {
  ASSERT_TRUE(qgetenv("LD_PRELOAD").contains("umockdev")) << "run this program under umockdev-wrapper";
  const QString folder = SimulatorFolder::create();
  ASSERT_TRUE(SimulatorFolder::write(folder, QStringLiteral("hopper/calibration"), {}));
  UMockdevTestbed* testbed = umockdev_testbed_new();
  ASSERT_TRUE(umockdev_testbed_add_from_string(testbed, ts860Description(2).constData(), nullptr));
  EmulatedTs860 emulated(testbed, folder);

  EXPECT_EQ(ts860_check_connected(nullptr), 0);
  ts860_context* context = ts860_usb_init();
  ASSERT_NE(context, nullptr);
  ASSERT_EQ(ts860_proto_init(context), 0);
  qputenv("TS860_TRACE", (folder + QLatin1String("/trace")).toLocal8Bit());
  ts860_param param;
  ts860_initparam(context, &param);
  uint8_t* bitmap = nullptr;
  uint32_t size = 0;
  ASSERT_EQ(ts860_scan(context, &param, &bitmap, &size), 0);
  qunsetenv("TS860_TRACE");
  ts860_freebmp(context, bitmap, size);
  EXPECT_EQ(contents(folder + QLatin1String("/trace")),
            contents(QStringLiteral(QUILLORY_TS860_GOLDEN_DIR "/scan_default.trace")));

  QFile::remove(folder + QLatin1String("/attached"));
  testing::internal::CaptureStderr();
  EXPECT_EQ(ts860_ispaperon(context), -1);
  testing::internal::GetCapturedStderr();
  const char* function = nullptr;
  EXPECT_EQ(ts860_usb_lasterror(context, &function), LIBUSB_ERROR_NO_DEVICE);
  EXPECT_STREQ(function, "libusb_control_transfer");
  ts860_usb_final(context);
  g_object_unref(testbed);
}

}  // namespace
