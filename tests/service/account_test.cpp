#include <gtest/gtest.h>

#include "AppFixture.h"
#include "CliRunner.h"
#include "PelluxAccount.h"
#include "PelluxAccountObject.h"
#include "PelluxClientPreference.h"
#include "PelluxProtocol.h"
#include "PelluxWorker.h"
#include "QtPrinters.h"
#include "SecretServiceEnvironment.h"
#include "SecretStore.h"
#include "SystemLog.h"
#include "TestHttpServer.h"
#include "WaitFor.h"

namespace {

[[maybe_unused]] testing::Environment* const kSecretService =
    testing::AddGlobalTestEnvironment(new SecretServiceEnvironment);

// The desktop store, counting the changes made through it.
class CountingSecretStore : public SecretStore {
 public:
  int changes = 0;
  Lookup find(const QString& service, const QString& account) override { return desktop().find(service, account); }
  std::optional<QString> store(const QString& service, const QString& account, const QString& secret) override {
    ++changes;
    return desktop().store(service, account, secret);
  }
  std::optional<QString> remove(const QString& service, const QString& account) override {
    ++changes;
    return desktop().remove(service, account);
  }
};

const QString kMail = QStringLiteral("taro@example.jp");

class AccountTest : public AppFixture {
 protected:
  AccountTest() {
    preferences.registerDefaults(PelluxClientPreference::defaultValues({QStringLiteral("en")}));
    preferences.setValue(QStringLiteral("PelluxServerUrlForApp"), server.url().toString());
    PelluxProtocol::reconfigure(preferences);
  }

  // Logs in with the password; the service answers with the given body.
  void logIn(const QString& password, const QByteArray& answer) {
    server.answer({200, "text/xml", answer});
    app.setPelluxUser(kMail);
    app.setPelluxPass(password);
    account.getAccountInformation(false);
    ASSERT_TRUE(waitFor([&] { return !app.pelluxWorking(); }));
  }

  QString storedPassword() {
    const SecretStore::Lookup found = SecretStore::desktop().find(account.keychainServiceName(), kMail);
    return found.status == SecretStore::Status::Ok ? found.secret : QString();
  }

