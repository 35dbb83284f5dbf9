#include "ClassificationManager.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "ClassificationTags.h"
#include "Localization.h"
#include "PreferenceStore.h"

namespace {
const QString kUuid = QStringLiteral("uuid");
const QString kName = QStringLiteral("name");
}  // namespace

ClassificationManager::ClassificationManager(PreferenceStore& preferences, QWidget* parent)
    : QDialog(parent), preferences_(preferences), table_(new QTableWidget(0, 1, this)), hint_(new QLabel(this)) {
  setWindowTitle(localized(QStringLiteral("Classifications")));
  setModal(false);
  table_->setObjectName(QStringLiteral("tagTable"));
  table_->setHorizontalHeaderLabels({localized(QStringLiteral("Name"))});
  table_->horizontalHeader()->setStretchLastSection(true);
  table_->verticalHeader()->hide();
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  hint_->setWordWrap(true);

  auto* buttons = new QHBoxLayout;
  const std::pair<const char*, void (ClassificationManager::*)()> actions[] = {
      {"Add", &ClassificationManager::addButtonHit},
      {"Remove", &ClassificationManager::removeButtonHit},
      {"Deselect", &ClassificationManager::deselectHit},
      {"Done", &ClassificationManager::doneHit}};
  for (const auto& [label, action] : actions) {
    auto* button = new QPushButton(localized(QLatin1String(label)), this);
    button->setObjectName(QLatin1String(label));
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, action);
    if (QLatin1String(label) == QLatin1String("Done")) buttons->addStretch();
    buttons->addWidget(button);
  }
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(hint_);
  layout->addWidget(table_);
  layout->addLayout(buttons);
  resize(380, 360);

  connect(table_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
    if (filling_) return;
    QVariantMap tag = tags_[item->row()].toMap();
    tag.insert(kName, item->text());
    tags_[item->row()] = tag;
    store();
  });
  connect(table_, &QTableWidget::cellDoubleClicked, this, [this] { doneHit(); });
  load();
}

void ClassificationManager::load() {
  tags_ = ClassificationTags::tags(preferences_);
  fillTable();
}

void ClassificationManager::store() { ClassificationTags::storeTags(preferences_, tags_); }

void ClassificationManager::fillTable() {
  filling_ = true;
  table_->setRowCount(int(tags_.size()));
  for (int row = 0; row < tags_.size(); ++row)
    table_->setItem(row, 0, new QTableWidgetItem(tags_[row].toMap().value(kName).toString()));
  filling_ = false;
}

void ClassificationManager::showClassificationWindow(const std::optional<QString>& firstSelection, const QString& hint,
                                                     Completion completion) {
  load();
  completion_ = std::move(completion);
  hint_->setText(hint);
  hint_->setVisible(!hint.isEmpty());
  table_->clearSelection();
  for (int row = 0; firstSelection && row < tags_.size(); ++row) {
    if (tags_[row].toMap().value(kUuid).toString() == *firstSelection) {
      table_->selectRow(row);
      break;
    }
  }
  show();
  raise();
  activateWindow();
}

std::optional<QString> ClassificationManager::nameForTag(const QString& tag) const {
  return ClassificationTags::nameForTag(tag, tags_);
}

void ClassificationManager::addButtonHit() {
  tags_.append(ClassificationTags::newTag());
  store();
  fillTable();
  const int row = int(tags_.size()) - 1;
  table_->selectRow(row);
  table_->editItem(table_->item(row, 0));
}

void ClassificationManager::removeButtonHit() {
  const QModelIndexList rows = table_->selectionModel()->selectedRows();
  QList<int> indexes;
  for (const QModelIndex& index : rows) indexes << index.row();
  std::sort(indexes.rbegin(), indexes.rend());
  for (int row : indexes) tags_.removeAt(row);
  store();
  fillTable();
}

void ClassificationManager::deselectHit() { table_->clearSelection(); }

void ClassificationManager::doneHit() {
  const QModelIndexList rows = table_->selectionModel()->selectedRows();
  std::optional<QString> tag;
  if (!rows.isEmpty()) tag = tags_[rows.first().row()].toMap().value(kUuid).toString();
  Completion completion = std::move(completion_);
  close();
  if (completion) completion(tag);
}

void ClassificationManager::closeEvent(QCloseEvent* event) {
  completion_ = nullptr;
  hint_->clear();
  QDialog::closeEvent(event);
}
