#include "Ts860ContextStatus.h"

#include "ts860_usb.h"

quint64 Ts860ContextStatus::lastError(QString* function) const {
  const char* name = nullptr;
  const int64_t value = ts860_usb_lasterror(context_, &name);
  *function = name ? QString::fromLatin1(name) : QString();
  return quint64(value);
}

int Ts860ContextStatus::checkConnected() const { return ts860_check_connected(context_); }
