#pragma once

#include <QString>
#include <QVariant>

class PelluxClientAppDelegate;

// How every command and background job reports its outcome: the status line, the system log and,
// when made on behalf of a window, an alert offering the one follow-up that fits.
class Notices {
 public:
  explicit Notices(PelluxClientAppDelegate& app) : app_(app) {}

  // errors: one PelluxError, a list of them, or anything else for none. what: the operation's
  // localized name. from: the operation's kind (an error code: 30 scanner, 42 service, 12 files,
  // 13 address book, 99 start-up). to: whether a window asked, so that an alert may be shown.
  void noticeErrors(const QVariant& errors, const QString& what, qint64 from, bool to);

  // Whether background work should report to the window: background errors are to be shown and
  // the main window is visible.
  bool hasSender() const;

  // Shows the failure history of the single selected record once, then forgets it.
  void setStatusMessageForSelection();

 private:
  void noticeSuccess(const QString& what);

  PelluxClientAppDelegate& app_;
};
