#pragma once

#include <QStringList>

// quillory-cli config: reads and writes settings.
int runConfigCommand(const QStringList& arguments);
