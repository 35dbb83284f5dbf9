#include "SimulatorDeviceMonitor.h"

#include <utility>

SimulatorDeviceMonitor::SimulatorDeviceMonitor(const QString& folder) : folder_(folder) {}

std::optional<PelluxError> SimulatorDeviceMonitor::start(std::vector<ts860_device_entry> watched, Handler handler) {
  if (!watcher_.addPath(folder_.path()))
    return PelluxError::pelluxErrorWithSystemFunction(
        QStringLiteral("QFileSystemWatcher::addPath"), quint64(-1), std::nullopt,
        {{QLatin1String(kPelluxError_UserInfoKey_FileAccessFaildPath), folder_.path()}});
  watched_ = std::move(watched);
  handler_ = std::move(handler);
  present_ = folder_.attachedDevice();
  QObject::connect(&watcher_, &QFileSystemWatcher::directoryChanged, &watcher_, [this] { folderChanged(); });
  return std::nullopt;
}

QStringList SimulatorDeviceMonitor::attachedDevices() const {
  return isWatched(folder_.attachedDevice()) ? QStringList{folder_.path()} : QStringList{};
}

bool SimulatorDeviceMonitor::isWatched(const std::optional<ts860_device_entry>& device) const {
  return device && ScannerDeviceMonitor::isWatched(watched_, device->vendor, device->product);
}

void SimulatorDeviceMonitor::folderChanged() {
  const std::optional<ts860_device_entry> now = folder_.attachedDevice();
  const auto same = [](const ts860_device_entry& a, const ts860_device_entry& b) {
    return a.vendor == b.vendor && a.product == b.product;
  };
  if (now.has_value() == present_.has_value() && (!now || same(*now, *present_))) return;
  const std::optional<ts860_device_entry> before = std::exchange(present_, now);
  if (isWatched(before)) handler_(false, {folder_.path()});
  if (isWatched(now)) handler_(true, {folder_.path()});
}
