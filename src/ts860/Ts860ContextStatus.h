#pragma once

#include "TS860DriverStatus.h"

struct ts860_context;

// The driver's state as scanner errors report it: the last failing call of an open context (or of
// the driver as a whole when there is none) and whether the scanner is still present.
class Ts860ContextStatus : public TS860DriverStatus {
 public:
  explicit Ts860ContextStatus(ts860_context* context) : context_(context) {}

  bool hasScanner() const override { return context_ != nullptr; }
  quint64 lastError(QString* function) const override;
  int checkConnected() const override;

 private:
  ts860_context* context_;
};
