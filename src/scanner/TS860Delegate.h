#pragma once

#include <QByteArray>
#include <QVariantMap>

#include "PelluxError.h"

class TS860ScanParamWrapper;

// The receiver of a scanner session's reports. Every callback is optional: the session asks
// handles() first and skips what the delegate does not handle. Callbacks always run on the main
// thread, and the job waits until each has returned.
class TS860Delegate {
 public:
  enum class Callback {
    DidOpened,
    DidClosed,
    DidStartWorking,
    DidStartPolling,
    DidStopPolling,
    DidStopWorking,
    WaitingPaper,
    GotPaper,
    WaitingPaperCompleted,
    ReadStarted,
    ReadParameter,
    ReadCompleted,
    CalibrateStarted,
    CalibrateCompleted,
    CleaningStarted,
    CleaningCompleted,
    Errored,
  };

  virtual ~TS860Delegate() = default;
  virtual bool handles(Callback) const { return true; }

  virtual void ts860DidOpened() {}
  virtual void ts860DidClosed() {}
  virtual void ts860DidStartWorking() {}
  virtual void ts860DidStartPolling() {}
  virtual void ts860DidStopPolling() {}
  virtual void ts860DidStopWorking() {}
  virtual void ts860WaitingPaper() {}
  // The delegate may store a pause in seconds under "waitTime" before the card is read.
  virtual void ts860GotPaper(QVariantMap& info) { Q_UNUSED(info); }
  virtual void ts860WaitingPaperCompleted() {}
  virtual void ts860ReadStarted() {}
  // The parameters of the coming scan; valid during the call only.
  virtual void ts860ReadParameter(TS860ScanParamWrapper& parameters) { Q_UNUSED(parameters); }
  // A copy of the scanned bitmap.
  virtual void ts860ReadCompleted(const QByteArray& bitmap) { Q_UNUSED(bitmap); }
  virtual void ts860CalibrateStarted() {}
  // Default parameters carrying the calibration's x offset and data; valid during the call only.
  virtual void ts860CalibrateCompleted(TS860ScanParamWrapper& parameters) { Q_UNUSED(parameters); }
  virtual void ts860CleaningStarted() {}
  virtual void ts860CleaningCompleted() {}
  virtual void ts860Errored(const PelluxError& error) { Q_UNUSED(error); }
};
