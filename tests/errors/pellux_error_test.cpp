#include <gtest/gtest.h>

#include <stdexcept>

#include "CaughtException.h"
#include "Format.h"
#include "Localization.h"
#include "PelluxError.h"
#include "QtPrinters.h"
#include "SystemLog.h"

namespace {

using E = PelluxError;

PelluxError plain(const char* message) {
  return E::pelluxErrorWithCode(kPelluxError_Code_RecordStatus, QString::fromUtf8(message));
}

class PelluxErrorTest : public testing::Test {
 protected:
  void SetUp() override { Localization::useLanguages({QStringLiteral("en")}); }
};

TEST_F(PelluxErrorTest, AggregationWordings) {
  const QList<PelluxError> one{plain("Not uploaded.")};
  const QList<PelluxError> two{plain("Not uploaded."), plain("Already deleted.")};
  struct Case {
    qint64 failed, tried;
    QList<PelluxError> errors;
    const char* message;  // null: no error at all
    const char* multiLine;
  } cases[] = {
      {0, 5, {}, nullptr, nullptr},
      {1, 1, one, "Command failed on the item.", "Command failed on the item. [Not uploaded.]"},
      {3, 2, {}, "Command failed on all the items.", "Command failed on all the items."},
      {2, 5, two, "Command failed on 2 of the 5 items.",
       "Command failed on 2 of the 5 items.\n\tNot uploaded.\n\tAlready deleted."},
      {-1, 4, {}, "Command failed on some of the items.", "Command failed on some of the items."},
      {4, -1, {}, "Command failed on 4 of the items.", "Command failed on 4 of the items."},
  };
  for (const Case& c : cases) {
    const auto error = E::pelluxErrorFailedOnSomeRecords(c.failed, c.tried, c.errors);
    if (!c.message) {
      EXPECT_FALSE(error.has_value());
      continue;
    }
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->code(), kPelluxError_Code_FailedOnSomeRecords);
    EXPECT_EQ(error->message(), QString::fromUtf8(c.message));
    EXPECT_EQ(E::messageWithPelluxError(*error, false), QString::fromUtf8(c.multiLine));
    EXPECT_EQ(error->failedRecordErrors(), c.errors);
    EXPECT_EQ(error->cause().isValid(), c.errors.size() == 1);
  }
  // Single-line text leaves out the per-record lines.
  EXPECT_EQ(E::messageWithPelluxError(*E::pelluxErrorFailedOnSomeRecords(2, 5, two), true),
            QStringLiteral("Command failed on 2 of the 5 items."));
}

TEST_F(PelluxErrorTest, LockWordings) {
  struct Case {
    qint64 locked, tried;
    const char* message;
  } cases[] = {
      {0, 3, nullptr},
      {-1, 3, "Some of the items are in progress."},
      {2, -1, "2 of the items are in progress."},
      {1, 3, "1 of the 3 items are in progress."},
      {3, 3, "All the items are in progress."},
  };
  for (const Case& c : cases) {
    const auto error = E::pelluxErrorUnlockableOnSomeRecords(c.locked, c.tried);
    ASSERT_EQ(error.has_value(), c.message != nullptr);
    if (!error) continue;
    EXPECT_EQ(error->code(), kPelluxError_Code_UnlockableOnSomeRecords);
    EXPECT_EQ(error->message(), QString::fromUtf8(c.message));
    EXPECT_FALSE(error->cause().isValid());
  }
}

