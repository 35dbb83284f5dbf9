#pragma once

#include <QString>
#include <optional>

// Makes a self-signed certificate (RSA 2048, SHA-256, a year long) for localhost and 127.0.0.1,
// written as PEM files; gives the reason on failure.
std::optional<QString> makeSelfSignedCertificate(const QString& certificatePath, const QString& keyPath);
