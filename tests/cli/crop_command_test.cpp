#include <gtest/gtest.h>

#include <QFile>

#include "CliRunner.h"
#include "QtPrinters.h"
#include "ScanFixtures.h"
#include "TestEnvironment.h"

namespace {

QString writeFile(const QByteArray& bytes) {
  const QString path = TestEnvironment::freshFolder() + QStringLiteral("/scan.bmp");
  QFile file(path);
  file.open(QIODevice::WriteOnly);
  file.write(bytes);
  return path;
}

TEST(CropCommandTest, ExitStatusTellsWhatHappened) {
  CliRunner cli;
  struct Case {
    QByteArray input;
    int exitCode;
    bool written;
    const char* says;
  } cases[] = {
      {ScanFixtures::bitmap(ScanFixtures::scan(200, 320, cv::Rect(24, 0, 176, 320))), 0, true,
       "cropped from 200 × 320 to"},
      {ScanFixtures::bitmap(ScanFixtures::scan(200, 320, cv::Rect(0, 0, 200, 320))), 0, true, "written unchanged"},
      {ScanFixtures::bitmap(ScanFixtures::scan(200, 320, cv::Rect(0, 80, 200, 240))), 3, false, "too much black area"},
      {QByteArray("GIF89a"), 2, false, "not an uncompressed bottom-up 8-bit bitmap"},
  };
  for (const Case& c : cases) {
    const QString in = writeFile(c.input);
    const QString out = in + QStringLiteral(".out.bmp");
    const CliRun run = cli.run({QStringLiteral("crop"), in, out});
    EXPECT_EQ(run.exitCode, c.exitCode) << c.says;
    EXPECT_TRUE((run.out + run.err).contains(QString::fromUtf8(c.says))) << (run.out + run.err).toStdString();
    EXPECT_EQ(QFile::exists(out), c.written) << c.says;
    if (!c.written) continue;
    QFile written(out);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const cv::Mat card = ScanFixtures::pixels(written.readAll());
    EXPECT_EQ(card.rows, 320);
    EXPECT_EQ(cv::mean(card)[0] > 150, true) << "the dark margin is gone";
  }
}

}  // namespace
