#pragma once

#include <memory>
#include <optional>

#include "PelluxError.h"
#include "TS860Controller.h"

class PelluxClientAppDelegate;

// The application's side of the scanner. It owns the scanner controller, whose monitor the
// application controller starts at launch and stops at quit (through its hooks), and it keeps the
// controller's scanner state and status line in step with the scanner being opened, closed and
// failing. Scanning commands and what becomes of a scanned card build on it.
class ScannerCommands {
 public:
  explicit ScannerCommands(PelluxClientAppDelegate& app);
  ~ScannerCommands();
  ScannerCommands(const ScannerCommands&) = delete;
  ScannerCommands& operator=(const ScannerCommands&) = delete;

  TS860Controller& scannerController() { return controller_; }

 private:
  class Delegate;

  void ts860DidOpened();
  void ts860DidClosed();
  void ts860Errored(const PelluxError& error);
  // Whether a scanner error comes up as an alert on the main window.
  bool hasSender_ts860() const;

  PelluxClientAppDelegate& app_;
  TS860Controller controller_;
  std::shared_ptr<Delegate> delegate_;
};
