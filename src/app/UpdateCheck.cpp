#include "UpdateCheck.h"

#include <QRegularExpression>
#include <QTimer>
#include <algorithm>
#include <limits>

#include "AppInfo.h"
#include "Format.h"
#include "HttpClient.h"
#include "Localization.h"
#include "MainThread.h"
#include "PelluxClientAppDelegate.h"
#include "PelluxClientPreference.h"
#include "PreferenceStore.h"
#include "SystemLog.h"
#include "UserInterface.h"

namespace {

// The integer a text begins with, as a 32-bit value (saturated); 0 when it begins with none.
int leadingInteger(const QString& text) {
  static const QRegularExpression number(QStringLiteral("^\\s*[+-]?\\d+"));
  const QRegularExpressionMatch match = number.match(text);
  if (!match.hasMatch()) return 0;
  bool ok = false;
  const qlonglong value = match.captured().trimmed().toLongLong(&ok);
  if (!ok) return match.captured().contains(u'-') ? std::numeric_limits<int>::min() : std::numeric_limits<int>::max();
  return int(std::clamp<qlonglong>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

}  // namespace

std::optional<QUrl> UpdateCheck::newerVersion(const QByteArray& versionFile, int ownBuild) {
  const QStringList lines =
      QString::fromUtf8(versionFile).replace(QStringLiteral("\r\n"), QStringLiteral("\n")).split(u'\n');
  if (lines.size() < 2) return std::nullopt;
  if (leadingInteger(lines[0]) <= ownBuild) return std::nullopt;
  const QUrl download(lines[1].trimmed(), QUrl::StrictMode);
  if (!download.isValid() || download.scheme().isEmpty()) return std::nullopt;
  return download;
}

void UpdateCheck::checkUpdateHit(bool bySender) {
  const QString address = app_.preferences().stringValue(QLatin1String(kPelluxClientPreference_key_VersionCheckUrl));
  std::optional<QUrl> download;
  if (!address.isEmpty()) {
    HttpAnswer answer;
    HttpRequest request;
    request.url = QUrl(address);
    request.timeoutSeconds = timeoutSeconds_;
    // The main thread waits for the answer but keeps drawing its windows meanwhile.
    MainThread::runBesideLoop([&] { answer = httpGet(request); });
    if (!answer.body)
      systemLog(formatted(QStringLiteral("checkUpdate: NSURLConnection failed: %@: %@"), address, answer.error));
    else
      download = newerVersion(*answer.body, AppInfo::kBuildNumber);
  }
  if (download) {
    const UserInterface::Alert alert{
        localized(QStringLiteral("Found update")),
        localized(
            QStringLiteral("You can update your software. Would you like to quit and download the updater with your "
                           "web browser?")),
        localized(QStringLiteral("Quit and Download")),
        localized(QStringLiteral("Cancel")),
        {}};
    if (app_.ui().runAlert(alert) == UserInterface::Button::Default) {
      app_.ui().openUrl(*download);
      app_.setTerminating(true);
      QTimer::singleShot(500, &app_, [this] { app_.ui().quit(); });
    }
    return;
  }
  if (bySender)
    app_.ui().runAlert(
        {localized(QStringLiteral("You are using the current version.")), {}, localized(QStringLiteral("OK")), {}, {}});
}
