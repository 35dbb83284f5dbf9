#pragma once

#include <QString>
#include <QStringList>

// What a subcommand of quillory-cli needs: its arguments, and one way to print results and errors.
namespace Cli {

enum ExitStatus { kSuccess = 0, kFailure = 1, kUsage = 2 };

void out(const QString& line);
// Prints "quillory-cli: <message>" to standard error.
void error(const QString& message);

struct Command {
  const char* name;
  const char* usage;    // argument synopsis, for --help
  const char* summary;  // one line, for --help
  int (*run)(const QStringList& arguments);
};

}  // namespace Cli
