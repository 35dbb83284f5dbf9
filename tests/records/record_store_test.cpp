#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QSet>

#include "PelluxClientPreference.h"
#include "PelluxFileObject.h"
#include "QtPrinters.h"
#include "RecordFixtures.h"
#include "SystemLog.h"

namespace {

using P = PelluxFileObject;

// Runs a Python snippet with the file path as its argument; gives its error output on failure.
QString runPython(const char* script, const QString& path) {
  QProcess python;
  python.start(QStringLiteral(PYTHON3), {QStringLiteral("-c"), QString::fromUtf8(script), path});
  if (!python.waitForFinished(60000)) return QStringLiteral("python did not finish");
  return python.exitCode() == 0 ? QString() : QString::fromUtf8(python.readAllStandardError());
}

TEST(RecordStoreTest, AMissingStoreIsNotCreatedUntilTheFirstSave) {
  StoreFixture fixture;
  RecordList records{recordWithFlags(StatusFlagScanned)};
  fixture.store.loadRecords(records);
  EXPECT_EQ(fixture.store.loadState(), RecordStore::LoadState::Missing);
  EXPECT_EQ(records.size(), 1);
  EXPECT_FALSE(QFile::exists(fixture.recordsFile()));
  ASSERT_TRUE(fixture.store.saveRecords(records));
  RecordList loaded;
  fixture.store.loadRecords(loaded);
  ASSERT_EQ(loaded.size(), 1);
  EXPECT_EQ(loaded[0]->values(), records[0]->values());
}

TEST(RecordStoreTest, MigrationRewritesTheFileOnceAndNotAgain) {
  StoreFixture fixture;
  QDir().mkpath(fixture.folder);
  const RecordRef old = makeRecord({{P::key_localStatusFlag(), qlonglong(StatusFlagDownloaded)},
                                    {P::key_localDigitizedAttributesSearchTag(), QStringLiteral("山田\n")}});
  ASSERT_TRUE(fixture.store.saveRecords({old}));
  const qint64 before = TestEnvironment::inodeOf(fixture.recordsFile());

  RecordList records;
  fixture.store.loadRecords(records);
  ASSERT_EQ(records.size(), 1);
  EXPECT_EQ(records[0]->statusFlags(), StatusFlagDownloaded | StatusFlagHasDigitizedText);
  EXPECT_EQ(records[0]->string(P::key_localStatusIcon()), QStringLiteral("Downloaded_icon.png"));
  const qint64 migrated = TestEnvironment::inodeOf(fixture.recordsFile());
  EXPECT_NE(migrated, before);

  RecordList again;
  RecordStore(fixture.folder).loadRecords(again);
  EXPECT_EQ(TestEnvironment::inodeOf(fixture.recordsFile()), migrated);
  EXPECT_EQ(again[0]->value(P::key_localRecordVersion()).toInt(), 1);
}

TEST(RecordStoreTest, AnUnreadableStoreSurvivesByteForByteUntilSetAside) {
  const char* damaged[] = {"<plist><array><dict><key>fileID</key>", "<plist><dict/></plist>",
                           "<plist><array><string>not a record</string></array></plist>", "\xff\xfe garbage"};
  for (const char* bytes : damaged) {
    StoreFixture fixture;
    QDir().mkpath(fixture.folder);
    writeBytes(fixture.recordsFile(), bytes);
    SystemLogCapture log;
    RecordList records{recordWithFlags(StatusFlagScanned)};
    fixture.store.loadRecords(records);
    EXPECT_EQ(fixture.store.loadState(), RecordStore::LoadState::Unreadable) << bytes;
    EXPECT_TRUE(fixture.store.loadProblem().contains(fixture.recordsFile()));
    EXPECT_EQ(records.size(), 1);
    EXPECT_FALSE(fixture.store.saveRecords(records));
    EXPECT_EQ(fileBytes(fixture.recordsFile()), QByteArray(bytes));
    EXPECT_GE(log.lines().size(), 2);

    const std::optional<QString> aside = fixture.store.setAsideUnreadableRecords();
    ASSERT_TRUE(aside.has_value());
    EXPECT_EQ(fileBytes(*aside), QByteArray(bytes));
    EXPECT_TRUE(fixture.store.saveRecords(records));
  }
}

TEST(RecordStoreTest, NewRecordsTakeTheirFlagsAndSnapshotFromTheSettings) {
  struct Case {
    bool autoUpload, autoExport;
    quint32 flags;
    const char* status;
  } cases[] = {
      {false, false, 0x2000000, "Scanned"},
      {true, false, 0x2004000, "Uploading"},
      {false, true, 0x22000000, "Scanned"},
      {true, true, 0x22004000, "Uploading"},
  };
  for (const Case& c : cases) {
    StoreFixture fixture;
    fixture.preferences.setValue(QStringLiteral("AutoUploadToPellux"), c.autoUpload);
    fixture.preferences.setValue(QStringLiteral("AutoExportToAdressbook"), c.autoExport);
    fixture.preferences.setValue(QStringLiteral("ImageRotationDegrees"), 90);
    fixture.preferences.setValue(QStringLiteral("ClassificationSelection"), QStringLiteral("TAG-1"));
    fixture.preferences.setValue(QStringLiteral("AddressBookGroupName"), QStringLiteral("名刺"));
    const RecordRef record = fixture.store.recordWithImageData(QByteArray("\xff\xd8 jpeg"), fixture.preferences);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->statusFlags(), c.flags);
    EXPECT_EQ(P::statusName(record->statusFlags()), QLatin1String(c.status));
    EXPECT_EQ(record->value(P::key_localImageRotation()).toInt(), 90);
    EXPECT_EQ(record->string(P::key_localClassificationTag()), QStringLiteral("TAG-1"));
    EXPECT_EQ(record->value(P::key_exportProperties()).toMap(),
              (QVariantMap{{QStringLiteral("AddressBookGroupName"), QStringLiteral("名刺")}}));
    EXPECT_EQ(record->string(P::key_fileID()).size(), 36);
    EXPECT_EQ(fixture.store.jpegDataWithRecord(*record), QByteArray("\xff\xd8 jpeg"));
  }
}