TEST_F(PelluxErrorTest, ServiceResults) {
  EXPECT_FALSE(E::pelluxErrorForResultValue(0).has_value());

  const auto untranslated = E::pelluxErrorForResultValue(555);
  ASSERT_TRUE(untranslated);
  EXPECT_EQ(untranslated->code(), kPelluxError_Code_Pellux);
  EXPECT_EQ(untranslated->message(), QStringLiteral("PELLUX responded error: 555."));
  EXPECT_EQ(E::pelluxErrorCodeWithError(*untranslated), 555);

  // The English table words result 122 with its value in it.
  const auto translated = E::pelluxErrorForResultValue(122);
  EXPECT_EQ(translated->message(), QStringLiteral("The card is no longer on the service (122)."));
  EXPECT_EQ(E::pelluxErrorCodeWithError(*translated), 122);
  EXPECT_FALSE(E::accountStatusError(*translated).has_value());
  EXPECT_EQ(E::accountStatusError(*E::pelluxErrorForResultValue(102)), QStringLiteral("NO_SUCH_ACCOUNT"));

  EXPECT_EQ(E::pelluxErrorCodeWithError(E::pelluxErrorWithFilePath(QStringLiteral("/tmp/x"))), -1);
  EXPECT_EQ(E::pelluxErrorCodeWithError(E::pelluxErrorWithPelluxResponseLackedParameter(QStringLiteral("aid"))), -1);
  const auto lacked = E::pelluxErrorWithPelluxResponseLackedParameter(QStringLiteral("aid"));
  EXPECT_EQ(lacked.message(), QStringLiteral("PELLUX response does not have required parameter: aid."));
  EXPECT_EQ(lacked.userInfoValue(kPelluxError_UserInfoKey_PelluxLackedParameter).toString(), QStringLiteral("aid"));
}

TEST_F(PelluxErrorTest, FileAndSystemFactoriesFillTheirDefaultMessages) {
  const PelluxError file = E::pelluxErrorWithFilePath(QStringLiteral("/tmp/x"));
  EXPECT_EQ(file.code(), kPelluxError_Code_FileAccess);
  EXPECT_EQ(file.message(), QStringLiteral("Failed to access /tmp/x."));
  EXPECT_FALSE(file.userInfo().contains(QLatin1String(kPelluxError_UserInfoKey_Cause)));
  EXPECT_EQ(file.userInfoValue(kPelluxError_UserInfoKey_FileAccessFaildPath).toString(), QStringLiteral("/tmp/x"));

  const PelluxError system = E::pelluxErrorWithSystemFunction(QStringLiteral("PelluxFileObject with ID"), 255);
  EXPECT_EQ(system.code(), kPelluxError_Code_System);
  EXPECT_EQ(system.message(), QStringLiteral("System error: PelluxFileObject with ID failed: 255(ff)."));
  EXPECT_EQ(system.userInfoValue(kPelluxError_UserInfoKey_SystemReturnCode).toULongLong(), 255u);

  EXPECT_EQ(E::pelluxErrorNoTargetRecord().code(), kPelluxError_Code_NoTargetRecord);
  EXPECT_EQ(E::pelluxErrorNoTargetRecord().message(), QStringLiteral("No item for command."));
}

TEST_F(PelluxErrorTest, CausesOfEveryKind) {
  CaughtException caught;
  try {
    throw std::runtime_error("disk on fire");
  } catch (...) {
    caught = CaughtException::current();
  }
  struct Case {
    QVariant cause;
    const char* message;   // the message taken from the cause when none is given
    const char* composed;  // the composed single-line text
  } cases[] = {
      {QVariant::fromValue(caught), "disk on fire", "disk on fire [disk on fire]"},
      {QVariant::fromValue(plain("inner")), "inner", "inner [inner]"},
      {QVariant(QStringLiteral("a plain value")), "", " [a plain value]"},
      {QVariant(qlonglong(42)), "", " [42]"},
  };
  for (const Case& c : cases) {
    const PelluxError error = E::pelluxErrorWithCode(kPelluxError_Code_Parameter, std::nullopt, c.cause);
    EXPECT_EQ(error.message(), QString::fromUtf8(c.message));
    EXPECT_EQ(E::messageWithPelluxError(error, true), QString::fromUtf8(c.composed));
    EXPECT_EQ(error.cause(), c.cause);
  }
  EXPECT_EQ(formatted(QStringLiteral("%@"), QVariant::fromValue(caught)), QStringLiteral("disk on fire"));
  const QString description = formatted(QStringLiteral("%@"), QVariant::fromValue(plain("inner")));
  EXPECT_TRUE(description.startsWith(QStringLiteral("Error Domain=com.tarvo.quillory.error Code=4 \"inner\"")))
      << description.toStdString();
}

