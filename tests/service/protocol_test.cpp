#include <gtest/gtest.h>

#include <QFile>
#include <QXmlStreamReader>

#include "HttpClient.h"
#include "Localization.h"
#include "MainThread.h"
#include "PelluxProtocol.h"
#include "PreferenceStore.h"
#include "QtPrinters.h"
#include "TestEnvironment.h"
#include "TestHttpServer.h"

namespace {

using Answer = TestHttpServer::Answer;

QByteArray response(const QByteArray& result, const QByteArray& children = {}) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><response result=\"" + result + "\">" + children + "</response>";
}

class ProtocolTest : public testing::Test {
 protected:
  ProtocolTest() { Localization::useLanguages({QStringLiteral("en")}); }

  // Points the protocol at the server and runs one call, serving meanwhile.
  std::optional<PelluxError> call(TestHttpServer& server, PelluxProtocol& protocol, bool ignoreCertificates = false) {
    preferences.setValue(QStringLiteral("PelluxServerUrlForApp"), server.url().toString());
    preferences.setValue(QStringLiteral("pelluxUrlIgnoreSSLCertificateError"), ignoreCertificates);
    PelluxProtocol::reconfigure(preferences);
    std::optional<PelluxError> error;
    MainThread::runBesideLoop([&] { error = protocol.invoke(); });
    return error;
  }

  std::optional<PelluxError> callWith(TestHttpServer& server, const QList<Answer>& answers) {
    for (const Answer& answer : answers) server.answer(answer);
    protocol.createRequest(QStringLiteral("taro@example.jp"), QStringLiteral("secret"));
    return call(server, protocol);
  }

  PreferenceStore preferences{TestEnvironment::freshFolder() + QStringLiteral("/Quillory.plist")};
  PelluxProtocol protocol{QStringLiteral("CheckAccount")};
};

TEST_F(ProtocolTest, EndpointsFollowTheSettings) {
  preferences.setValue(QStringLiteral("PelluxServerBaseUrl"), QStringLiteral("https://ocr.example/Halvern/"));
  PelluxProtocol::reconfigure(preferences);
  EXPECT_EQ(PelluxProtocol::urlBase(), QStringLiteral("https://ocr.example/Halvern/app/"));
  EXPECT_EQ(PelluxProtocol::userUrlBase(), QStringLiteral("https://ocr.example/Halvern/meishi/"));
  preferences.setValue(QStringLiteral("PelluxServerUrlForApp"), QStringLiteral("https://api.example/"));
  PelluxProtocol::reconfigure(preferences);
  EXPECT_EQ(PelluxProtocol::urlBase(), QStringLiteral("https://api.example/"));
  EXPECT_TRUE(PelluxProtocol::userAgentString().startsWith(QStringLiteral("Quillory/1 ")));
}

TEST_F(ProtocolTest, RequestsAreBuiltAndSentAsTheServiceReadsThem) {
  PelluxProtocol list(QStringLiteral("GetFileList"));
  list.createRequest(QStringLiteral("taro@example.jp"), QStringLiteral("pw"));
  EXPECT_EQ(list.requestBody(),
            QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<request command=\"GetFileList\" version=\"1.0\">"
                       "<mailaddress>taro@example.jp</mailaddress><password>pw</password></request>\n"));
  list.addRequestNodeWithName(QStringLiteral("statusFilter"), std::nullopt);
  EXPECT_TRUE(list.requestBody().contains("<statusFilter/>"));

  TestHttpServer server;
  const QString password = QStringLiteral("a&b<c>d \"é\"");
  server.answer({200, "text/xml", response("0", "<aid>A-1</aid>")});
  protocol.createRequest(QStringLiteral("taro@example.jp"), password);
  ASSERT_FALSE(call(server, protocol));
  ASSERT_EQ(server.requests().size(), 1);
  const TestHttpServer::Request& sent = server.requests()[0];
  EXPECT_TRUE(sent.head.startsWith("POST /Halvern/app/ HTTP/1.1"));
  EXPECT_TRUE(sent.head.contains("Content-Type: application/xml; charset=utf-8"));
  EXPECT_TRUE(sent.head.contains("User-Agent: " + PelluxProtocol::userAgentString().toUtf8()));
  QXmlStreamReader reader(sent.body);
  QString received;
  while (!reader.atEnd()) {
    if (reader.readNext() == QXmlStreamReader::StartElement && reader.name() == QLatin1String("password"))
      received = reader.readElementText();
  }
  EXPECT_EQ(received, password);
  EXPECT_EQ(protocol.responseChildStringForName(QStringLiteral("aid")), QStringLiteral("A-1"));
  EXPECT_EQ(protocol.status(), 0);
}

