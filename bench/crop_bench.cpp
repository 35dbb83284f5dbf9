// Times cropping a default-size scan (868 × 1480 at 400 dpi) and the whole scan-to-JPEG step
// (crop the bitmap, decode it, encode the card) against a bare JPEG encode of the same scan by the
// same encoder, measured side by side in one run.
#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QImageWriter>
#include <algorithm>
#include <cstdio>

#include "ImageUtilities.h"
#include "PreferenceStore.h"
#include "ScanFixtures.h"
#include "cropbitmap.h"

namespace {

constexpr int kRuns = 31;
constexpr float kQuality = 0.7f;

// Each run gets its own fresh copy of the scan, made before its timer starts, as the scanner hands
// over a new buffer for every card.
template <typename Work>
double medianMilliseconds(const QByteArray& scan, Work work) {
  double times[kRuns];
  for (double& time : times) {
    QByteArray bytes(scan.constData(), scan.size());
    QElapsedTimer timer;
    timer.start();
    work(bytes);
    time = double(timer.nsecsElapsed()) / 1e6;
  }
  std::sort(times, times + kRuns);
  return times[kRuns / 2];
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  cv::Mat grey = ScanFixtures::scan(868, 1480, cv::Rect(20, 70, 840, 1340));
  cv::Mat noise(grey.size(), CV_8UC1);
  cv::randu(noise, 0, 12);
  grey += noise;
  const QByteArray scan = ScanFixtures::bitmap(grey);
  const QImage decoded = QImage::fromData(scan);

  PreferenceStore preferences(QStringLiteral("/nonexistent/crop-bench.plist"));
  preferences.registerDefaults({{QStringLiteral("cropBitmap"), true}});

  const double crop = medianMilliseconds(scan, [&](QByteArray& bytes) {
    size_t length = size_t(bytes.size());
    cropbitmap(reinterpret_cast<unsigned char*>(bytes.data()), &length);
  });
  const double whole = medianMilliseconds(scan, [&](QByteArray& bytes) {
    ImageUtilities::trimBitmapData(bytes, preferences);
    ImageUtilities::jpegDataFromBitmap(bytes, kQuality);
  });
  const double bare = medianMilliseconds(scan, [&](QByteArray&) {
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(int(kQuality * 100));
    writer.write(decoded);
  });
  std::printf("Scan to JPEG, 868 x 1480 scan, median of %d runs each\n", kRuns);
  std::printf("  cropbitmap            %7.2f ms   ratio to bare encode %.2f\n", crop, crop / bare);
  std::printf("  crop, decode, encode  %7.2f ms   ratio to bare encode %.2f (goal <= 2.00)\n", whole, whole / bare);
  std::printf("  bare JPEG encode      %7.2f ms\n", bare);
  return 0;
}
