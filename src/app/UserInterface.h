#pragma once

#include <QString>
#include <QUrl>
#include <functional>
#include <optional>

#include "Record.h"

// Everything the application controller asks of the windows. The Qt Widgets windows implement
// it, the terminal front end answers it in text, and tests script it.
class UserInterface {
 public:
  enum class Button { Default, Alternate, Other };
  enum class Link { Registration, PasswordReset };

  struct Alert {
    QString title;
    QString message;
    QString defaultButton;    // localized; "OK" when empty
    QString alternateButton;  // none when empty
    QString otherButton;      // none when empty
  };

  virtual ~UserInterface() = default;

  // Shows a modal alert and gives the button the user chose.
  virtual Button runAlert(const Alert& alert) = 0;
  // Opens a web address in the user's browser.
  virtual void openUrl(const QUrl& url) = 0;

  virtual bool isMainWindowVisible() const = 0;
  virtual void showMainWindow() = 0;
  virtual void setMainWindowTitle(const QString& title) = 0;
  // Turns one of the main window's labels into a link to the address.
  virtual void setLink(Link link, const QUrl& url) = 0;
  // Turns the card image view by the given degrees (positive: counter-clockwise, so a record
  // turned clockwise by 90 degrees turns the view by -90).
  virtual void rotateImageView(int degrees) = 0;

  // The records selected in the record table, in table order.
  virtual RecordList selectedRecords() const = 0;
  virtual void clearSelection() = 0;

  virtual void showPreferenceWindow() = 0;
  virtual void showAdvancedPreferenceWindow() = 0;
  // Opens the classification editor with the tag to select first; completion receives the tag
  // the user confirmed (none for no tag) and is not called when the window is closed otherwise.
  virtual void showClassificationWindow(const std::optional<QString>& firstSelection, const QString& hint,
                                        std::function<void(const std::optional<QString>&)> completion) = 0;

  // Quits the application the normal way (the controller's termination runs).
  virtual void quit() = 0;
};
