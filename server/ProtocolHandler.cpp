#include "ProtocolHandler.h"

#include <QBuffer>
#include <QDateTime>
#include <QImage>
#include <QXmlStreamWriter>

#include "Accounts.h"
#include "FileStore.h"
#include "PelluxProtocolConstants.h"
#include "Recognizer.h"
#include "XmlElement.h"

namespace {

// A parameter the request lacks or that does not read as it should.
constexpr int kInvalidParameter = 131;

QString name(const char* text) { return QLatin1String(text); }

std::optional<QByteArray> decodeBase64(const QString& text) {
  auto decoded = QByteArray::fromBase64Encoding(text.trimmed().toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
  if (!decoded || decoded.decoded.isEmpty()) return std::nullopt;
  return decoded.decoded;
}

const QStringList kFilters{
    name(kPelluxProtocolParameter_Status_accepted),  name(kPelluxProtocolParameter_Status_ocring),
    name(kPelluxProtocolParameter_Status_committed), name(kPelluxProtocolParameter_Status_rejected),
    name(kPelluxProtocolParameter_Status_removed),   name(kPelluxProtocolParameter_StatusFilter_all_with_removed)};

}  // namespace

ProtocolHandler::ProtocolHandler(Accounts& accounts, FileStore& files, Recognizer& recognizer,
                                 std::function<qint64()> clock)
    : accounts_(accounts), files_(files), recognizer_(recognizer), clock_(std::move(clock)) {
  if (!clock_) clock_ = [] { return QDateTime::currentMSecsSinceEpoch(); };
}

bool ProtocolHandler::readable(const QByteArray& image) const { return !QImage::fromData(image).isNull(); }

ProtocolHandler::Reply ProtocolHandler::handle(const QByteArray& requestBody) {
  failure_.clear();
  QString parseError;
  const std::optional<XmlElement> request = XmlElement::parse(requestBody, &parseError);
  QByteArray content;
  QXmlStreamWriter children(&content);
  int result = kInvalidParameter;
  if (request && request->name == name(kPelluxProtocolParameter_request)) {
    const QString command = request->attributes.value(name(kPelluxProtocolParameter_command));
    const std::optional<QString> aid =
        accounts_.authenticate(request->childText(name(kPelluxProtocolParameter_mailaddress)).value_or(QString()),
                               request->childText(name(kPelluxProtocolParameter_password)).value_or(QString()));
    if (!aid)
      result = kPelluxProtocolParameter_Response_result_NO_SUCH_ACCOUNT;
    else if (command == name(kPelluxProtocol_Function_CheckAccount))
      result = checkAccount(*aid, children);
    else if (command == name(kPelluxProtocol_Function_Upload))
      result = upload(*request, *aid, children);
    else if (command == name(kPelluxProtocol_Function_GetFileList))
      result = getFileList(*request, *aid, children);
    else if (command == name(kPelluxProtocol_Function_GetFileData))
      result = getFileData(*request, *aid, children);
    else if (command == name(kPelluxProtocol_Function_Delete))
      result = deleteFiles(*request, *aid, children);
    else if (command == name(kPelluxProtocol_Function_ReUpload))
      result = reupload(*request, *aid, children);
    else
      result = kPelluxProtocolParameter_Response_result_UNSUPPORTED_COMMAND;
  }
  if (!failure_.isEmpty()) return {kPelluxProtocol_ErrorContentType + QByteArray("; charset=utf-8"), failure_.toUtf8()};
  // The method's elements follow only a success.
  const QByteArray body =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<response result=\"" + QByteArray::number(result) + "\">" +
      (result == kPelluxProtocolParameter_Response_result_SUCCESS ? content : QByteArray()) + "</response>\n";
  return {"text/xml; charset=utf-8", body};
}

int ProtocolHandler::checkAccount(const QString& aid, Writer& out) {
  out.writeTextElement(name(kPelluxProtocolParameter_aid), aid);
  return kPelluxProtocolParameter_Response_result_SUCCESS;
}

int ProtocolHandler::upload(const XmlElement& request, const QString& aid, Writer& out) {
  const QString fileID = request.childText(name(kPelluxProtocolParameter_fileID)).value_or(QString()).toUpper();
  const std::optional<QByteArray> image =
      decodeBase64(request.childText(name(kPelluxProtocolParameter_binaryData)).value_or(QString()));
  if (!FileStore::isFileID(fileID) || !image) return kInvalidParameter;
  if (files_.exists(fileID)) return kPelluxProtocolParameter_Response_result_FILE_ID_ALREADY_EXISTS;
  QVariantMap details;
  for (const char* key : {kPelluxProtocolParameter_dataType, kPelluxProtocolParameter_priority,
                          kPelluxProtocolParameter_selector, kPelluxProtocolParameter_creator})
    if (const std::optional<QString> value = request.childText(name(key))) details.insert(name(key), *value);
  const bool usable = readable(*image);
  const QMap<int, QString> fields = usable ? recognizer_.fields(*image) : QMap<int, QString>();
  if (const std::optional<QString> failure = files_.add(fileID, aid, *image, usable, fields, details, clock_())) {
    failure_ = *failure;
    return 0;
  }
  out.writeTextElement(name(kPelluxProtocolParameter_fileID), fileID);
  return kPelluxProtocolParameter_Response_result_SUCCESS;
}

int ProtocolHandler::getFileList(const XmlElement& request, const QString& aid, Writer& out) {
  const std::optional<QString> filter = request.childText(name(kPelluxProtocolParameter_statusFilter));
  if (filter && !filter->isEmpty() && !kFilters.contains(*filter)) return kInvalidParameter;
  bool ok = true;
  const QString afterText = request.childText(name(kPelluxProtocolParameter_modifiedAfter)).value_or(QString());
  const qint64 after = afterText.isEmpty() ? 0 : afterText.toLongLong(&ok);
  if (!ok) return kInvalidParameter;
  const qint64 now = clock_();
  qint64 next = after;
  out.writeStartElement(name(kPelluxProtocolParameter_fileList));
  for (const QString& fileID : files_.filesOf(aid)) {
    const FileStore::State state = files_.state(fileID, now);
    const bool wanted =
        !filter || filter->isEmpty()
            ? state.status != name(kPelluxProtocolParameter_Status_removed)
            : *filter == name(kPelluxProtocolParameter_StatusFilter_all_with_removed) || state.status == *filter;
    if (!wanted || state.lastModified <= after) continue;
    next = std::max(next, state.lastModified);
    out.writeStartElement(name(kPelluxProtocolParameter_file));
    out.writeTextElement(name(kPelluxProtocolParameter_fileID), fileID);
    out.writeTextElement(name(kPelluxProtocolParameter_status), state.status);
    out.writeTextElement(name(kPelluxProtocolParameter_statusCode), state.statusCode);
    out.writeTextElement(name(kPelluxProtocolParameter_lastModified), QString::number(state.lastModified));
    out.writeEndElement();
  }
  out.writeEndElement();
  out.writeTextElement(name(kPelluxProtocolParameter_nextModifiedAfter), QString::number(next));
  return kPelluxProtocolParameter_Response_result_SUCCESS;
}

int ProtocolHandler::ownedFile(const QString& fileID, const QString& aid) const {
  if (!FileStore::isFileID(fileID) || files_.owner(fileID) != aid)
    return kPelluxProtocolParameter_Response_result_NO_SUCH_FILE;
  return kPelluxProtocolParameter_Response_result_SUCCESS;
}

int ProtocolHandler::getFileData(const XmlElement& request, const QString& aid, Writer& out) {
  const QString fileID = request.childText(name(kPelluxProtocolParameter_fileID)).value_or(QString()).toUpper();
  if (const int result = ownedFile(fileID, aid)) return result;
  const FileStore::State state = files_.state(fileID, clock_());
  out.writeTextElement(name(kPelluxProtocolParameter_status), state.status);
  out.writeTextElement(name(kPelluxProtocolParameter_statusCode), state.statusCode);
  out.writeTextElement(name(kPelluxProtocolParameter_lastModified), QString::number(state.lastModified));
  out.writeStartElement(name(kPelluxProtocolParameter_textAttributeList));
  if (state.committedTime > 0) {
    const QMap<int, QString> fields = files_.fields(fileID);
    for (auto it = fields.cbegin(); it != fields.cend(); ++it) {
      out.writeStartElement(name(kPelluxProtocolParameter_textAttribute));
      out.writeTextElement(name(kPelluxProtocolParameter_type), QString::number(it.key()));
      out.writeTextElement(name(kPelluxProtocolParameter_value), it.value());
      out.writeEndElement();
    }
  }
  out.writeEndElement();
  out.writeStartElement(name(kPelluxProtocolParameter_extraProperties));
  out.writeTextElement(name(kPelluxProtocolParameter_acceptedTime), QString::number(state.acceptedTime));
  if (state.committedTime > 0)
    out.writeTextElement(name(kPelluxProtocolParameter_committedTime), QString::number(state.committedTime));
  out.writeTextElement(name(kPelluxProtocolParameter_rotation), QStringLiteral("0"));
  const QString creator = files_.creator(fileID);
  if (!creator.isEmpty()) out.writeTextElement(name(kPelluxProtocolParameter_creator), creator);
  out.writeEndElement();
  if (request.childText(name(kPelluxProtocolParameter_withImage)) == QStringLiteral("1"))
    out.writeTextElement(name(kPelluxProtocolParameter_binaryData),
                         QString::fromLatin1(files_.image(fileID).toBase64()));
  return kPelluxProtocolParameter_Response_result_SUCCESS;
}

int ProtocolHandler::deleteFiles(const XmlElement& request, const QString& aid, Writer& out) {
  const qint64 now = clock_();
  auto remove = [&](const QString& fileID) {
    if (const int result = ownedFile(fileID, aid)) return result;
    if (const std::optional<QString> failure = files_.remove(fileID, now)) failure_ = *failure;
    return int(kPelluxProtocolParameter_Response_result_SUCCESS);
  };
  if (const XmlElement* list = request.child(name(kPelluxProtocolParameter_fileIDList))) {
    out.writeStartElement(name(kPelluxProtocolParameter_deletingFileList));
    for (const XmlElement* file : list->all(name(kPelluxProtocolParameter_fileID))) {
      out.writeStartElement(name(kPelluxProtocolParameter_deletingFile));
      out.writeTextElement(name(kPelluxProtocolParameter_fileID), file->text);
      out.writeTextElement(name(kPelluxProtocolParameter_result), QString::number(remove(file->text.toUpper())));
      out.writeEndElement();
    }
    out.writeEndElement();
    return kPelluxProtocolParameter_Response_result_SUCCESS;
  }
  return remove(request.childText(name(kPelluxProtocolParameter_fileID)).value_or(QString()).toUpper());
}

int ProtocolHandler::reupload(const XmlElement& request, const QString& aid, Writer&) {
  const QString fileID = request.childText(name(kPelluxProtocolParameter_fileID)).value_or(QString()).toUpper();
  if (const int result = ownedFile(fileID, aid)) return result;
  const std::optional<QByteArray> image =
      decodeBase64(request.childText(name(kPelluxProtocolParameter_binaryData)).value_or(QString()));
  const XmlElement* attributes = request.child(name(kPelluxProtocolParameter_textAttributeList));
  if (!image || !attributes) return kInvalidParameter;
  QList<int> wrong;
  for (const XmlElement* attribute : attributes->all(name(kPelluxProtocolParameter_textAttribute)))
    if (attribute->attributes.value(name(kPelluxProtocolParameter_error)) == QStringLiteral("1"))
      wrong << attribute->childText(name(kPelluxProtocolParameter_type)).value_or(QString()).toInt();
  const bool rework = request.childText(name(kPelluxProtocolParameter_Rework)) == QStringLiteral("1");
  const bool usable = readable(*image);
  const QMap<int, QString> fields = usable && rework ? recognizer_.fields(*image) : QMap<int, QString>();
  if (const std::optional<QString> failure = files_.reupload(fileID, *image, usable, fields, wrong, rework, clock_()))
    failure_ = *failure;
  return kPelluxProtocolParameter_Response_result_SUCCESS;
}
