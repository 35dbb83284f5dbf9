#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QStringList>
#include <QtGlobal>
#include <functional>
#include <mutex>

#include "MainThread.h"
#include "RecordingDelegate.h"
#include "SimulatorFolder.h"
#include "TS860Object.h"
#include "TS860ScanParamWrapper.h"
#include "TestEnvironment.h"

namespace {

// A simulated scanner of its own for each test (no real waiting unless a test asks for it), an
// open session on it and a recording delegate.
class SessionTest : public testing::Test {
 protected:
  SessionTest() : folder(SimulatorFolder::create()) { qputenv("TS860_SIMULATOR", folder.toLocal8Bit()); }
  ~SessionTest() override {
    if (session) session->stopWithWaiting(10);
    session.reset();
    qunsetenv("TS860_SIMULATOR");
    qunsetenv("TS860_TRACE");
  }

  void write(const QString& name, const QByteArray& text) const {
    ASSERT_TRUE(SimulatorFolder::write(folder, name, text));
  }
  void addCards(int count) const {
    QImage card(550, 910, QImage::Format_Grayscale8);
    card.fill(230);
    for (int i = 1; i <= count; ++i) ASSERT_TRUE(card.save(folder + QStringLiteral("/hopper/card%1.png").arg(i)));
  }
  void open() {
    session = TS860Object::create(delegate);
    ASSERT_FALSE(session->open().has_value());
  }
  bool jobEnded() {
    return waitFor([this] { return delegate->count("DidStopWorking") > 0; });
  }

