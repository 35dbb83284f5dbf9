#pragma once

#include <QString>

namespace TestEnvironment {

// Points HOME and the XDG config, data and cache folders at a fresh folder that lives as long as
// the test program, so no test touches the real user's files.
void isolateUserFolders();

// A new empty folder under the test program's private folder.
QString freshFolder();

}  // namespace TestEnvironment
