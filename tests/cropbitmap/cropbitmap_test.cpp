#include "cropbitmap.h"

#include <gtest/gtest.h>

#include "ScanFixtures.h"

namespace {

using ScanFixtures::bitmap;
using ScanFixtures::put32;
using ScanFixtures::scan;

quint32 field32(const QByteArray& bytes, int at) {
  return qFromLittleEndian<quint32>(reinterpret_cast<const uchar*>(bytes.constData()) + at);
}

int crop(QByteArray& bytes, bool withLength = true) {
  size_t length = size_t(bytes.size());
  const int result = cropbitmap(reinterpret_cast<unsigned char*>(bytes.data()), withLength ? &length : nullptr);
  bytes.truncate(qsizetype(length));
  return result;
}

TEST(CropBitmapTest, RefusesAnythingButTheScannersBitmapAndLeavesItAlone) {
  const QByteArray good = bitmap(scan(40, 60, cv::Rect(8, 8, 24, 44)));
  struct Case {
    const char* name;
    std::function<void(QByteArray&)> spoil;
  } cases[] = {
      {"24 bits per pixel", [](QByteArray& b) { b[28] = 24; }},
      {"compressed", [](QByteArray& b) { put32(b, 30, 1); }},
      {"top-down", [](QByteArray& b) { put32(b, 22, quint32(-60)); }},
      {"other information header", [](QByteArray& b) { put32(b, 14, 108); }},
      {"file size differs from length", [](QByteArray& b) { put32(b, 2, quint32(b.size() + 4)); }},
      {"wrong signature", [](QByteArray& b) { b[0] = 'X'; }},
      {"pixel offset past the end", [](QByteArray& b) { put32(b, 10, quint32(b.size() + 1)); }},
      {"wrong image size", [](QByteArray& b) { put32(b, 34, 12); }},
      {"53 bytes", [](QByteArray& b) { b.truncate(53); }},
  };
  for (const Case& c : cases) {
    QByteArray bytes = good;
    c.spoil(bytes);
    const QByteArray before = bytes;
    EXPECT_EQ(crop(bytes), -1) << c.name;
    EXPECT_EQ(bytes, before) << c.name;
  }
  EXPECT_EQ(cropbitmap(nullptr, nullptr), -1);
}

TEST(CropBitmapTest, CroppingRewritesStrideAndHeaderInPlace) {
  // Width 101 is stored with a stride of 104; the dark left margin is cut off, which leaves an odd
  // width whose rows are padded to the next multiple of 4.
  const cv::Mat grey = scan(101, 160, cv::Rect(14, 0, 87, 160));
  QByteArray bytes = bitmap(grey);
  ASSERT_EQ(bytes.size(), 1078 + 104 * 160);
  const QByteArray colours = bytes.mid(54, 1024);
  ASSERT_EQ(crop(bytes), 0);

  const int width = int(field32(bytes, 18)), height = int(field32(bytes, 22));
  const int left = 101 - width;
  EXPECT_GT(left, 0);
  EXPECT_EQ(left % 4, 0);
  EXPECT_EQ(height, 160);
  const int stride = (width + 3) / 4 * 4;
  EXPECT_EQ(stride, width + 3);
  EXPECT_EQ(bytes.size(), 1078 + stride * height);
  EXPECT_EQ(field32(bytes, 2), quint32(bytes.size()));
  EXPECT_EQ(field32(bytes, 34), quint32(stride * height));
  EXPECT_EQ(bytes.mid(54, 1024), colours);
  EXPECT_EQ(cv::norm(ScanFixtures::pixels(bytes), grey(cv::Rect(left, 0, width, height)), cv::NORM_INF), 0);
}

TEST(CropBitmapTest, ACardFillingTheWindowOnlyGetsItsImageSize) {
  QByteArray bytes = bitmap(scan(100, 160, cv::Rect(0, 0, 100, 160)));
  put32(bytes, 34, 0);
  QByteArray expected = bytes;
  put32(expected, 34, 100 * 160);
  EXPECT_EQ(crop(bytes, false), 0);
  EXPECT_EQ(bytes, expected);
}

TEST(CropBitmapTest, TooMuchBlackAreaLeavesTheBitmapAsItWas) {
  QByteArray bytes = bitmap(scan(160, 100, cv::Rect(40, 0, 120, 100)));
  const QByteArray before = bytes;
  EXPECT_EQ(crop(bytes), 1);
  EXPECT_EQ(bytes, before);
}

}  // namespace
