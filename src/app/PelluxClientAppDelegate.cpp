#include "PelluxClientAppDelegate.h"

#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include "AppInfo.h"
#include "Format.h"
#include "Localization.h"
#include "Notices.h"
#include "PelluxClientPreference.h"
#include "PelluxFileObject.h"
#include "PreferenceStore.h"
#include "RecordBatchUpdate.h"
#include "RecordStore.h"
#include "UpdateCheck.h"
#include "UserInterface.h"
#include "VariantText.h"

namespace {

const QStringList kImageExtensions{QStringLiteral("jpg"), QStringLiteral("jpeg"), QStringLiteral("png"),
                                   QStringLiteral("gif"), QStringLiteral("bmp"),  QStringLiteral("tiff"),
                                   QStringLiteral("tif")};

std::optional<QString> optionalText(const QString& text) { return text.isEmpty() ? std::nullopt : std::optional(text); }

}  // namespace

PelluxClientAppDelegate::PelluxClientAppDelegate(UserInterface& ui, PreferenceStore& preferences, RecordStore& store,
                                                 QObject* parent)
    : QObject(parent),
      ui_(ui),
      preferences_(preferences),
      store_(store),
      locking_(store),
      notices_(std::make_unique<Notices>(*this)),
      updateCheck_(std::make_unique<UpdateCheck>(*this)) {}

PelluxClientAppDelegate::~PelluxClientAppDelegate() = default;

// ---- application events ----

void PelluxClientAppDelegate::awakeFromNib() {
  for (auto setter :
       {&PelluxClientAppDelegate::setScannerConnected, &PelluxClientAppDelegate::setScannerWorking,
        &PelluxClientAppDelegate::setScannerWorkingOne, &PelluxClientAppDelegate::setScannerWorkingInProgress,
        &PelluxClientAppDelegate::setScannerPolling, &PelluxClientAppDelegate::setPelluxWorking})
    (this->*setter)(false);
  currentImageViewRotation_ = 0;
  ui_.setMainWindowTitle(localized(QLatin1String(AppInfo::kDisplayName)));
  const QString pages = userPageBaseUrl();
  ui_.setLink(UserInterface::Link::Registration, QUrl(localized(pages + QStringLiteral("regist_account.html"))));
  ui_.setLink(UserInterface::Link::PasswordReset, QUrl(localized(pages + QStringLiteral("reset_password.html"))));
}

void PelluxClientAppDelegate::applicationDidFinishLaunching() {
  setTerminating(false);
  dataReady_ = false;
  if (preferences_.boolValue(QLatin1String(kPelluxClientPreference_key_AutoVersionCheck))) {
    checkUpdateHit(false);
    if (terminating_) return;
  }
  if (hooks_.loadPelluxAccount) hooks_.loadPelluxAccount();
  openRecordStore();
  ui_.clearSelection();
  if (hooks_.startScannerMonitor) {
    if (std::optional<PelluxError> error = hooks_.startScannerMonitor())
      noticeErrors(QVariant::fromValue(*error), localized(QStringLiteral("Scanner Initialization")),
                   kPelluxError_Code_Fatal, true);
  }
  if (hasPelluxAccount()) {
    if (hooks_.getAccountInformation) hooks_.getAccountInformation();
    return;
  }
  askToLogIn();
}

void PelluxClientAppDelegate::openRecordStore() {
  setClassificationTag(std::nullopt, true);
  loadRecordList();
  dataReady_ = true;
  emit dataReadyChanged(true);
}

void PelluxClientAppDelegate::loadRecordList() {
  store_.loadRecords(records_);
  // The status texts are derived; they are worked out again in the user's present language.
  for (const RecordRef& record : records_) PelluxFileObject::updateRecordStatus(*record);
  emit recordsChanged();
  if (store_.loadState() == RecordStore::LoadState::Unreadable) offerToSetAsideUnreadableStore();
}

