#include "PelluxWorker.h"

#include <QList>
#include <mutex>
#include <thread>

#include "CaughtException.h"
#include "Localization.h"
#include "MainThread.h"
#include "PelluxProtocol.h"
#include "PelluxProtocolConstants.h"
#include "PelluxFileObject.h"
#include "WorkerResult.h"

namespace {

struct Registry {
  std::mutex lock;
  QList<const void*> running;  // one entry per started run, removed before its finish notification
  bool ignoreFileStatusError = false;
};

Registry& registry() {
  static Registry instance;
  return instance;
}

}  // namespace

void PelluxWorkerDelegate::checkAccountFinished(const PelluxWorkerRef&, const QVariantMap&) {}

PelluxWorkerRef PelluxWorker::pelluxWorkerWithDelegate(PelluxWorkerDelegate* delegate, const QString& name, bool caller,
                                                       const QVariantMap& context) {
  return PelluxWorkerRef(new PelluxWorker(delegate, name, caller, context));
}

int PelluxWorker::workers() {
  std::lock_guard guard(registry().lock);
  return int(registry().running.size());
}

void PelluxWorker::setIgnoreFileStatusError(bool ignore) {
  std::lock_guard guard(registry().lock);
  registry().ignoreFileStatusError = ignore;
}

bool PelluxWorker::ignoreFileStatusError() {
  std::lock_guard guard(registry().lock);
  return registry().ignoreFileStatusError;
}

quint32 PelluxWorker::localStatusFlagWithPelluxFileStatus(const std::optional<QString>& status) {
  if (!status) return 0;
  if (*status == QLatin1String(kPelluxProtocolParameter_Status_accepted) ||
      *status == QLatin1String(kPelluxProtocolParameter_Status_ocring))
    return StatusFlagDigitizing;
  if (*status == QLatin1String(kPelluxProtocolParameter_Status_committed)) return StatusFlagDigitized;
  if (*status == QLatin1String(kPelluxProtocolParameter_Status_rejected)) return StatusFlagRejected;
  if (*status == QLatin1String(kPelluxProtocolParameter_Status_removed)) return StatusFlagDeleted;
  return 0;
}

std::unique_ptr<PelluxProtocol> PelluxWorker::pelluxProtocolForMethod(const QString& method, const QVariantMap& account,
                                                                      std::optional<PelluxError>* error) {
  const QString mail = account.value(QLatin1String(kPelluxProtocolParameter_mailaddress)).toString();
  const QString password = account.value(QLatin1String(kPelluxProtocolParameter_password)).toString();
  if (mail.isEmpty() || password.isEmpty()) {
    if (error) *error = PelluxError::pelluxErrorWithCode(kPelluxError_Code_Status, localized(QStringLiteral("No account.")));
    return nullptr;
  }
  auto protocol = std::make_unique<PelluxProtocol>(method);
  protocol->createRequest(mail, password);
  return protocol;
}

void PelluxWorker::start(const QVariantMap& account, Operation operation, Finish finish) {
  const void* run = this;  // a worker runs one operation at a time, so it stands for its run
  {
    std::lock_guard guard(registry().lock);
    registry().running.append(run);
  }
  std::thread([self = shared_from_this(), account, operation = std::move(operation), finish, run] {
    QVariantMap result;
    result.insert(QLatin1String(kPelluxWorkerResult_Key_targetAccount), account);
    try {
      operation(result);
    } catch (...) {
      result.insert(QLatin1String(kPelluxWorkerResult_Key_error),
                    QVariant::fromValue(PelluxError::pelluxErrorWithCode(
                        kPelluxError_Code_Parameter, std::nullopt, QVariant::fromValue(CaughtException::current()))));
    }
    {
      std::lock_guard guard(registry().lock);
      registry().running.removeOne(run);
    }
    if (self->delegate_) MainThread::callAndWait([&] { (self->delegate_->*finish)(self, result); });
  }).detach();
}

void PelluxWorker::startCheckAccountWithAccount(const QVariantMap& account) {
  start(account, [account](QVariantMap& result) { checkAccount(result, account); },
        &PelluxWorkerDelegate::checkAccountFinished);
}

void checkAccount(QVariantMap& result, const QVariantMap& account) {
  std::optional<PelluxError> error;
  std::unique_ptr<PelluxProtocol> protocol =
      PelluxWorker::pelluxProtocolForMethod(QLatin1String(kPelluxProtocol_Function_CheckAccount), account, &error);
  if (protocol) error = protocol->invoke();
  if (error) {
    result.insert(QLatin1String(kPelluxWorkerResult_Key_error), QVariant::fromValue(*error));
    return;
  }
  QVariantMap updated;
  if (const std::optional<QString> aid = protocol->responseChildStringForName(QLatin1String(kPelluxProtocolParameter_aid)))
    updated.insert(QLatin1String(kPelluxProtocolParameter_aid), *aid);
  result.insert(QLatin1String(kPelluxWorkerResult_Key_updatedAccount), updated);
}
