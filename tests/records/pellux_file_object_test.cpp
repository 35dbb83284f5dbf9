#include <gtest/gtest.h>

#include "Localization.h"
#include "PelluxFileObject.h"
#include "QtPrinters.h"
#include "RecordFixtures.h"

namespace {

using P = PelluxFileObject;

TEST(PelluxFileObjectTest, StatusNameAndEditableRule) {
  struct Case {
    quint32 flags;
    const char* name;
    bool editable;
  } cases[] = {
      {0x2000000, "Scanned", true},
      {0x1000000, "Created", true},
      {0x2004000, "Uploading", false},
      {0x4100, "Uploaded", false},
      {0x100, "Uploaded", false},
      {0x300, "Digitizing", false},
      {0x500, "Digitized", false},
      {0x2600, "Downloaded", true},
      {0x2500, "Downloaded", true},
      {0x900, "Rejected", true},
      {0x1100, "Deleted", true},
      {0, "Created", true},
      {0x20000 | 0x8000 | 0x10000000, "Created", true},
  };
  Localization::useLanguages({QStringLiteral("en")});
  for (const Case& c : cases) {
    EXPECT_EQ(P::statusName(c.flags), QLatin1String(c.name)) << std::hex << c.flags;
    EXPECT_EQ(P::isEditable(c.flags), c.editable) << std::hex << c.flags;
    RecordRef record = recordWithFlags(c.flags);
    EXPECT_EQ(record->string(P::key_localStatus()), QLatin1String(c.name));
    EXPECT_EQ(record->string(P::key_localStatusIcon()), QLatin1String(c.name) + QStringLiteral("_icon.png"));
    EXPECT_EQ(record->value(P::key_localEditable()).toBool(), c.editable);
  }
}

TEST(PelluxFileObjectTest, AStatusCodeWithoutItsOwnTextFallsBackToTheStatusText) {
  Localization::useLanguages({QStringLiteral("en")});
  RecordRef record = recordWithFlags(StatusFlagRejected);
  record->setValue(P::key_fileStatusCode(), QStringLiteral("4711"));
  P::updateRecordStatus(*record);
  EXPECT_EQ(record->string(P::key_localStatus()), QStringLiteral("Rejected"));
}

TEST(PelluxFileObjectTest, ARecordKnownOnlyToTheService) {
  const RecordRef record = P::recordWithFileID(QStringLiteral("F-1"), QStringLiteral("A-9"));
  EXPECT_EQ(record->statusFlags(), 0x1000100u);
  EXPECT_EQ(P::statusName(record->statusFlags()), QStringLiteral("Uploaded"));
  EXPECT_FALSE(record->value(P::key_localEditable()).toBool());
  EXPECT_EQ(record->string(P::key_fileID()), QStringLiteral("F-1"));
  EXPECT_EQ(record->string(P::key_accountID()), QStringLiteral("A-9"));
  EXPECT_EQ(record->value(P::key_localDigitizedAttributes()), QVariantMap());
  EXPECT_EQ(record->value(P::key_localRecordVersion()).toInt(), 1);
}

TEST(PelluxFileObjectTest, NewFileIdentifiersAreUpperCaseUuids) {
  const QString id = P::newFileID();
  EXPECT_EQ(id.size(), 36);
  EXPECT_EQ(id, id.toUpper());
  EXPECT_NE(id, P::newFileID());
}

TEST(PelluxFileObjectTest, ImagePathsMapIntoTheDataFolder) {
  StoreFixture fixture;
  struct Case {
    QString stored;
    QString expected;
  } cases[] = {
      {QStringLiteral("20120401-093015-123.jpeg"), fixture.folder + QStringLiteral("/20120401-093015-123.jpeg")},
      {QStringLiteral("/Users/old/Library/Quillory/20120401-093015-123.jpeg"),
       fixture.folder + QStringLiteral("/20120401-093015-123.jpeg")},
      {fixture.folder + QStringLiteral("/x.jpeg"), fixture.folder + QStringLiteral("/x.jpeg")},
  };
  for (const Case& c : cases) {
    Record record({{P::key_localFilepath(), c.stored}});
    EXPECT_EQ(fixture.store.imagePathWithRecord(record), c.expected);
  }
  EXPECT_FALSE(fixture.store.imagePathWithRecord(Record()).has_value());

  Record record;
  P::setImagePath(QStringLiteral("/a/b/20120401-093015-123.jpeg"), record);
  EXPECT_EQ(record.string(P::key_localFilepath()), QStringLiteral("20120401-093015-123.jpeg"));
  EXPECT_EQ(record.string(P::key_localFilename()), QStringLiteral("20120401-093015-123"));
}

TEST(PelluxFileObjectTest, MigrationOfOlderRecords) {
  struct Case {
    QVariant version;
    QString searchTag;
    bool changed;
    quint32 flags;
  } cases[] = {
      {QVariant(), QStringLiteral("山田\n"), true, StatusFlagScanned | StatusFlagHasDigitizedText},
      {QVariant(), QString(), true, StatusFlagScanned},
      {qlonglong(2), QStringLiteral("山田\n"), true, StatusFlagScanned},
      {qlonglong(1), QStringLiteral("山田\n"), false, StatusFlagScanned},
  };
  for (const Case& c : cases) {
    Record record({{P::key_localStatusFlag(), qlonglong(StatusFlagScanned)},
                   {P::key_localDigitizedAttributesSearchTag(), c.searchTag}});
    if (c.version.isValid()) record.setValue(P::key_localRecordVersion(), c.version);
    EXPECT_EQ(P::checkAndUpdateRecordVersion(record), c.changed);
    EXPECT_EQ(record.statusFlags(), c.flags);
    EXPECT_EQ(record.value(P::key_localRecordVersion()).toInt(), 1);
    EXPECT_EQ(record.contains(P::key_localStatus()), c.changed);
    EXPECT_FALSE(P::checkAndUpdateRecordVersion(record));
  }
}

}  // namespace
