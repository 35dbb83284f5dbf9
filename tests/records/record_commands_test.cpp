#include <gtest/gtest.h>

#include "ClassificationTags.h"
#include "Localization.h"
#include "PelluxFileObject.h"
#include "QtPrinters.h"
#include "RecordBatchUpdate.h"
#include "RecordFixtures.h"
#include "RecordLocking.h"
#include "RecordSelection.h"
#include "SystemLog.h"
#include "WorkerResult.h"

namespace {

using P = PelluxFileObject;

TEST(RecordLockingTest, LocksByObjectOrImagePath) {
  StoreFixture fixture;
  RecordLocking locking(fixture.store);
  const RecordRef card = recordWithFlags(StatusFlagScanned, QStringLiteral("a.jpeg"));
  const RecordRef sameImage = recordWithFlags(StatusFlagScanned, QStringLiteral("/elsewhere/a.jpeg"));
  const RecordRef serviceOnly = recordWithFlags(StatusFlagFromService | StatusFlagUploaded);
  const RecordRef otherServiceOnly = recordWithFlags(StatusFlagFromService | StatusFlagUploaded);

  EXPECT_TRUE(locking.lockRecord(card));
  EXPECT_FALSE(locking.lockRecord(card));
  EXPECT_FALSE(locking.lockRecord(sameImage));
  EXPECT_TRUE(locking.lockRecord(serviceOnly));
  EXPECT_TRUE(locking.lockRecord(otherServiceOnly));
  EXPECT_TRUE(locking.isLocked(sameImage));

  EXPECT_TRUE(locking.unlockRecord(sameImage));
  EXPECT_FALSE(locking.unlockRecord(card));
  EXPECT_TRUE(locking.lockRecord(card));
  EXPECT_EQ(locking.lockedRecords().size(), 3);
}

TEST(RecordLockingTest, CheckingALockResult) {
  StoreFixture fixture;
  RecordLocking locking(fixture.store);
  const RecordList cards{recordWithFlags(StatusFlagScanned, QStringLiteral("a.jpeg")),
                         recordWithFlags(StatusFlagScanned, QStringLiteral("b.jpeg")),
                         recordWithFlags(StatusFlagScanned, QStringLiteral("c.jpeg"))};
  ASSERT_TRUE(locking.lockRecord(cards[1]));
  RecordList failed;
  const RecordList locked = locking.lockRecords(cards, &failed);
  EXPECT_EQ(locked, (RecordList{cards[0], cards[2]}));
  EXPECT_EQ(failed, RecordList{cards[1]});
  const auto error = RecordLocking::checkLockResult(locked, &failed);
  ASSERT_TRUE(error);
  EXPECT_EQ(error->code(), kPelluxError_Code_UnlockableOnSomeRecords);
  EXPECT_EQ(error->message(), QStringLiteral("1 of the 3 items are in progress."));
  locking.unlockRecords(locked);
  EXPECT_EQ(locking.lockedRecords(), RecordList{cards[1]});

  RecordList none;
  EXPECT_EQ(RecordLocking::checkLockResult({}, &none)->code(), kPelluxError_Code_NoTargetRecord);
  EXPECT_FALSE(RecordLocking::checkLockResult(locked, nullptr).has_value());
}

class BatchUpdateTest : public testing::Test {
 protected:
  void SetUp() override {
    Localization::useLanguages({QStringLiteral("en")});
    for (const char* name : {"a.jpeg", "b.jpeg", "c.jpeg"})
      records.append(recordWithFlags(StatusFlagUploaded | StatusFlagScanned, QLatin1String(name)));
    locking.lockRecords(records, nullptr);
  }

  RecordList update(const QVariantList& entries, int* failures, QList<PelluxError>* errors) {
    RecordBatchUpdate batch(records, locking, fixture.store,
                            {[this] { return selected; }, [this](int degrees) { rotation = degrees; }});
    return batch.updateRecords(entries, QStringLiteral("Download"), failures, errors);
  }

