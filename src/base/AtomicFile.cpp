#include "AtomicFile.h"

#include <QFile>
#include <QSaveFile>

std::optional<QString> writeFileAtomically(const QString& path, const QByteArray& bytes) {
  QSaveFile file(path);
  if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit()) return std::nullopt;
  return QStringLiteral("%1: %2").arg(path, file.errorString());
}

std::optional<QByteArray> readWholeFile(const QString& path, QString* error) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    if (error) *error = QStringLiteral("%1: %2").arg(path, file.errorString());
    return std::nullopt;
  }
  return file.readAll();
}
