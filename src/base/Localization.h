#pragma once

#include <QString>
#include <QStringList>

// The localized strings table. Every text the user sees is an English key looked up here; a key
// without an entry stands for itself.
QString localized(const QString& key);

namespace Localization {

// Loads the table for the first of the given languages that has one (for example "ja-JP" or
// "ja"), falling back to English. Without a call, the system's user-interface languages are used
// at the first lookup. Safe to call again, for example when the user changes the language.
void useLanguages(const QStringList& languages);

// The user's interface languages, most preferred first.
QStringList userLanguages();

}  // namespace Localization
