#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>

#include "ClassificationManager.h"
#include "ClassificationTags.h"
#include "Localization.h"
#include "MainWindow.h"
#include "PelluxClientAppDelegate.h"
#include "PelluxFileObject.h"
#include "PreferenceStore.h"
#include "QtPrinters.h"
#include "RecordStore.h"
#include "TestEnvironment.h"
#include "WidgetsInterface.h"

namespace {

using P = PelluxFileObject;

class MainWindowTest : public testing::Test {
 protected:
  MainWindowTest() {
    Localization::useLanguages({QStringLiteral("en")});
    const char* const people[][2] = {
        {"山田 太郎", "株式会社タルボ"}, {"佐藤 花子", "東京印刷株式会社"}, {"Jane Smith", "Example Ltd."}};
    RecordList cards;
    for (const auto& person : people) {
      RecordRef card = P::pelluxFileObject();
      card->setValue(P::key_localDigitizedAttributes(),
                     QVariantMap{{QStringLiteral("1"), QString::fromUtf8(person[0])},
                                 {QStringLiteral("3"), QString::fromUtf8(person[1])},
                                 {QStringLiteral("13"), QStringLiteral("someone@example.jp")}});
      card->setValue(P::key_localDigitizedAttributesSearchTag(), QString::fromUtf8(person[0]) + u'\n');
      card->setStatusFlags(StatusFlagScanned | StatusFlagUploaded | StatusFlagDigitized | StatusFlagDownloaded);
      P::updateRecordStatus(*card);
      cards << card;
    }
    store.saveRecords(cards);
    windows.attach(app);
    app.awakeFromNib();
    app.openRecordStore();
    windows.mainWindow()->show();
  }

  QString folder = TestEnvironment::freshFolder();
  PreferenceStore preferences{folder + QStringLiteral("/Quillory.plist")};
  RecordStore store{folder + QStringLiteral("/data")};
  WidgetsInterface windows;
  PelluxClientAppDelegate app{windows, preferences, store};
};

TEST_F(MainWindowTest, SelectingACardShowsItsFieldsAndStatus) {
  QTableView* table = windows.mainWindow()->tableView();
  ASSERT_EQ(table->model()->rowCount(), 3);
  EXPECT_EQ(table->model()->index(1, 0).data().toString(), QStringLiteral("Downloaded"));
  EXPECT_EQ(table->model()->index(1, 2).data().toString(), QStringLiteral("東京印刷株式会社"));
  table->selectRow(1);
  EXPECT_EQ(windows.selectedRecords(), RecordList{app.records()[1]});
  auto* name = windows.mainWindow()->findChild<QLineEdit*>(QStringLiteral("field1"));
  auto* mail = windows.mainWindow()->findChild<QLineEdit*>(QStringLiteral("field13"));
  ASSERT_TRUE(name && mail);
  EXPECT_EQ(name->text(), QStringLiteral("佐藤 花子"));
  EXPECT_EQ(mail->text(), QStringLiteral("someone@example.jp"));

  auto* search = windows.mainWindow()->findChild<QLineEdit*>(QStringLiteral("searchField"));
  search->setText(QStringLiteral("ＪＡＮＥ"));
  ASSERT_EQ(table->model()->rowCount(), 1);
  EXPECT_EQ(table->model()->index(0, 1).data().toString(), QStringLiteral("Jane Smith"));
  search->clear();
  EXPECT_EQ(table->model()->rowCount(), 3);
}

TEST_F(MainWindowTest, TheClassificationEditorAddsNamesAndConfirmsATag) {
  app.showClassificationPreference();
  ClassificationManager* editor = windows.classificationManager();
  ASSERT_TRUE(editor->isVisible());
  editor->findChild<QPushButton*>(QStringLiteral("Add"))->click();
  auto* tags = editor->findChild<QTableWidget*>(QStringLiteral("tagTable"));
  ASSERT_EQ(tags->rowCount(), 1);
  tags->item(0, 0)->setText(QStringLiteral("顧客"));
  const QVariantList stored = ClassificationTags::tags(preferences);
  ASSERT_EQ(stored.size(), 1);
  const QString uuid = stored[0].toMap().value(QStringLiteral("uuid")).toString();
  EXPECT_EQ(stored[0].toMap().value(QStringLiteral("name")), QStringLiteral("顧客"));

  editor->findChild<QPushButton*>(QStringLiteral("Done"))->click();
  EXPECT_FALSE(editor->isVisible());
  EXPECT_EQ(preferences.stringValue(QStringLiteral("ClassificationSelection")), uuid);
  EXPECT_EQ(windows.mainWindow()->windowTitle(), QStringLiteral("Quillory - 顧客"));
  EXPECT_EQ(windows.mainWindow()->tableView()->model()->rowCount(), 0);

  // Classify one card under the tag; the list of the classification then shows it.
  app.resetClassification();
  windows.mainWindow()->tableView()->selectRow(0);
  app.selectClassificationHit();
  tags->selectRow(0);
  editor->findChild<QPushButton*>(QStringLiteral("Done"))->click();
  EXPECT_EQ(app.records()[0]->string(P::key_localClassificationTag()), uuid);
  EXPECT_EQ(windows.mainWindow()->tableView()->model()->index(0, 4).data().toString(), QStringLiteral("顧客"));
}

}  // namespace
