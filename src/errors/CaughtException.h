#pragma once

#include <QMetaType>
#include <QString>
#include <exception>

// An exception caught at a module boundary, kept as a value so it can travel as an error's cause.
// Its text (what "%@" shows) is its reason.
struct CaughtException {
  QString name;
  QString reason;

  // From the exception being handled; call inside a catch block.
  static CaughtException current();
  static CaughtException from(const std::exception& exception);

  bool operator==(const CaughtException&) const = default;
};

Q_DECLARE_METATYPE(CaughtException)
