
#include <QDir>
#include <QFile>

#include "AppFixture.h"
#include "LocalHttpServer.h"
#include "MainThread.h"
#include "PelluxFileObject.h"
#include "QtPrinters.h"

namespace {

using Button = UserInterface::Button;

class ControllerTest : public AppFixture {
 protected:
  // A store of one card on disk, as a previous session left it.
  void storeOneCard() {
    RecordRef card = PelluxFileObject::pelluxFileObject();
    card->setStatusFlags(StatusFlagScanned);
    PelluxFileObject::updateRecordStatus(*card);
    ASSERT_TRUE(RecordStore(store.recordsFilePath().section(u'/', 0, -2)).saveRecords({card}));
  }
};

TEST_F(ControllerTest, QuittingForAnUpdateLoadsAndSavesNothing) {
  storeOneCard();
  const qint64 before = TestEnvironment::inodeOf(store.recordsFilePath());
  LocalHttpServer server("999\r\nhttps://example.org/quillory/download\r\n");
  preferences.setValue(QStringLiteral("AutoVersionCheck"), true);
  preferences.setValue(QStringLiteral("VersionCheckUrl"), server.url().toString());
  bool monitorStarted = false;
  app.hooks().startScannerMonitor = [&] {
    monitorStarted = true;
    return std::optional<PelluxError>();
  };

  app.applicationDidFinishLaunching();
  EXPECT_TRUE(app.terminating());
  EXPECT_EQ(ui.alertTitles(), QStringList{QStringLiteral("Found update")});
  EXPECT_EQ(ui.openedUrls, QList<QUrl>{QUrl(QStringLiteral("https://example.org/quillory/download"))});
  EXPECT_TRUE(app.records().isEmpty());
  EXPECT_FALSE(app.dataReady());
  EXPECT_FALSE(monitorStarted);
  MainThread::runLoopFor(0.7);
  EXPECT_EQ(ui.quitCount, 1);
  app.applicationWillResignActive();
  app.applicationWillTerminate();
  EXPECT_EQ(TestEnvironment::inodeOf(store.recordsFilePath()), before);
}

TEST_F(ControllerTest, NothingIsSavedBeforeTheRecordsAreLoaded) {
  app.applicationWillResignActive();
  app.applicationWillTerminate();
  EXPECT_FALSE(QFile::exists(store.recordsFilePath()));

  storeOneCard();
  app.openRecordStore();
  const qint64 loaded = TestEnvironment::inodeOf(store.recordsFilePath());
  app.applicationWillResignActive();
  EXPECT_NE(TestEnvironment::inodeOf(store.recordsFilePath()), loaded);
  EXPECT_EQ(app.records().size(), 1);
}

TEST_F(ControllerTest, StartUpAsksToLogInWithoutAnAccount) {
  int accountSheets = 0;
  app.hooks().navigateToCheckAccount = [&] { ++accountSheets; };
  ui.answers = {Button::Other};
  app.awakeFromNib();
  app.applicationDidFinishLaunching();
  ASSERT_EQ(ui.alertTitles(), QStringList{QStringLiteral("Please Log in PELLUX")});
  EXPECT_EQ(ui.alerts[0].otherButton, QStringLiteral("Regist"));
  EXPECT_EQ(ui.openedUrls,
            QList<QUrl>{QUrl(QStringLiteral("http://127.0.0.1:8860/Halvern/meishi/regist_account.html"))});
  EXPECT_EQ(accountSheets, 1);
  EXPECT_TRUE(app.dataReady());
  EXPECT_EQ(ui.links.size(), 2);
}

TEST_F(ControllerTest, StartUpWithAnAccountChecksIt) {
  int checks = 0;
  app.hooks().getAccountInformation = [&] { ++checks; };
  app.setPelluxUser(QStringLiteral("taro@example.jp"));
  EXPECT_FALSE(app.hasPelluxAccount());
  app.setPelluxPass(QStringLiteral("secret"));
  EXPECT_TRUE(app.hasPelluxAccount());
  app.applicationDidFinishLaunching();
  EXPECT_EQ(checks, 1);
  EXPECT_TRUE(ui.alerts.isEmpty());
}

TEST_F(ControllerTest, AFailedScannerMonitorOffersToTerminate) {
  app.setPelluxUser(QStringLiteral("taro@example.jp"));
  app.setPelluxPass(QStringLiteral("secret"));
  app.hooks().startScannerMonitor = [] {
    return std::optional(
        PelluxError::pelluxErrorWithSystemFunction(QStringLiteral("udev_monitor_new_from_netlink"), 0));
  };
  ui.answers = {Button::Alternate};
  app.applicationDidFinishLaunching();
  ASSERT_EQ(ui.alertTitles(), QStringList{QStringLiteral("Scanner Initialization Error")});
  EXPECT_EQ(ui.alerts[0].alternateButton, QStringLiteral("Terminate"));
  EXPECT_EQ(ui.quitCount, 1);
}

TEST_F(ControllerTest, AnUnreadableCardListCanBeSetAside) {
  QDir().mkpath(folder + QStringLiteral("/data"));
  QFile file(store.recordsFilePath());
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("<plist><array><dict>");
  file.close();
  ui.answers = {Button::Default, Button::Alternate};
  app.openRecordStore();
  app.applicationWillResignActive();
  EXPECT_EQ(QFile(store.recordsFilePath()).size(), 20);
  app.openRecordStore();
  EXPECT_EQ(ui.alertTitles(), (QStringList{QStringLiteral("The card list cannot be read"),
                                           QStringLiteral("The card list cannot be read")}));
  EXPECT_EQ(QDir(folder + QStringLiteral("/data")).entryList({QStringLiteral("records.plist.unreadable-*")}).size(), 1);
  EXPECT_TRUE(app.saveRecords());
}

TEST_F(ControllerTest, ImageViewTurnsByTheDifference) {
  app.setImageViewRotation(90);
  app.setImageViewRotation(270);
  app.setImageViewRotation(-90);
  EXPECT_EQ(ui.rotations, (QList<int>{-90, -180, 0}));
  EXPECT_EQ(app.currentImageViewRotation(), -90);
}

TEST_F(ControllerTest, ClassificationSelectionFiltersTheListAndNamesTheWindow) {
  preferences.setValue(QStringLiteral("ClassificationTags"),
                       QVariantList{QVariantMap{{QStringLiteral("uuid"), QStringLiteral("T1")},
                                                {QStringLiteral("name"), QStringLiteral("顧客")}}});
  for (int i = 0; i < 3; ++i) {
    const QString image = folder + QStringLiteral("/card%1.png").arg(i);
    QFile file(image);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("\x89PNG");
    file.close();
    ASSERT_FALSE(app.importImageFile(image));
  }
  ui.selection = app.records().mid(0, 2);
  app.selectClassificationHit();
  EXPECT_EQ(ui.classificationFirstSelection, std::nullopt);
  ui.classificationCompletion(QStringLiteral("T1"));

  app.showClassificationPreference();
  ui.classificationCompletion(QStringLiteral("T1"));
  EXPECT_EQ(ui.titles.last(), QStringLiteral("Quillory - 顧客"));
  EXPECT_EQ(app.arrangedRecords(), app.records().mid(0, 2));
  app.setFindPredicate([&](const Record& record) {
    return record.string(QStringLiteral("fileID")) == app.records()[1]->string(QStringLiteral("fileID"));
  });
  EXPECT_EQ(app.arrangedRecords(), app.records().mid(1, 1));
  app.resetClassification();
  app.setFindPredicate({});
  EXPECT_EQ(app.arrangedRecords(), app.records());
  EXPECT_EQ(ui.titles.last(), QStringLiteral("Quillory"));
  EXPECT_FALSE(preferences.hasUserValue(QStringLiteral("ClassificationSelection")));

  RecordList saved;
  RecordStore(folder + QStringLiteral("/data")).loadRecords(saved);
  EXPECT_EQ(saved[1]->string(QStringLiteral("local_classificationTag")), QStringLiteral("T1"));
  EXPECT_FALSE(saved[2]->contains(QStringLiteral("local_classificationTag")));
}

TEST_F(ControllerTest, ImportRefusesWhatIsNotAnImageAndUploadsWaitingCards) {
  const auto refused = app.importImageFile(QStringLiteral("/etc/hostname"));
  ASSERT_TRUE(refused);
  EXPECT_EQ(refused->code(), kPelluxError_Code_FileAccess);
  EXPECT_TRUE(app.importImageFile(QStringLiteral("/nonexistent/card.jpg")).has_value());
  EXPECT_TRUE(app.records().isEmpty());

  RecordList uploaded;
  app.hooks().uploadNewRecord = [&](const RecordRef& record) { uploaded.append(record); };
  app.setPelluxUser(QStringLiteral("taro@example.jp"));
  app.setPelluxPass(QStringLiteral("secret"));
  const QString image = folder + QStringLiteral("/card.JPG");
  QFile file(image);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("\xff\xd8\xff");
  file.close();
  preferences.setValue(QStringLiteral("AutoUploadToPellux"), true);
  ASSERT_FALSE(app.importImageFile(image));
  ASSERT_EQ(uploaded.size(), 1);
  EXPECT_TRUE(app.locking().isLocked(uploaded[0]));
  EXPECT_EQ(app.records(), uploaded);
}

}  // namespace
