#include "PelluxError.h"

#include "CaughtException.h"
#include "Format.h"
#include "Localization.h"
#include "SystemLog.h"
#include "VariantText.h"

namespace {

// "%@" of an error shows its description and of an exception its reason.
[[maybe_unused]] const bool kConvertersRegistered = [] {
  QMetaType::registerConverter<PelluxError, QString>(&PelluxError::description);
  QMetaType::registerConverter<CaughtException, QString>([](const CaughtException& e) { return e.reason; });
  return true;
}();

constexpr qint32 kResultNoSuchAccount = 102;

template <typename T>
bool holds(const QVariant& value) {
  return value.metaType() == QMetaType::fromType<T>();
}

bool isInteger(const QVariant& value) {
  switch (value.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
      return true;
    default:
      return false;
  }
}

std::optional<QString> messageOfCause(const QVariant& cause) {
  if (holds<PelluxError>(cause)) {
    const PelluxError error = cause.value<PelluxError>();
    if (error.userInfo().contains(QLatin1String(kPelluxError_UserInfoKey_Message))) return error.message();
    return std::nullopt;
  }
  if (holds<CaughtException>(cause)) return cause.value<CaughtException>().reason;
  return std::nullopt;
}

}  // namespace

QString PelluxError::message() const { return userInfoValue(kPelluxError_UserInfoKey_Message).toString(); }

QList<PelluxError> PelluxError::failedRecordErrors() const {
  return userInfoValue(kPelluxError_UserInfoKey_FailedOnSomeRecords_Errors).value<QList<PelluxError>>();
}

QString PelluxError::description() const {
  QStringList entries;
  for (auto it = userInfo_.cbegin(); it != userInfo_.cend(); ++it) {
    if (it.key() == QLatin1String(kPelluxError_UserInfoKey_Message)) continue;
    QString key = it.key();
    key.remove(QStringLiteral("com.tarvo.quillory.errorinfo."));
    const QVariant& value = it.value();
    const bool isErrorList = value.metaType() == QMetaType::fromType<QList<PelluxError>>();
    QString text;
    if (isErrorList) {
      QStringList parts;
      for (const PelluxError& error : value.value<QList<PelluxError>>()) parts << error.description();
      text = QStringLiteral("(") + parts.join(QStringLiteral(", ")) + QStringLiteral(")");
    } else {
      text = textOf(value);
    }
    entries << key + QStringLiteral("=") + text;
  }
  QString text = QStringLiteral("Error Domain=%1 Code=%2 \"%3\"").arg(domain_).arg(code_).arg(message());
  if (!entries.isEmpty()) text += QStringLiteral(" UserInfo={") + entries.join(QStringLiteral(", ")) + u'}';
  return text;
}

bool PelluxError::operator==(const PelluxError& other) const {
  return code_ == other.code_ && domain_ == other.domain_ && userInfo_ == other.userInfo_;
}

PelluxError PelluxError::pelluxErrorWithCode(qint64 code, const std::optional<QString>& message, const QVariant& cause,
                                             const QVariantMap& userInfo) {
  const std::optional<QString> text = message ? message : messageOfCause(cause);
  PelluxError error;
  error.domain_ = QLatin1String(kPelluxError_Domain);
  error.code_ = code;
  error.userInfo_ = userInfo;
  error.userInfo_.remove(QLatin1String(kPelluxError_UserInfoKey_Message));
  error.userInfo_.remove(QLatin1String(kPelluxError_UserInfoKey_Cause));
  if (text) error.userInfo_.insert(QLatin1String(kPelluxError_UserInfoKey_Message), *text);
  if (cause.isValid()) error.userInfo_.insert(QLatin1String(kPelluxError_UserInfoKey_Cause), cause);
  return error;
}

PelluxError PelluxError::pelluxErrorWithSystemFunction(const QString& function, quint64 returnCode,
                                                       const std::optional<QString>& message,
                                                       const QVariantMap& userInfo) {
  QVariantMap info = userInfo;
  info.insert(QLatin1String(kPelluxError_UserInfoKey_SystemReturnCode), qulonglong(returnCode));
  info.insert(QLatin1String(kPelluxError_UserInfoKey_SystemFailedFunction), function);
  const QString text = message ? *message
                               : formatted(localized(QStringLiteral("System error: %@ failed: %ld(%lx).")), function,
                                           qulonglong(returnCode), qulonglong(returnCode));
  return pelluxErrorWithCode(kPelluxError_Code_System, text, {}, info);
}

PelluxError PelluxError::pelluxErrorWithFilePath(const QString& path, const std::optional<QString>& message,
                                                 const QVariant& cause, const QVariantMap& userInfo) {
  QVariantMap info = userInfo;
  info.insert(QLatin1String(kPelluxError_UserInfoKey_FileAccessFaildPath), path);
  const QString text = message ? *message : formatted(localized(QStringLiteral("Failed to access %@.")), path);
  return pelluxErrorWithCode(kPelluxError_Code_FileAccess, text, cause, info);
}

PelluxError PelluxError::pelluxErrorNoTargetRecord() {
  return pelluxErrorWithCode(kPelluxError_Code_NoTargetRecord, localized(QStringLiteral("No item for command.")));
}

