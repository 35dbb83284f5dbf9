#include "XmlElement.h"

#include <QXmlStreamReader>

namespace {
constexpr int kMaxDepth = 64;
}

const XmlElement* XmlElement::child(const QString& childName) const {
  for (const XmlElement& element : children)
    if (element.name == childName) return &element;
  return nullptr;
}

QList<const XmlElement*> XmlElement::all(const QString& childName) const {
  QList<const XmlElement*> found;
  for (const XmlElement& element : children)
    if (element.name == childName) found << &element;
  return found;
}

std::optional<QString> XmlElement::childText(const QString& childName) const {
  const XmlElement* element = child(childName);
  if (!element || !element->children.isEmpty()) return std::nullopt;
  return element->text;
}

std::optional<XmlElement> XmlElement::parse(const QByteArray& document, QString* error) {
  QXmlStreamReader reader(document);
  QList<XmlElement> stack;
  std::optional<XmlElement> root;
  while (!reader.atEnd()) {
    switch (reader.readNext()) {
      case QXmlStreamReader::StartElement: {
        if (stack.size() >= kMaxDepth) {
          *error = QStringLiteral("elements nested too deeply");
          return std::nullopt;
        }
        XmlElement element;
        element.name = reader.name().toString();
        for (const QXmlStreamAttribute& attribute : reader.attributes())
          element.attributes.insert(attribute.name().toString(), attribute.value().toString());
        stack.append(element);
        break;
      }
      case QXmlStreamReader::Characters:
        if (!stack.isEmpty()) stack.last().text += reader.text();
        break;
      case QXmlStreamReader::DTD:
        *error = QStringLiteral("document type declarations are not accepted");
        return std::nullopt;
      case QXmlStreamReader::EntityReference:
        *error = QStringLiteral("entity references are not accepted");
        return std::nullopt;
      case QXmlStreamReader::EndElement: {
        XmlElement done = stack.takeLast();
        if (stack.isEmpty())
          root = std::move(done);
        else
          stack.last().children.append(std::move(done));
        break;
      }
      default:
        break;
    }
  }
  if (reader.hasError() || !root) {
    *error = reader.hasError() ? reader.errorString() : QStringLiteral("no element");
    return std::nullopt;
  }
  return root;
}
