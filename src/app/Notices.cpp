#include "Notices.h"

#include <QDateTime>
#include <QLocale>
#include <QTimer>

#include "Format.h"
#include "Localization.h"
#include "PelluxClientAppDelegate.h"
#include "PelluxClientPreference.h"
#include "PelluxError.h"
#include "PelluxFileObject.h"
#include "PreferenceStore.h"
#include "UserInterface.h"

namespace {

QList<PelluxError> errorList(const QVariant& errors) {
  if (errors.metaType() == QMetaType::fromType<QList<PelluxError>>()) return errors.value<QList<PelluxError>>();
  if (errors.metaType() == QMetaType::fromType<PelluxError>()) return {errors.value<PelluxError>()};
  QList<PelluxError> list;
  if (errors.metaType().id() == QMetaType::QVariantList)
    for (const QVariant& element : errors.toList())
      if (element.metaType() == QMetaType::fromType<PelluxError>()) list.append(element.value<PelluxError>());
  return list;
}

// The date and time in the user's format, with seconds.
QString nowText() {
  const QLocale locale;
  const QDateTime now = QDateTime::currentDateTime();
  QString timeFormat = locale.timeFormat(QLocale::LongFormat);
  timeFormat.remove(QLatin1Char('t')).replace(QStringLiteral("  "), QStringLiteral(" "));
  return locale.toString(now.date(), QLocale::ShortFormat) + u' ' + locale.toString(now.time(), timeFormat.trimmed());
}

}  // namespace

bool Notices::hasSender() const {
  return app_.preferences().boolValue(QLatin1String(kPelluxClientPreference_key_ShowBackgroundError)) &&
         app_.ui().isMainWindowVisible();
}

void Notices::noticeSuccess(const QString& what) {
  QString status = formatted(localized(QStringLiteral("%@ Completed.")), what);
  const QString synchronizing = QStringLiteral("Synchronizing");
  if (what == synchronizing || what == localized(synchronizing)) {
    const QString account = app_.hooks().accountDescription ? app_.hooks().accountDescription() : QString();
    status += formatted(QStringLiteral(" (%@) [%@]"), nowText(), account);
  }
  app_.setStatusMessage(status);
  setStatusMessageForSelection();
}

void Notices::noticeErrors(const QVariant& errorsValue, const QString& what, qint64 from, bool to) {
  const QList<PelluxError> errors = errorList(errorsValue);
  if (errors.isEmpty()) return noticeSuccess(what);

  QString status = formatted(localized(QStringLiteral("%@ ERROR:")), what);
  QString detail;
  bool service = from == kPelluxError_Code_Pellux, scanner = from == kPelluxError_Code_Ts860, blackArea = false;
  for (const PelluxError& error : errors) {
    logPelluxError(error);
    status += formatted(QStringLiteral(" %@"), PelluxError::messageWithPelluxError(error, true));
    detail += formatted(QStringLiteral("%@\n"), PelluxError::messageWithPelluxError(error, false));
    if (error.domain() != QLatin1String(kPelluxError_Domain)) continue;
    service |= error.code() == kPelluxError_Code_Pellux;
    scanner |= error.code() == kPelluxError_Code_Ts860;
    blackArea |= error.code() == kPelluxError_Code_Image &&
                 error.userInfoValue(kPelluxError_UserInfoKey_TS860TooMuchBlackArea).toBool();
  }
  app_.setStatusMessage(status);
  if (!to) return;

  const QString terminate = localized(QStringLiteral("Terminate"));
  const QString logIn = localized(QStringLiteral("Log in"));
  const QString disableCheck = localized(QStringLiteral("Disable black area checking next scan"));
  auto add = [&detail](const QString& key) { detail += formatted(QStringLiteral("\n%@\n"), localized(key)); };
  QString alternate;
  if (from == kPelluxError_Code_Fatal) {
    add(QStringLiteral("The application may not work correctly.\nWould you terminate the application now?"));
    alternate = terminate;
  } else {
    if (scanner && !app_.scannerConnected()) add(QStringLiteral("Please connect the scanner correctly."));
    if (service && !app_.hasPelluxAccount()) {
      add(QStringLiteral("Logging in to PELLUX is required to use PELLUX OCR.\nWould you log in PELLUX now?"));
      alternate = logIn;
    }
    if (blackArea && alternate.isEmpty()) alternate = disableCheck;
  }

  const UserInterface::Alert alert{
      formatted(localized(QStringLiteral("%@ Error")), what), detail, localized(QStringLiteral("OK")), alternate, {}};
  if (app_.ui().runAlert(alert) != UserInterface::Button::Alternate) return;
  if (alternate == terminate) {
    app_.ui().quit();
  } else if (alternate == logIn) {
    if (app_.hooks().navigateToCheckAccount) app_.hooks().navigateToCheckAccount();
  } else {
    app_.setDisableCropBitmapOnceMode(true);
    QTimer::singleShot(500, &app_, [this] {
      if (app_.hooks().startReading) app_.hooks().startReading();
    });
  }
}

void Notices::setStatusMessageForSelection() {
  const RecordList selected = app_.ui().selectedRecords();
  if (selected.size() != 1) return;
  const RecordRef& record = selected.first();
  const QString history = record->string(PelluxFileObject::key_localLastError());
  if (history.isEmpty()) return;
  app_.setStatusMessage(history);
  record->remove(PelluxFileObject::key_localLastError());
  app_.saveRecords();
}
