#pragma once

#include <QObject>
#include <QString>
#include <QVariantMap>
#include <optional>

#include "PelluxError.h"
#include "PelluxWorker.h"

class PelluxClientAppDelegate;
class SecretStore;

// The account side of the application controller: the credentials (the password in the desktop's
// secret store, never in a file), the account map of the mail address, the account check with
// the service and the log-out when the service no longer knows the account. Plugs into the
// controller's hooks when created; the controller's mail address and password stay its own.
class PelluxAccount : public QObject, public PelluxWorkerDelegate {
  Q_OBJECT
  Q_PROPERTY(QString accountMessage READ accountMessage NOTIFY accountMessageChanged)
 public:
  PelluxAccount(PelluxClientAppDelegate& app, SecretStore& secrets);

  void loadPelluxAccount();
  void savePelluxAccount();
  // "Quillory - " followed by the request endpoint: a changed endpoint finds no stored password.
  QString keychainServiceName() const;
  // The mail address, the password and the account map's entries; none without an account.
  std::optional<QVariantMap> loginAccountInfo() const;
  // Forgets the file-list watermarks of the account.
  void clearLastUpdateTime();
  // Checks the account with the service on a worker; caller: a window asked.
  void getAccountInformation(bool caller);
  // Logs out: the password is forgotten (and deleted from the secret store), the account map
  // dropped. What follows the service's answer that it knows no such account, and the user's own
  // log-out.
  void logOut();

  std::optional<QVariantMap> pelluxAccount() const { return account_; }
  QString pelluxAccountId() const { return accountId_; }
  QString accountMessage() const { return accountMessage_; }

  void checkAccountFinished(const PelluxWorkerRef& worker, const QVariantMap& result) override;

 signals:
  void accountMessageChanged(const QString&);
  // An account check ended: logged in, or not (the error was reported).
  void accountChecked(bool loggedIn);

 private:
  void userChanged(const QString& user);
  void setAccountMessage(const QString& message);
  // Reports a finished single command: its error, with the log-out first for an unknown account.
  void reportOutcome(const PelluxWorkerRef& worker, const std::optional<PelluxError>& error);

  PelluxClientAppDelegate& app_;
  SecretStore& secrets_;
  std::optional<QString> userCache_;
  std::optional<QString> passCache_;
  std::optional<QVariantMap> account_;
  QString accountId_;
  QString accountMessage_;
};