TEST_F(ProtocolTest, RetriesOnlyWhenNoBodyArrived) {
  struct Case {
    const char* name;
    QList<Answer> answers;
    qint64 code;  // 0: success
    const char* message;
    int requests;
  } cases[] = {
      {"dropped, then answered", {{200, "text/xml", {}, true}, {200, "text/xml", response("0")}}, 0, "", 2},
      {"dropped twice", {{200, "text/xml", {}, true}, {200, "text/xml", {}, true}}, 11, "Network access failed.", 2},
      {"empty body", {{200, "text/xml", {}}}, 21, "Parsing response body failed.", 1},
      {"503", {{503, "text/xml", response("0")}}, 40, "Unexpected HTTP response: 503: Service Unavailable", 1},
  };
  for (const Case& c : cases) {
    TestHttpServer server;
    const std::optional<PelluxError> error = callWith(server, c.answers);
    EXPECT_EQ(error ? error->code() : 0, c.code) << c.name;
    if (error) {
      EXPECT_EQ(error->message(), QString::fromUtf8(c.message)) << c.name;
    }
    EXPECT_EQ(server.requests().size(), c.requests) << c.name;
  }
}

TEST_F(ProtocolTest, ContentTypesDecideHowTheAnswerIsRead) {
  struct Case {
    QByteArray contentType;
    qint64 code;
    const char* message;
  } cases[] = {
      {"Text/XML", 0, ""},
      {"application/atom+xml; charset=UTF-8", 0, ""},
      {"text/plain", 40, "Unexpected HTTP Content-Type: text/plain"},
      {"", 40, "Unexpected HTTP Content-Type: (null)"},
      {"application/x-tarvo-halvern-error-message; charset=utf-8", 42, "PELLUX internal error."},
  };
  for (const Case& c : cases) {
    TestHttpServer server;
    const std::optional<PelluxError> error = callWith(server, {{200, c.contentType, response("0")}});
    EXPECT_EQ(error ? error->code() : 0, c.code) << c.contentType.toStdString();
    if (error) {
      EXPECT_EQ(error->message(), QString::fromUtf8(c.message));
    }
  }
  TestHttpServer server;
  const std::optional<PelluxError> internal =
      callWith(server, {{200, "application/x-tarvo-halvern-error-message", "データベースに接続できません"}});
  ASSERT_TRUE(internal);
  EXPECT_EQ(PelluxError::messageWithPelluxError(*internal, true),
            QStringLiteral("PELLUX internal error. [データベースに接続できません]"));
}

TEST_F(ProtocolTest, ResultValuesAndRoots) {
  struct Case {
    QByteArray body;
    qint64 code;
    const char* message;
    int status;
  } cases[] = {
      {response("0"), 0, "", 0},
      {response("122"), 42, "The card is no longer on the service (122).", 122},
      {response("555"), 42, "PELLUX responded error: 555.", 555},
      {response("12abc"), 42, "PELLUX responded error: 12.", 12},
      {response("abc"), 0, "", 0},
      {response("-1"), 21, "Parsing response body failed: response", -1},
      {response(""), 21, "Parsing response body failed: response", -1},
      {"<response/>", 21, "Parsing response body failed: response", -1},
      {"<answer result=\"0\"/>", 21, "Parsing response body failed: response, answer", -1},
      {"<response result=\"0\">", 21, "Parsing response body failed.", -1},
  };
  for (const Case& c : cases) {
    TestHttpServer server;
    const std::optional<PelluxError> error = callWith(server, {{200, "text/xml", c.body}});
    EXPECT_EQ(error ? error->code() : 0, c.code) << c.body.toStdString();
    if (error) {
      EXPECT_EQ(error->message(), QString::fromUtf8(c.message)) << c.body.toStdString();
    }
    EXPECT_EQ(protocol.status(), c.status) << c.body.toStdString();
    if (c.code == 42) {
      EXPECT_EQ(PelluxError::pelluxErrorCodeWithError(*error), c.status);
    }
  }
}

