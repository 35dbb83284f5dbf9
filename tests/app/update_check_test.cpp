#include "AppFixture.h"
#include "LocalHttpServer.h"
#include "SystemLog.h"
#include "UpdateCheck.h"

namespace {

TEST(UpdateCheckTest, TheVersionFileRules) {
  struct Case {
    const char* file;
    int ownBuild;
    const char* offered;  // null: no update
  } cases[] = {
      {"120\r\nhttps://example.org/dl\r\n", 119, "https://example.org/dl"},
      {"120\r\nhttps://example.org/dl\r\n", 120, nullptr},
      {"120\nhttps://example.org/dl\nignored", 7, "https://example.org/dl"},
      {"120", 7, nullptr},
      {"new\nhttps://example.org/dl", -1, "https://example.org/dl"},
      {"new\nhttps://example.org/dl", 0, nullptr},
      {"121 (beta)\nhttps://example.org/dl", 120, "https://example.org/dl"},
      {"121\nnot a url at all", 120, nullptr},
      {"", 0, nullptr},
  };
  for (const Case& c : cases) {
    const std::optional<QUrl> offered = UpdateCheck::newerVersion(QByteArray(c.file), c.ownBuild);
    EXPECT_EQ(offered.has_value(), c.offered != nullptr) << c.file;
    if (offered && c.offered) {
      EXPECT_EQ(offered->toString(), QString::fromUtf8(c.offered));
    }
  }
}

class UpdateCheckOverHttpTest : public AppFixture {};

TEST_F(UpdateCheckOverHttpTest, AnswersFromARealServer) {
  LocalHttpServer newer("99999\nhttps://example.org/dl\n");
  LocalHttpServer same(QByteArray::number(QUILLORY_BUILD_NUMBER) + "\nhttps://example.org/dl\n");
  struct Case {
    QString url;
    bool bySender;
    QStringList alerts;
  } cases[] = {
      {newer.url().toString(), false, {QStringLiteral("Found update")}},
      {same.url().toString(), false, {}},
      {same.url().toString(), true, {QStringLiteral("You are using the current version.")}},
      {QString(), true, {QStringLiteral("You are using the current version.")}},
      {QString(), false, {}},
  };
  ui.answers = {UserInterface::Button::Alternate};
  for (const Case& c : cases) {
    ui.alerts.clear();
    preferences.setValue(QStringLiteral("VersionCheckUrl"), c.url);
    app.checkUpdateHit(c.bySender);
    EXPECT_EQ(ui.alertTitles(), c.alerts) << c.url.toStdString();
  }
  EXPECT_FALSE(app.terminating());
  EXPECT_TRUE(ui.openedUrls.isEmpty());
  EXPECT_TRUE(newer.request().contains("Cache-Control: no-cache")) << newer.request().toStdString();
}

TEST_F(UpdateCheckOverHttpTest, AServerThatNeverAnswersTimesOut) {
  LocalHttpServer silent("", true);
  preferences.setValue(QStringLiteral("VersionCheckUrl"), silent.url().toString());
  UpdateCheck check(app, 1);
  SystemLogCapture log;
  check.checkUpdateHit(true);
  EXPECT_EQ(ui.alertTitles(), QStringList{QStringLiteral("You are using the current version.")});
  ASSERT_EQ(log.lines().size(), 1);
  EXPECT_TRUE(
      log.lines()[0].startsWith(QStringLiteral("checkUpdate: NSURLConnection failed: ") + silent.url().toString()));
}

}  // namespace
