#include "ScanCardImageCorrection.h"

#include <algorithm>
#include <new>
#include <opencv2/imgproc.hpp>
#include <vector>

namespace {

constexpr int kReduction = 4;
constexpr int kSampleStep = 4;
constexpr int kGreyLevel = 128;
constexpr double kMaximum = 255;
constexpr double kMostlyDark = 0.5;
constexpr double kBlackAreaNear = 0.14;
constexpr double kBlackAreaFar = 0.86;

// Dark pixels and counted dark runs per row and column of the binary image. A run counts when it
// starts after a bright pixel, so a run starting at the border does not count.
struct RunCounts {
  std::vector<int> colDark, colRuns, rowDark, rowRuns;
};

void countRuns(const cv::Mat& binary, RunCounts& counts) {
  const int width = binary.cols, height = binary.rows;
  for (int r = 0; r < height; ++r) {
    const uchar* row = binary.ptr<uchar>(r);
    const uchar* above = r > 0 ? binary.ptr<uchar>(r - 1) : nullptr;
    for (int c = 0; c < width; ++c) {
      if (row[c] != 0) continue;
      ++counts.rowDark[r];
      ++counts.colDark[c];
      if (c > 0 && row[c - 1] != 0) ++counts.rowRuns[r];
      if (above && above[c] != 0) ++counts.colRuns[c];
    }
  }
}

// The innermost mostly-dark line of one border's margin, and the fewest runs among its lines.
struct Margin {
  int edge;
  int minRuns;
};

// Walks from the border line `from` towards `to` (exclusive) while lines are mostly dark.
Margin scanMargin(const std::vector<int>& dark, const std::vector<int>& runs, int from, int to, int step, int half,
                  int noRuns) {
  Margin margin{from, noRuns};
  for (int k = from; k != to && dark[k] >= half; k += step) {
    margin.minRuns = std::min(margin.minRuns, runs[k]);
    margin.edge = k;
  }
  return margin;
}

// A border is unreliable when two lines of its margin are busier than its cleanest line, or the
// card area two lines inside the margin is busy.
bool isBad(const std::vector<int>& runs, const Margin& margin, int lineFrom, int lineTo, int inside,
           bool insideExists) {
  int busy = 0;
  for (int j = lineFrom; j <= lineTo; ++j)
    if (runs[j] > margin.minRuns + 1) ++busy;
  return busy >= 2 || (insideExists && runs[inside] > margin.minRuns + 3);
}

void failRect(tagRECT* rect) {
  if (rect) *rect = {-1, -1, -1, -1};
}

}  // namespace

int32_t TrimImageC(const cv::Mat* source, cv::Mat* target, tagRECT rect) {
  if (!source || source->empty()) return kScanCardImageCorrection_NoSource;
  const int64_t left = std::max<int64_t>(rect.left, 0), top = std::max<int64_t>(rect.top, 0);
  const int64_t right = std::min<int64_t>(rect.right, source->cols - 1);
  const int64_t bottom = std::min<int64_t>(rect.bottom, source->rows - 1);
  const int64_t width = right - left + 1, height = bottom - top + 1;
  if (width <= 0 || height <= 0) return kScanCardImageCorrection_EmptyRectangle;
  try {
    (*source)(cv::Rect(int(left), int(top), int(width), int(height))).copyTo(*target);
  } catch (const cv::Exception&) {
    return kScanCardImageCorrection_NoImage;
  }
  return kScanCardImageCorrection_Success;
}

