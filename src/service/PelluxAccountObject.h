#pragma once

#include <QString>
#include <QVariantMap>
#include <optional>

class PreferenceStore;

// The account map kept per mail address in the settings ("accounts"): the account identifier and
// the file-list watermarks.
class PelluxAccountObject {
 public:
  static QString key_aid() { return QStringLiteral("aid"); }
  static QString key_lastUpdateTime() { return QStringLiteral("modifiedAfter"); }
  // "modifiedAfter" followed by "_" and the status filter; "modifiedAfter" for none.
  static QString key_lastUpdateTimeForFileStatus(const std::optional<QString>& filter);

  static std::optional<QVariantMap> loadAccountForAccountId(const PreferenceStore& preferences,
                                                            const std::optional<QString>& mailaddress);
  // Stores (or, for none, removes) the map of the mail address; nothing for no mail address.
  static void saveAccount(PreferenceStore& preferences, const std::optional<QVariantMap>& account,
                          const std::optional<QString>& mailaddress);
  // The account line: the log-in prompt without an account.
  static QString accountDescription(const std::optional<QVariantMap>& account);
};
