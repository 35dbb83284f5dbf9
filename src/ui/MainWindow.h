#pragma once

#include <QMainWindow>

#include "Record.h"

class CardImageView;
class PelluxClientAppDelegate;
class QLabel;
class QLineEdit;
class QTableView;
class RecordTableModel;

// The main window: the record table, the selected card's image and fields, the search field, the
// status line with the account links, and the menus and toolbar of the commands that exist.
class MainWindow : public QMainWindow {
  Q_OBJECT
 public:
  explicit MainWindow(PelluxClientAppDelegate& app, QWidget* parent = nullptr);

  RecordList selectedRecords() const;
  void clearSelection();
  void setLink(int which, const QUrl& url);
  CardImageView* imageView() const { return imageView_; }
  QTableView* tableView() const { return table_; }

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void buildMenus();
  void buildToolbar();
  QWidget* buildFieldForm();
  void buildStatusLine();
  void showSelection();
  void importFile(const QString& path);
  void pasteImage();
  void chooseImageFile();

  PelluxClientAppDelegate& app_;
  RecordTableModel* model_;
  QTableView* table_;
  CardImageView* imageView_;
  QList<QLineEdit*> fields_;
  QLineEdit* search_ = nullptr;
  QLabel* links_[2] = {nullptr, nullptr};
  QString linkTexts_[2];
};
