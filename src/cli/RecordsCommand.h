#pragma once

#include <QStringList>

// quillory-cli list, import and recover: the card list from the terminal.
int runListCommand(const QStringList& arguments);
int runImportCommand(const QStringList& arguments);
int runRecoverCommand(const QStringList& arguments);