void PelluxClientAppDelegate::offerToSetAsideUnreadableStore() {
  setStatusMessage(store_.loadProblem());
  const UserInterface::Alert alert{
      localized(QStringLiteral("The card list cannot be read")),
      store_.loadProblem() + u'\n' +
          localized(QStringLiteral("Set it aside to start a new card list? It is kept beside the new one.")),
      localized(QStringLiteral("Keep It")),
      localized(QStringLiteral("Set Aside")),
      {}};
  if (ui_.runAlert(alert) != UserInterface::Button::Alternate) return;
  std::optional<PelluxError> error;
  if (store_.setAsideUnreadableRecords(&error))
    setStatusMessage(QString());
  else if (error)
    noticeErrors(QVariant::fromValue(*error), localized(QStringLiteral("Set Aside")), kPelluxError_Code_FileAccess,
                 true);
}

void PelluxClientAppDelegate::askToLogIn() {
  const UserInterface::Alert alert{
      localized(QStringLiteral("Please Log in PELLUX")),
      localized(
          QStringLiteral("Logging in to PELLUX is required to use PELLUX OCR.\nWould you log in PELLUX now?\nPlease "
                         "regist if you do not have PELLUX account.")),
      localized(QStringLiteral("Log in")), localized(QStringLiteral("Cancel")), localized(QStringLiteral("Regist"))};
  switch (ui_.runAlert(alert)) {
    case UserInterface::Button::Other:
      openUserPage(QStringLiteral("regist_account.html"));
      [[fallthrough]];
    case UserInterface::Button::Default:
      if (hooks_.navigateToCheckAccount) hooks_.navigateToCheckAccount();
      break;
    case UserInterface::Button::Alternate:
      break;
  }
}

void PelluxClientAppDelegate::applicationWillResignActive() {
  if (dataReady_ && !terminating_) saveRecords();
}

void PelluxClientAppDelegate::applicationWillTerminate() {
  if (hooks_.stopScannerMonitor) hooks_.stopScannerMonitor();
  if (dataReady_ && !terminating_) saveRecords();
  if (hooks_.stopPelluxPolling) hooks_.stopPelluxPolling();
}

bool PelluxClientAppDelegate::applicationOpenUntitledFile() {
  ui_.showMainWindow();
  return true;
}

// ---- commands ----

void PelluxClientAppDelegate::showPreference() { ui_.showPreferenceWindow(); }

void PelluxClientAppDelegate::showAdvancedPreference() { ui_.showAdvancedPreferenceWindow(); }

void PelluxClientAppDelegate::showHelp() {
  ui_.openUrl(QUrl(preferences_.stringValue(QStringLiteral("PelluxSupportUrl"))));
}

void PelluxClientAppDelegate::testHit() {
  preferences_.synchronize();
  QVariantList selected;
  for (const RecordRef& record : ui_.selectedRecords()) selected.append(record->values());
  ui_.runAlert(
      {localized(QStringLiteral("This_Is_A_Test")), textOf(selected), localized(QStringLiteral("OK")), {}, {}});
}

void PelluxClientAppDelegate::checkUpdateHit(bool bySender) { updateCheck_->checkUpdateHit(bySender); }

void PelluxClientAppDelegate::openUserPage(const QString& page) {
  ui_.openUrl(QUrl(localized(userPageBaseUrl() + page)));
}

QString PelluxClientAppDelegate::userPageBaseUrl() const {
  return PelluxClientPreference::serviceEndpoints(preferences_).userPage;
}

void PelluxClientAppDelegate::showClassificationPreference() {
  const QString current = preferences_.stringValue(QLatin1String(kPelluxClientPreference_key_ClassificationSelection));
  ui_.showClassificationWindow(
      optionalText(current),
      localized(
          QStringLiteral("Newly scanned item is classified into this selection, and only record that is classified "
                         "into this selection will be displayed.")),
      [this](const std::optional<QString>& tag) { setClassificationTag(tag, false); });
}

