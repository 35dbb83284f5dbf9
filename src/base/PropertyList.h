#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <QVariant>

// XML property lists (version 1.0), the file format of the settings and the record store, which
// other tools (Python's plistlib among them) read and write too.
//
// Types: booleans, integers (64-bit, unsigned when larger), reals, strings, dates (stored to the
// second, in UTC, as the format defines them), data, arrays and dictionaries.
namespace PropertyList {

struct ReadResult {
  QVariant value;
  QString error;  // empty when the document was read
  bool ok() const { return error.isEmpty(); }
};

struct WriteResult {
  QByteArray document;
  QString error;  // empty when every value could be written
  bool ok() const { return error.isEmpty(); }
};

// Parses a document. Never loads external DTDs or entities and never touches the network.
ReadResult read(const QByteArray& document);

// Writes a document. Fails, naming the place, on a value that the format cannot hold (an
// invalid variant, an unsupported type, a string with control characters other than tab, line
// feed and carriage return).
WriteResult write(const QVariant& value);

// Writes a document to a device in pieces, so a large one is never held whole in memory. Gives
// the reason when a value could not be written or the device refused the bytes, else an empty
// string. On failure part of the document may have reached the device; write to a QSaveFile and
// commit only on success.
QString write(const QVariant& value, QIODevice& device);

}  // namespace PropertyList
