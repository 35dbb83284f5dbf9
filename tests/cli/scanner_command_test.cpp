#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QtGlobal>
#include <csignal>

#include "CliRunner.h"
#include "QtPrinters.h"
#include "SimulatorFolder.h"
#include "TestEnvironment.h"

namespace {

// A simulated scanner in a folder of its own, chosen through the environment the runs inherit.
class ScannerCommandTest : public testing::Test {
 protected:
  ScannerCommandTest() : folder(SimulatorFolder::create()) { qputenv("TS860_SIMULATOR", folder.toLocal8Bit()); }
  ~ScannerCommandTest() override { qunsetenv("TS860_SIMULATOR"); }

  void touch(const QString& name) const { ASSERT_TRUE(SimulatorFolder::write(folder, name, {})); }

  QString folder;
  CliRunner cli;
};

TEST_F(ScannerCommandTest, ReadCalibrateCleanAndStatus) {
  QImage card(910, 550, QImage::Format_Grayscale8);
  card.fill(220);
  ASSERT_TRUE(card.save(folder + QLatin1String("/hopper/a-card.png")));
  touch(QStringLiteral("hopper/calibration"));
  touch(QStringLiteral("hopper/cleaning"));
  const QString bitmap = TestEnvironment::freshFolder() + QLatin1String("/card.bmp");

  CliRun run = cli.run({QStringLiteral("scanner"), QStringLiteral("read"), QStringLiteral("--bmp"), bitmap});
  EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
  EXPECT_TRUE(run.out.contains(QStringLiteral("Waiting for a card"))) << run.out.toStdString();
  EXPECT_EQ(QImage(bitmap, "BMP").size(), QSize(868, 1480));

  run = cli.run({QStringLiteral("scanner"), QStringLiteral("calibrate")});
  EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
  EXPECT_EQ(cli.run({QStringLiteral("config"), QStringLiteral("ts860_xoffset")}).out.trimmed(), QStringLiteral("81"));

  run = cli.run({QStringLiteral("scanner"), QStringLiteral("clean")});
  EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
  EXPECT_TRUE(run.out.contains(QStringLiteral("Cleaning finished."))) << run.out.toStdString();

  run = cli.run({QStringLiteral("scanner"), QStringLiteral("status")});
  EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
  EXPECT_TRUE(run.out.contains(QStringLiteral(", attached."))) << run.out.toStdString();
  EXPECT_TRUE(run.out.contains(QStringLiteral("Calibration: calibrated, the card window starts at sensor pixel 81.")))
      << run.out.toStdString();
  EXPECT_EQ(QDir(folder + QLatin1String("/done")).entryList(QDir::Files).size(), 3);
}

TEST_F(ScannerCommandTest, AMissingScannerAndWrongUsage) {
  QFile::remove(folder + QLatin1String("/attached"));
  CliRun run = cli.run({QStringLiteral("scanner"), QStringLiteral("read"), QStringLiteral("--bmp"),
                        TestEnvironment::freshFolder() + QLatin1String("/card.bmp")});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(run.err.contains(QStringLiteral("Scanner access failed: usb_init"))) << run.err.toStdString();
  EXPECT_TRUE(
      cli.run({QStringLiteral("scanner"), QStringLiteral("status")}).out.contains(QStringLiteral(", not attached.")));
  EXPECT_EQ(cli.run({QStringLiteral("scanner"), QStringLiteral("read")}).exitCode, 2);
}

// A scanner command left running, its output read as it comes.
class RunningCommand {
 public:
  explicit RunningCommand(const QString& command) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), TestEnvironment::freshFolder());
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(QUILLORY_CLI), {QStringLiteral("scanner"), command});
  }
  // Reads until the output holds the text that many times; false when it did not come.
  bool waitForOutput(const QByteArray& text, qsizetype times = 1) {
    while (out.count(text) < times && process.waitForReadyRead(10000)) out += process.readAllStandardOutput();
    return out.count(text) >= times;
  }

  QProcess process;
  QByteArray out;
};

// Ctrl-C while waiting for a card stops the job and says so.
TEST_F(ScannerCommandTest, InterruptedWhileWaiting) {
  RunningCommand clean(QStringLiteral("clean"));
  QProcess& process = clean.process;
  QByteArray& out = clean.out;
  ASSERT_TRUE(clean.waitForOutput("Waiting for the cleaning sheet")) << out.toStdString();
  ::kill(pid_t(process.processId()), SIGINT);
  ASSERT_TRUE(process.waitForFinished(20000));
  out += process.readAllStandardOutput();
  EXPECT_EQ(process.exitCode(), 1);
  EXPECT_TRUE(out.contains("Stopped.")) << out.toStdString();
}

// The watch follows the scanner being unplugged and plugged in again until Ctrl-C.
TEST_F(ScannerCommandTest, WatchFollowsTheScanner) {
  RunningCommand watch(QStringLiteral("watch"));
  ASSERT_TRUE(watch.waitForOutput("Scanner connected.")) << watch.out.toStdString();
  QFile::remove(folder + QLatin1String("/attached"));
  ASSERT_TRUE(watch.waitForOutput("Scanner disconnected.")) << watch.out.toStdString();
  touch(QStringLiteral("attached"));
  ASSERT_TRUE(watch.waitForOutput("Scanner connected.", 2)) << watch.out.toStdString();
  ::kill(pid_t(watch.process.processId()), SIGINT);
  ASSERT_TRUE(watch.process.waitForFinished(20000));
  watch.out += watch.process.readAllStandardOutput();
  EXPECT_EQ(watch.process.exitCode(), 0);
  EXPECT_TRUE(watch.out.endsWith("Stopped watching.\n")) << watch.out.toStdString();
}

}  // namespace
