#include "TS860Object.h"

#include <chrono>
#include <thread>
#include <vector>

#include "Format.h"
#include "Localization.h"
#include "MainThread.h"
#include "TS860ScanParamWrapper.h"
#include "Ts860ContextStatus.h"
#include "ts860_calibrate.h"
#include "ts860_proto.h"
#include "ts860_scan.h"
#include "ts860_usb.h"

namespace {

using Callback = TS860Delegate::Callback;

constexpr int kPaperPollMilliseconds = 500;
constexpr int kFeedAfterScanMilliseconds = 5000;
constexpr int kFeedAfterSheetMilliseconds = 15000;
constexpr int kCleaningPasses = 5;
constexpr int kCleaningWaitMilliseconds = 15000;

PelluxError scannerError(ts860_context* context, int result, const char* step) {
  return PelluxError::pelluxErrorWithTS860(Ts860ContextStatus(context), result, QString::fromLatin1(step));
}

}  // namespace

std::shared_ptr<TS860Object> TS860Object::create(std::shared_ptr<TS860Delegate> delegate) {
  return std::shared_ptr<TS860Object>(new TS860Object(std::move(delegate)));
}

TS860Object::TS860Object(std::shared_ptr<TS860Delegate> delegate) : delegate_(std::move(delegate)) {}

TS860Object::~TS860Object() { close(); }

std::optional<PelluxError> TS860Object::open() {
  {
    std::lock_guard guard(lock_);
    if (context_.load() || pollingThread_)
      return PelluxError::pelluxErrorWithCode(kPelluxError_Code_Status,
                                              formatted(localized(QStringLiteral("Scanner already opened: %p/%p.")),
                                                        context_.load(), pollingThread_.get()));
  }
  ts860_context* context = ts860_usb_init();
  if (!context) return scannerError(nullptr, -1, "usb_init");
  if (const int result = ts860_proto_init(context)) {
    const PelluxError error = scannerError(context, result, "proto_init");
    ts860_usb_final(context);
    return error;
  }
  context_.store(context);
  notify(Callback::DidOpened, &TS860Delegate::ts860DidOpened);
  return std::nullopt;
}

void TS860Object::close() {
  stopWithWaiting(0);
  if (ts860_context* context = context_.exchange(nullptr)) {
    ts860_usb_final(context);
    notify(Callback::DidClosed, &TS860Delegate::ts860DidClosed);
  }
}

std::optional<PelluxError> TS860Object::startPolling() { return startDoing(std::nullopt); }
std::optional<PelluxError> TS860Object::startReading() { return startDoing(Action::Read); }
std::optional<PelluxError> TS860Object::startCalibrating() { return startDoing(Action::Calibrate); }
std::optional<PelluxError> TS860Object::startCleaning() { return startDoing(Action::Cleaning); }

bool TS860Object::isWorking() const {
  std::lock_guard guard(lock_);
  return pollingThread_ && !pollingThread_->finished;
}

QString TS860Object::description() const {
  return formatted(QStringLiteral("<TS860Object %p: %s, %s>"), this, context_.load() ? "open" : "closed",
                   isWorking() ? "working" : "idle");
}

std::optional<PelluxError> TS860Object::startDoing(std::optional<Action> action) {
  std::lock_guard guard(lock_);
  const bool executing = pollingThread_ && !pollingThread_->finished;
  const bool stopping = stoppingThread_ && !stoppingThread_->finished;
  if (!context_.load() || executing || stopping)
    return PelluxError::pelluxErrorWithCode(
        kPelluxError_Code_Status,
        formatted(localized(QStringLiteral("Scanner already working: %p/%d.")), context_.load(), executing ? 1 : 0));
  auto worker = std::make_shared<Worker>();
  pollingThread_ = worker;
  // The thread keeps the session (and so its transport and delegate) alive until the job is over.
  std::thread([self = shared_from_this(), worker, action] {
    if (action)
      self->scannerDoing(worker, *action);
    else
      self->scannerPolling(worker);
    worker->finished = true;
  }).detach();
  return std::nullopt;
}

std::optional<PelluxError> TS860Object::stopWithWaiting(double seconds) {
  std::shared_ptr<Worker> worker;
  {
    std::lock_guard guard(lock_);
    worker.swap(pollingThread_);
  }
  if (!worker) return std::nullopt;
  worker->cancelled = true;
  for (; seconds > 0 && !worker->finished; seconds -= 0.5) MainThread::runLoopFor(0.5);
  if (worker->finished) return std::nullopt;
  std::lock_guard guard(lock_);
  stoppingThread_ = worker;
  return PelluxError::pelluxErrorWithCode(kPelluxError_Code_Ts860,
                                          localized(QStringLiteral("Scanner termination has been timed out.")));
}

void TS860Object::scannerPolling(const std::shared_ptr<Worker>& worker) {
  ts860_context* context = context_.load();
  notify(Callback::DidStartWorking, &TS860Delegate::ts860DidStartWorking);
  notify(Callback::DidStartPolling, &TS860Delegate::ts860DidStartPolling);
  while (!worker->cancelled)
    if (waitPaperAndAction(*worker, context, Action::Read) != 0) break;
  endJob(worker);
  notify(Callback::DidStopPolling, &TS860Delegate::ts860DidStopPolling);
  notify(Callback::DidStopWorking, &TS860Delegate::ts860DidStopWorking);
}

