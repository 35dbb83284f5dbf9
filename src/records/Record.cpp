#include "Record.h"

#include "PelluxFileObject.h"

quint32 Record::statusFlags() const {
  return quint32(values_.value(PelluxFileObject::key_localStatusFlag()).toLongLong());
}

void Record::setStatusFlags(quint32 flags) { values_.insert(PelluxFileObject::key_localStatusFlag(), flags); }
