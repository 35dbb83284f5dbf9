#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <optional>

#include "PelluxError.h"
#include "Record.h"

class PreferenceStore;

// The record store on disk: "records.plist" (every record, in list order, as an XML property
// list) and one image file per card, in the user's data folder.
//
// A records file that exists but cannot be read is never replaced: loading reports it and leaves
// the list alone, and saving refuses until the user has the file set aside.
class RecordStore {
 public:
  enum class LoadState { NotLoaded, Missing, Loaded, Unreadable };

  // folder: the data folder; it is created when first needed.
  explicit RecordStore(QString folder);

  // The user's store, in $XDG_DATA_HOME/TARVO/Quillory.
  static RecordStore& shared();
  static QString userDataFolder();

  // The data folder, created with its parents when missing; none (logged) when that fails.
  std::optional<QString> dataDirectory();
  QString recordsFilePath() const { return folder_ + QStringLiteral("/records.plist"); }

  // Replaces the list's contents with the stored records, migrating old ones (and saving once
  // when any was migrated). Leaves the list alone when there is no file or it cannot be read.
  void loadRecords(RecordList& list);
  bool saveRecords(const RecordList& list);

  LoadState loadState() const { return loadState_; }
  // Why the records file could not be read, for the user.
  QString loadProblem() const { return loadProblem_; }
  // The user's way out of an unreadable records file: renames it to
  // "records.plist.unreadable-<time>" (kept for recovery) so that saving works again. Gives the
  // new path.
  std::optional<QString> setAsideUnreadableRecords(std::optional<PelluxError>* error = nullptr);

  // Writes an image file with a new time-stamped name; gives its path, or none (logged).
  std::optional<QString> storeImageData(const QByteArray& data);
  // A new record whose image is these bytes, flagged and classified by the current settings.
  RecordRef recordWithImageData(const QByteArray& data, const PreferenceStore& preferences);

  // The full path of the record's image file, none when it has none.
  std::optional<QString> imagePathWithRecord(const Record& record) const;
  std::optional<QByteArray> jpegDataWithRecord(const Record& record) const;

 private:
  QString nextImageName();

  const QString folder_;
  bool folderReady_ = false;
  LoadState loadState_ = LoadState::NotLoaded;
  QString loadProblem_;
  QString namePattern_;
  QDateTime lastImageTime_;
};
