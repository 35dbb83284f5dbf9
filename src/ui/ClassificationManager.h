#pragma once

#include <QDialog>
#include <QVariantList>
#include <functional>
#include <optional>

class PreferenceStore;
class QLabel;
class QTableWidget;

// The classification tag editor: the user's tags in a table whose first column edits the name,
// with Add, Remove, Deselect and Done. Opened for one purpose at a time (choosing the current
// classification, or classifying cards); Done (or a double click) passes the selected tag on.
// Every addition, removal and renaming is stored at once.
class ClassificationManager : public QDialog {
  Q_OBJECT
 public:
  using Completion = std::function<void(const std::optional<QString>&)>;

  ClassificationManager(PreferenceStore& preferences, QWidget* parent = nullptr);

  void showClassificationWindow(const std::optional<QString>& firstSelection, const QString& hint,
                                Completion completion);
  // The name of a tag in the editor's list, none when it has none.
  std::optional<QString> nameForTag(const QString& tag) const;

  void addButtonHit();
  void removeButtonHit();
  void deselectHit();
  void doneHit();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void load();
  void store();
  void fillTable();

  PreferenceStore& preferences_;
  QVariantList tags_;
  QTableWidget* table_;
  QLabel* hint_;
  Completion completion_;
  bool filling_ = false;
};