void PelluxClientAppDelegate::resetClassification() { setClassificationTag(std::nullopt, false); }

void PelluxClientAppDelegate::selectClassificationHit() {
  const RecordList selected = ui_.selectedRecords();
  if (selected.isEmpty()) return;
  ui_.showClassificationWindow(
      ClassificationTags::sharedTag(selected), QString(),
      [this, selected](const std::optional<QString>& tag) { setClassification(tag, selected); });
}

bool PelluxClientAppDelegate::acceptsImageFile(const QString& path) {
  return kImageExtensions.contains(QFileInfo(path).suffix().toLower());
}

std::optional<PelluxError> PelluxClientAppDelegate::importImageFile(const QString& path) {
  if (!acceptsImageFile(path))
    return PelluxError::pelluxErrorWithFilePath(
        path,
        formatted(localized(QStringLiteral("%@ is not an image file (jpg, jpeg, png, gif, bmp, tiff or tif).")), path));
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    return PelluxError::pelluxErrorWithFilePath(path, std::nullopt, file.errorString());
  const RecordRef record = store_.recordWithImageData(file.readAll(), preferences_);
  if (!record) return PelluxError::pelluxErrorWithSystemFunction(QStringLiteral("PelluxFileObject with Image"), 0);
  records_.append(record);
  emit recordsChanged();
  if (!saveRecords()) return PelluxError::pelluxErrorWithFilePath(store_.recordsFilePath());
  if ((record->statusFlags() & StatusFlagUploading) && hasPelluxAccount() && hooks_.uploadNewRecord &&
      locking_.lockRecord(record))
    hooks_.uploadNewRecord(record);
  return std::nullopt;
}

// ---- records ----

RecordList PelluxClientAppDelegate::arrangedRecords() const {
  if (!recordPredicate_) return records_;
  RecordList shown;
  for (const RecordRef& record : records_)
    if (recordPredicate_(*record)) shown.append(record);
  return shown;
}

bool PelluxClientAppDelegate::saveRecords() { return store_.saveRecords(records_); }

RecordList PelluxClientAppDelegate::updateRecords(const QVariantList& entries, const QString& function, int* errorCount,
                                                  QList<PelluxError>* errors) {
  RecordBatchUpdate batch(records_, locking_, store_,
                          {[this] {
                             const RecordList selected = ui_.selectedRecords();
                             return selected.size() == 1 ? selected.first() : RecordRef();
                           },
                           [this](int degrees) { setImageViewRotation(degrees); }});
  const qsizetype before = records_.size();
  const RecordList updated = batch.updateRecords(entries, function, errorCount, errors);
  if (records_.size() != before)
    emit recordsChanged();
  else
    emit recordsUpdated(updated);
  return updated;
}

void PelluxClientAppDelegate::setClassification(const std::optional<QString>& tag, const RecordList& records) {
  ClassificationTags::setClassification(tag, records, records_, store_);
  updateRecordPredicate();
}

void PelluxClientAppDelegate::setClassificationTag(const std::optional<QString>& tag, bool restoringAtStartUp) {
  const QString key = QLatin1String(kPelluxClientPreference_key_ClassificationSelection);
  std::optional<QString> selection = tag;
  if (restoringAtStartUp)
    selection = optionalText(preferences_.stringValue(key));
  else if (tag)
    preferences_.setValue(key, *tag);
  else
    preferences_.removeValue(key);
  QString title = localized(QLatin1String(AppInfo::kDisplayName));
  if (selection) {
    const std::optional<QString> name =
        ClassificationTags::nameForTag(selection, ClassificationTags::tags(preferences_));
    if (name) title += formatted(QStringLiteral(" - %@"), *name);
  }
  ui_.setMainWindowTitle(title);
  updateRecordPredicate();
}

void PelluxClientAppDelegate::setFindPredicate(ClassificationTags::RecordPredicate predicate) {
  findPredicate_ = std::move(predicate);
  updateRecordPredicate();
}

