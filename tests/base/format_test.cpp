#include "Format.h"

#include <gtest/gtest.h>

#include <QDateTime>

#include "QtPrinters.h"
#include "VariantText.h"

namespace {

struct FormatCase {
  const char* format;
  QVariantList arguments;
  const char* expected;
};

class FormatTest : public testing::TestWithParam<FormatCase> {};

TEST_P(FormatTest, FormatsLikePrintf) {
  const FormatCase& c = GetParam();
  EXPECT_EQ(formatText(QString::fromUtf8(c.format), c.arguments), QString::fromUtf8(c.expected)) << c.format;
}

INSTANTIATE_TEST_SUITE_P(
    Conversions, FormatTest,
    testing::Values(
        FormatCase{"Command failed on %1$d of the %2$d items.", {2, 5}, "Command failed on 2 of the 5 items."},
        FormatCase{"%2$@ before %1$@", {QStringLiteral("a"), QStringLiteral("b")}, "b before a"},
        FormatCase{
            "%1$@ = %2$d(%3$x) / %4$s = %5$ld(%6$lx).",
            {QStringLiteral("feed"), -1, -1, QStringLiteral("libusb_bulk_transfer"), qlonglong(-7), qlonglong(-7)},
            "feed = -1(ffffffff) / libusb_bulk_transfer = -7(fffffffffffffff9)."},
        FormatCase{"%2$s %3ld %@", {QStringLiteral("a"), QStringLiteral("b"), -7, QStringLiteral("c")}, "b  -7 c"},
        FormatCase{"%08x|%8x|%-8x|%X", {0xBEEF, 0xBEEF, 0xBEEF, 0xBEEF}, "0000beef|    beef|beef    |BEEF"},
        FormatCase{"System error: %@ failed: %ld(%lx).",
                   {QStringLiteral("open"), qulonglong(13), qulonglong(13)},
                   "System error: open failed: 13(d)."},
        FormatCase{"%lu %u %d",
                   {qulonglong(18446744073709551615ULL), -1, qlonglong(4294967297LL)},
                   "18446744073709551615 4294967295 1"},
        FormatCase{"%hhd %hd", {300, 70000}, "44 4464"},
        FormatCase{"%.2f|%f|%5.1f", {3.14159, 2.5, 2.25}, "3.14|2.500000|  2.2"},
        FormatCase{"%s and %@", {QStringLiteral("text"), QStringLiteral("値")}, "text and 値"},
        FormatCase{"[%5s][%-5@][%.2s]",
                   {QStringLiteral("ab"), QStringLiteral("cd"), QStringLiteral("xyz")},
                   "[   ab][cd   ][xy]"},
        FormatCase{"%@ %@ %@", {true, 1.5, QVariantList{1, QStringLiteral("x")}}, "true 1.5 (1, x)"},
        FormatCase{"100%% of %d", {3}, "100% of 3"}, FormatCase{"missing: %d %@.", {7}, "missing: 7 ."},
        FormatCase{"odd %y and trailing %", {}, "odd %y and trailing %"}, FormatCase{"%@", {QVariant()}, "(null)"},
        FormatCase{"%c%c", {65, QStringLiteral("Bee")}, "AB"}));

TEST(FormatTest, PointerPrintsItsAddressInHex) {
  int value = 0;
  const QString text = formatted(QStringLiteral("%p/%p"), &value, static_cast<void*>(nullptr));
  EXPECT_EQ(text, QStringLiteral("0x%1/0x0").arg(quintptr(&value), 0, 16));
}

TEST(FormatTest, VariadicFormAcceptsCStringsAndNumbers) {
  EXPECT_EQ(formatted(QStringLiteral("%s:%d: dpi is zero."), "ts860_scan", 3),
            QStringLiteral("ts860_scan:3: dpi is zero."));
}

TEST(VariantTextTest, DatesAndMapsHaveReadableText) {
  const QDateTime date(QDate(2026, 12, 11), QTime(10, 22, 16, 123), Qt::UTC);
  EXPECT_EQ(textOf(date), QStringLiteral("2026-12-11T10:22:16.123Z"));
  EXPECT_EQ(textOf(QVariantMap{{QStringLiteral("a"), 1}, {QStringLiteral("b"), QStringLiteral("x")}}),
            QStringLiteral("{a = 1; b = x}"));
  EXPECT_EQ(shortestText(2.17), QStringLiteral("2.17"));
}

}  // namespace