TEST_F(PelluxErrorTest, GivenEntriesAreKeptButMessageAndCauseWin) {
  const QVariantMap given{{QLatin1String(kPelluxError_UserInfoKey_Message), QStringLiteral("old")},
                          {QLatin1String(kPelluxError_UserInfoKey_Cause), QStringLiteral("old cause")},
                          {QStringLiteral("extra"), 1}};
  const PelluxError error = E::pelluxErrorWithCode(kPelluxError_Code_Status, QStringLiteral("new"), {}, given);
  EXPECT_EQ(error.message(), QStringLiteral("new"));
  EXPECT_FALSE(error.cause().isValid());
  EXPECT_EQ(error.userInfoValue("extra").toInt(), 1);
  EXPECT_EQ(error.domain(), QStringLiteral("com.tarvo.quillory.error"));
  const PelluxError silent = E::pelluxErrorWithCode(kPelluxError_Code_Status);
  EXPECT_FALSE(silent.userInfo().contains(QLatin1String(kPelluxError_UserInfoKey_Message)));
  EXPECT_EQ(silent.message(), QString());
}

TEST_F(PelluxErrorTest, ListedErrorsMatchingTheCauseAreNotRepeated) {
  // Two failures whose first is also given as the cause by a caller: only the other gets a line.
  const QList<PelluxError> errors{plain("same"), plain("other")};
  QVariantMap info{{QLatin1String(kPelluxError_UserInfoKey_FailedOnSomeRecords_Errors), QVariant::fromValue(errors)}};
  const PelluxError error = E::pelluxErrorWithCode(kPelluxError_Code_FailedOnSomeRecords, QStringLiteral("top"),
                                                   QVariant::fromValue(plain("same")), info);
  EXPECT_EQ(E::messageWithPelluxError(error, false), QStringLiteral("top [same]\n\tother"));
}

class FakeDriver : public TS860DriverStatus {
 public:
  bool handle = true;
  int connected = 0;
  QString function = QStringLiteral("libusb_bulk_transfer");
  quint64 value = quint64(-7);
  bool hasScanner() const override { return handle; }
  quint64 lastError(QString* name) const override {
    *name = function;
    return value;
  }
  int checkConnected() const override { return connected; }
};

TEST_F(PelluxErrorTest, ScannerFailures) {
  FakeDriver driver;
  PelluxError error = E::pelluxErrorWithTS860(driver, -1, QStringLiteral("feed"));
  EXPECT_EQ(error.code(), kPelluxError_Code_Ts860);
  EXPECT_EQ(
      error.message(),
      QStringLiteral("Scanner access failed: feed = -1(ffffffff) / libusb_bulk_transfer = -7(fffffffffffffff9)."));
  EXPECT_FALSE(error.userInfoValue(kPelluxError_UserInfoKey_TS860ConnectionMayBeLost).toBool());
  EXPECT_EQ(error.userInfoValue(kPelluxError_UserInfoKey_TS860ReturnCode).toInt(), -1);
  EXPECT_EQ(error.userInfoValue(kPelluxError_UserInfoKey_TS860FailedFunction).toString(), QStringLiteral("feed"));

  driver.connected = 1;
  error = E::pelluxErrorWithTS860(driver, 1, QStringLiteral("scan"));
  EXPECT_EQ(error.message(), QStringLiteral("Scanner access failed: connection lost."));
  EXPECT_TRUE(error.userInfoValue(kPelluxError_UserInfoKey_TS860ConnectionMayBeLost).toBool());

  // Without a session there is nothing to check for presence; the driver's own record is used.
  driver.handle = false;
  driver.function.clear();
  driver.value = 0;
  error = E::pelluxErrorWithTS860(driver, -1, QStringLiteral("usb_init"));
  EXPECT_EQ(error.message(), QStringLiteral("Scanner access failed: usb_init = -1(ffffffff) /  = 0(0)."));
  EXPECT_EQ(error.userInfoValue(kPelluxError_UserInfoKey_SystemFailedFunction).toString(), QString());
}

TEST_F(PelluxErrorTest, LoggingWritesTheSingleLineMessageAndTheError) {
  SystemLogCapture log;
  logPelluxError(*E::pelluxErrorFailedOnSomeRecords(1, 1, {plain("Not uploaded.")}));
  ASSERT_EQ(log.lines().size(), 1);
  EXPECT_TRUE(log.lines()[0].startsWith(QStringLiteral(
      "ERROR: Command failed on the item. [Not uploaded.]: Error Domain=com.tarvo.quillory.error Code=6 ")))
      << log.lines()[0].toStdString();
}

}  // namespace
