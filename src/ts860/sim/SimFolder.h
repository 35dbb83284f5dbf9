#pragma once

#include <QString>
#include <QStringList>
#include <map>
#include <optional>
#include <string>

#include "ts860_usb.h"

// The simulated TS860's folder: the device is on the bus while the file "attached" exists (it may
// name the device's USB ids as "vendor:product" in hex, else the device is a 0A82:8111); the
// image files in "hopper/" are the cards waiting at the slot (in name order), and an ejected card
// moves to "done/"; "settings" and "faults" hold numbers (one "key value" line each, '#' starts a
// comment); "log" receives one line for every rule the host broke and every fault injected.
class SimFolder {
 public:
  explicit SimFolder(QString path);

  const QString& path() const { return path_; }
  bool exists() const;
  bool attached() const;
  // The ids of the device on the bus; none when it is not attached.
  std::optional<ts860_device_entry> attachedDevice() const;
  void detach() const;

  // The first waiting card (its file path), empty when the hopper is empty.
  QString firstCard() const;
  // Moves a card out of the hopper into done/; false when that failed (the card stays).
  bool eject(const QString& card) const;

  // The numbers of a settings file, by key; an unreadable line is logged and skipped.
  std::map<std::string, double> numbers(const QString& name) const;
  void log(const std::string& line) const;

 private:
  QString path_;
};
