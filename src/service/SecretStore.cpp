#include "SecretStore.h"

#include <qt6keychain/keychain.h>

#include <QEventLoop>

namespace {

// Runs a QtKeychain job to its end, keeping the event loop running meanwhile.
void runJob(QKeychain::Job& job) {
  QEventLoop loop;
  QObject::connect(&job, &QKeychain::Job::finished, &loop, &QEventLoop::quit);
  job.setAutoDelete(false);
  job.start();
  loop.exec();
}

class DesktopSecretStore : public SecretStore {
 public:
  Lookup find(const QString& service, const QString& account) override {
    QKeychain::ReadPasswordJob job(service);
    job.setKey(account);
    runJob(job);
    if (job.error() == QKeychain::NoError) return {Status::Ok, job.textData(), {}};
    if (job.error() == QKeychain::EntryNotFound) return {Status::NotFound, {}, {}};
    return {Status::Failed, {}, describe(job)};
  }

  std::optional<QString> store(const QString& service, const QString& account, const QString& secret) override {
    QKeychain::WritePasswordJob job(service);
    job.setKey(account);
    job.setTextData(secret);
    // Never fall back to a plain-text file when no secret store is running.
    job.setInsecureFallback(false);
    runJob(job);
    if (job.error() == QKeychain::NoError) return std::nullopt;
    return describe(job);
  }

  std::optional<QString> remove(const QString& service, const QString& account) override {
    QKeychain::DeletePasswordJob job(service);
    job.setKey(account);
    runJob(job);
    if (job.error() == QKeychain::NoError || job.error() == QKeychain::EntryNotFound) return std::nullopt;
    return describe(job);
  }

 private:
  static QString describe(const QKeychain::Job& job) { return QStringLiteral("%1 (%2)").arg(job.errorString()).arg(int(job.error())); }
};

}  // namespace

SecretStore& SecretStore::desktop() {
  static DesktopSecretStore store;
  return store;
}
