#pragma once

#include <cstdint>
#include <opencv2/core.hpp>

// Finds a business card in a scanned grey (or colour) image: the dark background margins along
// the four borders, which of them are clean enough to trust, the card's rectangle, and whether
// the scan has too much black area along its long side to be a card.

// Inclusive pixel bounds of the card in the source image.
struct tagRECT {
  int64_t left;
  int64_t top;
  int64_t right;
  int64_t bottom;
};

inline constexpr int32_t kScanCardImageCorrection_Success = 0;
inline constexpr int32_t kScanCardImageCorrection_NoSource = -10003;
inline constexpr int32_t kScanCardImageCorrection_NoArrays = -10005;
inline constexpr int32_t kScanCardImageCorrection_EmptyRectangle = -10009;
inline constexpr int32_t kScanCardImageCorrection_NoImage = -10011;

// The black-area flag before the analysis has run.
inline constexpr int32_t kScanCardImageCorrection_FlagNotAnalysed = 99;

// Analyses an 8-bit source of 1 or 3 channels (none: -10003). On success target holds the card
// (or a copy of the whole source when no sensible rectangle was found), rect its bounds and
// blackAreaFlag 0, or 1 for too much black area. On failure rect is all -1 and target is left
// empty.
int32_t ScanCardImageCorrectionMainRtn(const cv::Mat* source, tagRECT* rect, cv::Mat* target, int32_t* blackAreaFlag);

// Copies the rectangle, clipped to the source, into a new image with the source's channels.
int32_t TrimImageC(const cv::Mat* source, cv::Mat* target, tagRECT rect);
