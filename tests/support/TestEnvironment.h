#pragma once

#include <QString>

namespace TestEnvironment {

// Points HOME and the XDG config, data and cache folders at a fresh folder that lives as long as
// the test program, so no test touches the real user's files.
void isolateUserFolders();

// A new empty folder under the test program's private folder.
QString freshFolder();

// The file's inode number, -1 when it does not exist. Files replaced atomically get a new one, so
// comparing it tells whether a file was written again.
qint64 inodeOf(const QString& path);

}  // namespace TestEnvironment
