#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "PelluxClientPreference.h"
#include "PreferenceStore.h"
#include "PropertyList.h"
#include "QtPrinters.h"
#include "Resources.h"
#include "TestEnvironment.h"

namespace {

const QVariantMap kScannerDefaults{
    {QStringLiteral("ts860_dpi"), 400},        {QStringLiteral("ts860_width"), 2.17},
    {QStringLiteral("ts860_height"), 3.7},     {QStringLiteral("ts860_xoffset"), 101},
    {QStringLiteral("ts860_yoffset"), 0},      {QStringLiteral("ts860_brightness"), 51396},
    {QStringLiteral("ts860_contrast"), 27728}, {QStringLiteral("ts860_highlight"), 255},
    {QStringLiteral("ts860_shadow"), 0},       {QStringLiteral("ts860_gamma"), 1.0},
};

// Points the resource lookup at a folder of the test's own for as long as it lives.
class ResourceFolder {
 public:
  ResourceFolder() : previous_(Resources::root()), root_(TestEnvironment::freshFolder()) { Resources::setRoot(root_); }
  ~ResourceFolder() { Resources::setRoot(previous_); }

  void write(const QString& relativePath, const QVariantMap& entries) {
    const QString path = root_ + u'/' + relativePath;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(PropertyList::write(entries).document);
  }

 private:
  QString previous_, root_;
};

TEST(PelluxClientPreferenceTest, WithoutResourcesOnlyTheScannerDefaultsExist) {
  ResourceFolder resources;
  const QVariantMap defaults = PelluxClientPreference::defaultValues({QStringLiteral("en")});
  EXPECT_EQ(defaults.keys(), kScannerDefaults.keys());
  for (auto it = kScannerDefaults.cbegin(); it != kScannerDefaults.cend(); ++it)
    EXPECT_EQ(defaults.value(it.key()).toDouble(), it.value().toDouble()) << it.key().toStdString();
  EXPECT_EQ(defaults.value(QStringLiteral("ts860_dpi")).metaType().id(), QMetaType::LongLong);
  EXPECT_EQ(defaults.value(QStringLiteral("ts860_width")).metaType().id(), QMetaType::Double);
}

TEST(PelluxClientPreferenceTest, ResourcesOverrideInOrderAndTheUsersLanguageWins) {
  ResourceFolder resources;
  resources.write(QStringLiteral("UserDefaults.plist"),
                  {{QStringLiteral("ts860_dpi"), 300}, {QStringLiteral("cropBitmap"), true}});
  resources.write(QStringLiteral("LocalizedUserDefaults.plist"), {{QStringLiteral("ts860_dpi"), 200}});
  resources.write(QStringLiteral("ja/LocalizedUserDefaults.plist"), {{QStringLiteral("ts860_dpi"), 600}});

  EXPECT_EQ(PelluxClientPreference::defaultValues({QStringLiteral("fr")}).value(QStringLiteral("ts860_dpi")), 200);
  const QVariantMap japanese = PelluxClientPreference::defaultValues({QStringLiteral("ja-JP")});
  EXPECT_EQ(japanese.value(QStringLiteral("ts860_dpi")), 600);
  EXPECT_EQ(japanese.value(QStringLiteral("cropBitmap")), true);
  EXPECT_EQ(japanese.value(QStringLiteral("ts860_gamma")), 1.0);
}

TEST(PelluxClientPreferenceTest, ADamagedResourceIsSkipped) {
  ResourceFolder resources;
  resources.write(QStringLiteral("LocalizedUserDefaults.plist"), {{QStringLiteral("ts860_dpi"), 200}});
  QFile file(Resources::root() + QStringLiteral("/UserDefaults.plist"));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("<plist><dict><key>x</key>");
  file.close();
  const QVariantMap defaults = PelluxClientPreference::defaultValues({QStringLiteral("en")});
  EXPECT_EQ(defaults.value(QStringLiteral("ts860_dpi")), 200);
}

TEST(PelluxClientPreferenceTest, ShippedDefaultsPointAtTheLocalServiceAndAreReadable) {
  const QVariantMap defaults = PelluxClientPreference::defaultValues({QStringLiteral("ja")});
  EXPECT_TRUE(
      defaults.value(QStringLiteral("PelluxServerBaseUrl")).toString().startsWith(QStringLiteral("http://127.0.0.1:")));
  EXPECT_TRUE(defaults.value(QStringLiteral("PelluxServerBaseUrl")).toString().endsWith(u'/'));
  EXPECT_EQ(defaults.value(QStringLiteral("ExportFileEncoding_csv")), QStringLiteral("CP932"));
  EXPECT_EQ(
      PelluxClientPreference::defaultValues({QStringLiteral("en")}).value(QStringLiteral("ExportFileEncoding_csv")),
      QVariant());
}

TEST(PelluxClientPreferenceTest, ResetRestoresScannerDefaultsAndKeepsCalibration) {
  PreferenceStore store(TestEnvironment::freshFolder() + QStringLiteral("/Quillory.plist"));
  store.registerDefaults(kScannerDefaults);
  const QByteArray calibration(6152, '\x10');
  for (const QString& key : PelluxClientPreference::scannerPropertyKeys()) ASSERT_FALSE(store.setValue(key, 7));
  ASSERT_FALSE(store.setValue(QStringLiteral("ts860_calibrationData"), calibration));

  ASSERT_FALSE(PelluxClientPreference::resetScannerProperties(store));
  EXPECT_EQ(store.integerValue(QStringLiteral("ts860_dpi")), 400);
  EXPECT_EQ(store.doubleValue(QStringLiteral("ts860_width")), 2.17);
  EXPECT_FALSE(store.hasUserValue(QStringLiteral("ts860_scanwait")));
  EXPECT_FALSE(store.hasUserValue(QStringLiteral("jpegCompressionFactor")));
  EXPECT_EQ(store.dataValue(QStringLiteral("ts860_calibrationData")), calibration);
  EXPECT_EQ(PelluxClientPreference::scannerPropertyKeys().size(), 12);
}

}  // namespace

namespace {

TEST(PelluxClientPreferenceTest, ServiceEndpointsFollowTheBaseUnlessNamed) {
  PreferenceStore store(TestEnvironment::freshFolder() + QStringLiteral("/Quillory.plist"));
  ServiceEndpoints endpoints = PelluxClientPreference::serviceEndpoints(store);
  EXPECT_EQ(endpoints.app, QStringLiteral("http://127.0.0.1:8860/Halvern/app/"));
  store.setValue(QStringLiteral("PelluxServerBaseUrl"), QStringLiteral("https://ocr.example/Halvern/"));
  endpoints = PelluxClientPreference::serviceEndpoints(store);
  EXPECT_EQ(endpoints.app, QStringLiteral("https://ocr.example/Halvern/app/"));
  EXPECT_EQ(endpoints.userPage, QStringLiteral("https://ocr.example/Halvern/meishi/"));
  store.setValue(QStringLiteral("PelluxServerUrlForUserpage"), QStringLiteral("https://pages.example/"));
  EXPECT_EQ(PelluxClientPreference::serviceEndpoints(store).userPage, QStringLiteral("https://pages.example/"));
  EXPECT_EQ(PelluxClientPreference::serviceEndpoints(store).app, QStringLiteral("https://ocr.example/Halvern/app/"));
}

}  // namespace