  StoreFixture fixture;
  RecordLocking locking{fixture.store};
  RecordList records;
  RecordRef selected;
  int rotation = -1;
};

TEST_F(BatchUpdateTest, MergesChangesRemovesMarkedRecordsAndSaves) {
  const RecordRef first = records[0];
  first->setValue(P::key_localDigitizedAttributes(), QVariantMap{{QStringLiteral("1"), QStringLiteral("old")},
                                                                 {QStringLiteral("3"), QStringLiteral("kept?")}});
  selected = first;
  const QVariantMap changes{
      {P::key_localDigitizedAttributes(), QVariantMap{{QStringLiteral("1"), QStringLiteral("山田 太郎")}}},
      {P::key_localStatusFlag(), qlonglong(StatusFlagUploaded | StatusFlagDigitized | StatusFlagDownloaded)},
      {P::key_localImageRotation(), 90}};
  int failures = -1;
  QList<PelluxError> errors;
  const RecordList updated =
      update({RecordBatchUpdate::updateItem(first, changes), RecordBatchUpdate::updateItem(records[1], nullMarker()),
              RecordBatchUpdate::updateItem(records[2], QVariantMap())},
             &failures, &errors);
  EXPECT_EQ(updated, (RecordList{first, records.last()}));
  EXPECT_EQ(failures, 0);
  EXPECT_TRUE(errors.isEmpty());
  EXPECT_EQ(records.size(), 2);
  EXPECT_EQ(first->value(P::key_localDigitizedAttributes()).toMap(),
            (QVariantMap{{QStringLiteral("1"), QStringLiteral("山田 太郎")}}));
  EXPECT_EQ(first->string(P::key_localStatus()), QStringLiteral("Downloaded"));
  EXPECT_EQ(rotation, 90);
  EXPECT_TRUE(locking.lockedRecords().isEmpty());

  RecordList saved;
  RecordStore(fixture.folder).loadRecords(saved);
  ASSERT_EQ(saved.size(), 2);
  EXPECT_EQ(saved[0]->values(), first->values());
}

TEST_F(BatchUpdateTest, FailuresAreCountedDatedAndKeptInTheRecord) {
  const RecordRef card = records[0];
  card->setValue(P::key_fileStatus(), QStringLiteral("committed"));
  SystemLogCapture log;
  int failures = 0;
  QList<PelluxError> errors;
  const PelluxError gone = *PelluxError::pelluxErrorForResultValue(122);
  const PelluxError refused =
      PelluxError::pelluxErrorWithCode(kPelluxError_Code_RecordStatus, QStringLiteral("Not digitized."));
  update({RecordBatchUpdate::failureItem(card, gone), RecordBatchUpdate::failureItem(card, refused),
          QVariantMap{{QStringLiteral("source"), QVariant::fromValue(records[1])}}},
         &failures, &errors);

  EXPECT_EQ(failures, 3);
  EXPECT_EQ(errors, (QList<PelluxError>{gone, refused}));
  EXPECT_TRUE(card->statusFlags() & StatusFlagDeleted);
  EXPECT_EQ(card->string(P::key_fileStatus()), QString());
  EXPECT_EQ(P::statusName(card->statusFlags()), QStringLiteral("Deleted"));
  const QStringList lines = card->string(P::key_localLastError()).split(QStringLiteral("\t "));
  ASSERT_EQ(lines.size(), 2);
  const QRegularExpression dated(
      QStringLiteral("^Download ERROR: Not digitized\\. \\(\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d [+-]\\d{4}\\)$"));
  EXPECT_TRUE(dated.match(lines[1]).hasMatch()) << lines[1].toStdString();
  EXPECT_TRUE(lines[0].startsWith(QStringLiteral("Download ERROR: The card is no longer on the service (122).")));
  EXPECT_FALSE(records[1]->contains(P::key_localLastError()));
  EXPECT_EQ(log.lines().size(), 2);
  EXPECT_TRUE(locking.lockedRecords() == RecordList{records[2]});
}

TEST_F(BatchUpdateTest, AnUnknownUpdateTypeIsLoggedAndChangesNothing) {
  const QVariantMap before = records[0]->values();
  SystemLogCapture log;
  int failures = -1;
  const RecordList updated =
      update({RecordBatchUpdate::updateItem(records[0], QStringLiteral("not a map"))}, &failures, nullptr);
  EXPECT_TRUE(updated.isEmpty());
  EXPECT_EQ(failures, 0);
  EXPECT_EQ(records[0]->values(), before);
  ASSERT_EQ(log.lines().size(), 1);
  EXPECT_TRUE(log.lines()[0].startsWith(QStringLiteral("ERROR: Unknown update record type: QString:")));
}

TEST(RecordSelectionTest, FiltersByFlagMasks) {
  const RecordList records{recordWithFlags(StatusFlagScanned | StatusFlagUploading),
                           recordWithFlags(StatusFlagScanned | StatusFlagUploading | StatusFlagUploaded),
                           recordWithFlags(StatusFlagScanned | StatusFlagDownloaded | StatusFlagDigitized),
                           recordWithFlags(StatusFlagFromService | StatusFlagUploaded)};
  struct Case {
    quint32 onAll, onOne, offAll, offOne;
    QList<int> expected;
  } cases[] = {
      {0x4000, 0, 0x100, 0, {0}},
      {0, 0x2000 | 0x1000000, 0, 0, {2, 3}},
      {0x2000000, 0, 0, 0x4000 | 0x100, {0, 2}},
      {0x100, 0, 0, 0, {1, 3}},
  };
  for (const Case& c : cases) {
    RecordList expected;
    for (int index : c.expected) expected << records[index];
    EXPECT_EQ(RecordSelection::filteredRecord(records, c.onAll, c.onOne, c.offAll, c.offOne), expected);
  }
  EXPECT_EQ(RecordSelection::filteredRecord(records, 0, 0, 0, 0), records);
}

TEST(ClassificationTest, SelectionsByTag) {
  StoreFixture fixture;
  const RecordList records{recordWithFlags(StatusFlagScanned, QStringLiteral("a.jpeg")),
                           recordWithFlags(StatusFlagScanned, QStringLiteral("b.jpeg")),
                           recordWithFlags(StatusFlagScanned, QStringLiteral("c.jpeg"))};
  records[0]->setValue(P::key_localClassificationTag(), QStringLiteral("T1"));
  records[1]->setValue(P::key_localClassificationTag(), QStringLiteral("T1"));
  EXPECT_EQ(RecordSelection::allRecordWithClassificationTag(records, QStringLiteral("T1")), records.mid(0, 2));
  EXPECT_EQ(RecordSelection::allRecordWithCurrentClassificationTag(records, fixture.preferences), records);
  fixture.preferences.setValue(QStringLiteral("ClassificationSelection"), QStringLiteral("T1"));
  EXPECT_EQ(RecordSelection::allRecordWithCurrentClassificationTag(records, fixture.preferences), records.mid(0, 2));

  // Two of three share a tag: there is no common tag; confirming "no tag" unclassifies all three.
  EXPECT_EQ(ClassificationTags::sharedTag(records), std::nullopt);
  EXPECT_EQ(ClassificationTags::sharedTag(records.mid(0, 2)), QStringLiteral("T1"));
  ClassificationTags::setClassification(std::nullopt, records, records, fixture.store);
  for (const RecordRef& record : records) EXPECT_FALSE(record->contains(P::key_localClassificationTag()));
  RecordList saved;
  fixture.store.loadRecords(saved);
  EXPECT_EQ(saved.size(), 3);
}

TEST(ClassificationTest, TagNamesAndTheListFilter) {
  QVariantMap nameless = ClassificationTags::newTag();
  const QString id = nameless.value(QStringLiteral("uuid")).toString();
  EXPECT_EQ(id.size(), 36);
  const QVariantList tags{
      nameless,
      QVariantMap{{QStringLiteral("uuid"), QStringLiteral("D")}, {QStringLiteral("name"), QStringLiteral("顧客")}},
      QVariantMap{{QStringLiteral("uuid"), QStringLiteral("D")}, {QStringLiteral("name"), QStringLiteral("second")}}};
  EXPECT_EQ(ClassificationTags::nameForTag(id, tags), std::nullopt);
  EXPECT_EQ(ClassificationTags::nameForTag(QStringLiteral("D"), tags), QStringLiteral("顧客"));
  EXPECT_EQ(ClassificationTags::nameForTag(QStringLiteral("gone"), tags), std::nullopt);
  EXPECT_EQ(ClassificationTags::nameForTag(std::nullopt, tags), std::nullopt);

  Record tagged(
      {{P::key_localClassificationTag(), QStringLiteral("D")}, {QStringLiteral("name"), QStringLiteral("Sato")}});
  Record other({{QStringLiteral("name"), QStringLiteral("Sato")}});
  const ClassificationTags::RecordPredicate search = [](const Record& r) {
    return r.string(QStringLiteral("name")).contains(QStringLiteral("Sato"));
  };
  const auto both = ClassificationTags::recordPredicate(QStringLiteral("D"), search);
  EXPECT_TRUE(both(tagged));
  EXPECT_FALSE(both(other));
  EXPECT_FALSE(ClassificationTags::recordPredicate(QStringLiteral("D"), [](const Record&) { return false; })(tagged));
  EXPECT_TRUE(ClassificationTags::recordPredicate(QStringLiteral("D"), {})(tagged));
  EXPECT_FALSE(ClassificationTags::recordPredicate(QString(), {}));
  EXPECT_TRUE(ClassificationTags::recordPredicate(QString(), search)(other));
}

}  // namespace
