#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>

#include "LogindMock.h"
#include "MainThread.h"
#include "PelluxClientPreference.h"
#include "PreferenceStore.h"
#include "QtPrinters.h"
#include "RecordingDelegate.h"
#include "SimulatorFolder.h"
#include "SystemLog.h"
#include "TS860Controller.h"
#include "TestEnvironment.h"

namespace {

// A controller over a simulated scanner of its own. No system bus unless a test brings one, so
// the sleep monitor finds no logind (and says so in the captured log).
class ControllerTest : public testing::Test {
 protected:
  ControllerTest() : folder(SimulatorFolder::create()), preferences(folder + QLatin1String("/preferences.plist")) {
    qputenv("TS860_SIMULATOR", folder.toLocal8Bit());
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=" + folder.toLocal8Bit() + "/no-bus");
  }
  ~ControllerTest() override {
    controller.reset();
    qunsetenv("TS860_SIMULATOR");
    qunsetenv("DBUS_SYSTEM_BUS_ADDRESS");
  }

  void attach(const QByteArray& ids = {}) const {
    ASSERT_TRUE(SimulatorFolder::write(folder, QStringLiteral("attached"), ids));
  }
  void detach() const { ASSERT_TRUE(QFile::remove(folder + QLatin1String("/attached"))); }
  void startMonitor() { ASSERT_FALSE(controller->startMonitorWithDelegate(delegate).has_value()); }
  bool called(const char* call, qsizetype times = 1) {
    return waitFor([&] { return delegate->count(QLatin1String(call)) >= times; });
  }
  static QString messageOf(const std::optional<PelluxError>& error) { return error ? error->message() : QString(); }

  QString folder;
  PreferenceStore preferences;
  SystemLogCapture log;
  std::shared_ptr<RecordingDelegate> delegate = std::make_shared<RecordingDelegate>();
  std::unique_ptr<TS860Controller> controller = std::make_unique<TS860Controller>(preferences);
};

TEST_F(ControllerTest, OpensAnAttachedScannerAndFollowsRemovalAndArrival) {
  startMonitor();
  // Already attached: opened before the start returned.
  EXPECT_EQ(delegate->calls, QStringList{"DidOpened"});
  EXPECT_TRUE(controller->isScannerOpened());

  detach();
  ASSERT_TRUE(called("DidClosed"));
  EXPECT_FALSE(controller->isScannerOpened());
  attach();
  ASSERT_TRUE(called("DidOpened", 2));
  EXPECT_EQ(delegate->calls, (QStringList{"DidOpened", "DidClosed", "DidOpened"}));

  // Monitoring ends; the scanner stays open until the controller goes.
  controller->stopMonitor();
  EXPECT_TRUE(controller->isScannerOpened());
  controller.reset();
  EXPECT_EQ(delegate->calls.last(), QStringLiteral("DidClosed"));
}

// The delegate may start reading as soon as it hears that the scanner opened.
TEST_F(ControllerTest, AJobCanStartWhenTheScannerOpens) {
  detach();
  startMonitor();
  std::optional<PelluxError> started = PelluxError::pelluxErrorWithCode(0);
  delegate->onCall = [&](const QString& call) {
    if (call == QLatin1String("DidOpened")) started = controller->startContinuouslyReading();
  };
  attach();
  ASSERT_TRUE(called("DidOpened"));
  delegate->onCall = nullptr;
  ASSERT_EQ(started, std::nullopt);
  EXPECT_TRUE(called("WaitingPaper"));
  EXPECT_FALSE(controller->stopWorking(2.5).has_value());
}

TEST_F(ControllerTest, TheWatchedDevicesFollowThePreference) {
  struct Case {
    QByteArray ids;
    bool supportsShiro;
    bool opened;
  };
  const Case cases[] = {
      {"0a82:8111", false, true},
      {"0a82:8100", false, false},
      {"0a82:8100", true, true},
      {"0a82:8112", true, false},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.ids.toStdString() + (test.supportsShiro ? " with" : " without") + " ts860_supports_shiro");
    ASSERT_FALSE(
        preferences.setValue(QLatin1String(kPelluxClientPreference_key_ts860_supports_shiro), test.supportsShiro));
    attach(test.ids);
    TS860Controller watching(preferences);
    ASSERT_FALSE(watching.startMonitorWithDelegate(delegate).has_value());
    EXPECT_EQ(watching.isScannerOpened(), test.opened);
  }
}

TEST_F(ControllerTest, AnUnwatchedDevicePluggedInOpensNothing) {
  detach();
  startMonitor();
  attach("0a82:8100");
  MainThread::runLoopFor(0.5);
  EXPECT_TRUE(delegate->calls.isEmpty());
  // The TS860 then arrives in its place.
  detach();
  MainThread::runLoopFor(0.5);
  attach();
  ASSERT_TRUE(called("DidOpened"));
  EXPECT_EQ(delegate->calls, QStringList{"DidOpened"});
}

TEST_F(ControllerTest, MonitoringStartsOnce) {
  startMonitor();
  const std::optional<PelluxError> again = controller->startMonitorWithDelegate(delegate);
  ASSERT_TRUE(again.has_value());
  EXPECT_EQ(again->code(), kPelluxError_Code_Status);
  EXPECT_TRUE(again->message().startsWith(QStringLiteral("Monitoring scanner already running: 0x")));
  EXPECT_TRUE(again->message().endsWith(QStringLiteral("/00000001/00000001."))) << again->message().toStdString();
  controller->stopMonitor();
  controller->closeScanner();
  startMonitor();
  EXPECT_TRUE(controller->isScannerOpened());
}

