#include "RecordsCommand.h"

#include <QJsonArray>
#include <QJsonDocument>

#include "CliCommand.h"
#include "PelluxClientAppDelegate.h"
#include "PelluxClientPreference.h"
#include "PelluxFileObject.h"
#include "PreferenceStore.h"
#include "RecordStore.h"
#include "TerminalInterface.h"
#include "VariantText.h"

namespace {

// The field types shown in the one-line listing: the person's name and the company.
const QString kNameField = QStringLiteral("1");
const QString kCompanyField = QStringLiteral("3");

// The controller over the user's store, as the window has it, with the terminal as its window.
struct Session {
  TerminalInterface terminal;
  PelluxClientAppDelegate app{terminal, PreferenceStore::shared(), RecordStore::shared()};

  // Opens the card list; false (the reason already printed) when it cannot be read.
  bool open() {
    PelluxClientPreference::preparePreference();
    app.openRecordStore();
    if (app.store().loadState() != RecordStore::LoadState::Unreadable) return true;
    Cli::error(QStringLiteral("Repair the file, or set it aside with \"quillory-cli recover\" to start a new list."));
    return false;
  }
};

QString recordLine(const Record& record) {
  const QVariantMap fields = record.value(PelluxFileObject::key_localDigitizedAttributes()).toMap();
  QStringList parts{record.string(PelluxFileObject::key_localFilename()), record.string(PelluxFileObject::key_localStatus())};
  for (const QString& field : {kNameField, kCompanyField})
    if (!fields.value(field).toString().isEmpty()) parts << fields.value(field).toString();
  return parts.join(u'\t');
}

}  // namespace

int runListCommand(const QStringList& arguments) {
  const bool json = arguments == QStringList{QStringLiteral("--json")};
  if (!arguments.isEmpty() && !json) {
    Cli::error(QStringLiteral("usage: quillory-cli list [--json]"));
    return Cli::kUsage;
  }
  Session session;
  if (!session.open()) return Cli::kFailure;
  if (json) {
    QJsonArray array;
    for (const RecordRef& record : session.app.arrangedRecords()) array.append(jsonFromVariant(record->values()));
    Cli::out(QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Indented)).trimmed());
    return Cli::kSuccess;
  }
  for (const RecordRef& record : session.app.arrangedRecords()) Cli::out(recordLine(*record));
  return Cli::kSuccess;
}

int runImportCommand(const QStringList& arguments) {
  if (arguments.isEmpty()) {
    Cli::error(QStringLiteral("usage: quillory-cli import FILE..."));
    return Cli::kUsage;
  }
  Session session;
  if (!session.open()) return Cli::kFailure;
  int status = Cli::kSuccess;
  for (const QString& path : arguments) {
    if (const std::optional<PelluxError> error = session.app.importImageFile(path)) {
      Cli::error(PelluxError::messageWithPelluxError(*error, true));
      status = Cli::kFailure;
      continue;
    }
    Cli::out(QStringLiteral("%1: %2").arg(path, recordLine(*session.app.records().last())));
  }
  return status;
}

int runRecoverCommand(const QStringList& arguments) {
  if (!arguments.isEmpty()) {
    Cli::error(QStringLiteral("usage: quillory-cli recover"));
    return Cli::kUsage;
  }
  Session session;
  // The answer to the offer to set an unreadable card list aside.
  session.terminal.answer = UserInterface::Button::Alternate;
  PelluxClientPreference::preparePreference();
  session.app.openRecordStore();
  if (session.app.store().loadState() == RecordStore::LoadState::Unreadable) return Cli::kFailure;
  Cli::out(QStringLiteral("The card list is readable; new cards can be saved."));
  return Cli::kSuccess;
}
