#include "PreferenceForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

#include "PelluxError.h"
#include "PreferenceStore.h"

PreferenceForm::PreferenceForm(PreferenceStore& preferences, QWidget* parent)
    : QWidget(parent), preferences_(preferences), layout_(new QFormLayout(this)) {
  layout_->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);
}

void PreferenceForm::store(const QString& key, const QVariant& value) {
  if (!loading_) preferences_.setValue(key, value);
}

void PreferenceForm::addSwitch(const char* key, const QString& label) {
  auto* box = new QCheckBox(label, this);
  const QString name = QLatin1String(key);
  box->setObjectName(name);
  layout_->addRow(QString(), box);
  loaders_ << [this, box, name] { box->setChecked(preferences_.boolValue(name)); };
  connect(box, &QCheckBox::toggled, this, [this, name](bool on) { store(name, on); });
}

void PreferenceForm::addInteger(const char* key, const QString& label, int minimum, int maximum,
                                const QString& suffix) {
  auto* box = new QSpinBox(this);
  const QString name = QLatin1String(key);
  box->setObjectName(name);
  box->setRange(minimum, maximum);
  box->setSuffix(suffix);
  layout_->addRow(label, box);
  loaders_ << [this, box, name] { box->setValue(int(preferences_.integerValue(name))); };
  connect(box, &QSpinBox::valueChanged, this, [this, name](int value) { store(name, qlonglong(value)); });
}

void PreferenceForm::addReal(const char* key, const QString& label, double minimum, double maximum, double step) {
  auto* box = new QDoubleSpinBox(this);
  const QString name = QLatin1String(key);
  box->setObjectName(name);
  box->setRange(minimum, maximum);
  box->setSingleStep(step);
  box->setDecimals(2);
  layout_->addRow(label, box);
  loaders_ << [this, box, name] { box->setValue(preferences_.doubleValue(name)); };
  connect(box, &QDoubleSpinBox::valueChanged, this, [this, name](double value) { store(name, value); });
}

void PreferenceForm::addText(const char* key, const QString& label) {
  auto* edit = new QLineEdit(this);
  const QString name = QLatin1String(key);
  edit->setObjectName(name);
  layout_->addRow(label, edit);
  loaders_ << [this, edit, name] { edit->setText(preferences_.stringValue(name)); };
  connect(edit, &QLineEdit::editingFinished, this, [this, edit, name] {
    // An emptied field returns the setting to its default.
    if (edit->text().isEmpty())
      preferences_.removeValue(name);
    else
      store(name, edit->text());
  });
}

void PreferenceForm::addChoice(const char* key, const QString& label, const QStringList& values) {
  auto* box = new QComboBox(this);
  const QString name = QLatin1String(key);
  box->setObjectName(name);
  box->addItems(values);
  layout_->addRow(label, box);
  loaders_ << [this, box, name] { box->setCurrentText(preferences_.stringValue(name)); };
  connect(box, &QComboBox::currentTextChanged, this, [this, name](const QString& value) { store(name, value); });
}

void PreferenceForm::addIntegerChoice(const char* key, const QString& label, const QList<int>& values) {
  auto* box = new QComboBox(this);
  const QString name = QLatin1String(key);
  box->setObjectName(name);
  for (int value : values) box->addItem(QString::number(value), value);
  layout_->addRow(label, box);
  loaders_ << [this, box, name] { box->setCurrentIndex(box->findData(int(preferences_.integerValue(name)))); };
  connect(box, &QComboBox::currentIndexChanged, this,
          [this, box, name](int index) { store(name, qlonglong(box->itemData(index).toInt())); });
}

void PreferenceForm::addSection(const QString& title) {
  auto* heading = new QLabel(QStringLiteral("<b>%1</b>").arg(title.toHtmlEscaped()), this);
  layout_->addRow(heading);
}

void PreferenceForm::addButton(const QString& label, std::function<void()> action) {
  auto* button = new QPushButton(label, this);
  layout_->addRow(QString(), button);
  connect(button, &QPushButton::clicked, this, [this, action] {
    action();
    reload();
  });
}

void PreferenceForm::reload() {
  loading_ = true;
  for (const auto& load : loaders_) load();
  loading_ = false;
}

void PreferenceForm::showEvent(QShowEvent* event) {
  reload();
  QWidget::showEvent(event);
}
