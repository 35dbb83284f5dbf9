#pragma once

#include <QStringList>

// quillory-cli crop: crops a scanned bitmap file to the card.
int runCropCommand(const QStringList& arguments);