TEST(RecordStoreTest, WithoutASelectionOrSettingsNewRecordsCarryNeither) {
  StoreFixture fixture;
  fixture.preferences.setValue(QStringLiteral("ClassificationSelection"), QString());
  const RecordRef record = fixture.store.recordWithImageData(QByteArray("x"), fixture.preferences);
  EXPECT_FALSE(record->contains(P::key_localClassificationTag()));
  EXPECT_FALSE(record->contains(P::key_exportProperties()));
  EXPECT_FALSE(fixture.store.recordWithImageData(QByteArray(), fixture.preferences));
}

TEST(RecordStoreTest, ImageNamesAreUniqueAndChronological) {
  StoreFixture fixture;
  QStringList names;
  for (int i = 0; i < 40; ++i) names << QFileInfo(*fixture.store.storeImageData(QByteArray::number(i))).fileName();
  QStringList sorted = names;
  sorted.sort();
  EXPECT_EQ(sorted, names);
  EXPECT_EQ(QSet<QString>(names.begin(), names.end()).size(), names.size());
  EXPECT_TRUE(names[0].contains(QRegularExpression(QStringLiteral("^\\d{8}-\\d{6}-\\d{3}\\.jpeg$"))))
      << names[0].toStdString();
  EXPECT_EQ(fileBytes(fixture.folder + u'/' + names[7]), QByteArray("7"));
}

