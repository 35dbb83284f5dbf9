#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QVariantMap>
#include <optional>

// The service's files: each uploaded card with its account, its image and its processing. A file
// is "accepted" when uploaded, "ocring" after half the processing time, and then "committed" (or
// "rejected" when its image cannot be read); "removed" once deleted. The status is worked out
// from the times, so it keeps moving across restarts. Kept in one property-list file plus one
// image file per card.
class FileStore {
 public:
  struct State {
    QString status;
    QString statusCode;
    qint64 lastModified = 0;  // milliseconds since 1970
    qint64 acceptedTime = 0;
    qint64 committedTime = 0;  // 0 until committed
  };

  FileStore(QString folder, qint64 processingMilliseconds)
      : folder_(std::move(folder)), processing_(processingMilliseconds) {}

  std::optional<QString> load();

  // The UUID text form (36 characters, hexadecimal groups 8-4-4-4-12); nothing else names a file.
  static bool isFileID(const QString& fileID);

  bool exists(const QString& fileID) const { return files_.contains(fileID.toUpper()); }
  // The account that owns the file, empty when there is no such file.
  QString owner(const QString& fileID) const;
  State state(const QString& fileID, qint64 now) const;
  QMap<int, QString> fields(const QString& fileID) const;
  QString creator(const QString& fileID) const;
  QByteArray image(const QString& fileID) const;
  // The account's file identifiers.
  QStringList filesOf(const QString& aid) const;

  // Each gives the reason when the change cannot be stored (and then changes nothing).
  std::optional<QString> add(const QString& fileID, const QString& aid, const QByteArray& image, bool readable,
                             const QMap<int, QString>& fields, const QVariantMap& details, qint64 now);
  std::optional<QString> remove(const QString& fileID, qint64 now);
  // A report of wrong fields, or (rework) a new image to be read again from the start.
  std::optional<QString> reupload(const QString& fileID, const QByteArray& image, bool readable,
                                  const QMap<int, QString>& fields, const QList<int>& wrongTypes, bool rework,
                                  qint64 now);

 private:
  std::optional<QString> save();
  QString imagePath(const QString& fileID) const;
  std::optional<QString> writeImage(const QString& fileID, const QByteArray& image);

  QString folder_;
  qint64 processing_;
  QVariantMap files_;  // file identifier (upper case) → its entry
};