std::optional<PelluxError> PelluxError::pelluxErrorFailedOnSomeRecords(qint64 failed, qint64 tried,
                                                                       const QList<PelluxError>& errors) {
  QString text;
  if (failed == 0) return std::nullopt;
  if (failed < 0)
    text = localized(QStringLiteral("Command failed on some of the items."));
  else if (tried < 0)
    text = formatted(localized(QStringLiteral("Command failed on %d of the items.")), failed);
  else if (failed < tried)
    text = formatted(localized(QStringLiteral("Command failed on %1$d of the %2$d items.")), failed, tried);
  else if (failed == 1)
    text = localized(QStringLiteral("Command failed on the item."));
  else
    text = localized(QStringLiteral("Command failed on all the items."));
  QVariantMap info;
  info.insert(QLatin1String(kPelluxError_UserInfoKey_FailedOnSomeRecords_Errors), QVariant::fromValue(errors));
  const QVariant cause = errors.size() == 1 ? QVariant::fromValue(errors.first()) : QVariant();
  return pelluxErrorWithCode(kPelluxError_Code_FailedOnSomeRecords, text, cause, info);
}

std::optional<PelluxError> PelluxError::pelluxErrorUnlockableOnSomeRecords(qint64 locked, qint64 tried) {
  QString text;
  if (locked == 0) return std::nullopt;
  if (locked < 0)
    text = localized(QStringLiteral("Some of the items are in progress."));
  else if (tried < 0)
    text = formatted(localized(QStringLiteral("%d of the items are in progress.")), locked);
  else if (locked < tried)
    text = formatted(localized(QStringLiteral("%1$d of the %2$d items are in progress.")), locked, tried);
  else
    text = localized(QStringLiteral("All the items are in progress."));
  return pelluxErrorWithCode(kPelluxError_Code_UnlockableOnSomeRecords, text);
}

std::optional<PelluxError> PelluxError::pelluxErrorForResultValue(qint32 result) {
  if (result == 0) return std::nullopt;
  const QString prefix = QLatin1String(_PELLUX_ERROR_PREFIX);
  const QString translation = localized(prefix + QString::number(result));
  QString text;
  if (translation.startsWith(prefix))
    text = formatted(localized(QStringLiteral("PELLUX responded error: %d.")), result);
  else if (translation.contains(QStringLiteral("%d")))
    text = formatted(translation, result);
  else
    text = translation;
  QVariantMap info;
  info.insert(QLatin1String(kPelluxError_UserInfoKey_PelluxResponse), result);
  return pelluxErrorWithCode(kPelluxError_Code_Pellux, text, {}, info);
}

PelluxError PelluxError::pelluxErrorWithPelluxResponseLackedParameter(const QString& parameter) {
  QVariantMap info;
  info.insert(QLatin1String(kPelluxError_UserInfoKey_PelluxLackedParameter), parameter);
  const QString text =
      formatted(localized(QStringLiteral("PELLUX response does not have required parameter: %@.")), parameter);
  return pelluxErrorWithCode(kPelluxError_Code_Pellux, text, {}, info);
}

PelluxError PelluxError::pelluxErrorWithTS860(const TS860DriverStatus& driver, qint32 returnCode,
                                              const QString& function) {
  QString systemFunction;
  const quint64 systemValue = driver.lastError(&systemFunction);
  QVariantMap info;
  info.insert(QLatin1String(kPelluxError_UserInfoKey_TS860ReturnCode), returnCode);
  info.insert(QLatin1String(kPelluxError_UserInfoKey_TS860FailedFunction), function);
  info.insert(QLatin1String(kPelluxError_UserInfoKey_SystemReturnCode), qulonglong(systemValue));
  info.insert(QLatin1String(kPelluxError_UserInfoKey_SystemFailedFunction), systemFunction);
  const bool lost = driver.hasScanner() && driver.checkConnected() != 0;
  info.insert(QLatin1String(kPelluxError_UserInfoKey_TS860ConnectionMayBeLost), lost);
  const QString text =
      lost ? localized(QStringLiteral("Scanner access failed: connection lost."))
           : formatted(localized(QStringLiteral("Scanner access failed: %1$@ = %2$d(%3$x) / %4$s = %5ld(%6$lx).")),
                       function, returnCode, returnCode, systemFunction, qulonglong(systemValue),
                       qulonglong(systemValue));
  return pelluxErrorWithCode(kPelluxError_Code_Ts860, text, {}, info);
}

qint32 PelluxError::pelluxErrorCodeWithError(const PelluxError& error) {
  const QVariant result = error.userInfoValue(kPelluxError_UserInfoKey_PelluxResponse);
  if (error.code() != kPelluxError_Code_Pellux || !isInteger(result)) return -1;
  return result.toInt();
}

std::optional<QString> PelluxError::accountStatusError(const PelluxError& error) {
  if (pelluxErrorCodeWithError(error) != kResultNoSuchAccount) return std::nullopt;
  return QStringLiteral("NO_SUCH_ACCOUNT");
}

QString textOfCause(const QVariant& cause) {
  if (holds<PelluxError>(cause)) return cause.value<PelluxError>().message();
  if (holds<CaughtException>(cause)) return cause.value<CaughtException>().reason;
  return textOf(cause);
}

QString PelluxError::messageWithPelluxError(const PelluxError& error, bool singleLine) {
  QString text = error.message();
  const QVariant cause = error.cause();
  const QString causeText = cause.isValid() ? textOfCause(cause) : QString();
  if (cause.isValid()) text += formatted(QStringLiteral(" [%@]"), causeText);
  if (singleLine) return text;
  for (const PelluxError& failure : error.failedRecordErrors()) {
    if (cause.isValid() && failure.message() == causeText) continue;
    text += formatted(QStringLiteral("\n\t%@"), failure.message());
  }
  return text;
}

void logPelluxError(const PelluxError& error) {
  systemLog(formatted(QStringLiteral("ERROR: %@: %@"), PelluxError::messageWithPelluxError(error, true),
                      QVariant::fromValue(error)));
}
