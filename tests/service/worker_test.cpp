#include <gtest/gtest.h>

#include <semaphore>
#include <stdexcept>

#include "Localization.h"
#include "PelluxFileObject.h"
#include "PelluxWorker.h"
#include "QtPrinters.h"
#include "TestHttpServer.h"
#include "WaitFor.h"
#include "WorkerResult.h"

namespace {

class RecordingDelegate : public PelluxWorkerDelegate {
 public:
  QList<QVariantMap> results;
  QList<int> runningAtFinish;
  std::function<void()> duringFinish;

  void checkAccountFinished(const PelluxWorkerRef&, const QVariantMap& result) override {
    results.append(result);
    runningAtFinish.append(PelluxWorker::workers());
    // Run once: taken out before it runs, so it may start workers that finish into here again.
    const std::function<void()> once = std::exchange(duringFinish, nullptr);
    if (once) once();
  }
};

const PelluxWorker::Finish kFinish = &PelluxWorkerDelegate::checkAccountFinished;

TEST(PelluxWorkerTest, AnExceptionBecomesOneCodeTwoError) {
  Localization::useLanguages({QStringLiteral("en")});
  RecordingDelegate delegate;
  const QVariantMap account{{QStringLiteral("mailaddress"), QStringLiteral("taro@example.jp")}};
  PelluxWorker::pelluxWorkerWithDelegate(&delegate, QStringLiteral("Upload"), false)
      ->start(
          account, [](QVariantMap&) { throw std::runtime_error("the disk is on fire"); }, kFinish);
  ASSERT_TRUE(waitFor([&] { return !delegate.results.isEmpty() && PelluxWorker::workers() == 0; }));
  waitFor([] { return false; }, 100);
  ASSERT_EQ(delegate.results.size(), 1);
  const QVariantMap& result = delegate.results[0];
  EXPECT_EQ(result.value(QStringLiteral("targetAccount")).toMap(), account);
  const PelluxError error = result.value(QStringLiteral("error")).value<PelluxError>();
  EXPECT_EQ(error.code(), kPelluxError_Code_Parameter);
  EXPECT_EQ(error.message(), QStringLiteral("the disk is on fire"));
}

TEST(PelluxWorkerTest, TheRegistryCountsRunningWorkers) {
  RecordingDelegate delegate;
  std::counting_semaphore<2> release(0);
  // The first to finish starts another one from inside its notification.
  delegate.duringFinish = [&] {
    PelluxWorker::pelluxWorkerWithDelegate(&delegate, QStringLiteral("Again"), false)
        ->start(
            {}, [](QVariantMap&) {}, kFinish);
  };
  for (int i = 0; i < 2; ++i)
    PelluxWorker::pelluxWorkerWithDelegate(&delegate, QStringLiteral("Upload"), false)
        ->start(
            {}, [&release](QVariantMap&) { release.acquire(); }, kFinish);
  EXPECT_EQ(PelluxWorker::workers(), 2);
  release.release();
  // The started one may finish too before the check, so at least one.
  ASSERT_TRUE(waitFor([&] { return delegate.results.size() >= 1; }));
  EXPECT_EQ(delegate.runningAtFinish[0], 1);
  release.release();
  ASSERT_TRUE(waitFor([&] { return delegate.results.size() == 3 && PelluxWorker::workers() == 0; }));
}

TEST(PelluxWorkerTest, NoAccountMeansNoNetworkTraffic) {
  Localization::useLanguages({QStringLiteral("en")});
  TestHttpServer server;
  RecordingDelegate delegate;
  for (const QVariantMap& account :
       {QVariantMap{}, QVariantMap{{QStringLiteral("mailaddress"), QStringLiteral("a@b")}},
        QVariantMap{{QStringLiteral("mailaddress"), QStringLiteral("a@b")}, {QStringLiteral("password"), QString()}}})
    PelluxWorker::pelluxWorkerWithDelegate(&delegate, QStringLiteral("CheckAccount"), false)
        ->startCheckAccountWithAccount(account);
  ASSERT_TRUE(waitFor([&] { return delegate.results.size() == 3; }));
  for (const QVariantMap& result : delegate.results) {
    const PelluxError error = result.value(QStringLiteral("error")).value<PelluxError>();
    EXPECT_EQ(error.code(), kPelluxError_Code_Status);
    EXPECT_EQ(error.message(), QStringLiteral("No account."));
  }
  EXPECT_TRUE(server.requests().isEmpty());
}

TEST(PelluxWorkerTest, FileStatusWordsMapToFlags) {
  const std::pair<std::optional<QString>, quint32> cases[] = {{QStringLiteral("accepted"), StatusFlagDigitizing},
                                                              {QStringLiteral("ocring"), StatusFlagDigitizing},
                                                              {QStringLiteral("committed"), StatusFlagDigitized},
                                                              {QStringLiteral("Committed"), 0},
                                                              {QStringLiteral("rejected"), StatusFlagRejected},
                                                              {QStringLiteral("removed"), StatusFlagDeleted},
                                                              {std::nullopt, 0},
                                                              {QString(), 0}};
  for (const auto& [status, flag] : cases) EXPECT_EQ(PelluxWorker::localStatusFlagWithPelluxFileStatus(status), flag);
}

}  // namespace
