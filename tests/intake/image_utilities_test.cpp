#include <gtest/gtest.h>

#include <QImage>

#include "ImageUtilities.h"
#include "PelluxFileObject.h"
#include "PreferenceStore.h"
#include "QtPrinters.h"
#include "RecordStore.h"
#include "ScanFixtures.h"
#include "SystemLog.h"
#include "TestEnvironment.h"

namespace {

using namespace ImageUtilities;

TEST(ImageUtilitiesTest, ScannedBitmapsBecomeJpegAtTheChosenQuality) {
  cv::Mat grey = ScanFixtures::scan(200, 320, cv::Rect(10, 10, 180, 300));
  cv::Mat noise(grey.size(), CV_8UC1);
  cv::randu(noise, 0, 40);
  grey += noise;
  const QByteArray bitmap = ScanFixtures::bitmap(grey);
  const std::optional<QByteArray> fine = jpegDataFromBitmap(bitmap, 1.0f);
  const std::optional<QByteArray> coarse = jpegDataFromBitmap(bitmap, 0.0f);
  ASSERT_TRUE(fine && coarse);
  EXPECT_TRUE(fine->startsWith("\xff\xd8"));
  EXPECT_GT(fine->size(), coarse->size() * 3);
  const QImage decoded = QImage::fromData(*fine, "JPEG");
  EXPECT_EQ(decoded.size(), QSize(200, 320));
  EXPECT_NEAR(qGray(decoded.pixel(100, 300)), grey.at<uchar>(300, 100), 3);
  EXPECT_FALSE(jpegDataFromBitmap(QByteArray("not an image"), 0.5f).has_value());
}

TEST(ImageUtilitiesTest, TrimmingFollowsTheSettingAndTheCropResult) {
  PreferenceStore preferences(TestEnvironment::freshFolder() + QStringLiteral("/Quillory.plist"));
  const QByteArray withMargin = ScanFixtures::bitmap(ScanFixtures::scan(200, 320, cv::Rect(24, 0, 176, 320)));
  const QByteArray fillsWindow = ScanFixtures::bitmap(ScanFixtures::scan(200, 320, cv::Rect(0, 0, 200, 320)));
  const QByteArray blackBand = ScanFixtures::bitmap(ScanFixtures::scan(200, 320, cv::Rect(0, 80, 200, 240)));
  const QByteArray notABitmap("BM short");
  struct Case {
    const char* name;
    bool crop;
    QByteArray bitmap;
    TrimOutcome outcome;
    bool changed;
    int logLines;
  } cases[] = {
      {"setting off", false, withMargin, kTrimUnchanged, false, 0},
      {"margin cut", true, withMargin, kTrimCropped, true, 0},
      {"card fills the scan", true, fillsWindow, kTrimUnchanged, false, 0},
      {"black band", true, blackBand, kTrimTooMuchBlackArea, false, 0},
      {"not a bitmap", true, notABitmap, kTrimUnchanged, false, 1},
  };
  for (const Case& c : cases) {
    preferences.setValue(QStringLiteral("cropBitmap"), c.crop);
    QByteArray bytes = c.bitmap;
    SystemLogCapture log;
    EXPECT_EQ(trimBitmapData(bytes, preferences), c.outcome) << c.name;
    EXPECT_EQ(bytes != c.bitmap, c.changed) << c.name;
    EXPECT_EQ(log.lines().size(), c.logLines) << c.name;
    if (c.logLines) {
      EXPECT_EQ(log.lines()[0], QStringLiteral("cropbitmap failed."));
    }
  }
}

TEST(ImageUtilitiesTest, RotationKeepsTheSignAndIsSaved) {
  RecordStore store(TestEnvironment::freshFolder());
  const QString key = PelluxFileObject::key_localImageRotation();
  struct Case {
    qint64 from;
    qint32 by;
    qint64 to;
  } cases[] = {{270, 90, 0}, {0, -90, -90}, {-270, -180, -90}, {90, 720, 90}};
  for (const Case& c : cases) {
    const RecordRef record = PelluxFileObject::pelluxFileObject();
    record->setValue(key, c.from);
    rotateImage(record, c.by, {record}, store);
    EXPECT_EQ(record->value(key).toLongLong(), c.to);
    RecordList saved;
    store.loadRecords(saved);
    EXPECT_EQ(saved.value(0)->value(key).toLongLong(), c.to);
  }
}

}  // namespace