TEST(RecordStoreTest, WithoutADataFolderNothingIsStoredAndFailuresAreLogged) {
  const QString blocker = TestEnvironment::freshFolder() + QStringLiteral("/TARVO");
  writeBytes(blocker, "a file where the folder should be");
  RecordStore store(blocker + QStringLiteral("/Quillory"));
  PreferenceStore preferences(TestEnvironment::freshFolder() + QStringLiteral("/Quillory.plist"));
  SystemLogCapture log;
  EXPECT_FALSE(store.recordWithImageData(QByteArray("x"), preferences));
  EXPECT_FALSE(store.saveRecords({recordWithFlags(StatusFlagScanned)}));
  ASSERT_EQ(log.lines().size(), 2);
  EXPECT_TRUE(log.lines()[0].startsWith(QStringLiteral("ERROR: Failed to access ")));
}

TEST(RecordStoreTest, InteroperatesWithPythonPlistlib) {
  StoreFixture fixture;
  QDir().mkpath(fixture.folder);
  const QString written = runPython(R"(
import plistlib, sys, datetime
records = [{
    "local_recordVersion": 1, "local_statusFlag": 0x10002400, "fileID": "F-1",
    "local_editable": True, "local_scannedTime": datetime.datetime(2026, 1, 2, 3, 4, 5),
    "local_digitizedAttributes": {"1": "山田 太郎", "3": "株式会社タルボ"},
    "blob": b"\x00\x01\xff", "list": [1, "x", False], "big": 2**40, "real": 1.5, "text": "a & b < c\n",
}]
with open(sys.argv[1], "wb") as f:
    plistlib.dump(records, f)
)",
                                    fixture.recordsFile());
  ASSERT_TRUE(written.isEmpty()) << written.toStdString();

  RecordList records;
  fixture.store.loadRecords(records);
  ASSERT_EQ(records.size(), 1);
  const Record& record = *records[0];
  EXPECT_EQ(record.value(QStringLiteral("local_scannedTime")).toDateTime(),
            QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5), Qt::UTC));
  EXPECT_EQ(record.value(QStringLiteral("local_editable")), true);
  EXPECT_EQ(record.value(QStringLiteral("blob")).toByteArray(), QByteArray("\x00\x01\xff", 3));
  EXPECT_EQ(record.value(QStringLiteral("big")).toLongLong(), 1LL << 40);
  EXPECT_EQ(record.value(QStringLiteral("text")).toString(), QStringLiteral("a & b < c\n"));
  EXPECT_EQ(record.value(P::key_localDigitizedAttributes()).toMap().value(QStringLiteral("1")),
            QStringLiteral("山田 太郎"));

  records[0]->setValue(QStringLiteral("added"), QStringLiteral("値"));
  records[0]->setValue(QStringLiteral("crlf"), QStringLiteral("line\r\nnext"));
  records.append(makeRecord({{QStringLiteral("when"), QDateTime(QDate(2026, 12, 11), QTime(10, 0, 0, 500), Qt::UTC)}}));
  ASSERT_TRUE(fixture.store.saveRecords(records));
  const QString checked = runPython(R"(
import plistlib, sys, datetime
with open(sys.argv[1], "rb") as f:
    records = plistlib.load(f)
r = records[0]
assert r["local_scannedTime"] == datetime.datetime(2026, 1, 2, 3, 4, 5), r
assert r["local_editable"] is True and r["blob"] == b"\x00\x01\xff" and r["big"] == 2**40
assert r["real"] == 1.5 and r["list"] == [1, "x", False] and r["text"] == "a & b < c\n"
assert r["local_digitizedAttributes"] == {"1": "山田 太郎", "3": "株式会社タルボ"}
assert r["added"] == "値" and r["crlf"] == "line\r\nnext" and r["local_statusFlag"] == 0x10002400
assert records[1]["when"] == datetime.datetime(2026, 12, 11, 10, 0, 0), records[1]
)",
                                    fixture.recordsFile());
  EXPECT_TRUE(checked.isEmpty()) << checked.toStdString();
}

}  // namespace