void TS860Object::scannerDoing(const std::shared_ptr<Worker>& worker, Action action) {
  ts860_context* context = context_.load();
  notify(Callback::DidStartWorking, &TS860Delegate::ts860DidStartWorking);
  waitPaperAndAction(*worker, context, action);
  endJob(worker);
  notify(Callback::DidStopWorking, &TS860Delegate::ts860DidStopWorking);
}

void TS860Object::endJob(const std::shared_ptr<Worker>& worker) {
  std::lock_guard guard(lock_);
  if (pollingThread_ == worker) pollingThread_.reset();  // unless a stop has taken it already
}

int TS860Object::waitPaperAndAction(const Worker& worker, ts860_context* context, Action action) {
  if (const int result = waitPaper(worker, context)) return result;
  switch (action) {
    case Action::Read:
      return read(context);
    case Action::Calibrate:
      return calibrate(context);
    case Action::Cleaning:
      return cleaning(context);
  }
  return kNoContext;
}

int TS860Object::waitPaper(const Worker& worker, ts860_context* context) {
  notify(Callback::WaitingPaper, &TS860Delegate::ts860WaitingPaper);
  if (!context) return noContext();
  if (const int result = ts860_precommand(context)) return failed(context, result, "precommand");
  bool paper = false;
  while (!paper && !worker.cancelled) {
    const int on = ts860_ispaperon(context);
    if (on < 0) return failed(context, on, "ispaperon");
    // The pause comes before the test, so a card is taken half a second after it was sensed.
    ts860_sleep(kPaperPollMilliseconds);
    paper = on == 1;
  }
  if (!paper) return kCancelled;
  QVariantMap info;
  notify(Callback::GotPaper, [&info](TS860Delegate& delegate) { delegate.ts860GotPaper(info); });
  const QVariant waitTime = info.value(QStringLiteral("waitTime"));
  if (waitTime.canConvert<double>() && waitTime.toDouble() > 0)
    std::this_thread::sleep_for(std::chrono::duration<double>(waitTime.toDouble()));
  notify(Callback::WaitingPaperCompleted, &TS860Delegate::ts860WaitingPaperCompleted);
  return 0;
}

int TS860Object::read(ts860_context* context) {
  notify(Callback::ReadStarted, &TS860Delegate::ts860ReadStarted);
  if (!context) return noContext();
  ts860_param param;
  ts860_initparam(context, &param);
  TS860ScanParamWrapper parameters(&param);  // holds the calibration data until the scan is done
  notify(Callback::ReadParameter, [&parameters](TS860Delegate& delegate) { delegate.ts860ReadParameter(parameters); });
  uint8_t* bitmap = nullptr;
  uint32_t size = 0;
  if (const int result = ts860_scan(context, parameters.param(), &bitmap, &size))
    return failed(context, result, "scan");
  if (const int result = ts860_feed(context, kFeedAfterScanMilliseconds, 0)) {
    ts860_freebmp(context, bitmap, size);
    return failed(context, result, "feed");
  }
  const QByteArray copy(reinterpret_cast<const char*>(bitmap), qsizetype(size));
  ts860_freebmp(context, bitmap, size);
  notify(Callback::ReadCompleted, [&copy](TS860Delegate& delegate) { delegate.ts860ReadCompleted(copy); });
  return 0;
}

int TS860Object::calibrate(ts860_context* context) {
  notify(Callback::CalibrateStarted, &TS860Delegate::ts860CalibrateStarted);
  if (!context) return noContext();
  int32_t xoffset = 0;
  std::vector<uint8_t> data(TS860_CALIBRATION_DATA_SIZE);
  if (const int result = ts860_calibrate(context, &xoffset, data.data())) return failed(context, result, "calibrate");
  if (const int result = ts860_feed(context, kFeedAfterSheetMilliseconds, 0)) return failed(context, result, "feed");
  ts860_param param;
  ts860_initparam(context, &param);
  TS860ScanParamWrapper parameters(&param);
  parameters.setXoffset(xoffset);
  parameters.setCalibrationData(QByteArray(reinterpret_cast<const char*>(data.data()), qsizetype(data.size())));
  notify(Callback::CalibrateCompleted,
         [&parameters](TS860Delegate& delegate) { delegate.ts860CalibrateCompleted(parameters); });
  return 0;
}

int TS860Object::cleaning(ts860_context* context) {
  notify(Callback::CleaningStarted, &TS860Delegate::ts860CleaningStarted);
  if (!context) return noContext();
  if (const int result = ts860_cleaning(context, kCleaningPasses, kCleaningWaitMilliseconds))
    return failed(context, result, "cleaning");
  if (const int result = ts860_feed(context, kFeedAfterSheetMilliseconds, 0)) return failed(context, result, "feed");
  notify(Callback::CleaningCompleted, &TS860Delegate::ts860CleaningCompleted);
  return 0;
}

int TS860Object::noContext() {
  failed(nullptr, -1, "context");
  return kNoContext;
}

int TS860Object::failed(ts860_context* context, int result, const char* step) {
  const PelluxError error = scannerError(context, result, step);
  notify(Callback::Errored, [&error](TS860Delegate& delegate) { delegate.ts860Errored(error); });
  return result;
}

void TS860Object::notify(Callback callback, const std::function<void(TS860Delegate&)>& call) {
  if (!delegate_ || !delegate_->handles(callback)) return;
  MainThread::callAndWait([this, &call] { call(*delegate_); });
}

void TS860Object::notify(Callback callback, void (TS860Delegate::*call)()) {
  notify(callback, [call](TS860Delegate& delegate) { (delegate.*call)(); });
}
