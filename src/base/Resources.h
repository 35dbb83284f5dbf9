#pragma once

#include <QString>
#include <QStringList>

// The application's bundled resources (default settings, translations, images). A resource is
// found by name and type; a copy in a folder named after one of the user's languages (for
// example "ja/LocalizedUserDefaults.plist") is preferred to the shared one.
namespace Resources {

// The folder searched; the bundled resources unless a test or the command line points elsewhere.
QString root();
void setRoot(const QString& folder);

// The path of "name.type" for the given languages (most preferred first), or an empty string
// when no copy exists.
QString find(const QString& name, const QString& type, const QStringList& languages);

}  // namespace Resources
