// The libusb transport, unchanged, against the simulated TS860 behind an emulated USB device:
// umockdev puts a TS860 into a private /sys and /dev (the program runs under umockdev-wrapper)
// and answers the usbfs requests that libusb makes with the simulator's device model.
#include <gtest/gtest.h>
#include <libusb.h>
#include <linux/ioctl.h>
#include <linux/usbdevice_fs.h>
#include <umockdev.h>

#include <QDir>
#include <QFile>
#include <QtGlobal>
#include <cerrno>
#include <cstddef>
#include <deque>

#include "SimulatorFolder.h"
#include "sim/SimDevice.h"
#include "ts860_proto.h"
#include "ts860_scan.h"
#include "ts860_usb.h"

namespace {

// The TS860's descriptors as the kernel lists them in sysfs: device (vendor 0x0A82, product
// 0x8111), one configuration, one vendor-specific interface with a bulk IN, a bulk OUT and an
// interrupt endpoint.
constexpr const char* kDevice =
    "P: /devices/usb1/1-1\n"
    "N: bus/usb/001/002\n"
    "E: SUBSYSTEM=usb\n"
    "E: DEVTYPE=usb_device\n"
    "E: BUSNUM=001\n"
    "E: DEVNUM=002\n"
    "E: DEVNAME=/dev/bus/usb/001/002\n"
    "A: busnum=1\\n\n"
    "A: devnum=2\\n\n"
    "A: bConfigurationValue=1\\n\n"
    "A: speed=480\\n\n"
    "H: descriptors=1201000200000040820a1181000101020001"
    "09022700010100c001"
    "0904000003ffffff00"
    "07058102000200"
    "07050202000200"
    "07058303080008\n";

int urbStatus(int libusbError) {
  switch (libusbError) {
    case LIBUSB_ERROR_PIPE:
      return -EPIPE;
    case LIBUSB_ERROR_NO_DEVICE:
      return -ENODEV;
    case LIBUSB_ERROR_TIMEOUT:
      return -ETIMEDOUT;
    default:
      return -EPROTO;
  }
}

// The usbfs side of the emulated device: each submitted URB is carried out on the simulator at
// once and waits to be reaped.
class EmulatedTs860 {
 public:
  explicit EmulatedTs860(const QString& folder) : device_(SimFolder(folder)) {
    testbed_ = umockdev_testbed_new();
    handler_ = umockdev_ioctl_base_new();
    g_signal_connect(handler_, "handle-ioctl", G_CALLBACK(&EmulatedTs860::onIoctl), this);
    umockdev_testbed_attach_ioctl(testbed_, "/dev/bus/usb/001/002", handler_, nullptr);
    umockdev_testbed_add_from_string(testbed_, kDevice, nullptr);
  }
  ~EmulatedTs860() {
    for (UMockdevIoctlData* urb : reaped_) umockdev_ioctl_data_unref(urb);
    g_object_unref(handler_);
    g_object_unref(testbed_);
  }

 private:
  static gboolean onIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self) {
    return static_cast<EmulatedTs860*>(self)->handle(client);
  }

  gboolean handle(UMockdevIoctlClient* client) {
    UMockdevIoctlData* argument = umockdev_ioctl_client_get_arg(client);
    switch (umockdev_ioctl_client_get_request(client)) {
      case USBDEVFS_GET_CAPABILITIES: {
        UMockdevIoctlData* capabilities = umockdev_ioctl_data_resolve(argument, 0, sizeof(guint32), nullptr);
        *reinterpret_cast<guint32*>(capabilities->data) =
            USBDEVFS_CAP_BULK_SCATTER_GATHER | USBDEVFS_CAP_NO_PACKET_SIZE_LIM | USBDEVFS_CAP_REAP_AFTER_DISCONNECT;
        umockdev_ioctl_data_unref(capabilities);
        umockdev_ioctl_client_complete(client, 0, 0);
        return TRUE;
      }
      case USBDEVFS_GETDRIVER:
        umockdev_ioctl_client_complete(client, -1, ENODATA);  // no kernel driver bound
        return TRUE;
      case USBDEVFS_CLAIMINTERFACE:
      case USBDEVFS_RELEASEINTERFACE:
      case USBDEVFS_DISCONNECT_CLAIM:
      case USBDEVFS_SETCONFIGURATION:
      case USBDEVFS_RESET:
        umockdev_ioctl_client_complete(client, 0, 0);
        return TRUE;
      case USBDEVFS_SUBMITURB:
        submit(argument);
        umockdev_ioctl_client_complete(client, 0, 0);
        return TRUE;
      case USBDEVFS_REAPURB:
      case USBDEVFS_REAPURBNDELAY:
        reap(client, argument);
        return TRUE;
      default:
        return FALSE;
    }
  }

  void submit(UMockdevIoctlData* argument) {
    UMockdevIoctlData* urbData = umockdev_ioctl_data_resolve(argument, 0, sizeof(usbdevfs_urb), nullptr);
    auto* urb = reinterpret_cast<usbdevfs_urb*>(urbData->data);
    // The test shares the program's memory, so the URB's buffer is read and written in place.
    auto* buffer = static_cast<unsigned char*>(urb->buffer);
    int rc = 0;
    int transferred = 0;
    if (urb->type == USBDEVFS_URB_TYPE_CONTROL) {
      const auto word = [buffer](int at) { return uint16_t(buffer[at] | buffer[at + 1] << 8); };
      rc = device_.control(buffer[0], buffer[1], word(2), word(4), buffer + 8, word(6), 5000);
      transferred = rc > 0 ? rc : 0;
    } else if (urb->endpoint & LIBUSB_ENDPOINT_IN) {
      rc = device_.bulkIn(buffer, urb->buffer_length, &transferred, 5000);
    } else {
      rc = device_.bulkOut(buffer, urb->buffer_length, &transferred, 5000);
    }
    urb->actual_length = transferred;
    urb->status = rc < 0 ? urbStatus(rc) : 0;
    reaped_.push_back(urbData);
  }

  void reap(UMockdevIoctlClient* client, UMockdevIoctlData* argument) {
    if (reaped_.empty()) {
      umockdev_ioctl_client_complete(client, -1, EAGAIN);
      return;
    }
    UMockdevIoctlData* urbData = reaped_.front();
    reaped_.pop_front();
    UMockdevIoctlData* pointer = umockdev_ioctl_data_resolve(argument, 0, sizeof(gpointer), nullptr);
    umockdev_ioctl_data_set_ptr(pointer, 0, urbData);
    umockdev_ioctl_data_unref(pointer);
    umockdev_ioctl_data_unref(urbData);
    umockdev_ioctl_client_complete(client, 0, 0);
  }

  SimDevice device_;
  UMockdevTestbed* testbed_ = nullptr;
  UMockdevIoctlBase* handler_ = nullptr;
  std::deque<UMockdevIoctlData*> reaped_;
};

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
  EmulatedTs860 emulated(folder);

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
}

}  // namespace
