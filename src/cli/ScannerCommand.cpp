#include "ScannerCommand.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QImage>
#include <QTimer>
#include <atomic>
#include <csignal>

#include "AtomicFile.h"
#include "CliCommand.h"
#include "MainThread.h"
#include "PelluxClientPreference.h"
#include "PreferenceStore.h"
#include "TS860Controller.h"
#include "TS860ScanParamWrapper.h"
#include "sim/ts860_sim.h"
#include "ts860_usb.h"

namespace {

std::atomic<bool> interrupted{false};

void noteInterrupt(int) { interrupted = true; }

// Calls the action on the main loop's next turn after Ctrl-C (or SIGTERM); lives as long as the
// returned timer.
std::unique_ptr<QTimer> onInterrupt(std::function<void()> action) {
  std::signal(SIGINT, &noteInterrupt);
  std::signal(SIGTERM, &noteInterrupt);
  auto watch = std::make_unique<QTimer>();
  QObject::connect(watch.get(), &QTimer::timeout, [action = std::move(action)] {
    if (interrupted.exchange(false)) action();
  });
  watch->start(100);
  return watch;
}

// Prints what the job waits for and keeps what it produced; ends the wait when the job is over.
class TerminalScannerDelegate : public TS860Delegate {
 public:
  explicit TerminalScannerDelegate(QString sheet) : sheet_(std::move(sheet)) {}

  void ts860WaitingPaper() override { Cli::out(QStringLiteral("Waiting for %1 (Ctrl-C stops)…").arg(sheet_)); }
  void ts860GotPaper(QVariantMap&) override { Cli::out(QStringLiteral("Got %1.").arg(sheet_)); }
  // Scans with the stored calibration, when there is one.
  void ts860ReadParameter(TS860ScanParamWrapper& parameters) override {
    const PreferenceStore& store = PreferenceStore::shared();
    const QByteArray data = store.value(QLatin1String(kPelluxClientPreference_key_ts860_calibrationData)).toByteArray();
    if (data.isEmpty()) return;
    parameters.setXoffset(store.value(QLatin1String(kPelluxClientPreference_key_ts860_xoffset)).toInt());
    parameters.setCalibrationData(data);
  }
  void ts860ReadCompleted(const QByteArray& data) override { bitmap = data; }
  void ts860CalibrateCompleted(TS860ScanParamWrapper& parameters) override {
    xoffset = parameters.xoffset();
    calibrationData = parameters.calibrationData();
  }
  void ts860CleaningCompleted() override { cleaned = true; }
  void ts860Errored(const PelluxError& failure) override { error = failure; }
  void ts860DidStopWorking() override { ended.quit(); }
  void ts860DidClosed() override { closed = true; }

  QByteArray bitmap;
  int32_t xoffset = 0;
  QByteArray calibrationData;
  bool cleaned = false;
  bool closed = false;
  std::optional<PelluxError> error;
  QEventLoop ended;

