#pragma once

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QStringList>
#include <functional>
#include <optional>

#include "MainThread.h"
#include "TS860Delegate.h"
#include "TS860ScanParamWrapper.h"
#include "WaitFor.h"

using Callback = TS860Delegate::Callback;

// Writes down every callback in order (all of them must come on the main thread), with what they
// carried; handles only the callbacks it is told to when `only` is set.
class RecordingDelegate : public TS860Delegate {
 public:
  std::optional<Callback> only;
  double waitTime = 0;
  QStringList calls;
  QByteArray bitmap;
  int32_t calibratedXoffset = 0;
  qsizetype calibrationBytes = 0;
  std::optional<PelluxError> error;
  qint64 gotPaperAt = 0, waitingPaperCompletedAt = 0;
  QElapsedTimer clock;
  // Runs after each callback has been written down.
  std::function<void(const QString&)> onCall;

  RecordingDelegate() { clock.start(); }
  bool handles(Callback callback) const override { return !only || *only == callback; }
  void ts860DidOpened() override { record("DidOpened"); }
  void ts860DidClosed() override { record("DidClosed"); }
  void ts860DidStartWorking() override { record("DidStartWorking"); }
  void ts860DidStartPolling() override { record("DidStartPolling"); }
  void ts860DidStopPolling() override { record("DidStopPolling"); }
  void ts860DidStopWorking() override { record("DidStopWorking"); }
  void ts860WaitingPaper() override { record("WaitingPaper"); }
  void ts860GotPaper(QVariantMap& info) override {
    record("GotPaper");
    gotPaperAt = clock.elapsed();
    if (waitTime > 0) info.insert(QStringLiteral("waitTime"), waitTime);
  }
  void ts860WaitingPaperCompleted() override {
    record("WaitingPaperCompleted");
    waitingPaperCompletedAt = clock.elapsed();
  }
  void ts860ReadStarted() override { record("ReadStarted"); }
  void ts860ReadParameter(TS860ScanParamWrapper& parameters) override {
    record("ReadParameter");
    parameters.setDpi(200);  // what the delegate sets is what the scan uses
  }
  void ts860ReadCompleted(const QByteArray& data) override {
    record("ReadCompleted");
    bitmap = data;
  }
  void ts860CalibrateStarted() override { record("CalibrateStarted"); }
  void ts860CalibrateCompleted(TS860ScanParamWrapper& parameters) override {
    record("CalibrateCompleted");
    calibratedXoffset = parameters.xoffset();
    calibrationBytes = parameters.calibrationData().size();
  }
  void ts860CleaningStarted() override { record("CleaningStarted"); }
  void ts860CleaningCompleted() override { record("CleaningCompleted"); }
  void ts860Errored(const PelluxError& failure) override {
    record("Errored");
    error = failure;
  }

  qsizetype count(const QString& call) const { return calls.count(call); }

 private:
  void record(const char* call) {
    EXPECT_TRUE(MainThread::isMainThread()) << call;
    calls.append(QString::fromLatin1(call));
    if (onCall) onCall(calls.last());
  }
};

inline const QStringList kReadOfOneCard = {"WaitingPaper", "GotPaper",      "WaitingPaperCompleted",
                                           "ReadStarted",  "ReadParameter", "ReadCompleted"};
