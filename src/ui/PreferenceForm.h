#pragma once

#include <QFormLayout>
#include <QStringList>
#include <QWidget>
#include <functional>

class PreferenceStore;

// A form whose fields edit settings directly: each field shows the setting's value when the form
// is shown and stores every change at once.
class PreferenceForm : public QWidget {
  Q_OBJECT
 public:
  PreferenceForm(PreferenceStore& preferences, QWidget* parent = nullptr);

  void addSwitch(const char* key, const QString& label);
  void addInteger(const char* key, const QString& label, int minimum, int maximum, const QString& suffix = {});
  void addReal(const char* key, const QString& label, double minimum, double maximum, double step);
  void addText(const char* key, const QString& label);
  void addChoice(const char* key, const QString& label, const QStringList& values);
  void addIntegerChoice(const char* key, const QString& label, const QList<int>& values);
  void addSection(const QString& title);
  void addButton(const QString& label, std::function<void()> action);

  // Shows the current values.
  void reload();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void store(const QString& key, const QVariant& value);

  PreferenceStore& preferences_;
  QFormLayout* layout_;
  QList<std::function<void()>> loaders_;
  bool loading_ = false;
};
