#include "AccountCommand.h"

#include <termios.h>
#include <unistd.h>

#include <QEventLoop>
#include <QTextStream>
#include <cstdio>

#include "CliCommand.h"
#include "PelluxAccount.h"
#include "PelluxAccountObject.h"
#include "PelluxClientAppDelegate.h"
#include "PelluxClientPreference.h"
#include "PreferenceStore.h"
#include "RecordStore.h"
#include "SecretStore.h"
#include "TerminalInterface.h"

namespace {

// The controller and its account side over the user's settings and secret store.
struct AccountSession {
  // The defaults are registered before anything below reads a setting.
  bool prepared = (PelluxClientPreference::preparePreference(), true);
  TerminalInterface terminal;
  PelluxClientAppDelegate app{terminal, PreferenceStore::shared(), RecordStore::shared()};
  PelluxAccount account{app, SecretStore::desktop()};
};

// The password, typed without echo at a terminal, else the first line of standard input.
QString readPassword() {
  const bool terminal = ::isatty(STDIN_FILENO);
  termios saved{};
  if (terminal) {
    std::fputs("Password: ", stderr);
    std::fflush(stderr);
    ::tcgetattr(STDIN_FILENO, &saved);
    termios silent = saved;
    silent.c_lflag &= ~tcflag_t(ECHO);
    ::tcsetattr(STDIN_FILENO, TCSANOW, &silent);
  }
  QTextStream in(stdin);
  const QString password = in.readLine();
  if (terminal) {
    ::tcsetattr(STDIN_FILENO, TCSANOW, &saved);
    std::fputs("\n", stderr);
  }
  return password;
}

QString accountLine(const AccountSession& session) {
  if (!session.app.hasPelluxAccount()) return PelluxAccountObject::accountDescription(std::nullopt);
  return session.app.pelluxUser() + QStringLiteral(": ") +
         PelluxAccountObject::accountDescription(session.account.pelluxAccount());
}

}  // namespace

int runLoginCommand(const QStringList& arguments) {
  if (arguments.size() != 2 || arguments[0] != QLatin1String("--user") || arguments[1].isEmpty()) {
    Cli::error(QStringLiteral("usage: quillory-cli login --user MAIL"));
    return Cli::kUsage;
  }
  const QString password = readPassword();
  AccountSession session;
  session.account.loadPelluxAccount();
  session.app.setPelluxUser(arguments[1]);
  session.app.setPelluxPass(password);
  bool loggedIn = false;
  QEventLoop loop;
  QObject::connect(&session.account, &PelluxAccount::accountChecked, &loop, [&](bool succeeded) {
    loggedIn = succeeded;
    loop.quit();
  });
  session.account.getAccountInformation(true);
  loop.exec();
  if (!loggedIn) return Cli::kFailure;
  Cli::out(accountLine(session));
  return Cli::kSuccess;
}

int runLogoutCommand(const QStringList& arguments) {
  if (!arguments.isEmpty()) {
    Cli::error(QStringLiteral("usage: quillory-cli logout"));
    return Cli::kUsage;
  }
  AccountSession session;
  session.account.loadPelluxAccount();
  session.account.logOut();
  Cli::out(session.account.accountMessage());
  return Cli::kSuccess;
}

int runAccountCommand(const QStringList& arguments) {
  if (!arguments.isEmpty()) {
    Cli::error(QStringLiteral("usage: quillory-cli account"));
    return Cli::kUsage;
  }
  AccountSession session;
  session.account.loadPelluxAccount();
  Cli::out(accountLine(session));
  return Cli::kSuccess;
}
