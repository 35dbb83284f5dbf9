#pragma once

#include <QStringList>

// quillory-cli scanner status | read --bmp FILE | calibrate | clean
int runScannerCommand(const QStringList& arguments);
