#include "PelluxAccountObject.h"

#include "Format.h"
#include "Localization.h"
#include "PreferenceStore.h"

namespace {
const QString kAccounts = QStringLiteral("accounts");
}

QString PelluxAccountObject::key_lastUpdateTimeForFileStatus(const std::optional<QString>& filter) {
  return filter ? key_lastUpdateTime() + formatted(QStringLiteral("_%@"), *filter) : key_lastUpdateTime();
}

std::optional<QVariantMap> PelluxAccountObject::loadAccountForAccountId(const PreferenceStore& preferences,
                                                                        const std::optional<QString>& mailaddress) {
  if (!mailaddress) return std::nullopt;
  const QVariant stored = preferences.dictionaryValue(kAccounts).value(*mailaddress);
  if (stored.metaType().id() != QMetaType::QVariantMap) return std::nullopt;
  return stored.toMap();
}

void PelluxAccountObject::saveAccount(PreferenceStore& preferences, const std::optional<QVariantMap>& account,
                                      const std::optional<QString>& mailaddress) {
  if (!mailaddress) return;
  QVariantMap accounts = preferences.dictionaryValue(kAccounts);
  if (account)
    accounts.insert(*mailaddress, *account);
  else
    accounts.remove(*mailaddress);
  preferences.setValue(kAccounts, accounts);
}

QString PelluxAccountObject::accountDescription(const std::optional<QVariantMap>& account) {
  if (!account) return localized(QStringLiteral("Please log in PELLUX."));
  const QString aid = account->value(key_aid()).toString();
  if (aid.isEmpty()) return localized(QStringLiteral("Logged in to PELLUX."));
  return formatted(localized(QStringLiteral("Logged in to PELLUX (account %@).")), aid);
}
