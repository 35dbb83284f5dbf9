#include <gtest/gtest.h>

#include <QFile>

#include "AppFixture.h"
#include "ScannerCommands.h"
#include "SimulatorFolder.h"
#include "SystemLog.h"
#include "WaitFor.h"

namespace {

// The application with its scanner side over a simulated scanner; no system bus, so sleep is not
// followed.
class ScannerCommandsTest : public AppFixture {
 protected:
  ScannerCommandsTest() {
    qputenv("TS860_SIMULATOR", simulator.toLocal8Bit());
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=" + simulator.toLocal8Bit() + "/no-bus");
  }
  ~ScannerCommandsTest() override {
    qunsetenv("TS860_SIMULATOR");
    qunsetenv("DBUS_SYSTEM_BUS_ADDRESS");
  }

  // Launches the application; without an account it asks to log in, which is put aside here.
  void launch() {
    app.applicationDidFinishLaunching();
    ui.alerts.clear();
  }
  bool attach() const { return SimulatorFolder::write(simulator, QStringLiteral("attached"), {}); }
  bool detach() const { return QFile::remove(simulator + QLatin1String("/attached")); }

  QString simulator = SimulatorFolder::create();
  SystemLogCapture log;
  ScannerCommands scanner{app};
};

TEST_F(ScannerCommandsTest, TheApplicationFollowsTheScanner) {
  launch();
  EXPECT_TRUE(app.scannerConnected());
  EXPECT_EQ(app.statusMessage(), QStringLiteral("Scanner Connected."));

  ASSERT_TRUE(detach());
  ASSERT_TRUE(waitFor([this] { return !app.scannerConnected(); }));
  EXPECT_EQ(app.statusMessage(), QStringLiteral("Scanner Disconnected."));
  ASSERT_TRUE(attach());
  ASSERT_TRUE(waitFor([this] { return app.scannerConnected(); }));
  EXPECT_TRUE(ui.alerts.isEmpty());

  // At quit the monitor stops; the scanner is let go with the application.
  app.applicationWillTerminate();
  EXPECT_FALSE(scanner.scannerController().startReading().has_value());
  EXPECT_FALSE(scanner.scannerController().stopWorking(2.5).has_value());
}

// A scanner that arrives but cannot be opened is reported as a scanner access error, in an alert
// since no scanner is connected.
TEST_F(ScannerCommandsTest, AScannerThatFailsToOpenIsReported) {
  ASSERT_TRUE(detach());
  launch();
  EXPECT_FALSE(app.scannerConnected());
  ASSERT_TRUE(SimulatorFolder::write(simulator, QStringLiteral("faults"), "fail_request 1\n"));
  ASSERT_TRUE(attach());
  ASSERT_TRUE(waitFor([this] { return !ui.alerts.isEmpty(); }));
  EXPECT_EQ(ui.alerts.constFirst().title, QStringLiteral("Scanner Access Error"));
  EXPECT_TRUE(ui.alerts.constFirst().message.contains(QStringLiteral("Please connect the scanner correctly.")))
      << ui.alerts.constFirst().message.toStdString();
  EXPECT_TRUE(app.statusMessage().startsWith(QStringLiteral("Scanner Access ERROR:")))
      << app.statusMessage().toStdString();
  EXPECT_FALSE(app.scannerConnected());
}

}  // namespace
