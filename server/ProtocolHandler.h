#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

class Accounts;
class FileStore;
class Recognizer;
struct XmlElement;
class QXmlStreamWriter;

// Answers the service's request documents: the six methods with their result codes.
class ProtocolHandler {
 public:
  struct Reply {
    QByteArray contentType;
    QByteArray body;
  };

  ProtocolHandler(Accounts& accounts, FileStore& files, Recognizer& recognizer,
                  std::function<qint64()> clock = nullptr);

  Reply handle(const QByteArray& requestBody);

 private:
  using Writer = QXmlStreamWriter;
  int checkAccount(const QString& aid, Writer& out);
  int upload(const XmlElement& request, const QString& aid, Writer& out);
  int getFileList(const XmlElement& request, const QString& aid, Writer& out);
  int getFileData(const XmlElement& request, const QString& aid, Writer& out);
  int deleteFiles(const XmlElement& request, const QString& aid, Writer& out);
  int reupload(const XmlElement& request, const QString& aid, Writer& out);
  // The file's result for this account: 0, or 122 when it does not exist for it.
  int ownedFile(const QString& fileID, const QString& aid) const;
  bool readable(const QByteArray& image) const;

  Accounts& accounts_;
  FileStore& files_;
  Recognizer& recognizer_;
  std::function<qint64()> clock_;
  QString failure_;  // an internal failure of the request being answered
};
