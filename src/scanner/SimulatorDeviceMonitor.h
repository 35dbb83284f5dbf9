#pragma once

#include <QFileSystemWatcher>

#include "ScannerDeviceMonitor.h"
#include "sim/SimFolder.h"

// The simulated TS860 arrives when its folder's "attached" file appears and leaves when the file
// goes; the file names the device's ids. The folder is watched through the file system's change
// notices.
class SimulatorDeviceMonitor : public ScannerDeviceMonitor {
 public:
  explicit SimulatorDeviceMonitor(const QString& folder);

  std::optional<PelluxError> start(std::vector<ts860_device_entry> watched, Handler handler) override;
  QStringList attachedDevices() const override;

 private:
  bool isWatched(const std::optional<ts860_device_entry>& device) const;
  void folderChanged();

  SimFolder folder_;
  QFileSystemWatcher watcher_;
  std::vector<ts860_device_entry> watched_;
  Handler handler_;
  std::optional<ts860_device_entry> present_;  // the device on the bus, watched or not
};
