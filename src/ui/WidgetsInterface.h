#pragma once

#include <memory>

#include "UserInterface.h"

class ClassificationManager;
class MainWindow;
class PelluxClientAppDelegate;
class QDialog;

// The Qt Widgets windows as the controller's UserInterface. Create it, create the controller
// with it, then attach the controller so the windows can be built around it.
class WidgetsInterface : public UserInterface {
 public:
  WidgetsInterface();
  ~WidgetsInterface() override;

  void attach(PelluxClientAppDelegate& app);
  MainWindow* mainWindow() const { return mainWindow_.get(); }
  ClassificationManager* classificationManager() const { return classificationManager_; }

  Button runAlert(const Alert& alert) override;
  void openUrl(const QUrl& url) override;
  bool isMainWindowVisible() const override;
  void showMainWindow() override;
  void setMainWindowTitle(const QString& title) override;
  void setLink(Link link, const QUrl& url) override;
  void rotateImageView(int degrees) override;
  RecordList selectedRecords() const override;
  void clearSelection() override;
  void showPreferenceWindow() override;
  void showAdvancedPreferenceWindow() override;
  void showClassificationWindow(const std::optional<QString>& firstSelection, const QString& hint,
                                std::function<void(const std::optional<QString>&)> completion) override;
  void quit() override;

 private:
  std::unique_ptr<MainWindow> mainWindow_;
  QDialog* preferenceWindow_ = nullptr;
  QDialog* advancedPreferenceWindow_ = nullptr;
  ClassificationManager* classificationManager_ = nullptr;
};
