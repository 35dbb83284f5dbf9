#pragma once

#include <QStringList>

// quillory-cli scanner status | read --bmp FILE | calibrate | clean | watch
int runScannerCommand(const QStringList& arguments);
