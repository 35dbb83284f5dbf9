#pragma once

#include "UserInterface.h"

// The terminal as the controller's window: alerts are printed and answered with their default
// button (or the button a command chose in advance, as a sheet would be filled in from its
// arguments); there is no window, selection or editor.
class TerminalInterface : public UserInterface {
 public:
  // The answer every alert gets.
  Button answer = Button::Default;

  Button runAlert(const Alert& alert) override;
  void openUrl(const QUrl& url) override;
  bool isMainWindowVisible() const override { return false; }
  void showMainWindow() override {}
  void setMainWindowTitle(const QString&) override {}
  void setLink(Link, const QUrl&) override {}
  void rotateImageView(int) override {}
  RecordList selectedRecords() const override { return {}; }
  void clearSelection() override {}
  void showPreferenceWindow() override;
  void showAdvancedPreferenceWindow() override;
  void showClassificationWindow(const std::optional<QString>&, const QString&,
                                std::function<void(const std::optional<QString>&)>) override {}
  void quit() override;
};
