#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// Writes a whole file atomically: to a temporary file beside it that then replaces it, so a
// reader never sees half a file and a failed write leaves the old one. Gives the reason
// ("path: system message") on failure.
std::optional<QString> writeFileAtomically(const QString& path, const QByteArray& bytes);

// The whole content of a file, or the reason it cannot be read.
std::optional<QByteArray> readWholeFile(const QString& path, QString* error);
