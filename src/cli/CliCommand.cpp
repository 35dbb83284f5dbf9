#include "CliCommand.h"

#include <cstdio>

namespace Cli {

void out(const QString& line) {
  std::fputs(line.toUtf8().constData(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);  // progress lines show as they happen, also through a pipe
}

void error(const QString& message) { std::fprintf(stderr, "quillory-cli: %s\n", message.toUtf8().constData()); }

}  // namespace Cli
