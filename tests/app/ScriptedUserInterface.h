#pragma once

#include <QList>
#include <QStringList>
#include <QUrl>
#include <deque>

#include "UserInterface.h"

// A window stand-in for controller tests: records what the controller showed and answers alerts
// from a queue (the default button when the queue is empty).
class ScriptedUserInterface : public UserInterface {
 public:
  std::deque<Button> answers;
  QList<Alert> alerts;
  QList<QUrl> openedUrls;
  QStringList titles;
  QList<std::pair<Link, QUrl>> links;
  QList<int> rotations;
  RecordList selection;
  bool mainWindowVisible = true;
  int quitCount = 0;
  int preferenceWindows = 0;
  std::function<void(const std::optional<QString>&)> classificationCompletion;
  std::optional<QString> classificationFirstSelection;

  Button runAlert(const Alert& alert) override {
    alerts.append(alert);
    if (answers.empty()) return Button::Default;
    const Button answer = answers.front();
    answers.pop_front();
    return answer;
  }
  void openUrl(const QUrl& url) override { openedUrls.append(url); }
  bool isMainWindowVisible() const override { return mainWindowVisible; }
  void showMainWindow() override { mainWindowVisible = true; }
  void setMainWindowTitle(const QString& title) override { titles.append(title); }
  void setLink(Link link, const QUrl& url) override { links.append({link, url}); }
  void rotateImageView(int degrees) override { rotations.append(degrees); }
  RecordList selectedRecords() const override { return selection; }
  void clearSelection() override { selection.clear(); }
  void showPreferenceWindow() override { ++preferenceWindows; }
  void showAdvancedPreferenceWindow() override { ++preferenceWindows; }
  void showClassificationWindow(const std::optional<QString>& firstSelection, const QString&,
                                std::function<void(const std::optional<QString>&)> completion) override {
    classificationFirstSelection = firstSelection;
    classificationCompletion = std::move(completion);
  }
  void quit() override { ++quitCount; }

  QStringList alertTitles() const {
    QStringList titles;
    for (const Alert& alert : alerts) titles << alert.title;
    return titles;
  }
};
