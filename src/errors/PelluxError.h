#pragma once

#include <QList>
#include <QMetaType>
#include <QString>
#include <QVariant>
#include <QVariantMap>
#include <optional>

#include "TS860DriverStatus.h"

// Codes of PelluxError.
inline constexpr qint64 kPelluxError_Code_Parameter = 2;
inline constexpr qint64 kPelluxError_Code_Status = 3;
inline constexpr qint64 kPelluxError_Code_RecordStatus = 4;
inline constexpr qint64 kPelluxError_Code_NoTargetRecord = 5;
inline constexpr qint64 kPelluxError_Code_FailedOnSomeRecords = 6;
inline constexpr qint64 kPelluxError_Code_UnlockableOnSomeRecords = 7;
inline constexpr qint64 kPelluxError_Code_System = 10;
inline constexpr qint64 kPelluxError_Code_NetworkAccess = 11;
inline constexpr qint64 kPelluxError_Code_FileAccess = 12;
inline constexpr qint64 kPelluxError_Code_AddressBook = 13;
inline constexpr qint64 kPelluxError_Code_XML = 21;
inline constexpr qint64 kPelluxError_Code_Ts860 = 30;
inline constexpr qint64 kPelluxError_Code_Image = 31;
inline constexpr qint64 kPelluxError_Code_Http = 40;
inline constexpr qint64 kPelluxError_Code_Pellux = 42;
inline constexpr qint64 kPelluxError_Code_Fatal = 99;

inline constexpr char kPelluxError_Domain[] = "com.tarvo.quillory.error";

// User-info keys: the application identifier followed by the entry's own suffix.
inline constexpr char kPelluxError_UserInfoKey_Message[] = "com.tarvo.quillory.errorinfo.message";
inline constexpr char kPelluxError_UserInfoKey_Cause[] = "com.tarvo.quillory.errorinfo.cause";
inline constexpr char kPelluxError_UserInfoKey_FileAccessFaildPath[] = "com.tarvo.quillory.errorinfo.file_failed_path";
inline constexpr char kPelluxError_UserInfoKey_PelluxResponse[] = "com.tarvo.quillory.errorinfo.pellux_response";
inline constexpr char kPelluxError_UserInfoKey_PelluxLackedParameter[] =
    "com.tarvo.quillory.errorinfo.pellux_lacked_parameter";
inline constexpr char kPelluxError_UserInfoKey_TS860FailedFunction[] =
    "com.tarvo.quillory.errorinfo.ts860_failed_function";
inline constexpr char kPelluxError_UserInfoKey_TS860ReturnCode[] = "com.tarvo.quillory.errorinfo.ts860_return_code";
inline constexpr char kPelluxError_UserInfoKey_TS860ConnectionMayBeLost[] =
    "com.tarvo.quillory.errorinfo.ts860_connection_may_be_lost";
inline constexpr char kPelluxError_UserInfoKey_TS860TooMuchBlackArea[] =
    "com.tarvo.quillory.errorinfo.ts860_too_much_black_area";
inline constexpr char kPelluxError_UserInfoKey_SystemFailedFunction[] =
    "com.tarvo.quillory.errorinfo.system_failed_function";
inline constexpr char kPelluxError_UserInfoKey_SystemReturnCode[] = "com.tarvo.quillory.errorinfo.system_return_code";
inline constexpr char kPelluxError_UserInfoKey_FailedOnSomeRecords_Errors[] =
    "com.tarvo.quillory.errorinfo.failed_on_some_records_errors";

// The key prefix of the translated texts of the service's result values.
inline constexpr char _PELLUX_ERROR_PREFIX[] = "_PELLUX_ERROR_";

// The one error value of the application: a domain, a code and user-info entries (the message,
// the cause and entries of each kind). Immutable; built only by the factories below. A cause is
// another PelluxError, a CaughtException or any other value.
class PelluxError {
 public:
  // An empty value, for containers; every real error comes from a factory.
  PelluxError() = default;

  QString domain() const { return domain_; }
  qint64 code() const { return code_; }
  const QVariantMap& userInfo() const { return userInfo_; }
  QVariant userInfoValue(const char* key) const { return userInfo_.value(QLatin1String(key)); }

  // The message, empty when the error has none.
  QString message() const;
  QVariant cause() const { return userInfoValue(kPelluxError_UserInfoKey_Cause); }
  QList<PelluxError> failedRecordErrors() const;

  // A developer's view of the whole value (domain, code, message, entries), as the system log
  // shows it.
  QString description() const;

  bool operator==(const PelluxError& other) const;

  // ---- factories ----
  static PelluxError pelluxErrorWithCode(qint64 code, const std::optional<QString>& message = std::nullopt,
                                         const QVariant& cause = {}, const QVariantMap& userInfo = {});
  static PelluxError pelluxErrorWithSystemFunction(const QString& function, quint64 returnCode,
                                                   const std::optional<QString>& message = std::nullopt,
                                                   const QVariantMap& userInfo = {});
  static PelluxError pelluxErrorWithFilePath(const QString& path, const std::optional<QString>& message = std::nullopt,
                                             const QVariant& cause = {}, const QVariantMap& userInfo = {});
  static PelluxError pelluxErrorNoTargetRecord();
  // A negative count means the count is not known. None when nothing failed.
  static std::optional<PelluxError> pelluxErrorFailedOnSomeRecords(qint64 failed, qint64 tried,
                                                                   const QList<PelluxError>& errors);
  static std::optional<PelluxError> pelluxErrorUnlockableOnSomeRecords(qint64 locked, qint64 tried);
  // None for the service's success value 0.
  static std::optional<PelluxError> pelluxErrorForResultValue(qint32 result);
  static PelluxError pelluxErrorWithPelluxResponseLackedParameter(const QString& parameter);
  static PelluxError pelluxErrorWithTS860(const TS860DriverStatus& driver, qint32 returnCode, const QString& function);

  // The service result a code-42 error carries, else -1.
  static qint32 pelluxErrorCodeWithError(const PelluxError& error);
  // "NO_SUCH_ACCOUNT" when the error carries the service's unknown-account result.
  static std::optional<QString> accountStatusError(const PelluxError& error);

  // The error's text for people: the message, the cause's text in brackets and, unless
  // singleLine, one indented line per failed record.
  static QString messageWithPelluxError(const PelluxError& error, bool singleLine);

 private:
  QString domain_;
  qint64 code_ = 0;
  QVariantMap userInfo_;
};

Q_DECLARE_METATYPE(PelluxError)

// The text of an error's cause: a PelluxError's message, an exception's reason, any other value's
// text.
QString textOfCause(const QVariant& cause);

// Writes "ERROR: <single-line message>: <error>" to the system log.
void logPelluxError(const PelluxError& error);
