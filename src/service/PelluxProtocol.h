#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

#include "PelluxError.h"

struct _xmlDoc;
struct _xmlNode;
using XmlNode = _xmlNode;

class PreferenceStore;

// One service call: builds the XML request, posts it to the service's request endpoint, checks
// the answer and offers lookups into it. Used by one worker thread and then discarded.
class PelluxProtocol {
 public:
  explicit PelluxProtocol(const QString& method = QString());
  ~PelluxProtocol();
  PelluxProtocol(const PelluxProtocol&) = delete;
  PelluxProtocol& operator=(const PelluxProtocol&) = delete;

  // ---- process-wide set-up ----
  // Reads the endpoints from the settings; runs once, before the first call (later calls do
  // nothing unless reconfigured). Tests and the settings window reconfigure explicitly.
  static void setUpEndpoints(const PreferenceStore& preferences);
  static void reconfigure(const PreferenceStore& preferences);
  static QString urlBase();
  static QString userUrlBase();
  static QString pelluxProtocolVersion();
  static QString userAgentString();

  // ---- request ----
  void createRequest(const std::optional<QString>& mailaddress = std::nullopt,
                     const std::optional<QString>& password = std::nullopt);
  XmlNode* requestNode() const { return requestNode_; }
  // A new element of the request document, not yet attached; none without a request.
  XmlNode* newRequestChild(const QString& name, const std::optional<QString>& value = std::nullopt);
  // Attaches an element as the next parameter; false (the element freed) without a request.
  bool addRequestNode(XmlNode* node);
  bool addRequestNodeWithName(const QString& name, const std::optional<QString>& value);
  // Attaches a new element under another new element (a list parameter and its entries).
  static void addChild(XmlNode* parent, XmlNode* child);
  // The request as it is sent.
  QByteArray requestBody() const;

  // ---- exchange ----
  std::optional<PelluxError> invoke();
  int status() const { return status_; }

  // ---- response lookups; none when a step finds nothing ----
  XmlNode* responseNode() const { return responseNode_; }
  XmlNode* responseChildForName(const QString& name) const { return childForName(name, responseNode_); }
  std::optional<QString> responseChildStringForName(const QString& name) const {
    return childStringForName(name, responseNode_);
  }
  XmlNode* responseChildForPath(const QStringList& path) const { return childForPath(path, responseNode_); }
  std::optional<QString> responseChildStringForPath(const QStringList& path) const {
    return childStringForPath(path, responseNode_);
  }
  static XmlNode* childForName(const QString& name, XmlNode* parent);
  static std::optional<QString> childStringForName(const QString& name, XmlNode* parent);
  static XmlNode* childForPath(const QStringList& path, XmlNode* parent);
  static std::optional<QString> childStringForPath(const QStringList& path, XmlNode* parent);
  static XmlNode* siblingForName(const QString& name, XmlNode* current);
  static std::optional<QString> attributeStringForName(const QString& name, XmlNode* node);
  // The element's text: only an element whose one child is a text node has one.
  static std::optional<QString> stringValue(XmlNode* node);

  // ---- Base64, one line, standard alphabet ----
  static QString base64EncodedString(const QByteArray& bytes);
  static QByteArray base64DecodeData(const QString& text);

  // Checks a parsed answer; exposed for the tests of the validation rules.
  std::optional<PelluxError> validateResponse(const QByteArray& body, const QByteArray& charset);

 private:
  void freeResponse();

  QString method_;
  _xmlDoc* request_ = nullptr;
  XmlNode* requestNode_ = nullptr;
  _xmlDoc* response_ = nullptr;
  XmlNode* responseNode_ = nullptr;
  int status_ = -1;
};
