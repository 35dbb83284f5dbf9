#include "SimFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>
#include <utility>

SimFolder::SimFolder(QString path) : path_(std::move(path)) {}

bool SimFolder::exists() const { return QFileInfo(path_).isDir(); }

bool SimFolder::attached() const { return QFileInfo::exists(path_ + QLatin1String("/attached")); }

std::optional<ts860_device_entry> SimFolder::attachedDevice() const {
  QFile file(path_ + QLatin1String("/attached"));
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  const QList<QByteArray> ids = file.read(64).trimmed().split(':');
  ts860_device_entry device{0x0A82, 0x8111, 0};
  bool vendorRead = false, productRead = false;
  if (ids.size() == 2) {
    const uint vendor = ids[0].toUInt(&vendorRead, 16), product = ids[1].toUInt(&productRead, 16);
    if (vendorRead && productRead && vendor <= 0xFFFF && product <= 0xFFFF)
      device = {uint16_t(vendor), uint16_t(product), 0};
  }
  return device;
}

void SimFolder::detach() const { QFile::remove(path_ + QLatin1String("/attached")); }

QString SimFolder::firstCard() const {
  QDir hopper(path_ + QLatin1String("/hopper"));
  const QStringList names = hopper.entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
  for (const QString& name : names)
    if (!name.startsWith(QLatin1Char('.'))) return hopper.filePath(name);  // hidden files are not cards
  return {};
}

bool SimFolder::eject(const QString& card) const {
  QDir folder(path_);
  if (!folder.mkpath(QStringLiteral("done"))) return false;
  const QString target = folder.filePath(QLatin1String("done/") + QFileInfo(card).fileName());
  QFile::remove(target);  // a card of the same name fed twice: the newer one stays
  return QFile::rename(card, target);
}

std::map<std::string, double> SimFolder::numbers(const QString& name) const {
  std::map<std::string, double> values;
  QFile file(path_ + QLatin1Char('/') + name);
  if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return values;
  QTextStream in(&file);
  while (!in.atEnd()) {
    const QString line = in.readLine().section(QLatin1Char('#'), 0, 0).trimmed();
    if (line.isEmpty()) continue;
    const QStringList parts = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    bool ok = parts.size() <= 2;
    const double value = parts.size() == 2 ? parts[1].toDouble(&ok) : 1.0;
    if (ok)
      values[parts[0].toStdString()] = value;
    else
      log("settings: " + name.toStdString() + ": cannot read \"" + line.toStdString() + "\"");
  }
  return values;
}

void SimFolder::log(const std::string& line) const {
  QFile file(path_ + QLatin1String("/log"));
  if (!file.open(QIODevice::Append | QIODevice::Text)) return;
  file.write(line.c_str());
  file.write("\n");
}
