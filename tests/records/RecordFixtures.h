#pragma once

#include <QFile>
#include <QString>

#include "PelluxFileObject.h"
#include "PreferenceStore.h"
#include "Record.h"
#include "RecordStore.h"
#include "TestEnvironment.h"

// A record store and settings of its own in a fresh folder, for one test.
struct StoreFixture {
  QString folder = TestEnvironment::freshFolder() + QStringLiteral("/TARVO/Quillory");
  RecordStore store{folder};
  PreferenceStore preferences{TestEnvironment::freshFolder() + QStringLiteral("/Quillory.plist")};

  QString recordsFile() const { return store.recordsFilePath(); }
};

inline RecordRef recordWithFlags(quint32 flags, const QString& imageName = QString()) {
  RecordRef record = PelluxFileObject::pelluxFileObject();
  record->setStatusFlags(flags);
  if (!imageName.isEmpty()) PelluxFileObject::setImagePath(imageName, *record);
  PelluxFileObject::updateRecordStatus(*record);
  return record;
}

inline QByteArray fileBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void writeBytes(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  if (file.open(QIODevice::WriteOnly)) file.write(bytes);
}
