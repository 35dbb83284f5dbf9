#pragma once

#include <QString>

#include "Record.h"

// Status flags of a record ("local_statusFlag").
enum StatusFlag : quint32 {
  StatusFlagUploaded = 0x100,
  StatusFlagDigitizing = 0x200,
  StatusFlagDigitized = 0x400,
  StatusFlagRejected = 0x800,
  StatusFlagDeleted = 0x1000,
  StatusFlagDownloaded = 0x2000,
  StatusFlagUploading = 0x4000,
  StatusFlagReported = 0x8000,
  StatusFlagExportedToAddressBook = 0x20000,
  StatusFlagExportedToCsv = 0x40000,
  StatusFlagExportedToVCard = 0x80000,
  StatusFlagExportedToContactXML = 0x100000,
  StatusFlagFromService = 0x1000000,
  StatusFlagScanned = 0x2000000,
  StatusFlagHasDigitizedText = 0x10000000,
  StatusFlagAutoExportToAddressBook = 0x20000000,
};

// The record keys, the status computation and the record factories that need no storage.
class PelluxFileObject {
 public:
  static QString key_localRecordVersion() { return QStringLiteral("local_recordVersion"); }
  static QString key_localStatusFlag() { return QStringLiteral("local_statusFlag"); }
  static QString key_localStatus() { return QStringLiteral("local_status"); }
  static QString key_localStatusIcon() { return QStringLiteral("local_statusIcon"); }
  static QString key_localEditable() { return QStringLiteral("local_editable"); }
  static QString key_localFilepath() { return QStringLiteral("local_filepath"); }
  static QString key_localFilename() { return QStringLiteral("local_filename"); }
  static QString key_localImageRotation() { return QStringLiteral("local_imageRotation"); }
  static QString key_localScannedTime() { return QStringLiteral("local_scannedTime"); }
  static QString key_localUploadTime() { return QStringLiteral("local_uploadTime"); }
  static QString key_localDigitizedAttributes() { return QStringLiteral("local_digitizedAttributes"); }
  static QString key_localDigitizedAttributesOriginal() { return QStringLiteral("local_digitizedAttributesOriginal"); }
  static QString key_localDigitizedAttributesSearchTag() {
    return QStringLiteral("local_digitizedAttributes_searchTag");
  }
  static QString key_localAddressBookUuid() { return QStringLiteral("local_addressbookUuid"); }
  static QString key_localClassificationTag() { return QStringLiteral("local_classificationTag"); }
  static QString key_localLastError() { return QStringLiteral("local_lastError"); }
  static QString key_accountID() { return QStringLiteral("aid"); }
  static QString key_fileID() { return QStringLiteral("fileID"); }
  static QString key_fileStatus() { return QStringLiteral("status"); }
  static QString key_fileStatusCode() { return QStringLiteral("statusCode"); }
  static QString key_lastUpdateTime() { return QStringLiteral("lastModified"); }
  static QString key_acceptedTime() { return QStringLiteral("acceptedTime"); }
  static QString key_committedTime() { return QStringLiteral("committedTime"); }
  static QString key_digitizedTime() { return QStringLiteral("degitizedTime"); }
  static QString key_exportProperties() { return QStringLiteral("exportProperties"); }

  // "Downloaded", "Digitized", ... "Created": the strongest state the flags hold.
  static QString statusName(quint32 flags);
  // Whether the user may edit the fields and rotate the image.
  static bool isEditable(quint32 flags);
  // Recomputes the status text, icon name and editable value from the flags and status code.
  static void updateRecordStatus(Record& record);

  // A new empty record (format version 1).
  static RecordRef pelluxFileObject();
  // A record for a file that only the service has.
  static RecordRef recordWithFileID(const QString& fileID, const QString& accountID);
  // A fresh file identifier: a UUID in upper-case text, 36 characters.
  static QString newFileID();

  // Stores the image file's name (the path's last component) and its name without extension.
  static void setImagePath(const QString& path, Record& record);

  // Brings a record written by an older version up to date; true when it changed.
  static bool checkAndUpdateRecordVersion(Record& record);
};
