#include "ScannerCommands.h"

#include "Localization.h"
#include "PelluxClientAppDelegate.h"
#include "UserInterface.h"

// Hands the session's reports to the commands while they exist; a session that outlives them (a
// job still ending) reports to nobody.
class ScannerCommands::Delegate : public TS860Delegate {
 public:
  explicit Delegate(ScannerCommands* commands) : commands_(commands) {}
  void detach() { commands_ = nullptr; }

  bool handles(Callback callback) const override {
    return callback == Callback::DidOpened || callback == Callback::DidClosed || callback == Callback::Errored;
  }
  void ts860DidOpened() override {
    if (commands_) commands_->ts860DidOpened();
  }
  void ts860DidClosed() override {
    if (commands_) commands_->ts860DidClosed();
  }
  void ts860Errored(const PelluxError& error) override {
    if (commands_) commands_->ts860Errored(error);
  }

 private:
  ScannerCommands* commands_;
};

ScannerCommands::ScannerCommands(PelluxClientAppDelegate& app)
    : app_(app), controller_(app.preferences()), delegate_(std::make_shared<Delegate>(this)) {
  ControllerHooks& hooks = app_.hooks();
  hooks.startScannerMonitor = [this] { return controller_.startMonitorWithDelegate(delegate_); };
  hooks.stopScannerMonitor = [this] { controller_.stopMonitor(); };
}

ScannerCommands::~ScannerCommands() {
  delegate_->detach();
  ControllerHooks& hooks = app_.hooks();
  hooks.startScannerMonitor = nullptr;
  hooks.stopScannerMonitor = nullptr;
}

void ScannerCommands::ts860DidOpened() {
  app_.setScannerConnected(true);
  app_.setStatusMessage(localized(QStringLiteral("Scanner Connected.")));
}

void ScannerCommands::ts860DidClosed() {
  app_.setScannerConnected(false);
  app_.setStatusMessage(localized(QStringLiteral("Scanner Disconnected.")));
}

// The failed step has ended; the error is shown as a scanner error.
void ScannerCommands::ts860Errored(const PelluxError& error) {
  const bool toMainWindow = hasSender_ts860();
  app_.setScannerWorkingInProgress(false);
  app_.noticeErrors(QVariant::fromValue(error), localized(QStringLiteral("Scanner Access")), kPelluxError_Code_Ts860,
                    toMainWindow);
}

bool ScannerCommands::hasSender_ts860() const {
  if (!app_.scannerConnected() || app_.scannerWorkingOne()) return true;
  if (app_.scannerWorkingInProgress()) return app_.ui().isMainWindowVisible();
  return app_.hasSender();
}
