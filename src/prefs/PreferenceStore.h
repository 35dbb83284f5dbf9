#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <mutex>
#include <optional>
#include <shared_mutex>

#include "PelluxError.h"

// A per-user map from keys to property-list values, kept in one XML property-list file, with a
// layer of registered defaults under it: a read gives the user's own value, else the registered
// default, else nothing. Safe to use from any thread.
//
// Every change is written to the file at once (atomically), after taking in what another process
// (the command-line front end, say) wrote meanwhile, so no one's change is lost. A file that
// exists but cannot be read is never overwritten: it is moved aside, with a log line, before the
// first change is written.
class PreferenceStore {
 public:
  explicit PreferenceStore(const QString& path);

  // The user's store: $XDG_CONFIG_HOME/TARVO/Quillory.plist.
  static PreferenceStore& shared();
  static QString userStorePath();

  QString path() const { return path_; }
  // Why the file could not be read, or empty.
  QString loadError() const;

  // Adds defaults; an entry replaces a registered default of the same key.
  void registerDefaults(const QVariantMap& defaults);
  QVariantMap registeredDefaults() const;

  QVariant value(const QString& key) const;
  QVariant userValue(const QString& key) const;
  bool hasUserValue(const QString& key) const { return userValue(key).isValid(); }
  QVariantMap userValues() const;

  // Typed reads. A missing value gives false, 0, a null string or an empty container; a value of
  // another type is converted where that makes sense (the text "YES" or "true" reads as true, a
  // number reads as text, a number in text reads as a number).
  bool boolValue(const QString& key) const;
  qint64 integerValue(const QString& key) const;
  double doubleValue(const QString& key) const;
  QString stringValue(const QString& key) const;
  QByteArray dataValue(const QString& key) const;
  QVariantList arrayValue(const QString& key) const;
  QVariantMap dictionaryValue(const QString& key) const;

  std::optional<PelluxError> setValue(const QString& key, const QVariant& value);
  std::optional<PelluxError> removeValue(const QString& key);
  // Removes several keys with one write of the file.
  std::optional<PelluxError> removeValues(const QStringList& keys);
  // Reads the file again, taking in changes made by other processes.
  std::optional<PelluxError> synchronize();

 private:
  struct FileStamp {
    qint64 inode = -1, size = -1, modifiedNs = -1;
    bool operator==(const FileStamp&) const = default;
  };
  FileStamp currentStamp() const;
  std::optional<PelluxError> loadLocked();
  // Applies the changes (an invalid value removes its key) and writes the file.
  std::optional<PelluxError> change(const QVariantMap& changes);
  std::optional<PelluxError> moveUnreadableAsideLocked();

  const QString path_;
  mutable std::shared_mutex lock_;
  QVariantMap defaults_;
  QVariantMap values_;
  FileStamp stamp_;
  QString loadError_;
};