void PelluxClientAppDelegate::updateRecordPredicate() {
  recordPredicate_ = ClassificationTags::recordPredicate(
      preferences_.stringValue(QLatin1String(kPelluxClientPreference_key_ClassificationSelection)), findPredicate_);
  emit recordsChanged();
}

// ---- notices ----

void PelluxClientAppDelegate::noticeErrors(const QVariant& errors, const QString& what, qint64 from, bool to) {
  notices_->noticeErrors(errors, what, from, to);
}

bool PelluxClientAppDelegate::hasSender() const { return notices_->hasSender(); }

void PelluxClientAppDelegate::setStatusMessageForSelection() { notices_->setStatusMessageForSelection(); }

// ---- state ----

void PelluxClientAppDelegate::setFlag(bool& field, bool value, void (PelluxClientAppDelegate::*changed)(bool)) {
  if (field == value) return;
  field = value;
  emit(this->*changed)(value);
}

void PelluxClientAppDelegate::setStatusMessage(const QString& message) {
  if (statusMessage_ == message) return;
  statusMessage_ = message;
  emit statusMessageChanged(message);
}

void PelluxClientAppDelegate::setScannerConnected(bool value) {
  setFlag(scannerConnected_, value, &PelluxClientAppDelegate::scannerConnectedChanged);
}
void PelluxClientAppDelegate::setScannerWorking(bool value) {
  setFlag(scannerWorking_, value, &PelluxClientAppDelegate::scannerWorkingChanged);
}
void PelluxClientAppDelegate::setScannerWorkingOne(bool value) {
  setFlag(scannerWorkingOne_, value, &PelluxClientAppDelegate::scannerWorkingOneChanged);
}
void PelluxClientAppDelegate::setScannerWorkingInProgress(bool value) {
  setFlag(scannerWorkingInProgress_, value, &PelluxClientAppDelegate::scannerWorkingInProgressChanged);
}
void PelluxClientAppDelegate::setScannerPolling(bool value) {
  setFlag(scannerPolling_, value, &PelluxClientAppDelegate::scannerPollingChanged);
}
void PelluxClientAppDelegate::setPelluxWorking(bool value) {
  setFlag(pelluxWorking_, value, &PelluxClientAppDelegate::pelluxWorkingChanged);
}
void PelluxClientAppDelegate::setTerminating(bool value) {
  setFlag(terminating_, value, &PelluxClientAppDelegate::terminatingChanged);
}
void PelluxClientAppDelegate::setDisableCropBitmapOnceMode(bool value) {
  setFlag(disableCropBitmapOnceMode_, value, &PelluxClientAppDelegate::disableCropBitmapOnceModeChanged);
}

void PelluxClientAppDelegate::setImageViewRotation(int degrees) {
  // The view turns by the difference; the remainder keeps its sign, so 90 to 270 turns by -180.
  ui_.rotateImageView((currentImageViewRotation_ - degrees) % 360);
  currentImageViewRotation_ = degrees;
  emit currentImageViewRotationChanged(degrees);
}

void PelluxClientAppDelegate::setAccountField(QString& field, const QString& value,
                                              void (PelluxClientAppDelegate::*changed)(const QString&)) {
  if (field == value && field.isNull() == value.isNull()) return;
  const bool had = hasPelluxAccount();
  field = value;
  emit(this->*changed)(value);
  if (had != hasPelluxAccount()) emit hasPelluxAccountChanged(hasPelluxAccount());
}

void PelluxClientAppDelegate::setPelluxUser(const QString& user) {
  setAccountField(pelluxUser_, user, &PelluxClientAppDelegate::pelluxUserChanged);
}

void PelluxClientAppDelegate::setPelluxPass(const QString& password) {
  setAccountField(pelluxPass_, password, &PelluxClientAppDelegate::pelluxPassChanged);
}
