#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include "TestEnvironment.h"

// Folders of the simulated TS860 for tests.
namespace SimulatorFolder {

// Writes a file below the folder, replacing what it held; false when that failed.
inline bool write(const QString& folder, const QString& name, const QByteArray& bytes) {
  QFile file(folder + QLatin1Char('/') + name);
  return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A new folder with the device attached, an empty hopper and no real waiting.
inline QString create() {
  const QString folder = TestEnvironment::freshFolder();
  QDir(folder).mkpath(QStringLiteral("hopper"));
  write(folder, QStringLiteral("attached"), {});
  write(folder, QStringLiteral("settings"), "time_scale 0\n");
  return folder;
}

}  // namespace SimulatorFolder
