#include "RecordTableModel.h"

#include <QColor>
#include <QIcon>
#include <QLocale>
#include <QPainter>
#include <QPixmap>

#include "ClassificationTags.h"
#include "Localization.h"
#include "PelluxClientAppDelegate.h"
#include "PelluxFileObject.h"

namespace {

// A small coloured disc for each status icon name ("Uploaded_icon.png" and so on).
QIcon statusIcon(const QString& iconName) {
  static const QHash<QString, QColor> colours{{QStringLiteral("Created_icon.png"), QColor(0x9e9e9e)},
                                              {QStringLiteral("Scanned_icon.png"), QColor(0x607d8b)},
                                              {QStringLiteral("Uploading_icon.png"), QColor(0xffa000)},
                                              {QStringLiteral("Uploaded_icon.png"), QColor(0x1e88e5)},
                                              {QStringLiteral("Digitizing_icon.png"), QColor(0x8e24aa)},
                                              {QStringLiteral("Digitized_icon.png"), QColor(0x43a047)},
                                              {QStringLiteral("Downloaded_icon.png"), QColor(0x2e7d32)},
                                              {QStringLiteral("Rejected_icon.png"), QColor(0xe53935)},
                                              {QStringLiteral("Deleted_icon.png"), QColor(0x5d4037)}};
  static QHash<QString, QIcon> icons;
  auto it = icons.find(iconName);
  if (it != icons.end()) return *it;
  QPixmap disc(14, 14);
  disc.fill(Qt::transparent);
  QPainter painter(&disc);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setBrush(colours.value(iconName, QColor(0x9e9e9e)));
  painter.setPen(Qt::NoPen);
  painter.drawEllipse(1, 1, 12, 12);
  painter.end();
  return *icons.insert(iconName, QIcon(disc));
}

QString field(const Record& record, int type) {
  return record.value(PelluxFileObject::key_localDigitizedAttributes()).toMap().value(QString::number(type)).toString();
}

}  // namespace

RecordTableModel::RecordTableModel(PelluxClientAppDelegate& app, QObject* parent)
    : QAbstractTableModel(parent), app_(app) {
  connect(&app_, &PelluxClientAppDelegate::recordsChanged, this, &RecordTableModel::reload);
  connect(&app_, &PelluxClientAppDelegate::recordsUpdated, this, &RecordTableModel::refresh);
  rows_ = app_.arrangedRecords();
}

void RecordTableModel::reload() {
  beginResetModel();
  rows_ = app_.arrangedRecords();
  endResetModel();
}

void RecordTableModel::refresh(const RecordList& records) {
  for (const RecordRef& record : records) {
    const int row = rowOf(record);
    if (row >= 0) emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
  }
}

int RecordTableModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(rows_.size()); }

int RecordTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant RecordTableModel::data(const QModelIndex& index, int role) const {
  const RecordRef record = recordAt(index.row());
  if (!record) return {};
  using P = PelluxFileObject;
  if (role == Qt::DecorationRole && index.column() == Status)
    return statusIcon(record->string(P::key_localStatusIcon()));
  if (role == Qt::ToolTipRole && index.column() == Status) return record->string(P::key_localLastError());
  if (role != Qt::DisplayRole) return {};
  switch (index.column()) {
    case Status:
      return record->string(P::key_localStatus());
    case Name: {
      const QString name = field(*record, 1);
      return name.isEmpty() ? record->string(P::key_localFilename()) : name;
    }
    case Company:
      return field(*record, 3);
    case Scanned:
      return QLocale().toString(record->value(P::key_localScannedTime()).toDateTime().toLocalTime(),
                                QLocale::ShortFormat);
    case Classification:
      return ClassificationTags::nameForTag(record->contains(P::key_localClassificationTag())
                                                ? std::optional(record->string(P::key_localClassificationTag()))
                                                : std::nullopt,
                                            ClassificationTags::tags(app_.preferences()))
          .value_or(QString());
    default:
      return {};
  }
}

QVariant RecordTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  static const char* const titles[] = {"Status", "Name", "Company", "Scanned", "Classification"};
  return section >= 0 && section < ColumnCount ? localized(QLatin1String(titles[section])) : QVariant();
}
