#include "Localization.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "QtPrinters.h"
#include "Resources.h"
#include "TestEnvironment.h"

namespace {

TEST(LocalizationTest, MissingEntriesStandForThemselvesAndEnglishMendsSpelling) {
  Localization::useLanguages({QStringLiteral("en-GB")});
  EXPECT_EQ(localized(QStringLiteral("No item for command.")), QStringLiteral("No item for command."));
  EXPECT_EQ(localized(QStringLiteral("Scanner polling stoppted.")), QStringLiteral("Scanner polling stopped."));
}

TEST(LocalizationTest, UnknownLanguageFallsBackToEnglish) {
  Localization::useLanguages({QStringLiteral("xx-YY")});
  EXPECT_EQ(localized(QStringLiteral("Scanner polling stoppted.")), QStringLiteral("Scanner polling stopped."));
}

void writeFile(const QString& path) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
}

TEST(ResourcesTest, PrefersTheCopyForTheUsersLanguage) {
  const QString root = TestEnvironment::freshFolder();
  const QString previous = Resources::root();
  Resources::setRoot(root);
  writeFile(root + QStringLiteral("/Thing.plist"));
  writeFile(root + QStringLiteral("/ja/Thing.plist"));
  EXPECT_EQ(Resources::find(QStringLiteral("Thing"), QStringLiteral("plist"), {QStringLiteral("ja-JP")}),
            root + QStringLiteral("/ja/Thing.plist"));
  EXPECT_EQ(Resources::find(QStringLiteral("Thing"), QStringLiteral("plist"), {QStringLiteral("fr")}),
            root + QStringLiteral("/Thing.plist"));
  EXPECT_EQ(Resources::find(QStringLiteral("Other"), QStringLiteral("plist"), {QStringLiteral("ja")}), QString());
  Resources::setRoot(previous);
}

}  // namespace

namespace {

TEST(LocalizationTest, JapaneseHasItsOwnTable) {
  Localization::useLanguages({QStringLiteral("ja-JP")});
  EXPECT_EQ(localized(QStringLiteral("Scanner polling stoppted.")), QStringLiteral("連続読み取りを停止しました。"));
  EXPECT_EQ(localized(QStringLiteral("The application may not work correctly.\nWould you terminate the application now?")),
            QStringLiteral("アプリケーションが正しく動作しない可能性があります。\n今すぐ終了しますか?"));
  EXPECT_EQ(localized(QStringLiteral("yyyyMMdd-HHmmss-SSS")), QStringLiteral("yyyyMMdd-HHmmss-SSS"));
  Localization::useLanguages({QStringLiteral("en")});
}

}  // namespace
