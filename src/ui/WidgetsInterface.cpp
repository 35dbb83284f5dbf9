#include "WidgetsInterface.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QPushButton>

#include "CardImageView.h"
#include "ClassificationManager.h"
#include "Localization.h"
#include "MainWindow.h"
#include "PelluxClientAppDelegate.h"
#include "PreferenceWindows.h"

WidgetsInterface::WidgetsInterface() = default;

WidgetsInterface::~WidgetsInterface() = default;

void WidgetsInterface::attach(PelluxClientAppDelegate& app) {
  mainWindow_ = std::make_unique<MainWindow>(app);
  preferenceWindow_ = makePreferenceWindow(app.preferences(), mainWindow_.get());
  advancedPreferenceWindow_ = makeAdvancedPreferenceWindow(app.preferences(), mainWindow_.get());
  classificationManager_ = new ClassificationManager(app.preferences(), mainWindow_.get());
}

UserInterface::Button WidgetsInterface::runAlert(const Alert& alert) {
  QMessageBox box(mainWindow_ && mainWindow_->isVisible() ? mainWindow_.get() : nullptr);
  box.setWindowTitle(alert.title);
  box.setText(alert.title);
  box.setInformativeText(alert.message);
  box.setTextFormat(Qt::PlainText);
  QPushButton* defaultButton = box.addButton(
      alert.defaultButton.isEmpty() ? localized(QStringLiteral("OK")) : alert.defaultButton, QMessageBox::AcceptRole);
  QPushButton* alternate =
      alert.alternateButton.isEmpty() ? nullptr : box.addButton(alert.alternateButton, QMessageBox::RejectRole);
  QPushButton* other =
      alert.otherButton.isEmpty() ? nullptr : box.addButton(alert.otherButton, QMessageBox::ActionRole);
  box.setDefaultButton(defaultButton);
  box.exec();
  if (alternate && box.clickedButton() == alternate) return Button::Alternate;
  if (other && box.clickedButton() == other) return Button::Other;
  return Button::Default;
}

void WidgetsInterface::openUrl(const QUrl& url) { QDesktopServices::openUrl(url); }

bool WidgetsInterface::isMainWindowVisible() const { return mainWindow_ && mainWindow_->isVisible(); }

void WidgetsInterface::showMainWindow() {
  mainWindow_->show();
  mainWindow_->raise();
  mainWindow_->activateWindow();
}

void WidgetsInterface::setMainWindowTitle(const QString& title) { mainWindow_->setWindowTitle(title); }

void WidgetsInterface::setLink(Link link, const QUrl& url) { mainWindow_->setLink(int(link), url); }

void WidgetsInterface::rotateImageView(int degrees) { mainWindow_->imageView()->rotateBy(degrees); }

RecordList WidgetsInterface::selectedRecords() const { return mainWindow_->selectedRecords(); }

void WidgetsInterface::clearSelection() { mainWindow_->clearSelection(); }

void WidgetsInterface::showPreferenceWindow() {
  preferenceWindow_->show();
  preferenceWindow_->raise();
}

void WidgetsInterface::showAdvancedPreferenceWindow() {
  advancedPreferenceWindow_->show();
  advancedPreferenceWindow_->raise();
}

void WidgetsInterface::showClassificationWindow(const std::optional<QString>& firstSelection, const QString& hint,
                                                std::function<void(const std::optional<QString>&)> completion) {
  classificationManager_->showClassificationWindow(firstSelection, hint, std::move(completion));
}

void WidgetsInterface::quit() { QApplication::quit(); }
