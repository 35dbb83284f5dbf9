#pragma once

#include <QStringList>

// quillory-cli login, logout and account: the service account from the terminal.
int runLoginCommand(const QStringList& arguments);
int runLogoutCommand(const QStringList& arguments);
int runAccountCommand(const QStringList& arguments);
