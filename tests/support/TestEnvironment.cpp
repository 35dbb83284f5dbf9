#include "TestEnvironment.h"

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUuid>
#include <QtGlobal>

namespace TestEnvironment {

namespace {
QTemporaryDir& root() {
  static QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/quillory-test-XXXXXX"));
  return folder;
}
}  // namespace

void isolateUserFolders() {
  const QString base = root().path();
  for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"}) {
    const QString folder = base + u'/' + QLatin1String(name);
    QDir().mkpath(folder);
    qputenv(name, folder.toUtf8());
  }
  qputenv("LANGUAGE", "en");
  qputenv("LC_ALL", "C.UTF-8");
}

QString freshFolder() {
  const QString folder = root().path() + QStringLiteral("/f-") + QUuid::createUuid().toString(QUuid::Id128);
  QDir().mkpath(folder);
  return folder;
}

qint64 inodeOf(const QString& path) {
  struct stat info;
  return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? qint64(info.st_ino) : -1;
}

}  // namespace TestEnvironment
