// quillory-cli: Quillory from the terminal, over the same code as the window.

#include <QCoreApplication>

#include "AccountCommand.h"
#include "AppInfo.h"
#include "CliCommand.h"
#include "ConfigCommand.h"
#include "CropCommand.h"
#include "RecordsCommand.h"
#include "ScannerCommand.h"

namespace {

const Cli::Command kCommands[] = {
    {"config", "KEY [VALUE] | --unset KEY | --list",
     "print or change a setting; --unset returns it to its default; --list shows every setting", &runConfigCommand},
    {"list", "[--json]",
     "one line per card (image name, status, name, company); --json prints every card with every key", &runListCommand},
    {"import", "FILE...", "make a card of each image file, as dropping it on the window does", &runImportCommand},
    {"crop", "IN.bmp OUT.bmp",
     "crop a scanned bitmap to the card (exit 3: too much black area, 2: not a scanner bitmap)", &runCropCommand},
    {"login", "--user MAIL", "log in to the service (the password is read without echo, or from standard input)",
     &runLoginCommand},
    {"logout", "", "log out; the stored password is deleted", &runLogoutCommand},
    {"account", "", "the account line: who is logged in", &runAccountCommand},
    {"recover", "", "set an unreadable card list aside (it is kept) so that a new one can be saved",
     &runRecoverCommand},
    {"scanner", "status | read --bmp FILE | calibrate | clean | watch",
     "the TS860: whether it is there, read one card into a bitmap, calibrate (stored in the settings), clean "
     "(each waits for its card or sheet), or watch it come and go; Ctrl-C stops any of these",
     &runScannerCommand},
};

void printHelp() {
  Cli::out(
      QStringLiteral("Usage: quillory-cli COMMAND [ARGUMENTS]\n"
                     "       quillory-cli --help | --version\n\n"
                     "Quillory keeps business cards as a searchable contact list.\n\nCommands:"));
  for (const Cli::Command& command : kCommands)
    Cli::out(QStringLiteral("  %1 %2\n      %3")
                 .arg(QLatin1String(command.name), QLatin1String(command.usage), QLatin1String(command.summary)));
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  QCoreApplication::setApplicationName(QLatin1String(AppInfo::kApplicationName));
  QCoreApplication::setApplicationVersion(QLatin1String(AppInfo::kVersion));
  QStringList arguments = QCoreApplication::arguments().mid(1);
  if (arguments.isEmpty()) {
    printHelp();
    return Cli::kUsage;
  }
  const QString name = arguments.takeFirst();
  if (name == QLatin1String("--help") || name == QLatin1String("-h") || name == QLatin1String("help")) {
    printHelp();
    return Cli::kSuccess;
  }
  if (name == QLatin1String("--version")) {
    Cli::out(QStringLiteral("%1 %2 (build %3)")
                 .arg(QLatin1String(AppInfo::kApplicationName), QLatin1String(AppInfo::kVersion))
                 .arg(AppInfo::kBuildNumber));
    return Cli::kSuccess;
  }
  for (const Cli::Command& command : kCommands)
    if (name == QLatin1String(command.name)) return command.run(arguments);
  Cli::error(QStringLiteral("unknown command \"%1\"; see quillory-cli --help").arg(name));
  return Cli::kUsage;
}
