// Times loading and saving the card list at 1,000 and 20,000 realistic cards against Python's
// plistlib loading and dumping the same file in the same run, and measures the memory a loaded
// list takes against the file's size.
#include <malloc.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

#include "PelluxFileObject.h"
#include "RecordStore.h"

namespace {

constexpr int kRuns = 5;

const char* const kFieldTexts[] = {
    "山田 太郎",
    "やまだ たろう",
    "株式会社タルボ商事",
    "かぶしきがいしゃたるぼしょうじ",
    "営業本部 第二営業部",
    "課長",
    "150-0002",
    "東京都渋谷区渋谷二丁目21番1号",
    "渋谷ヒカリエ 34F",
    "03-1234-5678",
    "03-1234-5679",
    "090-1234-5678",
    "taro.yamada@example.co.jp",
    "https://www.example.co.jp/",
    "展示会にて名刺交換",
};

RecordList makeRecords(int count) {
  RecordList records;
  records.reserve(count);
  const QDateTime base(QDate(2026, 4, 1), QTime(9, 30, 15), Qt::UTC);
  for (int i = 0; i < count; ++i) {
    using P = PelluxFileObject;
    RecordRef record = P::pelluxFileObject();
    QVariantMap fields;
    QString searchTag;
    for (int type = 1; type <= 15; ++type) {
      const QString text = QString::fromUtf8(kFieldTexts[type - 1]) + QString::number(i);
      fields.insert(QString::number(type), text);
      searchTag += text + u'\n';
    }
    const QDateTime when = base.addSecs(i * 60);
    P::setImagePath(when.toString(QStringLiteral("yyyyMMdd-HHmmss-zzz")) + QStringLiteral(".jpeg"), *record);
    record->setValue(P::key_fileID(), P::newFileID());
    record->setValue(P::key_accountID(), QStringLiteral("A0000042"));
    record->setValue(P::key_localDigitizedAttributes(), fields);
    record->setValue(P::key_localDigitizedAttributesOriginal(), fields);
    record->setValue(P::key_localDigitizedAttributesSearchTag(), searchTag);
    record->setValue(P::key_localScannedTime(), when);
    record->setValue(P::key_localUploadTime(), when.addSecs(5));
    record->setValue(P::key_lastUpdateTime(), when.addSecs(300));
    record->setValue(P::key_fileStatus(), QStringLiteral("committed"));
    record->setValue(P::key_fileStatusCode(), QStringLiteral("0"));
    record->setValue(P::key_localImageRotation(), 0);
    record->setValue(P::key_localClassificationTag(), QStringLiteral("6F9619FF-8B86-D011-B42D-00C04FC964FF"));
    record->setValue(P::key_exportProperties(),
                     QVariantMap{{QStringLiteral("ExportWithImage"), false},
                                 {QStringLiteral("AddressBookGroupName"), QStringLiteral("名刺")}});
    record->setStatusFlags(StatusFlagScanned | StatusFlagUploaded | StatusFlagDigitized | StatusFlagDownloaded |
                           StatusFlagHasDigitizedText);
    P::updateRecordStatus(*record);
    records.append(record);
  }
  return records;
}

template <typename Work>
double medianMilliseconds(Work work) {
  double times[kRuns];
  for (double& time : times) {
    QElapsedTimer timer;
    timer.start();
    work();
    time = double(timer.nsecsElapsed()) / 1e6;
  }
  std::sort(times, times + kRuns);
  return times[kRuns / 2];
}

struct PythonTimes {
  double load = 0, dump = 0;
};

PythonTimes plistlibTimes(const QString& path) {
  const char* script = R"(
import plistlib, sys, time, statistics
path, runs = sys.argv[1], int(sys.argv[2])
data = open(path, "rb").read()
loads, dumps = [], []
for _ in range(runs):
    t = time.perf_counter(); value = plistlib.loads(data); loads.append(time.perf_counter() - t)
    t = time.perf_counter(); plistlib.dumps(value); dumps.append(time.perf_counter() - t)
print(statistics.median(loads) * 1000, statistics.median(dumps) * 1000)
)";
  QProcess python;
  python.start(QStringLiteral(PYTHON3),
               {QStringLiteral("-c"), QString::fromUtf8(script), path, QString::number(kRuns)});
  python.waitForFinished(-1);
  const QStringList parts = QString::fromUtf8(python.readAllStandardOutput()).split(u' ');
  if (parts.size() != 2) return {};
  return {parts[0].toDouble(), parts[1].toDouble()};
}

size_t heapInUse() { return mallinfo2().uordblks; }

void measure(int count) {
  QTemporaryDir folder;
  RecordStore store(folder.path());
  {
    const RecordList records = makeRecords(count);
    const double save = medianMilliseconds([&] { store.saveRecords(records); });
    const qint64 fileSize = QFileInfo(store.recordsFilePath()).size();

    const double load = medianMilliseconds([&] {
      RecordList loaded;
      RecordStore(folder.path()).loadRecords(loaded);
    });
    malloc_trim(0);
    const size_t before = heapInUse();
    RecordList loaded;
    RecordStore(folder.path()).loadRecords(loaded);
    const size_t memory = heapInUse() - before;

    const PythonTimes python = plistlibTimes(store.recordsFilePath());
    std::printf("%6d cards, file %.1f MB\n", count, fileSize / 1e6);
    std::printf("  load  %8.1f ms   plistlib %8.1f ms   ratio %.2f (goal <= 0.50)\n", load, python.load,
                load / python.load);
    std::printf("  save  %8.1f ms   plistlib %8.1f ms   ratio %.2f (goal <= 0.50)\n", save, python.dump,
                save / python.dump);
    std::printf("  memory after load %.1f MB = %.2f x file size (goal <= 3.00)\n", memory / 1e6,
                double(memory) / double(fileSize));
  }
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  std::printf("Card list load and save, median of %d runs each\n", kRuns);
  for (int count : {1000, 20000}) measure(count);
  return 0;
}
