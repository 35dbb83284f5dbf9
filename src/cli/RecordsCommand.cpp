#include "RecordsCommand.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>

#include "CliCommand.h"
#include "PelluxClientPreference.h"
#include "PelluxFileObject.h"
#include "PreferenceStore.h"
#include "RecordStore.h"
#include "VariantText.h"

namespace {

// The field types shown in the one-line listing: the person's name and the company.
const QString kNameField = QStringLiteral("1");
const QString kCompanyField = QStringLiteral("3");

const QStringList kImageExtensions{QStringLiteral("jpg"), QStringLiteral("jpeg"), QStringLiteral("png"),
                                   QStringLiteral("gif"), QStringLiteral("bmp"),  QStringLiteral("tiff"),
                                   QStringLiteral("tif")};

// Loads the user's card list; false (with the reason printed) when the file cannot be read.
bool loadRecords(RecordStore& store, RecordList& records) {
  PelluxClientPreference::preparePreference();
  store.loadRecords(records);
  if (store.loadState() != RecordStore::LoadState::Unreadable) return true;
  Cli::error(store.loadProblem());
  Cli::error(QStringLiteral("Repair the file, or set it aside with \"quillory-cli recover\" to start a new list."));
  return false;
}

QString recordLine(const Record& record) {
  const QVariantMap fields = record.value(PelluxFileObject::key_localDigitizedAttributes()).toMap();
  QStringList parts{record.string(PelluxFileObject::key_localFilename()),
                    record.string(PelluxFileObject::key_localStatus())};
  for (const QString& field : {kNameField, kCompanyField})
    if (!fields.value(field).toString().isEmpty()) parts << fields.value(field).toString();
  return parts.join(u'\t');
}

int importFile(RecordStore& store, RecordList& records, const QString& path) {
  if (!kImageExtensions.contains(QFileInfo(path).suffix().toLower())) {
    Cli::error(QStringLiteral("%1: not an image file (jpg, jpeg, png, gif, bmp, tiff or tif).").arg(path));
    return Cli::kFailure;
  }
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    Cli::error(QStringLiteral("%1: %2").arg(path, file.errorString()));
    return Cli::kFailure;
  }
  const RecordRef record = store.recordWithImageData(file.readAll(), PreferenceStore::shared());
  if (!record) {
    Cli::error(QStringLiteral("%1: the card could not be stored in %2.").arg(path, store.userDataFolder()));
    return Cli::kFailure;
  }
  records.append(record);
  if (!store.saveRecords(records)) {
    Cli::error(QStringLiteral("%1: the card list could not be saved.").arg(path));
    return Cli::kFailure;
  }
  Cli::out(QStringLiteral("%1: %2").arg(path, recordLine(*record)));
  return Cli::kSuccess;
}

}  // namespace

int runListCommand(const QStringList& arguments) {
  const bool json = arguments == QStringList{QStringLiteral("--json")};
  if (!arguments.isEmpty() && !json) {
    Cli::error(QStringLiteral("usage: quillory-cli list [--json]"));
    return Cli::kUsage;
  }
  RecordList records;
  if (!loadRecords(RecordStore::shared(), records)) return Cli::kFailure;
  if (json) {
    QJsonArray array;
    for (const RecordRef& record : records) array.append(jsonFromVariant(record->values()));
    Cli::out(QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Indented)).trimmed());
    return Cli::kSuccess;
  }
  for (const RecordRef& record : records) Cli::out(recordLine(*record));
  return Cli::kSuccess;
}

int runImportCommand(const QStringList& arguments) {
  if (arguments.isEmpty()) {
    Cli::error(QStringLiteral("usage: quillory-cli import FILE..."));
    return Cli::kUsage;
  }
  RecordStore& store = RecordStore::shared();
  RecordList records;
  if (!loadRecords(store, records)) return Cli::kFailure;
  int status = Cli::kSuccess;
  for (const QString& path : arguments)
    if (importFile(store, records, path) != Cli::kSuccess) status = Cli::kFailure;
  return status;
}

int runRecoverCommand(const QStringList& arguments) {
  if (!arguments.isEmpty()) {
    Cli::error(QStringLiteral("usage: quillory-cli recover"));
    return Cli::kUsage;
  }
  RecordStore& store = RecordStore::shared();
  RecordList records;
  store.loadRecords(records);
  if (store.loadState() != RecordStore::LoadState::Unreadable) {
    Cli::out(QStringLiteral("The card list is readable; nothing to do."));
    return Cli::kSuccess;
  }
  std::optional<PelluxError> error;
  const std::optional<QString> aside = store.setAsideUnreadableRecords(&error);
  if (!aside) {
    Cli::error(error ? PelluxError::messageWithPelluxError(*error, true) : QStringLiteral("nothing was moved"));
    return Cli::kFailure;
  }
  Cli::out(
      QStringLiteral("The unreadable card list was kept as %1; a new list starts with the next card.").arg(*aside));
  return Cli::kSuccess;
}
