#include "UdevDeviceMonitor.h"

#include <libudev.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

PelluxError udevError(const char* function, int returned) {
  return PelluxError::pelluxErrorWithSystemFunction(QString::fromLatin1(function), quint64(qint64(returned)));
}

}  // namespace

UdevDeviceMonitor::UdevDeviceMonitor() = default;

UdevDeviceMonitor::~UdevDeviceMonitor() {
  notifier_.reset();
  if (monitor_) udev_monitor_unref(monitor_);
  if (udev_) udev_unref(udev_);
}

std::optional<PelluxError> UdevDeviceMonitor::start(std::vector<ts860_device_entry> watched, Handler handler) {
  udev_ = udev_new();
  if (!udev_) return udevError("udev_new", -errno);
  monitor_ = udev_monitor_new_from_netlink(udev_, "udev");
  if (!monitor_) return udevError("udev_monitor_new_from_netlink", -errno);
  if (const int failed = udev_monitor_filter_add_match_subsystem_devtype(monitor_, "usb", "usb_device"))
    return udevError("udev_monitor_filter_add_match_subsystem_devtype", failed);
  if (const int failed = udev_monitor_enable_receiving(monitor_))
    return udevError("udev_monitor_enable_receiving", failed);
  watched_ = std::move(watched);
  handler_ = std::move(handler);
  notifier_ = std::make_unique<QSocketNotifier>(udev_monitor_get_fd(monitor_), QSocketNotifier::Read);
  QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(), [this] { receive(); });
  return std::nullopt;
}

QStringList UdevDeviceMonitor::attachedDevices() const {
  QStringList devices;
  udev_enumerate* search = udev_enumerate_new(udev_);
  if (!search) return devices;
  udev_enumerate_add_match_subsystem(search, "usb");
  udev_enumerate_add_match_property(search, "DEVTYPE", "usb_device");
  udev_enumerate_scan_devices(search);
  udev_list_entry* entry = nullptr;
  udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(search)) {
    const char* path = udev_list_entry_get_name(entry);
    if (udev_device* device = udev_device_new_from_syspath(udev_, path)) {
      if (isWatched(device)) devices.append(QString::fromLocal8Bit(path));
      udev_device_unref(device);
    }
  }
  udev_enumerate_unref(search);
  return devices;
}

bool UdevDeviceMonitor::isWatched(udev_device* device) const {
  // PRODUCT is "vendor/product/release", each in hex without leading zeros.
  const char* product = udev_device_get_property_value(device, "PRODUCT");
  unsigned vendorId = 0, productId = 0, release = 0;
  if (!product || std::sscanf(product, "%x/%x/%x", &vendorId, &productId, &release) != 3) return false;
  return vendorId <= 0xFFFF && productId <= 0xFFFF &&
         ScannerDeviceMonitor::isWatched(watched_, uint16_t(vendorId), uint16_t(productId));
}

void UdevDeviceMonitor::receive() {
  // The socket does not block: take every waiting announcement.
  while (udev_device* device = udev_monitor_receive_device(monitor_)) {
    const char* action = udev_device_get_action(device);
    const bool arrived = action && std::strcmp(action, "add") == 0;
    const bool removed = action && std::strcmp(action, "remove") == 0;
    const QString path = QString::fromLocal8Bit(udev_device_get_syspath(device));
    const bool watched = (arrived || removed) && isWatched(device);
    udev_device_unref(device);
    if (watched) handler_(arrived, {path});
  }
}