 private:
  QString sheet_;
};

QString messageOf(const PelluxError& error) { return PelluxError::messageWithPelluxError(error, true); }

// Runs one job to its end; Ctrl-C (or SIGTERM) stops it. False when it could not start.
bool runJob(TerminalScannerDelegate& delegate, std::shared_ptr<TerminalScannerDelegate> shared,
            std::optional<PelluxError> (TS860Controller::*start)()) {
  TS860Controller controller(PreferenceStore::shared());
  std::optional<PelluxError> failure = controller.openScannerWithDelegate(shared);
  if (!failure) failure = (controller.*start)();
  if (failure) {
    Cli::error(messageOf(*failure));
    return false;
  }
  const std::unique_ptr<QTimer> watch = onInterrupt([&controller] {
    Cli::out(QStringLiteral("Stopping…"));
    controller.stopWorking(0);  // the job ends at its next chance and reports that it stopped
  });
  delegate.ended.exec();
  // The job's thread may let go of the session last; its closing reports on this thread.
  controller.closeScanner();
  while (!delegate.closed) MainThread::runLoopFor(0.01);
  return true;
}

int reportEnd(const TerminalScannerDelegate& delegate, bool done, const QString& success) {
  if (delegate.error) {
    Cli::error(messageOf(*delegate.error));
    return Cli::kFailure;
  }
  if (!done) {
    Cli::out(QStringLiteral("Stopped."));
    return Cli::kFailure;
  }
  Cli::out(success);
  return Cli::kSuccess;
}

int read(const QString& path) {
  auto delegate = std::make_shared<TerminalScannerDelegate>(QStringLiteral("a card"));
  if (!runJob(*delegate, delegate, &TS860Controller::startReading)) return Cli::kFailure;
  if (!delegate->bitmap.isEmpty()) {
    if (const std::optional<QString> failure = writeFileAtomically(path, delegate->bitmap)) {
      Cli::error(*failure);
      return Cli::kFailure;
    }
  }
  const QImage image = QImage::fromData(delegate->bitmap, "BMP");
  return reportEnd(
      *delegate, !delegate->bitmap.isEmpty(),
      QStringLiteral("Read a card of %1 × %2 pixels into %3.").arg(image.width()).arg(image.height()).arg(path));
}

int calibrate() {
  auto delegate = std::make_shared<TerminalScannerDelegate>(QStringLiteral("the calibration sheet"));
  if (!runJob(*delegate, delegate, &TS860Controller::startCalibration)) return Cli::kFailure;
  const bool done = !delegate->calibrationData.isEmpty();
  if (done && !delegate->error) {
    PreferenceStore& store = PreferenceStore::shared();
    std::optional<PelluxError> failure =
        store.setValue(QLatin1String(kPelluxClientPreference_key_ts860_xoffset), int(delegate->xoffset));
    if (!failure)
      failure =
          store.setValue(QLatin1String(kPelluxClientPreference_key_ts860_calibrationData), delegate->calibrationData);
    if (failure) {
      Cli::error(messageOf(*failure));
      return Cli::kFailure;
    }
  }
  return reportEnd(
      *delegate, done,
      QStringLiteral("Calibrated: the card window starts at sensor pixel %1; stored.").arg(delegate->xoffset));
}

int clean() {
  auto delegate = std::make_shared<TerminalScannerDelegate>(QStringLiteral("the cleaning sheet"));
  if (!runJob(*delegate, delegate, &TS860Controller::startCleaning)) return Cli::kFailure;
  return reportEnd(*delegate, delegate->cleaned, QStringLiteral("Cleaning finished."));
}

int status() {
  const char* simulator = ts860_simulator_folder();
  const QString which = simulator ? QStringLiteral("the simulated TS860 in %1").arg(QString::fromLocal8Bit(simulator))
                                  : QStringLiteral("TS860");
  switch (ts860_check_connected(nullptr)) {
    case 0:
      Cli::out(QStringLiteral("Scanner: %1, attached.").arg(which));
      break;
    case 1:
      Cli::out(QStringLiteral("Scanner: %1, not attached.").arg(which));
      break;
    default:
      Cli::out(QStringLiteral("Scanner: %1, the search for it failed.").arg(which));
      break;
  }
  {
    TS860Controller controller(PreferenceStore::shared());
    const std::optional<PelluxError> failure = controller.openScannerWithDelegate(nullptr);
    Cli::out(failure ? QStringLiteral("Opening: %1").arg(messageOf(*failure)) : QStringLiteral("Opening: it opens."));
  }
  const PreferenceStore& store = PreferenceStore::shared();
  if (store.value(QLatin1String(kPelluxClientPreference_key_ts860_calibrationData)).toByteArray().isEmpty())
    Cli::out(QStringLiteral("Calibration: not calibrated."));
  else
    Cli::out(QStringLiteral("Calibration: calibrated, the card window starts at sensor pixel %1.")
                 .arg(store.value(QLatin1String(kPelluxClientPreference_key_ts860_xoffset)).toInt()));
  return Cli::kSuccess;
}

// Says when the scanner is opened and closed while the monitor follows it.
class WatchingDelegate : public TS860Delegate {
 public:
  void ts860DidOpened() override { Cli::out(QStringLiteral("Scanner connected.")); }
  void ts860DidClosed() override { Cli::out(QStringLiteral("Scanner disconnected.")); }
  void ts860Errored(const PelluxError& error) override { Cli::error(messageOf(error)); }
};

// Follows the scanner's arrival and removal, and the computer's sleep, until Ctrl-C.
int watch() {
  TS860Controller controller(PreferenceStore::shared());
  if (const std::optional<PelluxError> failure =
          controller.startMonitorWithDelegate(std::make_shared<WatchingDelegate>())) {
    Cli::error(messageOf(*failure));
    return Cli::kFailure;
  }
  Cli::out(QStringLiteral("Watching the scanner (Ctrl-C stops)…"));
  QEventLoop loop;
  const std::unique_ptr<QTimer> interrupt = onInterrupt([&loop] { loop.quit(); });
  loop.exec();
  controller.stopMonitor();
  controller.closeScanner();
  Cli::out(QStringLiteral("Stopped watching."));
  return Cli::kSuccess;
}

}  // namespace

int runScannerCommand(const QStringList& arguments) {
  PelluxClientPreference::preparePreference();
  const QString what = arguments.value(0);
  if (what == QLatin1String("status") && arguments.size() == 1) return status();
  if (what == QLatin1String("read") && arguments.size() == 3 && arguments[1] == QLatin1String("--bmp"))
    return read(arguments[2]);
  if (what == QLatin1String("calibrate") && arguments.size() == 1) return calibrate();
  if (what == QLatin1String("clean") && arguments.size() == 1) return clean();
  if (what == QLatin1String("watch") && arguments.size() == 1) return watch();
  Cli::error(QStringLiteral("usage: quillory-cli scanner status | read --bmp FILE | calibrate | clean | watch"));
  return Cli::kUsage;
}