  QString folder;
  std::shared_ptr<RecordingDelegate> delegate = std::make_shared<RecordingDelegate>();
  std::shared_ptr<TS860Object> session;
};

TEST_F(SessionTest, SingleJobsReportTheirStepsInOrder) {
  struct Job {
    const char* sheet;
    std::function<std::optional<PelluxError>(TS860Object&)> start;
    QStringList steps;
  };
  const std::vector<Job> jobs = {
      {"card1.png", &TS860Object::startReading, kReadOfOneCard},
      {"calibration",
       &TS860Object::startCalibrating,
       {"WaitingPaper", "GotPaper", "WaitingPaperCompleted", "CalibrateStarted", "CalibrateCompleted"}},
      {"cleaning",
       &TS860Object::startCleaning,
       {"WaitingPaper", "GotPaper", "WaitingPaperCompleted", "CleaningStarted", "CleaningCompleted"}},
  };
  open();
  for (const Job& job : jobs) {
    SCOPED_TRACE(job.sheet);
    if (QLatin1String(job.sheet).endsWith(QLatin1String(".png")))
      addCards(1);
    else
      write(QLatin1String("hopper/") + QLatin1String(job.sheet), "");
    delegate->calls.clear();
    ASSERT_FALSE(job.start(*session).has_value());
    ASSERT_TRUE(jobEnded());
    const QStringList expected = QStringList{"DidStartWorking"} + job.steps + QStringList{"DidStopWorking"};
    EXPECT_EQ(delegate->calls, expected);
    EXPECT_FALSE(session->isWorking());
    EXPECT_TRUE(QFile::exists(folder + QLatin1String("/done/") + QLatin1String(job.sheet)));
  }
  // The read used the delegate's resolution: 200 dpi, 2.17 inches (436 pixels) wide.
  ASSERT_GT(delegate->bitmap.size(), 1078);
  EXPECT_TRUE(delegate->bitmap.startsWith("BM"));
  EXPECT_EQ(QImage::fromData(delegate->bitmap, "BMP").width(), 436);
  EXPECT_EQ(delegate->calibratedXoffset, 81);
  EXPECT_EQ(delegate->calibrationBytes, 6152);
}

TEST_F(SessionTest, ContinuousReadingUntilStopped) {
  addCards(3);
  open();
  delegate->calls.clear();
  ASSERT_FALSE(session->startPolling().has_value());
  ASSERT_TRUE(
      waitFor([this] { return delegate->count("ReadCompleted") == 3 && delegate->count("WaitingPaper") == 4; }));
  EXPECT_TRUE(session->isWorking());
  EXPECT_FALSE(session->stopWithWaiting(10).has_value());
  EXPECT_FALSE(session->isWorking());
  const QStringList expected = QStringList{"DidStartWorking", "DidStartPolling"} + kReadOfOneCard + kReadOfOneCard +
                               kReadOfOneCard + QStringList{"WaitingPaper", "DidStopPolling", "DidStopWorking"};
  EXPECT_EQ(delegate->calls, expected);
  EXPECT_EQ(QDir(folder + QLatin1String("/done")).entryList(QDir::Files).size(), 3);
}

TEST_F(SessionTest, CancelledWhileWaitingForPaper) {
  open();
  delegate->calls.clear();
  ASSERT_FALSE(session->startReading().has_value());
  ASSERT_TRUE(waitFor([this] { return delegate->count("WaitingPaper") == 1; }));
  // One job at a time.
  const std::optional<PelluxError> refused = session->startCalibrating();
  ASSERT_TRUE(refused.has_value());
  EXPECT_EQ(refused->code(), kPelluxError_Code_Status);
  EXPECT_TRUE(refused->message().startsWith(QStringLiteral("Scanner already working: ")));
  EXPECT_TRUE(refused->message().endsWith(QStringLiteral("/1.")));
  const std::optional<PelluxError> reopened = session->open();
  ASSERT_TRUE(reopened.has_value());
  EXPECT_TRUE(reopened->message().startsWith(QStringLiteral("Scanner already opened: ")));

  EXPECT_FALSE(session->stopWithWaiting(10).has_value());
  EXPECT_EQ(delegate->calls, (QStringList{"DidStartWorking", "WaitingPaper", "DidStopWorking"}));
  EXPECT_FALSE(session->stopWithWaiting(1).has_value());  // nothing left to stop
}

TEST_F(SessionTest, UnpluggedWhileWaitingEndsContinuousReading) {
  open();
  delegate->calls.clear();
  const QString trace = folder + QLatin1String("/trace");
  qputenv("TS860_TRACE", trace.toLocal8Bit());
  ASSERT_FALSE(session->startPolling().has_value());
  // Unplugged once the pre-command (ending with its read at index 3122) is over: while polling.
  ASSERT_TRUE(waitFor([&trace] {
    QFile file(trace);
    return file.open(QIODevice::ReadOnly) && file.readAll().contains("ctrl c0 04 008e 3122");
  }));
  QFile::remove(folder + QLatin1String("/attached"));
  ASSERT_TRUE(jobEnded());
  EXPECT_EQ(delegate->calls, (QStringList{"DidStartWorking", "DidStartPolling", "WaitingPaper", "Errored",
                                          "DidStopPolling", "DidStopWorking"}));
  ASSERT_TRUE(delegate->error.has_value());
  EXPECT_EQ(delegate->error->code(), kPelluxError_Code_Ts860);
  EXPECT_EQ(delegate->error->userInfoValue(kPelluxError_UserInfoKey_TS860FailedFunction).toString(),
            QStringLiteral("ispaperon"));
  EXPECT_TRUE(delegate->error->userInfoValue(kPelluxError_UserInfoKey_TS860ConnectionMayBeLost).toBool());
}

// The feed after the scan fails. Transfer 377 since opening falls in the feed's motor-table load:
// 1 protocol start, 33 pre-command requests, 1 paper check, 305 for the 200-dpi scan, then the
// feed's initialisation block and the first requests of its prefeed.
TEST_F(SessionTest, AFailedFeedHandsNoBitmap) {
  addCards(1);
  write("faults", "fail_request 377\n");
  open();
  delegate->calls.clear();
  ASSERT_FALSE(session->startReading().has_value());
  ASSERT_TRUE(jobEnded());
  ASSERT_TRUE(delegate->error.has_value());
  EXPECT_EQ(delegate->error->userInfoValue(kPelluxError_UserInfoKey_TS860FailedFunction).toString(),
            QStringLiteral("feed"));
  EXPECT_EQ(delegate->count("ReadCompleted"), 0);
  EXPECT_EQ(delegate->calls.mid(delegate->calls.size() - 2), (QStringList{"Errored", "DidStopWorking"}));
}

TEST_F(SessionTest, ADelegateWithOnlyTheBitmapCallbackGetsTheBitmap) {
  addCards(1);
  delegate->only = Callback::ReadCompleted;
  open();
  ASSERT_FALSE(session->startReading().has_value());
  ASSERT_TRUE(waitFor([this] { return !delegate->bitmap.isEmpty(); }));
  EXPECT_EQ(delegate->calls, QStringList{"ReadCompleted"});
}

TEST_F(SessionTest, TheWaitTimeDelaysTheScan) {
  addCards(1);
  delegate->waitTime = 1.5;
  open();
  ASSERT_FALSE(session->startReading().has_value());
  ASSERT_TRUE(jobEnded());
  EXPECT_GE(delegate->waitingPaperCompletedAt - delegate->gotPaperAt, 1500);
  EXPECT_EQ(delegate->count("ReadCompleted"), 1);
}

// A stop that does not wait long enough for a slow scan: the time-out error, no second job beside
// the ending one, and the scan still completes.
TEST_F(SessionTest, AStopThatTimesOut) {
  addCards(1);
  write("settings", "time_scale 3\n");  // a scan then takes about 4.5 s
  open();
  ASSERT_FALSE(session->startReading().has_value());
  ASSERT_TRUE(waitFor([this] { return delegate->count("ReadStarted") == 1; }));
  const std::optional<PelluxError> stopped = session->stopWithWaiting(2.5);
  ASSERT_TRUE(stopped.has_value());
  EXPECT_EQ(stopped->code(), kPelluxError_Code_Ts860);
  EXPECT_EQ(stopped->message(), QStringLiteral("Scanner termination has been timed out."));
  EXPECT_TRUE(session->startReading().has_value());
  ASSERT_TRUE(jobEnded());
  EXPECT_EQ(delegate->count("ReadCompleted"), 1);
  ASSERT_TRUE(waitFor([this] { return !session->startCleaning().has_value(); }));  // once it has ended
  EXPECT_FALSE(session->stopWithWaiting(10).has_value());
}

// A running job keeps the session alive: the owner lets go, the job completes, then the scanner
// closes.
TEST_F(SessionTest, AJobKeepsItsSessionAlive) {
  addCards(1);
  open();
  delegate->calls.clear();
  ASSERT_FALSE(session->startReading().has_value());
  session.reset();
  ASSERT_TRUE(waitFor([this] { return delegate->count("DidClosed") == 1; }));
  const QStringList expected =
      QStringList{"DidStartWorking"} + kReadOfOneCard + QStringList{"DidStopWorking", "DidClosed"};
  EXPECT_EQ(delegate->calls, expected);
}

TEST_F(SessionTest, OpeningWithoutAScanner) {
  QFile::remove(folder + QLatin1String("/attached"));
  session = TS860Object::create(delegate);
  testing::internal::CaptureStderr();
  const std::optional<PelluxError> error = session->open();
  testing::internal::GetCapturedStderr();
  ASSERT_TRUE(error.has_value());
  EXPECT_EQ(error->code(), kPelluxError_Code_Ts860);
  EXPECT_EQ(error->userInfoValue(kPelluxError_UserInfoKey_TS860FailedFunction).toString(), QStringLiteral("usb_init"));
  EXPECT_TRUE(session->startReading().has_value());  // nothing is open
  EXPECT_TRUE(delegate->calls.isEmpty());
}

}  // namespace
