#include <QRegularExpression>

#include "AppFixture.h"
#include "MainThread.h"
#include "PelluxFileObject.h"
#include "QtPrinters.h"
#include "SystemLog.h"

namespace {

using Button = UserInterface::Button;

PelluxError failure(qint64 code, const char* message) {
  return PelluxError::pelluxErrorWithCode(code, QString::fromUtf8(message));
}

PelluxError tooMuchBlackArea() {
  return PelluxError::pelluxErrorWithCode(kPelluxError_Code_Image,
                                          QStringLiteral("Scanned image has too much blank area."), {},
                                          {{QLatin1String(kPelluxError_UserInfoKey_TS860TooMuchBlackArea), true}});
}

class NoticesTest : public AppFixture {};

TEST_F(NoticesTest, OutcomesAndTheirFollowUps) {
  struct Case {
    const char* name;
    QVariant errors;
    const char* what;
    qint64 from;
    bool to;
    bool account;
    bool scannerConnected;
    const char* status;        // expected status line
    const char* alertMessage;  // null: no alert
    const char* alternate;     // expected alternate button
  } cases[] = {
      {"success", QVariant(), "Upload", 42, true, true, true, "Upload Completed.", nullptr, ""},
      {"two failures with a target",
       QVariant::fromValue(QList<PelluxError>{failure(12, "Failed to access /a."), failure(4, "Not digitized.")}),
       "Export", 12, true, true, true, "Export ERROR: Failed to access /a. Not digitized.",
       "Failed to access /a.\nNot digitized.\n", ""},
      {"two failures without a target",
       QVariant::fromValue(QList<PelluxError>{failure(12, "Failed to access /a."), failure(4, "Not digitized.")}),
       "Export", 12, false, true, true, "Export ERROR: Failed to access /a. Not digitized.", nullptr, ""},
      {"service error without an account", QVariant::fromValue(failure(42, "PELLUX internal error.")), "Upload", 42,
       true, false, true, "Upload ERROR: PELLUX internal error.",
       "PELLUX internal error.\n\nLogging in to PELLUX is required to use PELLUX OCR.\nWould you log in PELLUX now?\n",
       "Log in"},
      {"service error with an account", QVariant::fromValue(failure(42, "PELLUX internal error.")), "Upload", 42, true,
       true, true, "Upload ERROR: PELLUX internal error.", "PELLUX internal error.\n", ""},
      {"scanner error, scanner unplugged", QVariant::fromValue(failure(30, "Scanner access failed: connection lost.")),
       "Scan", 30, true, true, false, "Scan ERROR: Scanner access failed: connection lost.",
       "Scanner access failed: connection lost.\n\nPlease connect the scanner correctly.\n", ""},
      {"black area", QVariant::fromValue(tooMuchBlackArea()), "Scan", 30, true, true, true,
       "Scan ERROR: Scanned image has too much blank area.", "Scanned image has too much blank area.\n",
       "Disable black area checking next scan"},
      {"start-up failure", QVariant::fromValue(failure(10, "System error.")), "Scanner Initialization", 99, true, false,
       false, "Scanner Initialization ERROR: System error.",
       "System error.\n\nThe application may not work correctly.\nWould you terminate the application now?\n",
       "Terminate"},
      {"a list of anything else is success", QVariant(QVariantList{1, QStringLiteral("x")}), "Delete", 12, true, true,
       true, "Delete Completed.", nullptr, ""},
  };
  for (const Case& c : cases) {
    ui.alerts.clear();
    app.setPelluxUser(c.account ? QStringLiteral("taro@example.jp") : QString());
    app.setPelluxPass(c.account ? QStringLiteral("secret") : QString());
    app.setScannerConnected(c.scannerConnected);
    SystemLogCapture log;
    app.noticeErrors(c.errors, QString::fromUtf8(c.what), c.from, c.to);
    EXPECT_EQ(app.statusMessage(), QString::fromUtf8(c.status)) << c.name;
    EXPECT_EQ(ui.alerts.size(), c.alertMessage ? 1 : 0) << c.name;
    if (!c.alertMessage || ui.alerts.isEmpty()) continue;
    EXPECT_EQ(ui.alerts[0].title, QString::fromUtf8(c.what) + QStringLiteral(" Error")) << c.name;
    EXPECT_EQ(ui.alerts[0].message, QString::fromUtf8(c.alertMessage)) << c.name;
    EXPECT_EQ(ui.alerts[0].alternateButton, QString::fromUtf8(c.alternate)) << c.name;
    EXPECT_FALSE(log.lines().isEmpty()) << c.name;
  }
}

TEST_F(NoticesTest, TheAlternateButtonsAct) {
  int accountSheets = 0, readings = 0;
  app.hooks().navigateToCheckAccount = [&] { ++accountSheets; };
  app.hooks().startReading = [&] { ++readings; };
  SystemLogCapture log;

  ui.answers = {Button::Alternate};
  app.noticeErrors(QVariant::fromValue(failure(42, "No account.")), QStringLiteral("Upload"), 42, true);
  EXPECT_EQ(accountSheets, 1);

  ui.answers = {Button::Alternate};
  app.noticeErrors(QVariant::fromValue(tooMuchBlackArea()), QStringLiteral("Scan"), 30, true);
  EXPECT_TRUE(app.disableCropBitmapOnceMode());
  EXPECT_EQ(readings, 0);
  MainThread::runLoopFor(0.7);
  EXPECT_EQ(readings, 1);

  ui.answers = {Button::Default};
  app.noticeErrors(QVariant::fromValue(failure(99, "x")), QStringLiteral("Start"), 99, true);
  EXPECT_EQ(ui.quitCount, 0);
}

TEST_F(NoticesTest, ASynchronisationNamesTheTimeAndTheAccount) {
  app.hooks().accountDescription = [] { return QStringLiteral("taro@example.jp"); };
  app.noticeErrors(QVariant(), QStringLiteral("Synchronizing"), 42, false);
  const QRegularExpression shape(
      QStringLiteral("^Synchronizing Completed\\. \\(.*\\d\\d:\\d\\d:\\d\\d.*\\) \\[taro@example\\.jp\\]$"));
  EXPECT_TRUE(shape.match(app.statusMessage()).hasMatch()) << app.statusMessage().toStdString();
}

TEST_F(NoticesTest, AFailureHistoryIsShownOnceAndForgotten) {
  app.openRecordStore();
  RecordRef card = PelluxFileObject::pelluxFileObject();
  card->setValue(PelluxFileObject::key_localLastError(),
                 QStringLiteral("Upload ERROR: Not uploaded. (2026-12-11 10:00:00 +0900)"));
  ui.selection = {card};
  app.setStatusMessage(QStringLiteral("before"));
  app.noticeErrors(QVariant(), QStringLiteral("Upload"), 42, false);
  EXPECT_EQ(app.statusMessage(), QStringLiteral("Upload ERROR: Not uploaded. (2026-12-11 10:00:00 +0900)"));
  EXPECT_FALSE(card->contains(PelluxFileObject::key_localLastError()));
  app.setStatusMessage(QStringLiteral("later"));
  app.setStatusMessageForSelection();
  EXPECT_EQ(app.statusMessage(), QStringLiteral("later"));
}

TEST_F(NoticesTest, BackgroundWorkReportsToAVisibleWindowWhenAskedTo) {
  preferences.setValue(QStringLiteral("ShowBackgroundError"), true);
  EXPECT_TRUE(app.hasSender());
  ui.mainWindowVisible = false;
  EXPECT_FALSE(app.hasSender());
  ui.mainWindowVisible = true;
  preferences.setValue(QStringLiteral("ShowBackgroundError"), false);
  EXPECT_FALSE(app.hasSender());
}

}  // namespace
