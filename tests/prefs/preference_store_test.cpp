#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <thread>
#include <vector>

#include "PreferenceStore.h"
#include "QtPrinters.h"
#include "SampleSettings.h"
#include "SystemLog.h"
#include "TestEnvironment.h"

namespace {

QString freshStorePath() { return TestEnvironment::freshFolder() + QStringLiteral("/settings/Quillory.plist"); }

QByteArray contents(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(PreferenceStoreTest, EveryTypeSurvivesIntoANewProcess) {
  const QString path = freshStorePath();
  PreferenceStore store(path);
  const QVariantMap sample = sampleSettings();
  for (auto it = sample.cbegin(); it != sample.cend(); ++it) ASSERT_FALSE(store.setValue(it.key(), it.value()));

  QProcess reader;
  reader.start(QStringLiteral(PREFERENCE_READER), {path});
  ASSERT_TRUE(reader.waitForFinished(30000));
  EXPECT_EQ(reader.exitCode(), 0) << reader.readAllStandardError().toStdString();
}

TEST(PreferenceStoreTest, UserValuesWinOverDefaultsAndMissingValuesReadEmpty) {
  PreferenceStore store(freshStorePath());
  store.registerDefaults({{QStringLiteral("dpi"), 400}, {QStringLiteral("crop"), true}});
  store.registerDefaults({{QStringLiteral("dpi"), 300}});
  EXPECT_EQ(store.integerValue(QStringLiteral("dpi")), 300);
  ASSERT_FALSE(store.setValue(QStringLiteral("dpi"), 600));
  EXPECT_EQ(store.integerValue(QStringLiteral("dpi")), 600);
  EXPECT_TRUE(store.boolValue(QStringLiteral("crop")));
  ASSERT_FALSE(store.removeValue(QStringLiteral("dpi")));
  EXPECT_EQ(store.integerValue(QStringLiteral("dpi")), 300);

  const QString missing = QStringLiteral("missing");
  EXPECT_FALSE(store.value(missing).isValid());
  EXPECT_FALSE(store.boolValue(missing));
  EXPECT_EQ(store.integerValue(missing), 0);
  EXPECT_EQ(store.doubleValue(missing), 0.0);
  EXPECT_TRUE(store.stringValue(missing).isNull());
  EXPECT_TRUE(store.dataValue(missing).isNull());
  EXPECT_TRUE(store.arrayValue(missing).isEmpty());
  EXPECT_TRUE(store.dictionaryValue(missing).isEmpty());
}

TEST(PreferenceStoreTest, TypedReadsConvertWhatMakesSense) {
  PreferenceStore store(freshStorePath());
  store.registerDefaults({{QStringLiteral("yes"), QStringLiteral("YES")},
                          {QStringLiteral("number"), QStringLiteral("42")},
                          {QStringLiteral("real"), 0.5},
                          {QStringLiteral("list"), QVariantList{1}}});
  EXPECT_TRUE(store.boolValue(QStringLiteral("yes")));
  EXPECT_EQ(store.integerValue(QStringLiteral("number")), 42);
  EXPECT_EQ(store.stringValue(QStringLiteral("real")), QStringLiteral("0.5"));
  EXPECT_EQ(store.integerValue(QStringLiteral("real")), 0);
  EXPECT_TRUE(store.stringValue(QStringLiteral("list")).isNull());
  EXPECT_TRUE(store.dictionaryValue(QStringLiteral("list")).isEmpty());
}

TEST(PreferenceStoreTest, ChangesFromAnotherWriterAreKept) {
  const QString path = freshStorePath();
  PreferenceStore window(path);
  PreferenceStore terminal(path);
  ASSERT_FALSE(window.setValue(QStringLiteral("a"), 1));
  ASSERT_FALSE(terminal.setValue(QStringLiteral("b"), 2));
  ASSERT_FALSE(window.setValue(QStringLiteral("c"), 3));
  EXPECT_EQ(PreferenceStore(path).userValues(),
            (QVariantMap{{QStringLiteral("a"), 1}, {QStringLiteral("b"), 2}, {QStringLiteral("c"), 3}}));
  EXPECT_EQ(window.integerValue(QStringLiteral("b")), 2);
}

TEST(PreferenceStoreTest, AnUnreadableFileIsMovedAsideNotOverwritten) {
  const QString path = freshStorePath();
  QDir().mkpath(QFileInfo(path).absolutePath());
  const QByteArray damaged = "<plist><dict><key>half";
  {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(damaged);
  }
  SystemLogCapture log;
  PreferenceStore store(path);
  EXPECT_FALSE(store.loadError().isEmpty());
  EXPECT_EQ(log.lines().size(), 1);
  EXPECT_EQ(contents(path), damaged);

  ASSERT_FALSE(store.setValue(QStringLiteral("k"), QStringLiteral("v")));
  const QStringList aside =
      QDir(QFileInfo(path).absolutePath()).entryList({QStringLiteral("Quillory.plist.unreadable-*")});
  ASSERT_EQ(aside.size(), 1);
  EXPECT_EQ(contents(QFileInfo(path).absolutePath() + u'/' + aside[0]), damaged);
  EXPECT_EQ(PreferenceStore(path).stringValue(QStringLiteral("k")), QStringLiteral("v"));
}

TEST(PreferenceStoreTest, AFailedWriteIsReportedAndTheValueStaysInMemory) {
  // The settings folder cannot be made because a plain file stands where it should be.
  const QString blocker = TestEnvironment::freshFolder() + QStringLiteral("/TARVO");
  QFile file(blocker);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.close();
  PreferenceStore store(blocker + QStringLiteral("/Quillory.plist"));
  SystemLogCapture log;
  const auto error = store.setValue(QStringLiteral("new"), 2);
  ASSERT_TRUE(error.has_value());
  EXPECT_EQ(error->code(), kPelluxError_Code_FileAccess);
  EXPECT_EQ(log.lines().size(), 1);
  EXPECT_EQ(store.integerValue(QStringLiteral("new")), 2);
}

TEST(PreferenceStoreTest, AValueTheFileCannotHoldIsRefused) {
  PreferenceStore store(freshStorePath());
  const auto error = store.setValue(QStringLiteral("bad"), QStringLiteral("bell\x07"));
  ASSERT_TRUE(error.has_value());
  EXPECT_EQ(error->code(), kPelluxError_Code_Parameter);
  EXPECT_FALSE(store.value(QStringLiteral("bad")).isValid());
}

TEST(PreferenceStoreTest, ReadsAndWritesFromManyThreads) {
  PreferenceStore store(freshStorePath());
  store.registerDefaults({{QStringLiteral("shared"), 1}});
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&store, t] {
      for (int i = 0; i < 50; ++i) {
        store.setValue(QStringLiteral("k%1").arg(t), i);
        EXPECT_EQ(store.integerValue(QStringLiteral("shared")), 1);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int t = 0; t < 4; ++t) EXPECT_EQ(store.integerValue(QStringLiteral("k%1").arg(t)), 49);
}

}  // namespace
