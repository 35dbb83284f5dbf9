#pragma once

#include <QUrl>
#include <optional>

class PelluxClientAppDelegate;

// Tells the user when the version file on the web announces a newer build, and offers to quit and
// open the download page.
class UpdateCheck {
 public:
  explicit UpdateCheck(PelluxClientAppDelegate& app, int timeoutSeconds = 10)
      : app_(app), timeoutSeconds_(timeoutSeconds) {}

  // bySender: the user asked (an answer is always shown); otherwise it is the silent launch check.
  // May set the controller's terminating flag and quit the application.
  void checkUpdateHit(bool bySender);

  // The download address when the version file announces a build newer than ours.
  static std::optional<QUrl> newerVersion(const QByteArray& versionFile, int ownBuild);

 private:
  PelluxClientAppDelegate& app_;
  int timeoutSeconds_;
};
