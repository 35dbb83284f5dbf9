// The scanner controller as it follows real device announcements: udev, in umockdev's private
// /sys and /dev (the program runs under umockdev-wrapper), announces a TS860 that is the
// simulator's device model behind usbfs, and the controller opens it through libusb.
#include <gtest/gtest.h>

#include "EmulatedTs860.h"
#include "PreferenceStore.h"
#include "QtPrinters.h"
#include "RecordingDelegate.h"
#include "SimulatorFolder.h"
#include "SystemLog.h"
#include "TS860Controller.h"

namespace {

class UdevControllerTest : public testing::Test {
 protected:
  UdevControllerTest()
      : folder(SimulatorFolder::create()),
        preferences(folder + QLatin1String("/preferences.plist")),
        testbed(umockdev_testbed_new(), &g_object_unref),
        emulated(testbed.get(), folder) {
    qunsetenv("TS860_SIMULATOR");
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=" + folder.toLocal8Bit() + "/no-bus");
  }
  ~UdevControllerTest() override { qunsetenv("DBUS_SYSTEM_BUS_ADDRESS"); }

  // Device n of the testbed arrives (announced by the testbed) and its sysfs path is returned, or
  // it leaves, announced as the kernel and udev do.
  QByteArray plugIn(int number, uint16_t product) {
    EXPECT_TRUE(
        umockdev_testbed_add_from_string(testbed.get(), ts860Description(number, product).constData(), nullptr));
    return "/sys/devices/usb1/1-" + QByteArray::number(number);
  }
  void unplug(const QByteArray& path) {
    umockdev_testbed_uevent(testbed.get(), path.constData(), "remove");
    umockdev_testbed_remove_device(testbed.get(), path.constData());
  }
  bool called(const char* call, qsizetype times = 1) {
    return waitFor([&] { return delegate->count(QLatin1String(call)) >= times; });
  }

  QString folder;
  PreferenceStore preferences;
  SystemLogCapture log;
  std::unique_ptr<UMockdevTestbed, void (*)(gpointer)> testbed;
  EmulatedTs860 emulated;
  std::shared_ptr<RecordingDelegate> delegate = std::make_shared<RecordingDelegate>();
};

TEST_F(UdevControllerTest, OpensOnArrivalOfTheTs860AndClosesOnRemoval) {
  ASSERT_TRUE(qgetenv("LD_PRELOAD").contains("umockdev")) << "run this program under umockdev-wrapper";
  TS860Controller controller(preferences);
  ASSERT_FALSE(controller.startMonitorWithDelegate(delegate).has_value());
  EXPECT_TRUE(delegate->calls.isEmpty());

  // A device of the other product comes and goes unnoticed; the TS860 announced after it opens.
  unplug(plugIn(3, 0x8100));
  const QByteArray ts860 = plugIn(2, 0x8111);
  ASSERT_TRUE(called("DidOpened"));
  EXPECT_EQ(delegate->calls, QStringList{"DidOpened"});
  EXPECT_TRUE(controller.isScannerOpened());

  unplug(ts860);
  ASSERT_TRUE(called("DidClosed"));
  EXPECT_FALSE(controller.isScannerOpened());
  EXPECT_EQ(delegate->calls, (QStringList{"DidOpened", "DidClosed"}));
}

TEST_F(UdevControllerTest, OpensATs860AttachedBeforeMonitoring) {
  ASSERT_TRUE(qgetenv("LD_PRELOAD").contains("umockdev")) << "run this program under umockdev-wrapper";
  const QByteArray ts860 = plugIn(2, 0x8111);
  TS860Controller controller(preferences);
  ASSERT_FALSE(controller.startMonitorWithDelegate(delegate).has_value());
  EXPECT_EQ(delegate->calls, QStringList{"DidOpened"});
  unplug(ts860);
  ASSERT_TRUE(called("DidClosed"));
  EXPECT_EQ(delegate->calls, (QStringList{"DidOpened", "DidClosed"}));
}

}  // namespace