TEST_F(ProtocolTest, OnlyPlainTextElementsHaveValues) {
  TestHttpServer server;
  ASSERT_FALSE(callWith(server, {{200, "text/xml",
                                  response("0",
                                           "<fileID><![CDATA[F-1]]></fileID><empty/><list><file><fileID>A</fileID>"
                                           "</file><file><fileID>B</fileID></file></list><mixed>a<b/>c</mixed>"
                                           "<plain>x &amp; y</plain>")}}));
  EXPECT_EQ(protocol.responseChildStringForName(QStringLiteral("fileID")), std::nullopt);
  EXPECT_EQ(protocol.responseChildStringForName(QStringLiteral("empty")), std::nullopt);
  EXPECT_EQ(protocol.responseChildStringForName(QStringLiteral("mixed")), std::nullopt);
  EXPECT_EQ(protocol.responseChildStringForName(QStringLiteral("plain")), QStringLiteral("x & y"));
  EXPECT_EQ(protocol.responseChildStringForName(QStringLiteral("absent")), std::nullopt);
  XmlNode* file = protocol.responseChildForPath({QStringLiteral("list"), QStringLiteral("file")});
  EXPECT_EQ(PelluxProtocol::childStringForName(QStringLiteral("fileID"), file), QStringLiteral("A"));
  file = PelluxProtocol::siblingForName(QStringLiteral("file"), file);
  EXPECT_EQ(PelluxProtocol::childStringForName(QStringLiteral("fileID"), file), QStringLiteral("B"));
  EXPECT_EQ(PelluxProtocol::siblingForName(QStringLiteral("file"), file), nullptr);
  EXPECT_EQ(PelluxProtocol::attributeStringForName(QStringLiteral("result"), protocol.responseNode()),
            QStringLiteral("0"));
}

TEST_F(ProtocolTest, ExternalEntitiesAreNeverExpanded) {
  const QString secret = TestEnvironment::freshFolder() + QStringLiteral("/secret.txt");
  QFile file(secret);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("TOP SECRET");
  file.close();
  TestHttpServer server;
  const QByteArray hostile = "<?xml version=\"1.0\"?><!DOCTYPE response [<!ENTITY x SYSTEM \"file://" +
                             secret.toUtf8() +
                             "\"><!ENTITY y \"inner\">]><response result=\"0\"><aid>&x;</aid><b>&y;</b></response>";
  const std::optional<PelluxError> error = callWith(server, {{200, "text/xml", hostile}});
  EXPECT_FALSE(error.has_value());
  EXPECT_EQ(protocol.responseChildStringForName(QStringLiteral("aid")), std::nullopt);
  EXPECT_FALSE(QString::fromUtf8(server.requests().value(0).body).contains(QStringLiteral("SECRET")));
}

TEST_F(ProtocolTest, Base64IsOneLineAndRoundTrips) {
  QByteArray image(100 * 1024, '\0');
  for (qsizetype i = 0; i < image.size(); ++i) image[i] = char((i * 7919) % 251);
  const QString encoded = PelluxProtocol::base64EncodedString(image);
  EXPECT_FALSE(encoded.contains(u'\n'));
  EXPECT_EQ(encoded, QString::fromLatin1(image.toBase64()));
  EXPECT_EQ(PelluxProtocol::base64DecodeData(encoded), image);
  EXPECT_EQ(PelluxProtocol::base64EncodedString({}), QString());
}

TEST_F(ProtocolTest, CertificateChecksAreRelaxedOnlyForTheRequestEndpoint) {
  const auto [certificate, key] = TestHttpServer::makeSelfSignedCertificate(TestEnvironment::freshFolder());
  TestHttpServer server(certificate, key);
  server.answer({200, "text/xml", response("0", "<aid>A-9</aid>")});
  protocol.createRequest(QStringLiteral("taro@example.jp"), QStringLiteral("secret"));
  const std::optional<PelluxError> refused = call(server, protocol);
  ASSERT_TRUE(refused);
  EXPECT_EQ(refused->code(), kPelluxError_Code_NetworkAccess);

  EXPECT_FALSE(call(server, protocol, true));
  EXPECT_EQ(protocol.responseChildStringForName(QStringLiteral("aid")), QStringLiteral("A-9"));

  // Other exchanges with the same host keep their certificate check.
  HttpAnswer other;
  HttpRequest request;
  request.url = server.url(QStringLiteral("/version.txt"));
  MainThread::runBesideLoop([&] { other = httpGet(request); });
  EXPECT_FALSE(other.body.has_value());
}

}  // namespace
