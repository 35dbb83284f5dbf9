#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <optional>

// A parsed XML element: name, attributes, text and child elements. Enough for the service's
// requests, read with Qt's stream reader, which never loads external entities or DTDs.
struct XmlElement {
  QString name;
  QMap<QString, QString> attributes;
  QString text;  // the element's own character data
  QList<XmlElement> children;

  const XmlElement* child(const QString& childName) const;
  QList<const XmlElement*> all(const QString& childName) const;
  // The text of a child that has no elements of its own; none when absent.
  std::optional<QString> childText(const QString& childName) const;

  // Parses a document; none (with the reason) when it is not well-formed or nests too deeply.
  static std::optional<XmlElement> parse(const QByteArray& document, QString* error);
};