  TestHttpServer server;
  CountingSecretStore secrets;
  PelluxAccount account{app, secrets};
};

const QByteArray kKnown = "<response result=\"0\"><aid>A-42</aid></response>";
const QByteArray kUnknown = "<response result=\"102\"/>";

TEST_F(AccountTest, LoggingInKeepsThePasswordAndTheAccount) {
  logIn(QStringLiteral("first"), kKnown);
  EXPECT_EQ(storedPassword(), QStringLiteral("first"));
  EXPECT_EQ(account.pelluxAccountId(), QStringLiteral("A-42"));
  EXPECT_EQ(account.accountMessage(), QStringLiteral("Logged in to PELLUX (account A-42)."));
  EXPECT_EQ(app.statusMessage(), account.accountMessage());
  EXPECT_EQ(preferences.stringValue(QStringLiteral("username")), kMail);
  EXPECT_EQ(PelluxAccountObject::loadAccountForAccountId(preferences, kMail)->value(QStringLiteral("aid")),
            QStringLiteral("A-42"));

  // The same credentials again leave the store alone; a new password replaces the stored one.
  const int changes = secrets.changes;
  logIn(QStringLiteral("first"), kKnown);
  EXPECT_EQ(secrets.changes, changes);
  logIn(QStringLiteral("second"), kKnown);
  EXPECT_EQ(storedPassword(), QStringLiteral("second"));

  // A new session finds the password again.
  PelluxClientAppDelegate next(ui, preferences, store);
  PelluxAccount restored(next, secrets);
  restored.loadPelluxAccount();
  EXPECT_EQ(next.pelluxUser(), kMail);
  EXPECT_EQ(next.pelluxPass(), QStringLiteral("second"));
  EXPECT_EQ(restored.loginAccountInfo()->value(QStringLiteral("aid")), QStringLiteral("A-42"));
}

TEST_F(AccountTest, WithSavingOffThePasswordIsDeleted) {
  logIn(QStringLiteral("first"), kKnown);
  ASSERT_EQ(storedPassword(), QStringLiteral("first"));
  preferences.setValue(QStringLiteral("SavePelluxPassword"), false);
  logIn(QStringLiteral("other"), kKnown);
  EXPECT_EQ(storedPassword(), QString());
}

TEST_F(AccountTest, AnAnswerWithoutAnIdentifierStillLogsIn) {
  logIn(QStringLiteral("first"), "<response result=\"0\"/>");
  EXPECT_EQ(account.pelluxAccountId(), QString());
  EXPECT_EQ(account.accountMessage(), QStringLiteral("Logged in to PELLUX."));
  EXPECT_EQ(storedPassword(), QStringLiteral("first"));
}

TEST_F(AccountTest, AnUnknownAccountLogsOutAndForgetsThePassword) {
  logIn(QStringLiteral("first"), kKnown);
  SystemLogCapture log;
  logIn(QStringLiteral("first"), kUnknown);
  EXPECT_FALSE(app.hasPelluxAccount());
  EXPECT_EQ(storedPassword(), QString());
  EXPECT_EQ(account.accountMessage(), QStringLiteral("Please log in PELLUX."));
  EXPECT_TRUE(app.statusMessage().startsWith(QStringLiteral("CheckAccount ERROR:")));
  // The stored account map stays for the next log-in of that address.
  EXPECT_TRUE(PelluxAccountObject::loadAccountForAccountId(preferences, kMail).has_value());
}

TEST_F(AccountTest, TheStoredPasswordBelongsToTheEndpoint) {
  logIn(QStringLiteral("first"), kKnown);
  preferences.setValue(QStringLiteral("PelluxServerUrlForApp"),
                       QStringLiteral("https://elsewhere.example/Halvern/app/"));
  PelluxProtocol::reconfigure(preferences);
  EXPECT_EQ(account.keychainServiceName(), QStringLiteral("Quillory - https://elsewhere.example/Halvern/app/"));
  account.loadPelluxAccount();
  EXPECT_EQ(app.pelluxUser(), kMail);
  EXPECT_TRUE(app.pelluxPass().isEmpty());
}

TEST_F(AccountTest, WatermarksAreForgottenAndAccountsFollowTheAddress) {
  logIn(QStringLiteral("first"), kKnown);
  QVariantMap stored = *account.pelluxAccount();
  stored.insert(QStringLiteral("modifiedAfter"), 1000);
  stored.insert(QStringLiteral("modifiedAfter_committed"), 2000);
  PelluxAccountObject::saveAccount(preferences, stored, kMail);
  app.setPelluxUser(QStringLiteral("other@example.jp"));
  EXPECT_FALSE(account.pelluxAccount().has_value());
  app.setPelluxUser(kMail);
  EXPECT_EQ(account.pelluxAccount()->value(QStringLiteral("modifiedAfter")).toInt(), 1000);
  account.clearLastUpdateTime();
  const QVariantMap cleared = *PelluxAccountObject::loadAccountForAccountId(preferences, kMail);
  EXPECT_EQ(cleared.keys(), QStringList{QStringLiteral("aid")});
  EXPECT_EQ(PelluxAccountObject::key_lastUpdateTimeForFileStatus(QStringLiteral("all_with_removed")),
            QStringLiteral("modifiedAfter_all_with_removed"));
}

}  // namespace

namespace {

// The terminal commands run the same code, with the same secret store, as the window.
TEST(AccountCommandTest, LogInShowAndLogOutFromTheTerminal) {
  TestHttpServer server;
  CliRunner cli;
  cli.configure(QStringLiteral("PelluxServerUrlForApp"), server.url().toString());
  server.answer({200, "text/xml", "<response result=\"0\"><aid>A-7</aid></response>"});
  const CliRun in = cli.run({QStringLiteral("login"), QStringLiteral("--user"), kMail}, "s3cret\n");
  ASSERT_EQ(in.exitCode, 0) << in.err.toStdString();
  EXPECT_EQ(in.out, QStringLiteral("taro@example.jp: Logged in to PELLUX (account A-7).\n"));
  EXPECT_TRUE(server.requests().value(0).body.contains("<password>s3cret</password>"));
  EXPECT_EQ(cli.run({QStringLiteral("account")}).out, in.out);

  EXPECT_EQ(cli.run({QStringLiteral("logout")}).exitCode, 0);
  EXPECT_EQ(cli.run({QStringLiteral("account")}).out, QStringLiteral("Please log in PELLUX.\n"));

  server.answer({200, "text/xml", "<response result=\"102\"/>"});
  const CliRun refused = cli.run({QStringLiteral("login"), QStringLiteral("--user"), kMail}, "wrong\n");
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_TRUE(refused.err.contains(QStringLiteral("CheckAccount Error"))) << refused.err.toStdString();
  EXPECT_EQ(cli.run({QStringLiteral("account")}).out, QStringLiteral("Please log in PELLUX.\n"));
}

}  // namespace
