#pragma once

#include <QAbstractTableModel>

#include "Record.h"

class PelluxClientAppDelegate;

// The record table: the controller's arranged records, one row each, with the status (icon and
// text), name, company, scan time and classification.
class RecordTableModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  enum Column { Status, Name, Company, Scanned, Classification, ColumnCount };

  explicit RecordTableModel(PelluxClientAppDelegate& app, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  RecordRef recordAt(int row) const { return rows_.value(row); }
  int rowOf(const RecordRef& record) const { return int(rows_.indexOf(record)); }

 private:
  void reload();
  void refresh(const RecordList& records);

  PelluxClientAppDelegate& app_;
  RecordList rows_;
};
