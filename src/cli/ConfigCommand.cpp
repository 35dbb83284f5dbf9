#include "ConfigCommand.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <optional>

#include "CliCommand.h"
#include "PelluxClientPreference.h"
#include "PelluxError.h"
#include "PreferenceStore.h"
#include "VariantText.h"

namespace {

QString valueText(const QVariant& value) {
  switch (value.metaType().id()) {
    case QMetaType::QVariantList:
      return QString::fromUtf8(QJsonDocument(jsonFromVariant(value).toArray()).toJson(QJsonDocument::Compact));
    case QMetaType::QVariantMap:
      return QString::fromUtf8(QJsonDocument(jsonFromVariant(value).toObject()).toJson(QJsonDocument::Compact));
    default:
      return jsonFromVariant(value).toVariant().toString();
  }
}

std::optional<bool> parseBool(const QString& text) {
  const QString lower = text.trimmed().toLower();
  if (lower == QLatin1String("true") || lower == QLatin1String("yes") || lower == QLatin1String("1")) return true;
  if (lower == QLatin1String("false") || lower == QLatin1String("no") || lower == QLatin1String("0")) return false;
  return std::nullopt;
}

QVariant parseJson(const QString& text, bool wantArray) {
  const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8());
  if (wantArray && document.isArray()) return document.array().toVariantList();
  if (!wantArray && document.isObject()) return document.object().toVariantMap();
  return {};
}

// The text as a value of the given type; invalid when it does not read as one.
QVariant parseAs(const QMetaType& type, const QString& text) {
  bool ok = false;
  switch (type.id()) {
    case QMetaType::Bool:
      if (auto flag = parseBool(text)) return *flag;
      return {};
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong: {
      const qlonglong number = text.trimmed().toLongLong(&ok);
      return ok ? QVariant(number) : QVariant();
    }
    case QMetaType::Double:
    case QMetaType::Float: {
      const double number = text.trimmed().toDouble(&ok);
      return ok ? QVariant(number) : QVariant();
    }
    case QMetaType::QDateTime: {
      const QDateTime date = QDateTime::fromString(text.trimmed(), Qt::ISODateWithMs);
      return date.isValid() ? QVariant(date) : QVariant();
    }
    case QMetaType::QByteArray: {
      auto data = QByteArray::fromBase64Encoding(text.trimmed().toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
      return data ? QVariant(*data) : QVariant();
    }
    case QMetaType::QVariantList:
      return parseJson(text, true);
    case QMetaType::QVariantMap:
      return parseJson(text, false);
    default:
      return text;
  }
}

// Without a registered default: true/false as a boolean, a decimal integer as an integer, else text.
QVariant parseUntyped(const QString& text) {
  if (text == QLatin1String("true")) return true;
  if (text == QLatin1String("false")) return false;
  static const QRegularExpression integer(QStringLiteral("^[+-]?[0-9]+$"));
  bool ok = false;
  const qlonglong number = text.toLongLong(&ok);
  if (ok && integer.match(text).hasMatch()) return number;
  return text;
}

QString typeName(const QMetaType& type) {
  switch (type.id()) {
    case QMetaType::Bool:
      return QStringLiteral("a boolean (true or false)");
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
      return QStringLiteral("an integer");
    case QMetaType::Double:
    case QMetaType::Float:
      return QStringLiteral("a number");
    case QMetaType::QDateTime:
      return QStringLiteral("an ISO 8601 date");
    case QMetaType::QByteArray:
      return QStringLiteral("Base64 data");
    case QMetaType::QVariantList:
      return QStringLiteral("a JSON array");
    case QMetaType::QVariantMap:
      return QStringLiteral("a JSON object");
    default:
      return QStringLiteral("text");
  }
}

int fail(const PelluxError& error) {
  Cli::error(PelluxError::messageWithPelluxError(error, true));
  return Cli::kFailure;
}

int printValue(PreferenceStore& store, const QString& key) {
  const QVariant value = store.value(key);
  if (!value.isValid()) {
    Cli::error(QStringLiteral("%1 is not set.").arg(key));
    return Cli::kFailure;
  }
  Cli::out(valueText(value));
  return Cli::kSuccess;
}

int storeValue(PreferenceStore& store, const QString& key, const QString& text) {
  const QVariant registered = store.registeredDefaults().value(key);
  const QVariant value = registered.isValid() ? parseAs(registered.metaType(), text) : parseUntyped(text);
  if (!value.isValid()) {
    Cli::error(QStringLiteral("%1 takes %2; \"%3\" is not one.").arg(key, typeName(registered.metaType()), text));
    return Cli::kFailure;
  }
  if (auto error = store.setValue(key, value)) return fail(*error);
  return Cli::kSuccess;
}

int listValues(PreferenceStore& store) {
  const QVariantMap own = store.userValues();
  const QVariantMap defaults = store.registeredDefaults();
  QStringList keys = own.keys() + defaults.keys();
  keys.removeDuplicates();
  keys.sort();
  for (const QString& key : keys) {
    const bool isOwn = own.contains(key);
    Cli::out(QStringLiteral("%1 = %2 (%3)")
                 .arg(key, valueText(isOwn ? own.value(key) : defaults.value(key)),
                      isOwn ? QStringLiteral("user") : QStringLiteral("default")));
  }
  return Cli::kSuccess;
}

}  // namespace

int runConfigCommand(const QStringList& arguments) {
  PelluxClientPreference::preparePreference();
  PreferenceStore& store = PreferenceStore::shared();
  if (arguments.size() == 1 && arguments[0] == QLatin1String("--list")) return listValues(store);
  if (arguments.size() == 2 && arguments[0] == QLatin1String("--unset")) {
    if (auto error = store.removeValue(arguments[1])) return fail(*error);
    return Cli::kSuccess;
  }
  if (arguments.size() == 1 && !arguments[0].startsWith(u'-')) return printValue(store, arguments[0]);
  if (arguments.size() == 2 && !arguments[0].startsWith(u'-')) return storeValue(store, arguments[0], arguments[1]);
  Cli::error(QStringLiteral("usage: quillory-cli config KEY [VALUE] | --unset KEY | --list"));
  return Cli::kUsage;
}
