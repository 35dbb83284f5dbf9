#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QtGlobal>
#include <cmath>
#include <functional>
#include <vector>

#include "PelluxError.h"
#include "SimulatorFolder.h"
#include "TestEnvironment.h"
#include "Ts860ContextStatus.h"
#include "sim/ts860_sim.h"
#include "ts860_calibrate.h"
#include "ts860_proto.h"
#include "ts860_scan.h"
#include "ts860_usb.h"

namespace {

// A simulator folder of its own for each test, the device attached and running without real
// waits; the hopper starts empty.
class SimulatorTest : public testing::Test {
 protected:
  SimulatorTest() : folder(SimulatorFolder::create()) {}
  ~SimulatorTest() override {
    ts860_usb_final(context);
    qunsetenv("TS860_TRACE");
    qunsetenv("TS860_SIMULATOR");
  }

  void write(const QString& name, const QByteArray& text) const {
    ASSERT_TRUE(SimulatorFolder::write(folder, name, text));
  }
  void open() {
    context = ts860_sim_open(folder.toLocal8Bit().constData());
    ASSERT_NE(context, nullptr);
    ASSERT_EQ(ts860_proto_init(context), 0);
  }
  QByteArray read(const QString& name) const {
    QFile file(folder + QLatin1Char('/') + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }
  QStringList entries(const char* subfolder) const {
    return QDir(folder + QLatin1Char('/') + QLatin1String(subfolder)).entryList(QDir::Files, QDir::Name);
  }

  QString folder;
  ts860_context* context = nullptr;
};

struct GoldenCase {
  const char* name;
  const char* sheet;  // a file put in the hopper, or none
  std::function<int(ts860_context*)> run;
  int expected;
};

int defaultScan(ts860_context* context, int dpi, int yoffset) {
  ts860_param param;
  ts860_initparam(context, &param);
  param.dpi = dpi;
  param.yoffset = yoffset;
  uint8_t* bitmap = nullptr;
  uint32_t size = 0;
  const int result = ts860_scan(context, &param, &bitmap, &size);
  if (result == 0) ts860_freebmp(context, bitmap, size);
  return result;
}

// The exact transfer sequences of the device operations, compared line by line with recorded
// traces that were checked against the device's documented request tables. Setting
// QUILLORY_UPDATE_GOLDEN records them again.
TEST_F(SimulatorTest, GoldenTraces) {
  const std::vector<GoldenCase> cases = {
      {"initcommand", nullptr, [](ts860_context* c) { return ts860_initcommand(c); }, 0},
      {"precommand", nullptr, [](ts860_context* c) { return ts860_precommand(c); }, 0},
      {"prefeed", nullptr, [](ts860_context* c) { return ts860_prefeed(c); }, 0},
      {"feed_paper_gone", nullptr, [](ts860_context* c) { return ts860_feed(c, 5000, 0); }, 0},
      {"feed_extra_500", "card.png", [](ts860_context* c) { return ts860_feed(c, -1, 500); }, 0},
      {"feed_extra_minus2", "card.png", [](ts860_context* c) { return ts860_feed(c, 1000, -2); }, 0},
      {"cleaning_0", "cleaning", [](ts860_context* c) { return ts860_cleaning(c, 0, 15000); }, 0},
      {"cleaning_5", "cleaning", [](ts860_context* c) { return ts860_cleaning(c, 5, 15000); }, 0},
      {"scan_default", "calibration", [](ts860_context* c) { return defaultScan(c, 400, 0); }, 0},
      {"scan_300_yoffset_3", "calibration", [](ts860_context* c) { return defaultScan(c, 300, 3); }, 0},
      {"calibrate", "calibration",
       [](ts860_context* c) {
         int32_t xoffset = 0;
         std::vector<uint8_t> data(TS860_CALIBRATION_DATA_SIZE);
         return ts860_calibrate(c, &xoffset, data.data());
       },
       0},
  };
  const bool update = qEnvironmentVariableIsSet("QUILLORY_UPDATE_GOLDEN");
  for (const GoldenCase& golden : cases) {
    SCOPED_TRACE(golden.name);
    folder = SimulatorFolder::create();
    if (golden.sheet) write(QLatin1String("hopper/") + QLatin1String(golden.sheet), "sheet");
    ts860_usb_final(context);
    open();
    qputenv("TS860_TRACE", (folder + QLatin1String("/trace")).toLocal8Bit());
    EXPECT_EQ(golden.run(context), golden.expected);
    qunsetenv("TS860_TRACE");
    QFile expected(QStringLiteral(QUILLORY_TS860_GOLDEN_DIR "/") + QLatin1String(golden.name) +
                   QLatin1String(".trace"));
    if (update) {
      ASSERT_TRUE(expected.open(QIODevice::WriteOnly));
      expected.write(read(QStringLiteral("trace")));
      continue;
    }
    ASSERT_TRUE(expected.open(QIODevice::ReadOnly)) << expected.fileName().toStdString();
    const QList<QByteArray> want = expected.readAll().split('\n');
    const QList<QByteArray> got = read(QStringLiteral("trace")).split('\n');
    for (qsizetype i = 0; i < std::min(want.size(), got.size()); ++i)
      ASSERT_EQ(got[i].toStdString(), want[i].toStdString()) << "line " << i + 1;
    EXPECT_EQ(got.size(), want.size());
    EXPECT_TRUE(read(QStringLiteral("log")).isEmpty()) << read(QStringLiteral("log")).toStdString();
  }
}

}  // namespace

namespace {

uint16_t field(const std::vector<uint8_t>& data, int column, int which) {
  return uint16_t(data[size_t(8 + 4 * column + 2 * which)] | data[size_t(9 + 4 * column + 2 * which)] << 8);
}

// The sensor of the worked example: dark level 20 and lit level 150 everywhere, except the first
// 50 columns of the calibration window, which read 10 with the lamp on.
TEST_F(SimulatorTest, CalibrationMeasuresTheSensor) {
  write("settings",
        "time_scale 0\ndark 20\ndark_spread 0\nwhite 150\nvignetting 0\nnoise 0\nmasked 50\n"
        "masked_level 10\n");
  write("hopper/calibration", "");
  open();
  std::vector<uint8_t> data(TS860_CALIBRATION_DATA_SIZE);
  int32_t xoffset = 0;
  ASSERT_EQ(ts860_calibrate(context, &xoffset, data.data()), 0);
  EXPECT_EQ(xoffset, 81);
  for (int column : {0, 49, 50, 51, 800, 1535}) {
    EXPECT_EQ(field(data, column, 0), 5120) << column;
    EXPECT_EQ(field(data, column, 1), column < 50 ? 0xFFFF : 30247) << column;
  }
}

// A business card drawn the way a photograph of one would look: white stock, a dark logo block,
// a large name and smaller lines of print. Landscape, as cards are usually photographed.
QImage cardPhoto() {
  QImage card(1075, 650, QImage::Format_RGB32);
  card.fill(QColor(250, 248, 240));
  QPainter painter(&card);
  painter.fillRect(QRect(60, 60, 150, 150), QColor(30, 60, 140));
  painter.setPen(Qt::black);
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(80);
  painter.setFont(font);
  painter.drawText(QPoint(260, 330), QStringLiteral("Taro Yamada"));
  font.setPixelSize(36);
  painter.setFont(font);
  painter.drawText(QPoint(260, 150), QStringLiteral("Quillory Trading Co."));
  painter.drawText(QPoint(260, 460), QStringLiteral("Tel 03-1234-5678"));
  painter.drawText(QPoint(260, 520), QStringLiteral("taro@example.jp"));
  return card;
}

// The scanned bitmap as an image, rows turned top-down.
QImage bitmapImage(const uint8_t* bitmap, uint32_t size) {
  return QImage::fromData(QByteArray(reinterpret_cast<const char*>(bitmap), qsizetype(size)), "BMP")
      .convertToFormat(QImage::Format_Grayscale8);
}

// How far the column means of a band of rows stray from each other: a flat white band gives a
// small figure, a band striped by uncorrected pixels a large one.
int columnSpread(const QImage& scan, int firstRow, int rows, int firstColumn, int columns) {
  int low = 255, high = 0;
  for (int x = firstColumn; x < firstColumn + columns; ++x) {
    int sum = 0;
    for (int y = firstRow; y < firstRow + rows; ++y) sum += scan.constScanLine(y)[x];
    low = std::min(low, sum / rows);
    high = std::max(high, sum / rows);
  }
  return high - low;
}

// Pearson correlation of the scan with the card, both at the scan's resolution.
double likeness(const QImage& scan, const QImage& card, QPoint at) {
  double sx = 0, sy = 0, sxx = 0, syy = 0, sxy = 0;
  const int n = card.width() * card.height();
  for (int y = 0; y < card.height(); ++y)
    for (int x = 0; x < card.width(); ++x) {
      const double a = scan.constScanLine(y + at.y())[x + at.x()], b = card.constScanLine(y)[x];
      sx += a, sy += b, sxx += a * a, syy += b * b, sxy += a * b;
    }
  return (sxy - sx * sy / n) / std::sqrt((sxx - sx * sx / n) * (syy - sy * sy / n));
}

// A photograph of a card, scanned first without and then with the calibration the simulator's
// sensor needs: the calibrated scan shows the card as it is, the uncalibrated one striped. Both are
// kept beside the test program for a look.
TEST_F(SimulatorTest, CalibratedScanOfACardPhoto) {
  write("hopper/calibration", "");
  ASSERT_TRUE(cardPhoto().save(folder + QLatin1String("/hopper/card.png")));
  open();
  std::vector<uint8_t> data(TS860_CALIBRATION_DATA_SIZE);
  int32_t xoffset = 0;
  ASSERT_EQ(ts860_calibrate(context, &xoffset, data.data()), 0);
  EXPECT_EQ(xoffset, 81);  // the sensor's 50 dark pixels after the first 31
  ASSERT_EQ(ts860_feed(context, 15000, 0), 0);
  EXPECT_EQ(entries("done"), QStringList{QStringLiteral("calibration")});
  ts860_sleep(1000);  // the next card reaches the sensor
  ASSERT_EQ(ts860_ispaperon(context), 1);

  ts860_param param;
  ts860_initparam(context, &param);
  uint8_t* bitmap = nullptr;
  uint32_t size = 0;
  ASSERT_EQ(ts860_scan(context, &param, &bitmap, &size), 0);
  const QImage raw = bitmapImage(bitmap, size);
  ts860_freebmp(context, bitmap, size);
  param.xoffset = xoffset;
  param.calibrationData = data.data();
  ASSERT_EQ(ts860_scan(context, &param, &bitmap, &size), 0);
  const QImage calibrated = bitmapImage(bitmap, size);
  ts860_freebmp(context, bitmap, size);
  QDir().mkpath(QStringLiteral(QUILLORY_TS860_ARTEFACT_DIR));
  raw.save(QStringLiteral(QUILLORY_TS860_ARTEFACT_DIR "/card-uncalibrated.png"));
  calibrated.save(QStringLiteral(QUILLORY_TS860_ARTEFACT_DIR "/card-calibrated.png"));

  // The card upright at 400 dpi; its left edge lies under sensor pixel 104, its top 18 lines in.
  const QImage card = cardPhoto()
                          .transformed(QTransform().rotate(90))
                          .scaled(866, 1482 - 48, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                          .convertToFormat(QImage::Format_Grayscale8);
  const QImage reference = card.copy(10, 10, card.width() - 40, 1300);
  const QPoint at((104 - 81) * 400 / 600 + 10, 12 + 10);
  EXPECT_GT(likeness(calibrated, reference, at), 0.95);
  EXPECT_LT(columnSpread(calibrated, 40, 40, 20, 800), 6);
  EXPECT_GT(columnSpread(raw, 40, 40, 20, 800), 3 * std::max(columnSpread(calibrated, 40, 40, 20, 800), 2));
}

}  // namespace

namespace {

// The device's rules: the transfer that breaks one fails (stalled) and the log names the rule.
TEST_F(SimulatorTest, TransfersThatBreakTheRulesFail) {
  const unsigned char header512[8] = {0x00, 0x00, 0x00, 0x01, 0x00, 0x02, 0x00, 0x00};
  const unsigned char imageHeader[8] = {0x00, 0x00, 0x00, 0x10, 0x40, 0x00, 0x00, 0x00};
  std::vector<unsigned char> bytes(512);
  struct Case {
    const char* rule;
    std::function<int(ts860_context*)> breakIt;
  };
  const std::vector<Case> cases = {
      {"a bulk write of 500 bytes after a memory write header for 512",
       [&](ts860_context* c) {
         ts860_devicerequest(c, 0x40, 0x04, 0x0082, 0x0001, 8, const_cast<unsigned char*>(header512));
         return ts860_writebulk(c, 500, bytes.data());
       }},
      {"must be followed by a bulk write of its bytes",
       [&](ts860_context* c) {
         ts860_devicerequest(c, 0x40, 0x04, 0x0082, 0x0001, 8, const_cast<unsigned char*>(header512));
         unsigned char pair[2] = {0x0C, 0x00};
         return ts860_devicerequest(c, 0x40, 0x04, 0x0083, 0x0000, 2, pair);
       }},
      {"image data may be read only after a scan was started",
       [&](ts860_context* c) {
         return ts860_devicerequest(c, 0x40, 0x04, 0x0082, 0x0000, 8, const_cast<unsigned char*>(imageHeader));
       }},
      {"the motor table at 0x10000000 has 0 entries, its count registers A4/A5 say 4",
       [&](ts860_context* c) {
         ts860_initcommand(c);
         unsigned char start[2] = {0x0F, 0xFF};
         return ts860_devicerequest(c, 0x40, 0x04, 0x0083, 0x0000, 2, start);
       }},
      {"a bulk write of 8 bytes must follow a memory write header",
       [&](ts860_context* c) { return ts860_writebulk(c, 8, bytes.data()); }},
      {"a register write carries 1 to 32 pairs, not 3 bytes",
       [&](ts860_context* c) { return ts860_devicerequest(c, 0x40, 0x04, 0x0083, 0x0000, 3, bytes.data()); }},
  };
  for (const Case& broken : cases) {
    SCOPED_TRACE(broken.rule);
    ts860_usb_final(context);
    QFile::remove(folder + QLatin1String("/log"));
    open();
    testing::internal::CaptureStderr();
    EXPECT_EQ(broken.breakIt(context), -1);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(ts860_usb_lasterror(context), -9);  // a stalled pipe
    EXPECT_TRUE(read(QStringLiteral("log")).contains(broken.rule)) << read(QStringLiteral("log")).toStdString();
  }
  // Nothing may come before the protocol start.
  ts860_usb_final(context);
  context = ts860_sim_open(folder.toLocal8Bit().constData());
  testing::internal::CaptureStderr();
  EXPECT_EQ(ts860_initcommand(context), -1);
  testing::internal::GetCapturedStderr();
  EXPECT_TRUE(read(QStringLiteral("log")).contains("no request may come before the protocol start"));
}

// Faults asked for in the folder reach the driver as the device would cause them, and each
// operation ends with its own result and diagnostic.
TEST_F(SimulatorTest, InjectedFaults) {
  struct Case {
    const char* faults;
    std::function<int(ts860_context*)> run;
    int expected;
    const char* diagnostic;
  };
  const auto scan = [](ts860_context* c) { return defaultScan(c, 400, 0); };
  const std::vector<Case> cases = {
      {"fail_request 6", scan, -1, "ts860_initcommand:5: ts860_devicerequest failed.\n"},
      {"missing_marker 1", [](ts860_context* c) { return ts860_feed(c, 5000, 0); }, -2,
       "ts860_feed:6: b[1] is not 0x55: 0x 0.\n"},
      {"detach_after 60", scan, -1, "DeviceRequest() failed, returned -4(fffffffc).\n"},
      {"detach_during_scan 1", scan, -1, "ts860_readbulk failed.\n"},
  };
  write("hopper/card.png", "not an image");
  for (const Case& fault : cases) {
    SCOPED_TRACE(fault.faults);
    write("attached", "");
    write("faults", fault.faults);
    ts860_usb_final(context);
    open();
    testing::internal::CaptureStderr();
    EXPECT_EQ(fault.run(context), fault.expected);
    const std::string diagnostics = testing::internal::GetCapturedStderr();
    EXPECT_NE(diagnostics.find(fault.diagnostic), std::string::npos) << diagnostics;
    EXPECT_TRUE(read(QStringLiteral("log")).contains("fault: "));
  }
  EXPECT_EQ(ts860_sim_check_connected(folder.toLocal8Bit().constData()), 1);  // the last fault detached it
}

// Image data that never becomes ready: the scan gives up after five seconds of the wall clock.
TEST_F(SimulatorTest, ImageDataThatNeverComes) {
  write("faults", "stuck_bufempty 1");
  open();
  testing::internal::CaptureStderr();
  EXPECT_EQ(defaultScan(context, 400, 0), 1);
  const std::string diagnostics = testing::internal::GetCapturedStderr();
  EXPECT_NE(diagnostics.find("ts860_scan:"), std::string::npos);
  EXPECT_NE(diagnostics.find(" waiting TS860_REGISTER101_MASK_BUFEMPTY timed out: "), std::string::npos);
}

// The simulator is found through the environment; cards pass the sensor one at a time and land
// in done/; the device leaves the bus with its "attached" file.
TEST_F(SimulatorTest, PresenceAndThePaperPath) {
  write("hopper/1.png", "first");
  write("hopper/2.png", "second");
  qputenv("TS860_SIMULATOR", folder.toLocal8Bit());
  EXPECT_EQ(ts860_check_connected(nullptr), 0);
  context = ts860_usb_init();
  ASSERT_NE(context, nullptr);
  ASSERT_EQ(ts860_proto_init(context), 0);
  ASSERT_EQ(ts860_precommand(context), 0);
  EXPECT_EQ(ts860_ispaperon(context), 1);
  ASSERT_EQ(ts860_feed(context, 5000, 0), 0);
  EXPECT_EQ(entries("done"), QStringList{QStringLiteral("1.png")});
  EXPECT_EQ(ts860_ispaperon(context), 0);  // the next card is not in yet
  ts860_sleep(600);
  EXPECT_EQ(ts860_ispaperon(context), 1);
  ASSERT_EQ(ts860_feed(context, 5000, 0), 0);
  ts860_sleep(600);
  EXPECT_EQ(ts860_ispaperon(context), 0);
  EXPECT_TRUE(entries("hopper").isEmpty());

  QFile::remove(folder + QLatin1String("/attached"));
  EXPECT_EQ(ts860_check_connected(nullptr), 1);
  testing::internal::CaptureStderr();
  EXPECT_EQ(ts860_ispaperon(context), -1);
  EXPECT_EQ(ts860_usb_reset(context), -1);
  context = nullptr;
  EXPECT_EQ(ts860_usb_init(), nullptr);
  testing::internal::GetCapturedStderr();
  qputenv("TS860_SIMULATOR", (folder + QLatin1String("/missing")).toLocal8Bit());
  EXPECT_EQ(ts860_check_connected(nullptr), -1);
}

}  // namespace

namespace {

// A line wider than 1636 pixels would overflow a 40-line read's 16-bit byte count: the scan reads
// fewer lines at a time and the device receives exactly the counts it is asked for.
TEST_F(SimulatorTest, WideLinesAreReadInSmallerChunks) {
  write("hopper/calibration", "");
  open();
  ts860_param param;
  ts860_initparam(context, &param);
  param.dpi = 600;
  param.width = 3.0f;
  param.height = 0.5f;
  qputenv("TS860_TRACE", (folder + QLatin1String("/trace")).toLocal8Bit());
  uint8_t* bitmap = nullptr;
  uint32_t size = 0;
  ASSERT_EQ(ts860_scan(context, &param, &bitmap, &size), 0);
  qunsetenv("TS860_TRACE");
  ts860_freebmp(context, bitmap, size);
  EXPECT_EQ(size, 1078u + 1800u * 300u);
  QList<QByteArray> reads = read(QStringLiteral("trace")).split('\n');
  reads.removeIf([](const QByteArray& line) { return !line.startsWith("bulk-in "); });
  ASSERT_EQ(reads.size(), 9);  // 300 lines, 36 at a time
  EXPECT_TRUE(reads.first().startsWith("bulk-in 64800 64800 "));
  EXPECT_TRUE(reads.last().startsWith("bulk-in 21600 21600 "));
  EXPECT_TRUE(read(QStringLiteral("log")).isEmpty()) << read(QStringLiteral("log")).toStdString();
}

}  // namespace

namespace {

// Scanner errors built from the driver's state: a failed transfer names the system call and its
// value; a scanner that has gone makes the error say the connection was lost.
TEST_F(SimulatorTest, ScannerErrorsFromTheDriverState) {
  write("faults", "fail_request 3\ndetach_after 10\n");
  qputenv("TS860_SIMULATOR", folder.toLocal8Bit());
  context = ts860_usb_init();
  ASSERT_NE(context, nullptr);
  ASSERT_EQ(ts860_proto_init(context), 0);
  testing::internal::CaptureStderr();
  EXPECT_EQ(ts860_initcommand(context), -1);  // its second request is transfer 3
  PelluxError error = PelluxError::pelluxErrorWithTS860(Ts860ContextStatus(context), -1, QStringLiteral("precommand"));
  EXPECT_EQ(error.message(), QStringLiteral("Scanner access failed: precommand = -1(ffffffff) / "
                                            "ts860sim_control_transfer = -1(ffffffffffffffff)."));
  EXPECT_FALSE(error.userInfoValue(kPelluxError_UserInfoKey_TS860ConnectionMayBeLost).toBool());

  EXPECT_EQ(ts860_initcommand(context), -1);  // the device leaves the bus on the way
  error = PelluxError::pelluxErrorWithTS860(Ts860ContextStatus(context), -1, QStringLiteral("precommand"));
  EXPECT_EQ(error.message(), QStringLiteral("Scanner access failed: connection lost."));
  testing::internal::GetCapturedStderr();
}

}  // namespace