TEST_F(ControllerTest, JobRequestsAreCheckedAgainstTheScannerState) {
  using Request = std::function<std::optional<PelluxError>(TS860Controller&)>;
  const Request startReading = &TS860Controller::startReading;
  const Request startPolling = [this](TS860Controller& c) {
    std::optional<PelluxError> error = c.startContinuouslyReading();
    EXPECT_TRUE(called("WaitingPaper"));
    return error;
  };
  const Request stop = [](TS860Controller& c) { return c.stopWorking(2.5); };
  const Request open = [this](TS860Controller& c) { return c.openScannerWithDelegate(delegate); };

  // Nothing attached: monitoring starts with nothing to open.
  detach();
  startMonitor();
  EXPECT_TRUE(delegate->calls.isEmpty());
  EXPECT_EQ(messageOf(startReading(*controller)), QStringLiteral("Scanner not opened."));
  EXPECT_EQ(messageOf(stop(*controller)), QStringLiteral("Scanner not opened."));

  attach();
  ASSERT_TRUE(called("DidOpened"));
  const QRegularExpression session(QStringLiteral("<TS860Object 0x[0-9a-f]+: open, (working|idle)>"));
  struct Step {
    Request request;
    QString expected;  // the message with the session as "S", empty for success
  };
  const Step steps[] = {
      {stop, QStringLiteral("Scanner not working: S.")},
      {open, QStringLiteral("Scanner already opened: S.")},
      {startPolling, {}},
      {startReading, QStringLiteral("Scanner already working: S.")},
      {stop, {}},
  };
  for (const Step& step : steps) {
    const std::optional<PelluxError> error = step.request(*controller);
    QString message = messageOf(error);
    message.replace(session, QStringLiteral("S"));
    EXPECT_EQ(message, step.expected);
    if (error) {
      EXPECT_EQ(error->code(), kPelluxError_Code_Status);
    }
  }
  EXPECT_EQ(delegate->calls, (QStringList{"DidOpened", "DidStartWorking", "DidStartPolling", "WaitingPaper",
                                          "DidStopPolling", "DidStopWorking"}));
}

TEST_F(ControllerTest, AFailedOpenAfterArrivalGoesToTheDelegate) {
  detach();
  startMonitor();
  ASSERT_TRUE(SimulatorFolder::write(folder, QStringLiteral("faults"), "fail_request 1\n"));
  attach();
  ASSERT_TRUE(called("Errored"));
  EXPECT_EQ(delegate->calls, QStringList{"Errored"});
  EXPECT_EQ(delegate->error->code(), kPelluxError_Code_Ts860);
  EXPECT_FALSE(controller->isScannerOpened());
}

// Removal lets the session go, but the running job keeps it until the job has failed on the
// missing device; only then does the session close.
TEST_F(ControllerTest, RemovalWhileReadingEndsTheJobThenCloses) {
  startMonitor();
  ASSERT_FALSE(controller->startContinuouslyReading().has_value());
  ASSERT_TRUE(called("WaitingPaper"));
  detach();
  ASSERT_TRUE(called("DidClosed"));
  EXPECT_FALSE(controller->isScannerOpened());
  EXPECT_EQ(delegate->calls.mid(delegate->calls.size() - 4),
            (QStringList{"Errored", "DidStopPolling", "DidStopWorking", "DidClosed"}));
  EXPECT_EQ(delegate->count("Errored"), 1);
}

TEST_F(ControllerTest, WithoutLogindMonitoringStillStarts) {
  startMonitor();
  EXPECT_TRUE(controller->isScannerOpened());
  ASSERT_EQ(log.lines().size(), 1);
  EXPECT_TRUE(log.lines().constFirst().contains(QStringLiteral("QDBusConnection::connectToBus")))
      << log.lines().constFirst().toStdString();
}

// Sleep closes the scanner (and the delegate hears of it) while the delay lock still holds the
// system back; the lock goes afterwards. Wake-up reopens the scanner and takes a new lock.
TEST_F(ControllerTest, SleepClosesTheScannerBeforeTheLockIsReleased) {
  LogindMock logind;
  ASSERT_TRUE(logind.failure().isEmpty()) << logind.failure().toStdString();
  startMonitor();
  EXPECT_TRUE(log.lines().isEmpty()) << log.lines().join(u'\n').toStdString();
  const QStringList held{QStringLiteral("sleep/delay/Quillory")};
  EXPECT_EQ(logind.inhibitors(), held);

  QStringList locksWhenClosed;
  delegate->onCall = [&](const QString& call) {
    if (call == QLatin1String("DidClosed")) locksWhenClosed = logind.inhibitors();
  };
  ASSERT_TRUE(logind.announceSleep(true));
  ASSERT_TRUE(called("DidClosed"));
  delegate->onCall = nullptr;
  EXPECT_EQ(locksWhenClosed, held);
  EXPECT_FALSE(controller->isScannerOpened());
  EXPECT_TRUE(waitFor([&] { return logind.inhibitors().isEmpty(); }));

  ASSERT_TRUE(logind.announceSleep(false));
  ASSERT_TRUE(called("DidOpened", 2));
  EXPECT_TRUE(controller->isScannerOpened());
  EXPECT_TRUE(waitFor([&] { return logind.inhibitors() == held; }));

  controller->stopMonitor();
  EXPECT_TRUE(waitFor([&] { return logind.inhibitors().isEmpty(); }));
}

}  // namespace
