#include <gtest/gtest.h>

#include "ScanCardImageCorrection.h"
#include "ScanFixtures.h"

namespace {

using ScanFixtures::scan;

struct Analysis {
  int32_t code;
  tagRECT rect;
  cv::Mat target;
  int32_t flag;
};

Analysis analyse(const cv::Mat& source) {
  Analysis a{};
  a.code = ScanCardImageCorrectionMainRtn(&source, &a.rect, &a.target, &a.flag);
  return a;
}

bool same(const cv::Mat& a, const cv::Mat& b) {
  return a.size() == b.size() && a.type() == b.type() && cv::norm(a, b, cv::NORM_INF) == 0;
}

TEST(ScanCardImageCorrectionTest, BrightBordersKeepTheWholeScan) {
  const cv::Mat source = scan(400, 600, cv::Rect(0, 0, 400, 600));
  const Analysis a = analyse(source);
  ASSERT_EQ(a.code, 0);
  EXPECT_EQ(a.flag, 0);
  EXPECT_EQ(a.rect.left, 0);
  EXPECT_EQ(a.rect.top, 0);
  EXPECT_EQ(a.rect.right, 399);
  EXPECT_EQ(a.rect.bottom, 599);
  EXPECT_TRUE(same(a.target, source));
}

TEST(ScanCardImageCorrectionTest, BlackAreaCountsOnTheLongSideOnly) {
  // A landscape scan (reduced 151 × 101) with a dark margin of a fifth of its width or height.
  struct Case {
    const char* name;
    cv::Rect card;
    int32_t flag;
    int64_t left, top;
  } cases[] = {
      {"left margin, long side", cv::Rect(120, 0, 480, 400), 1, 120, 0},
      {"top margin, short side", cv::Rect(0, 80, 600, 320), 0, 0, 80},
  };
  for (const Case& c : cases) {
    const Analysis a = analyse(scan(600, 400, c.card));
    ASSERT_EQ(a.code, 0) << c.name;
    EXPECT_EQ(a.flag, c.flag) << c.name;
    EXPECT_NEAR(double(a.rect.left), double(c.left), 8) << c.name;
    EXPECT_NEAR(double(a.rect.top), double(c.top), 8) << c.name;
    EXPECT_EQ(a.rect.right, 599) << c.name;
    EXPECT_EQ(a.rect.bottom, 399) << c.name;
    EXPECT_EQ(a.target.cols, a.rect.right - a.rect.left + 1) << c.name;
  }
}

TEST(ScanCardImageCorrectionTest, AScanThatIsMostlyBackgroundIsFlaggedAndKeptWhole) {
  // Every row is mostly dark, so the top and bottom margins meet: no rectangle, the whole scan.
  const cv::Mat source = scan(600, 400, cv::Rect(360, 0, 240, 400));
  const Analysis a = analyse(source);
  ASSERT_EQ(a.code, 0);
  EXPECT_EQ(a.flag, 1);
  EXPECT_LT(a.rect.bottom, a.rect.top);
  EXPECT_TRUE(same(a.target, source));
}

TEST(ScanCardImageCorrectionTest, ABusyMarginIsNeitherCroppedNorCounted) {
  // The left margin is dark, but two of its column strips are crossed by two bright bars each:
  // those columns have two counted runs while the cleanest margin column has none.
  cv::Mat source = scan(600, 400, cv::Rect(120, 0, 480, 400));
  for (int bar : {120, 260}) source(cv::Rect(16, bar, 24, 16)).setTo(ScanFixtures::kPaper);
  const Analysis a = analyse(source);
  ASSERT_EQ(a.code, 0);
  EXPECT_EQ(a.rect.left, 0);
  EXPECT_EQ(a.flag, 0);
}

TEST(ScanCardImageCorrectionTest, TinyAndColourSources) {
  const cv::Mat tiny(4, 4, CV_8UC1, cv::Scalar(200));
  EXPECT_EQ(analyse(tiny).code, 0);

  const cv::Mat grey = scan(600, 400, cv::Rect(120, 0, 480, 400));
  cv::Mat colour;
  cv::cvtColor(grey, colour, cv::COLOR_GRAY2BGR);
  const Analysis fromGrey = analyse(grey), fromColour = analyse(colour);
  ASSERT_EQ(fromColour.code, 0);
  EXPECT_EQ(fromColour.target.channels(), 3);
  EXPECT_EQ(fromColour.rect.left, fromGrey.rect.left);
  EXPECT_EQ(fromColour.flag, fromGrey.flag);
}

TEST(ScanCardImageCorrectionTest, FailuresAndTrimming) {
  tagRECT rect{1, 2, 3, 4};
  cv::Mat target;
  int32_t flag = 0;
  EXPECT_EQ(ScanCardImageCorrectionMainRtn(nullptr, &rect, &target, &flag), kScanCardImageCorrection_NoSource);
  EXPECT_EQ(rect.left, -1);
  EXPECT_EQ(rect.bottom, -1);
  EXPECT_EQ(flag, kScanCardImageCorrection_FlagNotAnalysed);
  EXPECT_TRUE(target.empty());

  cv::Mat source(10, 20, CV_8UC3);
  cv::randu(source, 0, 255);
  EXPECT_EQ(TrimImageC(&source, &target, {-5, 2, 100, 7}), 0);
  EXPECT_EQ(target.size(), cv::Size(20, 6));
  EXPECT_EQ(target.channels(), 3);
  EXPECT_TRUE(same(target, source(cv::Rect(0, 2, 20, 6))));

  EXPECT_EQ(TrimImageC(&source, &target, {30, 0, 40, 5}), kScanCardImageCorrection_EmptyRectangle);
  EXPECT_EQ(TrimImageC(&source, &target, {5, 6, 4, 7}), kScanCardImageCorrection_EmptyRectangle);
  EXPECT_EQ(TrimImageC(nullptr, &target, {0, 0, 1, 1}), kScanCardImageCorrection_NoSource);
}

TEST(ScanCardImageCorrectionTest, ARealisticScanIsCroppedToTheCard) {
  // A 91 × 55 mm card at 400 dpi in the default scan window, on a slightly noisy background. The
  // reduction by four puts the far edges up to 8 pixels (half a millimetre) outside the card.
  const cv::Rect card(20, 70, 840, 1340);
  cv::Mat source = scan(868, 1480, card);
  cv::Mat noise(source.size(), CV_8SC1);
  cv::randn(noise, 0, 6);
  cv::add(source, noise, source, cv::noArray(), CV_8UC1);
  const Analysis a = analyse(source);
  ASSERT_EQ(a.code, 0);
  EXPECT_EQ(a.flag, 0);
  EXPECT_NEAR(double(a.rect.left), card.x, 8);
  EXPECT_NEAR(double(a.rect.top), card.y, 8);
  EXPECT_NEAR(double(a.rect.right), card.x + card.width - 1, 8);
  EXPECT_NEAR(double(a.rect.bottom), card.y + card.height - 1, 8);

  // The same card behind a black band over a fifth of the long side.
  source(cv::Rect(0, 0, 868, 300)).setTo(ScanFixtures::kBackground);
  EXPECT_EQ(analyse(source).flag, 1);
}

}  // namespace
