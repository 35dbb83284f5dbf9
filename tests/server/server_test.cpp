#include <QBuffer>
#include <QImage>

#include "PelluxProtocolConstants.h"
#include "QtPrinters.h"
#include "ServerFixture.h"

namespace {

using Parameters = QList<std::pair<QString, QString>>;

const QString kF1 = QStringLiteral("0A1B2C3D-0000-4000-8000-000000000001");
const QString kF2 = QStringLiteral("0A1B2C3D-0000-4000-8000-000000000002");

QByteArray cardImage(int shade) {
  QImage image(40, 24, QImage::Format_Grayscale8);
  image.fill(shade);
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return png;
}

Parameters upload(const QString& fileID, const QByteArray& image) {
  return {{QStringLiteral("fileID"), fileID},
          {QStringLiteral("binaryData"), PelluxProtocol::base64EncodedString(image)},
          {QStringLiteral("dataType"), QStringLiteral("image/png")},
          {QStringLiteral("creator"), QStringLiteral("Quillory")}};
}

// The files of a list answer: identifier → status.
QMap<QString, QString> listed(const ServerFixture::Call& call) {
  QMap<QString, QString> files;
  for (XmlNode* file = call.protocol->responseChildForPath({QStringLiteral("fileList"), QStringLiteral("file")}); file;
       file = PelluxProtocol::siblingForName(QStringLiteral("file"), file))
    files.insert(*PelluxProtocol::childStringForName(QStringLiteral("fileID"), file),
                 *PelluxProtocol::childStringForName(QStringLiteral("status"), file));
  return files;
}

class ServerTest : public ServerFixture {};

TEST_F(ServerTest, TheLifeOfAFile) {
  const QByteArray image = cardImage(230);
  fixture(image, {{QStringLiteral("1"), QStringLiteral("山田 太郎")},
                  {QStringLiteral("3"), QStringLiteral("株式会社タルボ")}});

  const Call account = call(QStringLiteral("CheckAccount"));
  ASSERT_FALSE(account.error);
  EXPECT_EQ(account.protocol->responseChildStringForName(QStringLiteral("aid")), aid);

  const Call uploaded = call(QStringLiteral("Upload"), upload(kF1.toLower(), image));
  ASSERT_FALSE(uploaded.error);
  EXPECT_EQ(uploaded.protocol->responseChildStringForName(QStringLiteral("fileID")), kF1);
  EXPECT_EQ(call(QStringLiteral("Upload"), upload(kF1, image)).result(), 121);

  struct Step {
    qint64 after;
    const char* status;
  } steps[] = {{0, "accepted"}, {600, "ocring"}, {1000, "committed"}};
  const qint64 start = now;
  for (const Step& step : steps) {
    now = start + step.after;
    const Call data = call(QStringLiteral("GetFileData"), {{QStringLiteral("fileID"), kF1}});
    ASSERT_FALSE(data.error);
    EXPECT_EQ(data.protocol->responseChildStringForName(QStringLiteral("status")), QLatin1String(step.status));
  }
  const Call data = call(QStringLiteral("GetFileData"),
                         {{QStringLiteral("fileID"), kF1}, {QStringLiteral("withImage"), QStringLiteral("1")}});
  ASSERT_FALSE(data.error);
  EXPECT_EQ(data.protocol->responseChildStringForName(QStringLiteral("lastModified")), QString::number(start + 1000));
  EXPECT_EQ(
      data.protocol->responseChildStringForPath({QStringLiteral("extraProperties"), QStringLiteral("acceptedTime")}),
      QString::number(start));
  EXPECT_EQ(data.protocol->responseChildStringForPath({QStringLiteral("extraProperties"), QStringLiteral("creator")}),
            QStringLiteral("Quillory"));
  XmlNode* attribute =
      data.protocol->responseChildForPath({QStringLiteral("textAttributeList"), QStringLiteral("textAttribute")});
  EXPECT_EQ(PelluxProtocol::childStringForName(QStringLiteral("type"), attribute), QStringLiteral("1"));
  EXPECT_EQ(PelluxProtocol::childStringForName(QStringLiteral("value"), attribute), QStringLiteral("山田 太郎"));
  EXPECT_EQ(PelluxProtocol::base64DecodeData(*data.protocol->responseChildStringForName(QStringLiteral("binaryData"))),
            image);

  // A report leaves the file as it is; a rework sends it back to be read again.
  Parameters report = upload(kF1, image);
  report.append({QStringLiteral("textAttributeList"), QString()});
  ASSERT_FALSE(call(QStringLiteral("ReUpload"), report).error);
  EXPECT_EQ(call(QStringLiteral("GetFileData"), {{QStringLiteral("fileID"), kF1}})
                .protocol->responseChildStringForName(QStringLiteral("status")),
            QStringLiteral("committed"));
  now += 10;
  Parameters rework = report;
  rework.append({QStringLiteral("Rework"), QStringLiteral("1")});
  ASSERT_FALSE(call(QStringLiteral("ReUpload"), rework).error);
  const Call again = call(QStringLiteral("GetFileData"), {{QStringLiteral("fileID"), kF1}});
  EXPECT_EQ(again.protocol->responseChildStringForName(QStringLiteral("status")), QStringLiteral("accepted"));
  EXPECT_EQ(again.protocol->responseChildStringForName(QStringLiteral("lastModified")), QString::number(now));

  ASSERT_FALSE(call(QStringLiteral("Delete"), {{QStringLiteral("fileID"), kF1}}).error);
  EXPECT_EQ(call(QStringLiteral("GetFileData"), {{QStringLiteral("fileID"), kF1}})
                .protocol->responseChildStringForName(QStringLiteral("status")),
            QStringLiteral("removed"));
  EXPECT_EQ(call(QStringLiteral("GetFileData"), {{QStringLiteral("fileID"), kF2}}).result(), 122);
  EXPECT_EQ(call(QStringLiteral("CheckAccount"), {}, QStringLiteral("wrong")).result(), 102);
  EXPECT_EQ(call(QStringLiteral("Rename")).result(), 311);
}

TEST_F(ServerTest, WatermarksFollowEachFilter) {
  ASSERT_FALSE(call(QStringLiteral("Upload"), upload(kF1, cardImage(200))).error);
  now += kProcessing;
  const Call first =
      call(QStringLiteral("GetFileList"), {{QStringLiteral("statusFilter"), QStringLiteral("committed")}});
  ASSERT_FALSE(first.error);
  EXPECT_EQ(listed(first), (QMap<QString, QString>{{kF1, QStringLiteral("committed")}}));
  const QString mark = *first.protocol->responseChildStringForName(QStringLiteral("nextModifiedAfter"));
  EXPECT_EQ(mark, QString::number(now));

  ASSERT_FALSE(call(QStringLiteral("Upload"), upload(kF2, QByteArray("not an image"))).error);
  const Parameters since{{QStringLiteral("statusFilter"), QStringLiteral("committed")},
                         {QStringLiteral("modifiedAfter"), mark}};
  const Call nothing = call(QStringLiteral("GetFileList"), since);
  EXPECT_TRUE(listed(nothing).isEmpty());
  EXPECT_EQ(nothing.protocol->responseChildStringForName(QStringLiteral("nextModifiedAfter")), mark);
  now += kProcessing;
  EXPECT_EQ(listed(call(QStringLiteral("GetFileList"), {{QStringLiteral("statusFilter"), QStringLiteral("rejected")}})),
            (QMap<QString, QString>{{kF2, QStringLiteral("rejected")}}));

  now += 5;
  ASSERT_FALSE(call(QStringLiteral("Delete"), {{QStringLiteral("fileID"), kF1}}).error);
  EXPECT_EQ(listed(call(QStringLiteral("GetFileList"))), (QMap<QString, QString>{{kF2, QStringLiteral("rejected")}}));
  EXPECT_EQ(
      listed(call(QStringLiteral("GetFileList"), {{QStringLiteral("statusFilter"), QStringLiteral("all_with_removed")},
                                                  {QStringLiteral("modifiedAfter"), mark}})),
      (QMap<QString, QString>{{kF1, QStringLiteral("removed")}, {kF2, QStringLiteral("rejected")}}));
}

TEST_F(ServerTest, DeletingSeveralFilesAnswersForEach) {
  ASSERT_FALSE(call(QStringLiteral("Upload"), upload(kF1, cardImage(200))).error);
  Call deleted{std::make_unique<PelluxProtocol>(QStringLiteral("Delete")), std::nullopt};
  deleted.protocol->createRequest(QStringLiteral("taro@example.jp"), QStringLiteral("pw"));
  XmlNode* list = deleted.protocol->newRequestChild(QStringLiteral("fileIDList"));
  for (const QString& id : {kF1, kF2})
    PelluxProtocol::addChild(list, deleted.protocol->newRequestChild(QStringLiteral("fileID"), id));
  deleted.protocol->addRequestNode(list);
  MainThread::runBesideLoop([&] { deleted.error = deleted.protocol->invoke(); });
  ASSERT_FALSE(deleted.error);
  QMap<QString, QString> results;
  for (XmlNode* file =
           deleted.protocol->responseChildForPath({QStringLiteral("deletingFileList"), QStringLiteral("deletingFile")});
       file; file = PelluxProtocol::siblingForName(QStringLiteral("deletingFile"), file))
    results.insert(*PelluxProtocol::childStringForName(QStringLiteral("fileID"), file),
                   *PelluxProtocol::childStringForName(QStringLiteral("result"), file));
  EXPECT_EQ(results, (QMap<QString, QString>{{kF1, QStringLiteral("0")}, {kF2, QStringLiteral("122")}}));
}

TEST_F(ServerTest, FilesAndAccountsSurviveARestart) {
  ASSERT_FALSE(call(QStringLiteral("Upload"), upload(kF1, cardImage(180))).error);
  restart();
  Accounts reloaded(data + QStringLiteral("/accounts.plist"));
  ASSERT_FALSE(reloaded.load());
  EXPECT_EQ(reloaded.authenticate(QStringLiteral("TARO@example.jp"), QStringLiteral("pw")), aid);
  EXPECT_FALSE(reloaded.authenticate(QStringLiteral("taro@example.jp"), QStringLiteral("Pw")));
  now += kProcessing;
  const Call data = call(QStringLiteral("GetFileData"),
                         {{QStringLiteral("fileID"), kF1}, {QStringLiteral("withImage"), QStringLiteral("1")}});
  ASSERT_FALSE(data.error);
  EXPECT_EQ(data.protocol->responseChildStringForName(QStringLiteral("status")), QStringLiteral("committed"));
  EXPECT_EQ(PelluxProtocol::base64DecodeData(*data.protocol->responseChildStringForName(QStringLiteral("binaryData"))),
            cardImage(180));
}

TEST_F(ServerTest, MalformedParametersChangeNothing) {
  const Parameters cases[] = {
      upload(QStringLiteral("../../etc/passwd"), cardImage(1)),
      upload(QStringLiteral("not-a-uuid"), cardImage(1)),
      {{QStringLiteral("fileID"), kF1}, {QStringLiteral("binaryData"), QStringLiteral("@@@ not base64 @@@")}},
      {{QStringLiteral("fileID"), kF1}},
  };
  for (const Parameters& parameters : cases) EXPECT_EQ(call(QStringLiteral("Upload"), parameters).result(), 131);
  EXPECT_EQ(
      call(QStringLiteral("GetFileList"), {{QStringLiteral("statusFilter"), QStringLiteral("everything")}}).result(),
      131);
  EXPECT_EQ(call(QStringLiteral("GetFileData"), {{QStringLiteral("fileID"), QStringLiteral("../accounts")}}).result(),
            122);
  EXPECT_TRUE(QDir(data + QStringLiteral("/images")).isEmpty());
}

}  // namespace