int32_t ScanCardImageCorrectionMainRtn(const cv::Mat* source, tagRECT* rect, cv::Mat* target, int32_t* blackAreaFlag) {
  int32_t flag = kScanCardImageCorrection_FlagNotAnalysed;
  auto finish = [&](int32_t code) {
    if (blackAreaFlag) *blackAreaFlag = flag;
    if (code != kScanCardImageCorrection_Success) failRect(rect);
    return code;
  };
  if (!source || source->empty()) return finish(kScanCardImageCorrection_NoSource);
  const int width = source->cols, height = source->rows;

  // Grey, reduced to a sixteenth, smoothed and made binary.
  cv::Mat grey, reduced, binary;
  int w4 = 0, h4 = 0;
  try {
    // Only 8-bit grey, colour and colour-with-alpha images make sense here; anything else is
    // refused like an image that could not be made.
    if (source->depth() != CV_8U) return finish(kScanCardImageCorrection_NoImage);
    switch (source->channels()) {
      case 1:
        grey = *source;
        break;  // read only: no copy needed
      case 3:
        cv::cvtColor(*source, grey, cv::COLOR_BGR2GRAY);
        break;
      case 4:
        cv::cvtColor(*source, grey, cv::COLOR_BGRA2GRAY);
        break;
      default:
        return finish(kScanCardImageCorrection_NoImage);
    }
    w4 = width / kReduction + 1;
    h4 = height / kReduction + 1;
    cv::resize(grey, reduced, cv::Size(w4, h4), 0, 0, cv::INTER_LINEAR);
    int bright = 0, dark = 0;
    for (int r = 0; r < h4; r += kSampleStep)
      for (int c = 0; c < w4; c += kSampleStep) (reduced.at<uchar>(r, c) >= kGreyLevel ? bright : dark)++;
    cv::GaussianBlur(reduced, reduced, cv::Size(3, 3), 0);
    if (bright < dark)
      cv::threshold(reduced, binary, kGreyLevel, kMaximum, cv::THRESH_BINARY);
    else
      cv::threshold(reduced, binary, 0, kMaximum, cv::THRESH_BINARY | cv::THRESH_OTSU);
  } catch (const cv::Exception&) {
    return finish(kScanCardImageCorrection_NoImage);
  }

  RunCounts counts;
  try {
    counts = {std::vector<int>(size_t(w4)), std::vector<int>(size_t(w4)), std::vector<int>(size_t(h4)),
              std::vector<int>(size_t(h4))};
  } catch (const std::bad_alloc&) {
    return finish(kScanCardImageCorrection_NoArrays);
  }
  countRuns(binary, counts);

  const int halfH = int(h4 * kMostlyDark), halfW = int(w4 * kMostlyDark);
  const Margin left = scanMargin(counts.colDark, counts.colRuns, 0, w4, 1, halfH, h4);
  const Margin right = scanMargin(counts.colDark, counts.colRuns, w4 - 1, -1, -1, halfH, h4);
  const Margin top = scanMargin(counts.rowDark, counts.rowRuns, 0, h4, 1, halfW, w4);
  // The bottom scan stops before row 0, unlike the right scan, which may reach column 0.
  const Margin bottom = scanMargin(counts.rowDark, counts.rowRuns, h4 - 1, 0, -1, halfW, w4);

  const bool leftBad = isBad(counts.colRuns, left, 0, left.edge - 1, left.edge + 2, left.edge + 2 < w4);
  const bool rightBad = isBad(counts.colRuns, right, right.edge + 1, w4 - 1, right.edge - 2, right.edge > 1);
  const bool topBad = isBad(counts.rowRuns, top, 0, top.edge - 1, top.edge + 2, top.edge + 2 < h4);
  const bool bottomBad = isBad(counts.rowRuns, bottom, bottom.edge + 1, h4 - 1, bottom.edge - 2, bottom.edge > 1);

  // Too much black area is judged along the long side only.
  if (w4 > h4)
    flag = (left.edge >= int(w4 * kBlackAreaNear) && !leftBad) || (right.edge <= int(w4 * kBlackAreaFar) && !rightBad);
  else
    flag = (top.edge >= int(h4 * kBlackAreaNear) && !topBad) || (bottom.edge <= int(h4 * kBlackAreaFar) && !bottomBad);

  tagRECT card{0, 0, width - 1, height - 1};
  if (!leftBad) card.left = int64_t(left.edge) * kReduction;
  if (!topBad) card.top = int64_t(top.edge) * kReduction;
  if (!rightBad) card.right = std::min<int64_t>(int64_t(right.edge) * kReduction + 3, width - 1);
  if (!bottomBad) card.bottom = std::min<int64_t>(int64_t(bottom.edge) * kReduction + 3, height - 1);

  if (card.right < card.left || card.bottom < card.top || card.left < 0 || card.top < 0) {
    source->copyTo(*target);
    if (rect) *rect = card;
    return finish(kScanCardImageCorrection_Success);
  }
  const int32_t trimmed = TrimImageC(source, target, card);
  if (trimmed == kScanCardImageCorrection_Success && rect) *rect = card;
  return finish(trimmed);
}
