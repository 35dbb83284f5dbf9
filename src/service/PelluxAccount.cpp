#include "PelluxAccount.h"

#include "Format.h"
#include "Localization.h"
#include "PelluxAccountObject.h"
#include "PelluxClientAppDelegate.h"
#include "PelluxClientPreference.h"
#include "PelluxProtocol.h"
#include "PelluxProtocolConstants.h"
#include "PreferenceStore.h"
#include "SecretStore.h"
#include "SystemLog.h"
#include "WorkerResult.h"

namespace {

std::optional<QString> optionalText(const QString& text) { return text.isNull() ? std::nullopt : std::optional(text); }

const char* const kFileStatusFilters[] = {
    kPelluxProtocolParameter_Status_accepted,  kPelluxProtocolParameter_Status_ocring,
    kPelluxProtocolParameter_Status_committed, kPelluxProtocolParameter_Status_rejected,
    kPelluxProtocolParameter_Status_removed,   kPelluxProtocolParameter_StatusFilter_all_with_removed};

}  // namespace

PelluxAccount::PelluxAccount(PelluxClientAppDelegate& app, SecretStore& secrets)
    : QObject(&app),
      app_(app),
      secrets_(secrets),
      accountMessage_(PelluxAccountObject::accountDescription(std::nullopt)) {
  PelluxProtocol::setUpEndpoints(app_.preferences());
  connect(&app_, &PelluxClientAppDelegate::pelluxUserChanged, this, &PelluxAccount::userChanged);
  connect(&app_, &PelluxClientAppDelegate::pelluxPassChanged, this, [this] { accountId_.clear(); });
  ControllerHooks& hooks = app_.hooks();
  hooks.loadPelluxAccount = [this] { loadPelluxAccount(); };
  hooks.getAccountInformation = [this] { getAccountInformation(true); };
  hooks.accountDescription = [this] { return PelluxAccountObject::accountDescription(account_); };
}

void PelluxAccount::userChanged(const QString& user) {
  accountId_.clear();
  account_ = PelluxAccountObject::loadAccountForAccountId(app_.preferences(), optionalText(user));
}

void PelluxAccount::setAccountMessage(const QString& message) {
  if (accountMessage_ == message) return;
  accountMessage_ = message;
  emit accountMessageChanged(message);
}

QString PelluxAccount::keychainServiceName() const {
  return formatted(QStringLiteral("%@ - %@"), QStringLiteral("Quillory"), PelluxProtocol::urlBase());
}

std::optional<QVariantMap> PelluxAccount::loginAccountInfo() const {
  if (!app_.hasPelluxAccount()) return std::nullopt;
  QVariantMap info{{QLatin1String(kPelluxProtocolParameter_mailaddress), app_.pelluxUser()},
                   {QLatin1String(kPelluxProtocolParameter_password), app_.pelluxPass()}};
  if (account_) info.insert(*account_);
  return info;
}

void PelluxAccount::loadPelluxAccount() {
  const QString user = app_.preferences().stringValue(QLatin1String(kPelluxClientPreference_key_pelluxUsername));
  app_.setPelluxUser(user);
  userCache_ = optionalText(user);
  app_.setPelluxPass(QString());
  if (!user.isEmpty()) {
    const SecretStore::Lookup found = secrets_.find(keychainServiceName(), user);
    if (found.status == SecretStore::Status::Ok)
      app_.setPelluxPass(found.secret);
    else if (found.status == SecretStore::Status::Failed)
      systemLog(formatted(QStringLiteral("SecKEychanFindGenericPassword failed: %@"), found.error));
  }
  passCache_ = optionalText(app_.pelluxPass());
}

