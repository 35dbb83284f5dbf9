#include "TerminalInterface.h"

#include <QCoreApplication>

#include "CliCommand.h"

UserInterface::Button TerminalInterface::runAlert(const Alert& alert) {
  Cli::error(alert.message.isEmpty() ? alert.title : alert.title + QStringLiteral(": ") + alert.message);
  return answer;
}

void TerminalInterface::openUrl(const QUrl& url) { Cli::out(QStringLiteral("Open %1").arg(url.toString())); }

void TerminalInterface::showPreferenceWindow() {
  Cli::out(QStringLiteral("Settings are shown and changed with \"quillory-cli config\"."));
}

void TerminalInterface::showAdvancedPreferenceWindow() { showPreferenceWindow(); }

void TerminalInterface::quit() { QCoreApplication::quit(); }
