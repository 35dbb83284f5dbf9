#include "Resources.h"

#include <QFileInfo>
#include <mutex>

namespace {

std::mutex rootLock;
QString rootFolder = QStringLiteral(":/resources");

// "ja-JP" is looked for as "ja_JP" and then "ja".
QStringList languageFolders(const QStringList& languages) {
  QStringList folders;
  for (QString language : languages) {
    language.replace(u'-', u'_');
    while (!language.isEmpty()) {
      if (!folders.contains(language)) folders << language;
      const qsizetype cut = language.lastIndexOf(u'_');
      language = cut > 0 ? language.left(cut) : QString();
    }
  }
  return folders;
}

}  // namespace

namespace Resources {

QString root() {
  std::lock_guard locker(rootLock);
  return rootFolder;
}

void setRoot(const QString& folder) {
  std::lock_guard locker(rootLock);
  rootFolder = folder;
}

QString find(const QString& name, const QString& type, const QStringList& languages) {
  const QString base = root();
  const QString file = name + u'.' + type;
  for (const QString& folder : languageFolders(languages)) {
    const QString path = base + u'/' + folder + u'/' + file;
    if (QFileInfo::exists(path)) return path;
  }
  const QString path = base + u'/' + file;
  return QFileInfo::exists(path) ? path : QString();
}

}  // namespace Resources
