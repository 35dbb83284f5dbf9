#include "PelluxClientPreference.h"

#include <QFile>
#include <charconv>
#include <mutex>

#include "Format.h"
#include "Localization.h"
#include "PreferenceStore.h"
#include "PropertyList.h"
#include "Resources.h"
#include "SystemLog.h"
#include "ts860_param.h"

namespace {

// A float field as the decimal number it was written as (2.17, not 2.1700000762939453).
double decimalValue(float value) {
  char buffer[32];
  const auto written = std::to_chars(buffer, buffer + sizeof buffer, value);
  double decimal = value;
  std::from_chars(buffer, written.ptr, decimal);
  return decimal;
}

QVariantMap scannerDefaults() {
  ts860_param param;
  ts860_initparam(nullptr, &param);
  return {
      {QLatin1String(kPelluxClientPreference_key_ts860_dpi), qlonglong(param.dpi)},
      {QLatin1String(kPelluxClientPreference_key_ts860_width), decimalValue(param.width)},
      {QLatin1String(kPelluxClientPreference_key_ts860_height), decimalValue(param.height)},
      {QLatin1String(kPelluxClientPreference_key_ts860_xoffset), qlonglong(param.xoffset)},
      {QLatin1String(kPelluxClientPreference_key_ts860_yoffset), qlonglong(param.yoffset)},
      {QLatin1String(kPelluxClientPreference_key_ts860_brightness), qlonglong(param.brightness)},
      {QLatin1String(kPelluxClientPreference_key_ts860_contrast), qlonglong(param.contrast)},
      {QLatin1String(kPelluxClientPreference_key_ts860_highlight), qlonglong(param.highlight)},
      {QLatin1String(kPelluxClientPreference_key_ts860_shadow), qlonglong(param.shadow)},
      {QLatin1String(kPelluxClientPreference_key_ts860_gamma), decimalValue(param.gamma)},
  };
}

// The dictionary of a bundled property-list resource; nothing when it is missing. A damaged
// resource is logged and skipped, so the application still starts.
QVariantMap resourceDictionary(const QString& name, const QStringList& languages) {
  const QString path = Resources::find(name, QStringLiteral("plist"), languages);
  if (path.isEmpty()) return {};
  QFile file(path);
  const PropertyList::ReadResult result = file.open(QIODevice::ReadOnly)
                                              ? PropertyList::read(file.readAll())
                                              : PropertyList::ReadResult{{}, file.errorString()};
  if (result.ok() && result.value.metaType().id() == QMetaType::QVariantMap) return result.value.toMap();
  systemLog(formatted(QStringLiteral("Default settings %@ cannot be read: %@"), path,
                      result.ok() ? QStringLiteral("not a dictionary") : result.error));
  return {};
}

}  // namespace

ServiceEndpoints PelluxClientPreference::serviceEndpoints(const PreferenceStore& store) {
  ServiceEndpoints endpoints{QStringLiteral("http://127.0.0.1:8860/Halvern/app/"),
                             QStringLiteral("http://127.0.0.1:8860/Halvern/meishi/")};
  const QString base = store.stringValue(QLatin1String(kPelluxClientPreference_key_pelluxServerUrlBase));
  const QString app = store.stringValue(QLatin1String(kPelluxClientPreference_key_pelluxServerUrlForApp));
  const QString userPage = store.stringValue(QLatin1String(kPelluxClientPreference_key_pelluxServerUrlForUserpage));
  if (!app.isNull())
    endpoints.app = app;
  else if (!base.isNull())
    endpoints.app = base + QStringLiteral("app/");
  if (!userPage.isNull())
    endpoints.userPage = userPage;
  else if (!base.isNull())
    endpoints.userPage = base + QStringLiteral("meishi/");
  return endpoints;
}

QVariantMap PelluxClientPreference::defaultValues(const QStringList& languages) {
  QVariantMap defaults = scannerDefaults();
  defaults.insert(resourceDictionary(QStringLiteral("UserDefaults"), languages));
  defaults.insert(resourceDictionary(QStringLiteral("LocalizedUserDefaults"), languages));
  return defaults;
}

void PelluxClientPreference::preparePreference() {
  static std::once_flag registered;
  std::call_once(registered,
                 [] { PreferenceStore::shared().registerDefaults(defaultValues(Localization::userLanguages())); });
}

QStringList PelluxClientPreference::scannerPropertyKeys() {
  return {QLatin1String(kPelluxClientPreference_key_ts860_dpi),
          QLatin1String(kPelluxClientPreference_key_ts860_width),
          QLatin1String(kPelluxClientPreference_key_ts860_height),
          QLatin1String(kPelluxClientPreference_key_ts860_xoffset),
          QLatin1String(kPelluxClientPreference_key_ts860_yoffset),
          QLatin1String(kPelluxClientPreference_key_ts860_brightness),
          QLatin1String(kPelluxClientPreference_key_ts860_contrast),
          QLatin1String(kPelluxClientPreference_key_ts860_highlight),
          QLatin1String(kPelluxClientPreference_key_ts860_shadow),
          QLatin1String(kPelluxClientPreference_key_ts860_gamma),
          QLatin1String(kPelluxClientPreference_key_ts860_scanwait),
          QLatin1String(kPelluxClientPreference_key_jpegCompressionFactor)};
}

std::optional<PelluxError> PelluxClientPreference::resetScannerProperties(PreferenceStore& store) {
  return store.removeValues(scannerPropertyKeys());
}
