#include "PelluxWorker.h"

#include <atomic>
#include <thread>

#include "CaughtException.h"
#include "Localization.h"
#include "MainThread.h"
#include "PelluxProtocol.h"
#include "PelluxProtocolConstants.h"
#include "PelluxFileObject.h"
#include "WorkerResult.h"

namespace {

// The registry of running workers: what is read of it is how many there are, so an atomic count
// serves, entered before a worker's thread starts and left before its finish notification.
std::atomic<int> running{0};
std::atomic<bool> ignoringFileStatusError{false};

}  // namespace

void PelluxWorkerDelegate::checkAccountFinished(const PelluxWorkerRef&, const QVariantMap&) {}

PelluxWorkerRef PelluxWorker::pelluxWorkerWithDelegate(PelluxWorkerDelegate* delegate, const QString& name, bool caller,
                                                       const QVariantMap& context) {
  return PelluxWorkerRef(new PelluxWorker(delegate, name, caller, context));
}

int PelluxWorker::workers() { return running.load(); }

void PelluxWorker::setIgnoreFileStatusError(bool ignore) { ignoringFileStatusError.store(ignore); }

bool PelluxWorker::ignoreFileStatusError() { return ignoringFileStatusError.load(); }

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
  ++running;
  std::thread([self = shared_from_this(), account, operation = std::move(operation), finish] {
    QVariantMap result;
    result.insert(QLatin1String(kPelluxWorkerResult_Key_targetAccount), account);
    try {
      operation(result);
    } catch (...) {
      result.insert(QLatin1String(kPelluxWorkerResult_Key_error),
                    QVariant::fromValue(PelluxError::pelluxErrorWithCode(
                        kPelluxError_Code_Parameter, std::nullopt, QVariant::fromValue(CaughtException::current()))));
    }
    --running;
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
