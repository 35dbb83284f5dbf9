#pragma once

#include <libusb.h>
#include <linux/ioctl.h>
#include <linux/usbdevice_fs.h>
#include <umockdev.h>

#include <QByteArray>
#include <QString>
#include <cerrno>
#include <cstddef>
#include <deque>

#include "sim/SimDevice.h"

// A TS860 as the kernel lists it in sysfs: device (vendor 0x0A82, the product given), one
// configuration, one vendor-specific interface with a bulk IN, a bulk OUT and an interrupt
// endpoint. Device number n sits at /sys/devices/usb1/1-n and /dev/bus/usb/001/00n.
inline QByteArray ts860Description(int number, uint16_t product = 0x8111) {
  const QByteArray n = QByteArray::number(number);
  const QByteArray productHex = QByteArray::number(product, 16).rightJustified(4, '0');
  const QByteArray productLe = productHex.mid(2, 2) + productHex.left(2);
  return "P: /devices/usb1/1-" + n +
         "\n"
         "N: bus/usb/001/00" +
         n +
         "\n"
         "E: SUBSYSTEM=usb\n"
         "E: DEVTYPE=usb_device\n"
         "E: PRODUCT=a82/" +
         QByteArray::number(product, 16) +
         "/100\n"
         "E: BUSNUM=001\n"
         "E: DEVNUM=00" +
         n +
         "\n"
         "E: DEVNAME=/dev/bus/usb/001/00" +
         n +
         "\n"
         "A: busnum=1\\n\n"
         "A: devnum=" +
         n +
         "\\n\n"
         "A: bConfigurationValue=1\\n\n"
         "A: speed=480\\n\n"
         "H: descriptors=1201000200000040820a" +
         productLe +
         "000101020001"
         "09022700010100c001"
         "0904000003ffffff00"
         "07058102000200"
         "07050202000200"
         "07058303080008\n";
}

inline int urbStatus(int libusbError) {
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

// The usbfs side of an emulated TS860 in a umockdev testbed (the program runs under
// umockdev-wrapper): each submitted URB is carried out on the simulator at once and waits to be
// reaped. The device is device number 2 of the testbed.
class EmulatedTs860 {
 public:
  EmulatedTs860(UMockdevTestbed* testbed, const QString& folder) : device_(SimFolder(folder)), testbed_(testbed) {
    handler_ = umockdev_ioctl_base_new();
    g_signal_connect(handler_, "handle-ioctl", G_CALLBACK(&EmulatedTs860::onIoctl), this);
    umockdev_testbed_attach_ioctl(testbed_, "/dev/bus/usb/001/002", handler_, nullptr);
  }
  ~EmulatedTs860() {
    umockdev_testbed_detach_ioctl(testbed_, "/dev/bus/usb/001/002", nullptr);
    for (UMockdevIoctlData* urb : reaped_) umockdev_ioctl_data_unref(urb);
    g_object_unref(handler_);
  }
  EmulatedTs860(const EmulatedTs860&) = delete;
  EmulatedTs860& operator=(const EmulatedTs860&) = delete;

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
