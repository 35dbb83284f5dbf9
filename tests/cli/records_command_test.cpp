#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "CliRunner.h"
#include "QtPrinters.h"
#include "TestEnvironment.h"

namespace {

QString writeImage(const QString& name, const QByteArray& bytes) {
  const QString path = TestEnvironment::freshFolder() + u'/' + name;
  QFile file(path);
  file.open(QIODevice::WriteOnly);
  file.write(bytes);
  return path;
}

QByteArray contents(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(RecordsCommandTest, ImportedCardsListWithEveryKey) {
  CliRunner cli;
  const QByteArray png("\x89PNG\r\n\x1a\n not really", 19);
  const QString card = writeImage(QStringLiteral("card.PNG"), png);
  const CliRun imported = cli.run({QStringLiteral("import"), card, writeImage(QStringLiteral("notes.pdf"), "%PDF")});
  EXPECT_EQ(imported.exitCode, 1);
  EXPECT_TRUE(imported.err.contains(QStringLiteral("notes.pdf is not an image file"))) << imported.err.toStdString();

  const CliRun listed = cli.run({QStringLiteral("list"), QStringLiteral("--json")});
  ASSERT_EQ(listed.exitCode, 0) << listed.err.toStdString();
  const QJsonArray records = QJsonDocument::fromJson(listed.out.toUtf8()).array();
  ASSERT_EQ(records.size(), 1);
  const QJsonObject record = records[0].toObject();
  EXPECT_EQ(record.value(QStringLiteral("local_statusFlag")).toInteger(), 0x2004000);
  EXPECT_EQ(record.value(QStringLiteral("local_status")).toString(), QStringLiteral("Uploading"));
  EXPECT_EQ(record.value(QStringLiteral("fileID")).toString().size(), 36);
  EXPECT_EQ(record.value(QStringLiteral("local_digitizedAttributes")).toObject(), QJsonObject());
  EXPECT_TRUE(
      QDateTime::fromString(record.value(QStringLiteral("local_scannedTime")).toString(), Qt::ISODateWithMs).isValid());
  EXPECT_TRUE(record.value(QStringLiteral("local_scannedTime")).toString().endsWith(QStringLiteral(".000Z")));
  const QString image =
      cli.dataHome() + QStringLiteral("/TARVO/Quillory/") + record.value(QStringLiteral("local_filepath")).toString();
  EXPECT_TRUE(image.endsWith(QStringLiteral(".jpeg")));
  EXPECT_EQ(contents(image), png);

  const CliRun lines = cli.run({QStringLiteral("list")});
  EXPECT_EQ(lines.out, record.value(QStringLiteral("local_filename")).toString() + QStringLiteral("\tUploading\n"));
}

TEST(RecordsCommandTest, AnUnreadableCardListIsNeverOverwritten) {
  CliRunner cli;
  const QString folder = cli.dataHome() + QStringLiteral("/TARVO/Quillory");
  QDir().mkpath(folder);
  const QString file = folder + QStringLiteral("/records.plist");
  const QByteArray damaged("<?xml version=\"1.0\"?><plist><array><dict><key>fileID</key><string>A");
  {
    QFile out(file);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(damaged);
  }
  const QString card = writeImage(QStringLiteral("card.jpg"), "\xff\xd8");
  for (const QStringList& arguments :
       {QStringList{QStringLiteral("list")}, QStringList{QStringLiteral("import"), card}}) {
    const CliRun run = cli.run(arguments);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("cannot be read"))) << run.err.toStdString();
    EXPECT_EQ(contents(file), damaged);
  }
  EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList{QStringLiteral("records.plist")});

  const CliRun recovered = cli.run({QStringLiteral("recover")});
  EXPECT_EQ(recovered.exitCode, 0) << recovered.err.toStdString();
  const QStringList aside = QDir(folder).entryList({QStringLiteral("records.plist.unreadable-*")});
  ASSERT_EQ(aside.size(), 1);
  EXPECT_EQ(contents(folder + u'/' + aside[0]), damaged);
  EXPECT_EQ(cli.run({QStringLiteral("import"), card}).exitCode, 0);
  EXPECT_EQ(cli.run({QStringLiteral("list")}).out.count(u'\n'), 1);
}

}  // namespace