void PelluxAccount::savePelluxAccount() {
  const QString user = app_.pelluxUser(), pass = app_.pelluxPass();
  if (!userCache_ || *userCache_ != user) {
    app_.preferences().setValue(QLatin1String(kPelluxClientPreference_key_pelluxUsername), user);
    userCache_ = user;
    passCache_.reset();
  }
  if (passCache_ && !pass.isNull() && *passCache_ == pass) return;
  if (!user.isEmpty()) {
    const QString service = keychainServiceName();
    const SecretStore::Lookup existing = secrets_.find(service, user);
    if (existing.status == SecretStore::Status::Failed)
      systemLog(formatted(QStringLiteral("SecKeychainFindGenericPassword failed: %@"), existing.error));
    const bool stored = existing.status == SecretStore::Status::Ok;
    if (app_.preferences().boolValue(QLatin1String(kPelluxClientPreference_key_SavePelluxPassword)) &&
        !pass.isEmpty()) {
      if (const std::optional<QString> failure = secrets_.store(service, user, pass))
        systemLog(formatted(stored ? QStringLiteral("SecKeychainItemModifyAttributesAndData failed: %@")
                                   : QStringLiteral("SecKeychainAddGenericPassword failed: %@"),
                            *failure));
    } else if (stored) {
      if (const std::optional<QString> failure = secrets_.remove(service, user))
        systemLog(formatted(QStringLiteral("SecKeychainItemDelete failed: %@"), *failure));
    }
  }
  passCache_ = optionalText(pass);
}

void PelluxAccount::clearLastUpdateTime() {
  if (!account_) return;
  account_->remove(PelluxAccountObject::key_lastUpdateTime());
  for (const char* filter : kFileStatusFilters)
    account_->remove(PelluxAccountObject::key_lastUpdateTimeForFileStatus(QLatin1String(filter)));
  PelluxAccountObject::saveAccount(app_.preferences(), account_, optionalText(app_.pelluxUser()));
}

void PelluxAccount::getAccountInformation(bool caller) {
  const PelluxWorkerRef worker =
      PelluxWorker::pelluxWorkerWithDelegate(this, localized(QStringLiteral("CheckAccount")), caller);
  worker->startCheckAccountWithAccount(loginAccountInfo().value_or(QVariantMap()));
  app_.setPelluxWorking(PelluxWorker::workers() > 0);
}

void PelluxAccount::checkAccountFinished(const PelluxWorkerRef& worker, const QVariantMap& result) {
  const QVariantMap target = result.value(QLatin1String(kPelluxWorkerResult_Key_targetAccount)).toMap();
  const QString mail = target.value(QLatin1String(kPelluxProtocolParameter_mailaddress)).toString();
  std::optional<PelluxError> error;
  const QString updatedKey = QLatin1String(kPelluxWorkerResult_Key_updatedAccount);
  if (result.contains(updatedKey)) {
    savePelluxAccount();
    if (!account_) account_ = QVariantMap();
    account_->insert(result.value(updatedKey).toMap());
    accountId_ = account_->value(PelluxAccountObject::key_aid()).toString();
    PelluxAccountObject::saveAccount(app_.preferences(), account_, optionalText(mail));
    setAccountMessage(PelluxAccountObject::accountDescription(account_));
    app_.setStatusMessage(accountMessage_);
  } else {
    const QVariant failure = result.value(QLatin1String(kPelluxWorkerResult_Key_error));
    if (failure.metaType() == QMetaType::fromType<PelluxError>()) error = failure.value<PelluxError>();
  }
  reportOutcome(worker, error);
  app_.setPelluxWorking(PelluxWorker::workers() > 0);
  emit accountChecked(!error);
}

void PelluxAccount::reportOutcome(const PelluxWorkerRef& worker, const std::optional<PelluxError>& error) {
  if (!error) return;
  if (PelluxError::accountStatusError(*error)) logOut();
  app_.noticeErrors(QVariant::fromValue(*error), worker->name(), kPelluxError_Code_Pellux, worker->caller());
}

void PelluxAccount::logOut() {
  app_.setPelluxPass(QString());
  savePelluxAccount();
  account_.reset();
  setAccountMessage(PelluxAccountObject::accountDescription(std::nullopt));
  app_.setStatusMessage(accountMessage_);
}
