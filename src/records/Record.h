#pragma once

#include <QList>
#include <QMetaType>
#include <QString>
#include <QVariantMap>
#include <memory>

// One business card: a map from record keys to values. Records are shared and changed only on the
// main thread; their identity is the object, so the list, locks and update entries hold
// RecordRefs. Workers read a copy of the map taken when their job starts.
class Record {
 public:
  Record() = default;
  explicit Record(QVariantMap values) : values_(std::move(values)) {}

  const QVariantMap& values() const { return values_; }
  QVariant value(const QString& key) const { return values_.value(key); }
  bool contains(const QString& key) const { return values_.contains(key); }
  QString string(const QString& key) const { return values_.value(key).toString(); }
  void setValue(const QString& key, const QVariant& value) { values_.insert(key, value); }
  void remove(const QString& key) { values_.remove(key); }

  quint32 statusFlags() const;
  void setStatusFlags(quint32 flags);

 private:
  QVariantMap values_;
};

using RecordRef = std::shared_ptr<Record>;
using RecordList = QList<RecordRef>;

Q_DECLARE_METATYPE(RecordRef)
Q_DECLARE_METATYPE(RecordList)

inline RecordRef makeRecord(QVariantMap values = {}) { return std::make_shared<Record>(std::move(values)); }
