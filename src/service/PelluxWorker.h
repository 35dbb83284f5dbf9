#pragma once

#include <QString>
#include <QVariantMap>
#include <functional>
#include <memory>
#include <optional>

#include "PelluxError.h"

class PelluxProtocol;
class PelluxWorker;
using PelluxWorkerRef = std::shared_ptr<PelluxWorker>;

// Who hears of a worker's end, on the main thread. A notification the delegate does not take up
// drops the result.
class PelluxWorkerDelegate {
 public:
  virtual ~PelluxWorkerDelegate() = default;
  virtual void checkAccountFinished(const PelluxWorkerRef& worker, const QVariantMap& result);
};

// One service call on a thread of its own. Created on the main thread with a delegate, a display
// name, whether a window asked for it (errors are then shown to that window) and an optional job
// context; its operation runs on a new thread, and the result reaches the delegate on the main
// thread while the worker thread waits. Workers read only the snapshots they are given and never
// change records.
class PelluxWorker : public std::enable_shared_from_this<PelluxWorker> {
 public:
  static PelluxWorkerRef pelluxWorkerWithDelegate(PelluxWorkerDelegate* delegate, const QString& name, bool caller,
                                                  const QVariantMap& context = {});

  QString name() const { return name_; }
  bool caller() const { return caller_; }
  const QVariantMap& context() const { return context_; }

  // Checks the account with the service (its mail address and password).
  void startCheckAccountWithAccount(const QVariantMap& account);

  // The number of running workers (started and not yet through their finish notification).
  static int workers();

  // When set, record-state refusals are logged and the record is processed anyway.
  static void setIgnoreFileStatusError(bool ignore);
  static bool ignoreFileStatusError();

  // The status flag of a service file status word (case matters): "accepted" and "ocring" give
  // Digitizing, "committed" Digitized, "rejected" Rejected, "removed" Deleted; anything else 0.
  static quint32 localStatusFlagWithPelluxFileStatus(const std::optional<QString>& status);

  // A protocol object whose request already carries the account's mail address and password;
  // none, with "No account." stored in error, when either is missing or empty.
  static std::unique_ptr<PelluxProtocol> pelluxProtocolForMethod(const QString& method, const QVariantMap& account,
                                                                 std::optional<PelluxError>* error);

  using Operation = std::function<void(QVariantMap& result)>;
  using Finish = void (PelluxWorkerDelegate::*)(const PelluxWorkerRef&, const QVariantMap&);
  // Runs an operation on a new thread: the result starts with "targetAccount"; an exception
  // becomes its code-2 "error"; then the delegate's finish notification runs on the main thread.
  void start(const QVariantMap& account, Operation operation, Finish finish);

 private:
  PelluxWorker(PelluxWorkerDelegate* delegate, const QString& name, bool caller, const QVariantMap& context)
      : delegate_(delegate), name_(name), caller_(caller), context_(context) {}
  void run(const QVariantMap& account, const Operation& operation, Finish finish);

  PelluxWorkerDelegate* delegate_;
  QString name_;
  bool caller_;
  QVariantMap context_;
};

// The check of an account: "updatedAccount" with the account identifier ("aid", when the
// service sent one), or "error".
void checkAccount(QVariantMap& result, const QVariantMap& account);
