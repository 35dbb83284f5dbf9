#include <gtest/gtest.h>

#include "CliRunner.h"
#include "PreferenceStore.h"
#include "QtPrinters.h"

namespace {

QVariant storedValue(const CliRunner& cli, const QString& key) {
  return PreferenceStore(cli.configHome() + QStringLiteral("/TARVO/Quillory.plist")).userValue(key);
}

TEST(ConfigCommandTest, ValuesAreTypedByTheirDefaultOrByTheirText) {
  CliRunner cli;
  struct Case {
    const char* key;
    const char* text;
    QVariant stored;
  } cases[] = {
      {"ts860_dpi", "300", qlonglong(300)},
      {"ts860_gamma", "1.8", 1.8},
      {"cropBitmap", "no", false},
      {"PelluxServerBaseUrl", "http://127.0.0.1:9000/Halvern/", QStringLiteral("http://127.0.0.1:9000/Halvern/")},
      {"ClassificationTags", R"([{"uuid":"u1","name":"顧客"}])",
       QVariantList{QVariantMap{{QStringLiteral("uuid"), QStringLiteral("u1")},
                                {QStringLiteral("name"), QStringLiteral("顧客")}}}},
      {"NewFlag", "true", true},
      {"NewCount", "-12", qlonglong(-12)},
      {"NewText", "12 monkeys", QStringLiteral("12 monkeys")},
  };
  for (const Case& c : cases) {
    const QString key = QString::fromUtf8(c.key);
    const CliRun set = cli.run({QStringLiteral("config"), key, QString::fromUtf8(c.text)});
    ASSERT_EQ(set.exitCode, 0) << c.key << ": " << set.err.toStdString();
    EXPECT_EQ(storedValue(cli, key), c.stored) << c.key;
  }
  EXPECT_EQ(cli.run({QStringLiteral("config"), QStringLiteral("ts860_dpi")}).out, QStringLiteral("300\n"));
}

TEST(ConfigCommandTest, UnsetAndListShowWhoseValueApplies) {
  CliRunner cli;
  ASSERT_EQ(cli.run({QStringLiteral("config"), QStringLiteral("ts860_dpi"), QStringLiteral("600")}).exitCode, 0);
  QString list = cli.run({QStringLiteral("config"), QStringLiteral("--list")}).out;
  EXPECT_TRUE(list.contains(QStringLiteral("\nts860_dpi = 600 (user)\n"))) << list.toStdString();
  EXPECT_TRUE(list.contains(QStringLiteral("\nts860_width = 2.17 (default)\n"))) << list.toStdString();

  ASSERT_EQ(cli.run({QStringLiteral("config"), QStringLiteral("--unset"), QStringLiteral("ts860_dpi")}).exitCode, 0);
  EXPECT_EQ(cli.run({QStringLiteral("config"), QStringLiteral("ts860_dpi")}).out, QStringLiteral("400\n"));
  EXPECT_FALSE(storedValue(cli, QStringLiteral("ts860_dpi")).isValid());
}

TEST(ConfigCommandTest, FailuresSayWhyAndExitNonZero) {
  CliRunner cli;
  struct Case {
    QStringList arguments;
    int exitCode;
    const char* message;
  } cases[] = {
      {{QStringLiteral("config"), QStringLiteral("ts860_dpi"), QStringLiteral("many")},
       1,
       "ts860_dpi takes an integer"},
      {{QStringLiteral("config"), QStringLiteral("cropBitmap"), QStringLiteral("perhaps")}, 1, "takes a boolean"},
      {{QStringLiteral("config"), QStringLiteral("username")}, 1, "username is not set."},
      {{QStringLiteral("config")}, 2, "usage: quillory-cli config"},
      {{QStringLiteral("frobnicate")}, 2, "unknown command \"frobnicate\""},
  };
  for (const Case& c : cases) {
    const CliRun run = cli.run(c.arguments);
    EXPECT_EQ(run.exitCode, c.exitCode) << c.arguments.join(u' ').toStdString();
    EXPECT_TRUE(run.err.contains(QString::fromUtf8(c.message))) << run.err.toStdString();
  }
  EXPECT_FALSE(storedValue(cli, QStringLiteral("ts860_dpi")).isValid());
}

TEST(ConfigCommandTest, HelpAndVersion) {
  CliRunner cli;
  const CliRun help = cli.run({QStringLiteral("--help")});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_TRUE(help.out.contains(QStringLiteral("config KEY [VALUE]")));
  const CliRun version = cli.run({QStringLiteral("--version")});
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_TRUE(version.out.startsWith(QStringLiteral("Quillory ")));
}

}  // namespace
