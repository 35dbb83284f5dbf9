#include "VariantText.h"

#include <QDateTime>
#include <QDebug>
#include <QJsonArray>
#include <QJsonObject>
#include <charconv>

QString shortestText(double value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return QString::fromLatin1(buffer, int(result.ptr - buffer));
}

QString isoDateText(const QDateTime& date) { return date.toUTC().toString(Qt::ISODateWithMs); }

namespace {

QString listText(const QVariantList& list) {
  QStringList parts;
  for (const QVariant& element : list) parts << textOf(element);
  return QStringLiteral("(") + parts.join(QStringLiteral(", ")) + QStringLiteral(")");
}

QString mapText(const QVariantMap& map) {
  QStringList parts;
  for (auto it = map.cbegin(); it != map.cend(); ++it) parts << it.key() + QStringLiteral(" = ") + textOf(it.value());
  return QStringLiteral("{") + parts.join(QStringLiteral("; ")) + QStringLiteral("}");
}

}  // namespace

QString textOf(const QVariant& value) {
  if (!value.isValid()) return QStringLiteral("(null)");
  const QMetaType type = value.metaType();
  switch (type.id()) {
    case QMetaType::QString:
      return value.toString();
    case QMetaType::Bool:
      return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case QMetaType::Double:
    case QMetaType::Float:
      return shortestText(value.toDouble());
    case QMetaType::QDateTime:
      return isoDateText(value.toDateTime());
    case QMetaType::QByteArray:
      return QStringLiteral("<%1 bytes>").arg(value.toByteArray().size());
    case QMetaType::QVariantList:
    case QMetaType::QStringList:
      return listText(value.toList());
    case QMetaType::QVariantMap:
      return mapText(value.toMap());
    default:
      break;
  }
  if (type.id() >= QMetaType::User || QMetaType::canConvert(type, QMetaType::fromType<QString>())) {
    QString text;
    if (QMetaType::convert(type, value.constData(), QMetaType::fromType<QString>(), &text)) return text;
  }
  QString text;
  QDebug(&text).noquote().nospace() << value;
  return text;
}

QJsonValue jsonFromVariant(const QVariant& value) {
  switch (value.metaType().id()) {
    case QMetaType::UnknownType:
      return QJsonValue::Null;
    case QMetaType::Bool:
      return value.toBool();
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
      return value.toLongLong();
    case QMetaType::Double:
    case QMetaType::Float:
      return value.toDouble();
    case QMetaType::QDateTime:
      return isoDateText(value.toDateTime());
    case QMetaType::QByteArray:
      return QString::fromLatin1(value.toByteArray().toBase64());
    case QMetaType::QVariantList:
    case QMetaType::QStringList: {
      QJsonArray array;
      for (const QVariant& element : value.toList()) array.append(jsonFromVariant(element));
      return array;
    }
    case QMetaType::QVariantMap: {
      QJsonObject object;
      const QVariantMap map = value.toMap();
      for (auto it = map.cbegin(); it != map.cend(); ++it) object.insert(it.key(), jsonFromVariant(it.value()));
      return object;
    }
    default:
      return textOf(value);
  }
}
