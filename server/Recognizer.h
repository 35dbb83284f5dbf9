#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>

// Reads the text fields off a card image: field type number (1 to 15) → text.
class Recognizer {
 public:
  virtual ~Recognizer() = default;
  virtual QMap<int, QString> fields(const QByteArray& image) = 0;
};

// Fields looked up by the image's SHA-256: the fixture folder holds one property list per known
// image, "<sha256 in hex>.plist", a dictionary from field type number to text. An image without a
// fixture has no fields.
class FixtureRecognizer : public Recognizer {
 public:
  explicit FixtureRecognizer(QString folder) : folder_(std::move(folder)) {}
  QMap<int, QString> fields(const QByteArray& image) override;

 private:
  QString folder_;
};
