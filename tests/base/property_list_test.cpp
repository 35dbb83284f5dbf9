#include <gtest/gtest.h>

#include <QDateTime>
#include <QFile>
#include <QSize>
#include <QTimeZone>

#include "PropertyList.h"
#include "QtPrinters.h"
#include "TestEnvironment.h"

namespace {

QVariantMap everyType() {
  return {
      {QStringLiteral("string"), QStringLiteral("山田 太郎 & <Co> \"quoted\"\r\nline\ttab 🎴")},
      {QStringLiteral("empty"), QString()},
      {QStringLiteral("integer"), qlonglong(-42)},
      {QStringLiteral("big"), qulonglong(18446744073709551615ULL)},
      {QStringLiteral("real"), 2.17},
      {QStringLiteral("true"), true},
      {QStringLiteral("false"), false},
      {QStringLiteral("date"), QDateTime(QDate(2026, 12, 11), QTime(10, 22, 16), Qt::UTC)},
      {QStringLiteral("data"), QByteArray("\x00\x01\xff binary", 10)},
      {QStringLiteral("array"), QVariantList{qlonglong(1), QStringLiteral("two"), QVariantList{}, QVariantMap{}}},
      {QStringLiteral("dict"), QVariantMap{{QStringLiteral("nested"), QVariantMap{{QStringLiteral("k"), 0.5}}}}},
      {QStringLiteral("キー"), QStringLiteral("value")},
  };
}

TEST(PropertyListTest, EveryTypeSurvivesARoundTrip) {
  const PropertyList::WriteResult written = PropertyList::write(everyType());
  ASSERT_TRUE(written.ok()) << written.error.toStdString();
  const PropertyList::ReadResult read = PropertyList::read(written.document);
  ASSERT_TRUE(read.ok()) << read.error.toStdString();
  EXPECT_EQ(read.value.toMap(), everyType());
}

TEST(PropertyListTest, ReadsWhatOtherWritersProduce) {
  // The shapes other writers use: entities, character references, CDATA, comments, empty forms,
  // wrapped Base64, hexadecimal integers, fractional seconds and special reals.
  const QByteArray document = R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0">
<!-- a comment -->
<dict>
  <key>a&amp;b</key><string>x &lt; y &#x5C71;&#13;</string>
  <key>cdata</key><string><![CDATA[<not markup>]]></string>
  <key>empty</key><string/>
  <key>data</key><data>
    AAEC
    AwQ=
  </data>
  <key>hex</key><integer> 0x1F </integer>
  <key>date</key><date>2026-01-02T03:04:05.250Z</date>
  <key>inf</key><real>-infinity</real>
  <key>list</key><array/>
  <key>crlf</key><string>a
bc</string>
</dict>
</plist>)";
  const PropertyList::ReadResult read = PropertyList::read(document);
  ASSERT_TRUE(read.ok()) << read.error.toStdString();
  const QVariantMap map = read.value.toMap();
  EXPECT_EQ(map.value(QStringLiteral("a&b")).toString(), QStringLiteral("x < y 山\r"));
  EXPECT_EQ(map.value(QStringLiteral("cdata")).toString(), QStringLiteral("<not markup>"));
  EXPECT_EQ(map.value(QStringLiteral("empty")).toString(), QString());
  EXPECT_EQ(map.value(QStringLiteral("data")).toByteArray(), QByteArray("\x00\x01\x02\x03\x04", 5));
  EXPECT_EQ(map.value(QStringLiteral("hex")).toLongLong(), 31);
  EXPECT_EQ(map.value(QStringLiteral("date")).toDateTime(), QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5, 250), Qt::UTC));
  EXPECT_EQ(map.value(QStringLiteral("inf")).toDouble(), -std::numeric_limits<double>::infinity());
  EXPECT_EQ(map.value(QStringLiteral("list")).toList(), QVariantList());
  EXPECT_EQ(map.value(QStringLiteral("crlf")).toString(), QStringLiteral("a\nb\nc"));
}

TEST(PropertyListTest, DatesAreStoredToTheSecondInUtc) {
  const QDateTime local(QDate(2026, 6, 1), QTime(9, 0, 0, 999), QTimeZone(9 * 3600));
  const PropertyList::WriteResult written = PropertyList::write(QVariantList{local});
  EXPECT_TRUE(written.document.contains("<date>2026-06-01T00:00:00Z</date>")) << written.document.toStdString();
}

TEST(PropertyListTest, RejectsMalformedDocumentsWithAReason) {
  const char* documents[] = {
      "",
      "<plist><dict><key>a</key></dict></plist>",
      "<plist><dict><string>no key</string></dict></plist>",
      "<plist><dict><key>a</key><integer>12x</integer></dict></plist>",
      "<plist><dict><key>a</key><integer>99999999999999999999</integer></dict></plist>",
      "<plist><dict><key>a</key><date>yesterday</date></dict></plist>",
      "<plist><dict><key>a</key><data>!!!</data></dict></plist>",
      "<plist><dict><key>a</key><widget/></dict></plist>",
      "<plist><array><string>a<b/></string></array></plist>",
      "<plist><string>a</string><string>b</string></plist>",
      "<plist><dict><key>a</key><string>unclosed</dict></plist>",
      "<plist version=\"1.0\">",
      "<plist><array></dict></plist>",
      "<plist><string>&bogus;</string></plist>",
      "<plist><string>&#0;</string></plist>",
      "<plist><string>a</string></plist>trailing",
      "<plist><string>\xff\xfe</string></plist>",
      "<?xml version=\"1.0\" encoding=\"UTF-16\"?><plist><string>a</string></plist>",
      "<plist><string><![CDATA[unterminated</string></plist>",
  };
  QByteArray deep;
  for (int i = 0; i < 2000; ++i) deep += "<array>";
  for (const QByteArray& document :
       QList<QByteArray>{deep} + QList<QByteArray>(std::begin(documents), std::end(documents))) {
    const PropertyList::ReadResult read = PropertyList::read(document);
    EXPECT_FALSE(read.ok()) << document.left(80).toStdString();
    EXPECT_FALSE(read.value.isValid()) << document.left(80).toStdString();
  }
}

TEST(PropertyListTest, NeverExpandsExternalEntities) {
  const QString secret = TestEnvironment::freshFolder() + QStringLiteral("/secret.txt");
  QFile file(secret);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("TOP SECRET");
  file.close();
  const QByteArray document = "<?xml version=\"1.0\"?>\n<!DOCTYPE plist [<!ENTITY x SYSTEM \"file://" +
                              secret.toUtf8() + "\">]>\n<plist><string>&x;</string></plist>";
  const PropertyList::ReadResult read = PropertyList::read(document);
  EXPECT_FALSE(read.value.toString().contains(QStringLiteral("SECRET")));
}

TEST(PropertyListTest, RefusesValuesTheFormatCannotHold) {
  struct Case {
    QVariant value;
    const char* place;
  } cases[] = {
      {QVariantMap{{QStringLiteral("name"), QStringLiteral("bell\x07")}}, "name"},
      {QVariantMap{{QStringLiteral("outer"), QVariantList{QVariant()}}}, "outer[0]"},
      {QVariantMap{{QStringLiteral("size"), QSize(1, 2)}}, "size"},
  };
  for (const Case& c : cases) {
    const PropertyList::WriteResult written = PropertyList::write(c.value);
    EXPECT_FALSE(written.ok());
    EXPECT_TRUE(written.document.isEmpty());
    EXPECT_TRUE(written.error.contains(QLatin1String(c.place))) << written.error.toStdString();
  }
}

}  // namespace
