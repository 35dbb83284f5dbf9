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
