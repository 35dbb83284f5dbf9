#pragma once

#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

#include "PelluxError.h"
#include "TS860Delegate.h"

struct ts860_context;

// One opened TS860 and the jobs run on it, each on a worker thread of its own: read one card,
// calibrate, clean, or read cards continuously until stopped. Each job waits for paper first and
// reports every step to the delegate on the main thread.
//
// The session is shared: a running job holds a reference, so the session, its transport and its
// delegate outlive the job even when the owner lets go; the transport closes with the last
// reference.
class TS860Object : public std::enable_shared_from_this<TS860Object> {
 public:
  static std::shared_ptr<TS860Object> create(std::shared_ptr<TS860Delegate> delegate);
  ~TS860Object();
  TS860Object(const TS860Object&) = delete;
  TS860Object& operator=(const TS860Object&) = delete;

  std::optional<PelluxError> open();
  std::optional<PelluxError> startPolling();
  std::optional<PelluxError> startReading();
  std::optional<PelluxError> startCalibrating();
  std::optional<PelluxError> startCleaning();
  bool isWorking() const;
  // The session as error messages show it: its address, whether it is open and working.
  QString description() const;
  // Cancels the running job and waits for it up to the given time, keeping the main event loop
  // running; a job that has not ended by then gives the time-out error and ends on its own later.
  std::optional<PelluxError> stopWithWaiting(double seconds);

  // Internal results of the job steps beside the driver's own.
  static constexpr int kCancelled = 0x7FFFFFFF;
  static constexpr int kNoContext = int(0x80000000);

 private:
  enum class Action { Read, Calibrate, Cleaning };
  struct Worker {
    std::atomic<bool> cancelled{false};
    std::atomic<bool> finished{false};
  };

  explicit TS860Object(std::shared_ptr<TS860Delegate> delegate);
  void close();
  std::optional<PelluxError> startDoing(std::optional<Action> action);
  void scannerPolling(const std::shared_ptr<Worker>& worker);
  void scannerDoing(const std::shared_ptr<Worker>& worker, Action action);
  void endJob(const std::shared_ptr<Worker>& worker);
  int waitPaperAndAction(const Worker& worker, ts860_context* context, Action action);
  int waitPaper(const Worker& worker, ts860_context* context);
  int read(ts860_context* context);
  int calibrate(ts860_context* context);
  int cleaning(ts860_context* context);
  int failed(ts860_context* context, int result, const char* step);
  int noContext();
  void notify(TS860Delegate::Callback callback, const std::function<void(TS860Delegate&)>& call);
  void notify(TS860Delegate::Callback callback, void (TS860Delegate::*call)());

  const std::shared_ptr<TS860Delegate> delegate_;
  mutable std::mutex lock_;
  std::shared_ptr<Worker> pollingThread_;   // the running job, under lock_
  std::shared_ptr<Worker> stoppingThread_;  // a cancelled job still ending, under lock_
  std::atomic<ts860_context*> context_{nullptr};
};
