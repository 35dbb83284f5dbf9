#pragma once

#include <QByteArray>
#include <QtEndian>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

// Synthetic scans: a bright card with some dark print on the scanner's dark background, and the
// scanner's bitmap format (bottom-up 8-bit BMP with a grey colour table) around any grey image.
namespace ScanFixtures {

inline constexpr uchar kBackground = 18;
inline constexpr uchar kPaper = 236;

// A grey scan of size width × height with the card at `card` (print kept clear of its edges).
inline cv::Mat scan(int width, int height, cv::Rect card, uchar background = kBackground) {
  cv::Mat image(height, width, CV_8UC1, cv::Scalar(background));
  image(card & cv::Rect(0, 0, width, height)).setTo(kPaper);
  const int lineHeight = std::max(2, card.height / 20);
  for (int line = 3; line < 12; line += 2) {
    const cv::Rect print(card.x + card.width / 6, card.y + line * card.height / 16, card.width * 2 / 3, lineHeight);
    image(print & cv::Rect(0, 0, width, height)).setTo(40);
  }
  return image;
}

inline void put32(QByteArray& bytes, int at, quint32 value) {
  qToLittleEndian(value, reinterpret_cast<uchar*>(bytes.data()) + at);
}

// The scanner's bitmap of a grey image: rows bottom-up, each padded to a multiple of 4 bytes.
inline QByteArray bitmap(const cv::Mat& grey) {
  const int stride = (grey.cols + 3) / 4 * 4;
  const int offset = 54 + 256 * 4;
  QByteArray bytes(offset + stride * grey.rows, '\0');
  bytes[0] = 'B';
  bytes[1] = 'M';
  put32(bytes, 2, quint32(bytes.size()));
  put32(bytes, 10, offset);
  put32(bytes, 14, 40);
  put32(bytes, 18, quint32(grey.cols));
  put32(bytes, 22, quint32(grey.rows));
  bytes[26] = 1;
  bytes[28] = 8;
  put32(bytes, 34, quint32(stride * grey.rows));
  put32(bytes, 46, 256);
  for (int i = 0; i < 256; ++i) put32(bytes, 54 + 4 * i, quint32(i * 0x010101));
  for (int row = 0; row < grey.rows; ++row)
    std::memcpy(bytes.data() + offset + (grey.rows - 1 - row) * stride, grey.ptr(row), size_t(grey.cols));
  return bytes;
}

// The pixels of a bitmap made by bitmap(), as a grey image in visual order.
inline cv::Mat pixels(const QByteArray& bytes) {
  const auto* data = reinterpret_cast<const uchar*>(bytes.constData());
  const int width = qFromLittleEndian<qint32>(data + 18), height = qFromLittleEndian<qint32>(data + 22);
  const int offset = qFromLittleEndian<qint32>(data + 10), stride = (width + 3) / 4 * 4;
  cv::Mat image(height, width, CV_8UC1);
  for (int row = 0; row < height; ++row)
    std::memcpy(image.ptr(row), data + offset + (height - 1 - row) * stride, size_t(width));
  return image;
}

}  // namespace ScanFixtures
