#include "cropbitmap.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "ScanCardImageCorrection.h"

namespace {

constexpr size_t kHeaderSize = 54;
constexpr uint32_t kInfoHeaderSize = 40;

uint32_t read32(const unsigned char* at) {
  return uint32_t(at[0]) | uint32_t(at[1]) << 8 | uint32_t(at[2]) << 16 | uint32_t(at[3]) << 24;
}
uint16_t read16(const unsigned char* at) { return uint16_t(at[0] | at[1] << 8); }
void write32(unsigned char* at, uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<unsigned char>(value >> (8 * i));
}

size_t strideOf(size_t width) { return width + (4 - width % 4) % 4; }

struct Header {
  size_t fileSize, pixelOffset, stride;
  int32_t width, height;
};

// The header of an accepted bitmap, or false.
bool readHeader(const unsigned char* bitmap, const size_t* length, Header& header) {
  if (length && *length < kHeaderSize) return false;
  if (bitmap[0] != 'B' || bitmap[1] != 'M') return false;
  header.fileSize = read32(bitmap + 2);
  if (length && header.fileSize != *length) return false;
  if (header.fileSize < kHeaderSize) return false;
  header.pixelOffset = read32(bitmap + 10);
  header.width = int32_t(read32(bitmap + 18));
  header.height = int32_t(read32(bitmap + 22));
  if (header.pixelOffset > header.fileSize || read32(bitmap + 14) != kInfoHeaderSize || read16(bitmap + 28) != 8 ||
      read32(bitmap + 30) != 0 || header.width <= 0 || header.height <= 0)
    return false;
  header.stride = strideOf(size_t(header.width));
  const size_t pixels = header.stride * size_t(header.height);
  if (pixels != header.fileSize - header.pixelOffset) return false;
  const uint32_t imageSize = read32(bitmap + 34);
  return imageSize == 0 || imageSize == pixels;
}

}  // namespace

int cropbitmap(unsigned char* bitmap, size_t* length) {
  Header header;
  if (!bitmap || !readHeader(bitmap, length, header)) return -1;

  const cv::Mat source(header.height, header.width, CV_8UC1, bitmap + header.pixelOffset, header.stride);
  tagRECT rect;
  cv::Mat card;
  int32_t blackArea = 0;
  const int32_t code = ScanCardImageCorrectionMainRtn(&source, &rect, &card, &blackArea);
  if (code != kScanCardImageCorrection_Success) {
    std::fprintf(stderr, "ScanCardImageCorrectionMainRtn failed: %d\n", code);
    return -1;
  }
  if (blackArea) return 1;

  // The card is never larger than the scan, so it is written over the old pixels, row by row in
  // the same order, each row padded to the new stride.
  const size_t width = size_t(card.cols), height = size_t(card.rows), stride = strideOf(width);
  unsigned char* pixels = bitmap + header.pixelOffset;
  for (size_t row = 0; row < height; ++row) {
    unsigned char* out = pixels + row * stride;
    std::memmove(out, card.ptr<uchar>(int(row)), width);
    std::memset(out + width, 0, stride - width);
  }
  const size_t newLength = header.pixelOffset + stride * height;
  write32(bitmap + 2, uint32_t(newLength));
  write32(bitmap + 18, uint32_t(width));
  write32(bitmap + 22, uint32_t(height));
  write32(bitmap + 34, uint32_t(stride * height));
  if (length) *length = newLength;
  return 0;
}
