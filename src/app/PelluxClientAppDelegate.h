#pragma once

#include <QObject>
#include <QString>
#include <QVariant>
#include <functional>
#include <memory>
#include <optional>

#include "ClassificationTags.h"
#include "ControllerHooks.h"
#include "PelluxError.h"
#include "Record.h"
#include "RecordLocking.h"

class Notices;
class PreferenceStore;
class RecordStore;
class UpdateCheck;
class UserInterface;

// The one application controller: owns the record list and the locks, holds the state the
// windows show (as properties with change signals), runs the start-up, saves the store when the
// application deactivates or quits, and reports every outcome. It talks to the windows only
// through UserInterface; the scanner, account and service plug in through hooks().
class PelluxClientAppDelegate : public QObject {
  Q_OBJECT
  Q_PROPERTY(QString statusMessage READ statusMessage WRITE setStatusMessage NOTIFY statusMessageChanged)
  Q_PROPERTY(bool scannerConnected READ scannerConnected WRITE setScannerConnected NOTIFY scannerConnectedChanged)
  Q_PROPERTY(bool scannerWorking READ scannerWorking WRITE setScannerWorking NOTIFY scannerWorkingChanged)
  Q_PROPERTY(bool scannerWorkingOne READ scannerWorkingOne WRITE setScannerWorkingOne NOTIFY scannerWorkingOneChanged)
  Q_PROPERTY(bool scannerWorkingInProgress READ scannerWorkingInProgress WRITE setScannerWorkingInProgress NOTIFY
                 scannerWorkingInProgressChanged)
  Q_PROPERTY(bool scannerPolling READ scannerPolling WRITE setScannerPolling NOTIFY scannerPollingChanged)
  Q_PROPERTY(bool pelluxWorking READ pelluxWorking WRITE setPelluxWorking NOTIFY pelluxWorkingChanged)
  Q_PROPERTY(bool hasPelluxAccount READ hasPelluxAccount NOTIFY hasPelluxAccountChanged)
  Q_PROPERTY(bool terminating READ terminating WRITE setTerminating NOTIFY terminatingChanged)
  Q_PROPERTY(bool dataReady READ dataReady NOTIFY dataReadyChanged)
  Q_PROPERTY(bool disableCropBitmapOnceMode READ disableCropBitmapOnceMode WRITE setDisableCropBitmapOnceMode NOTIFY
                 disableCropBitmapOnceModeChanged)
  Q_PROPERTY(int currentImageViewRotation READ currentImageViewRotation NOTIFY currentImageViewRotationChanged)

 public:
  PelluxClientAppDelegate(UserInterface& ui, PreferenceStore& preferences, RecordStore& store,
                          QObject* parent = nullptr);
  ~PelluxClientAppDelegate() override;

  ControllerHooks& hooks() { return hooks_; }
  UserInterface& ui() { return ui_; }
  PreferenceStore& preferences() { return preferences_; }
  RecordStore& store() { return store_; }
  RecordLocking& locking() { return locking_; }

  // ---- application events ----
  void awakeFromNib();
  void applicationDidFinishLaunching();
  void applicationWillResignActive();
  void applicationWillTerminate();
  bool applicationOpenUntitledFile();
  // What the terminal front end runs instead of the window's start-up: the classification and
  // the record list, nothing that needs a window, the scanner or the service.
  void openRecordStore();

  // ---- commands ----
  void showPreference();
  void showAdvancedPreference();
  void showHelp();
  void testHit();
  void checkUpdateHit(bool bySender);
  void showClassificationPreference();
  void resetClassification();
  void selectClassificationHit();
  // Whether a file can become a card: an image by its extension (jpg, jpeg, png, gif, bmp, tiff).
  static bool acceptsImageFile(const QString& path);
  // Makes a card of an image file, as dropping it on the window does; gives the reason on failure.
  std::optional<PelluxError> importImageFile(const QString& path);

  // ---- records ----
  const RecordList& records() const { return records_; }
  // The records the list shows: those of the current classification that pass the search.
  RecordList arrangedRecords() const;
  bool saveRecords();
  RecordList updateRecords(const QVariantList& entries, const QString& function, int* errorCount,
                           QList<PelluxError>* errors);
  void setClassification(const std::optional<QString>& tag, const RecordList& records);
  // Changes (or, from the start-up, restores) the current classification.
  void setClassificationTag(const std::optional<QString>& tag, bool restoringAtStartUp);
  void setFindPredicate(ClassificationTags::RecordPredicate predicate);
  void updateRecordPredicate();

  // ---- notices ----
  void noticeErrors(const QVariant& errors, const QString& what, qint64 from, bool to);
  bool hasSender() const;
  void setStatusMessageForSelection();

  // ---- state ----
  QString statusMessage() const { return statusMessage_; }
  void setStatusMessage(const QString& message);
  bool scannerConnected() const { return scannerConnected_; }
  void setScannerConnected(bool value);
  bool scannerWorking() const { return scannerWorking_; }
  void setScannerWorking(bool value);
  bool scannerWorkingOne() const { return scannerWorkingOne_; }
  void setScannerWorkingOne(bool value);
  bool scannerWorkingInProgress() const { return scannerWorkingInProgress_; }
  void setScannerWorkingInProgress(bool value);
  bool scannerPolling() const { return scannerPolling_; }
  void setScannerPolling(bool value);
  bool pelluxWorking() const { return pelluxWorking_; }
  void setPelluxWorking(bool value);
  bool terminating() const { return terminating_; }
  void setTerminating(bool value);
  bool dataReady() const { return dataReady_; }
  bool disableCropBitmapOnceMode() const { return disableCropBitmapOnceMode_; }
  void setDisableCropBitmapOnceMode(bool value);
  int currentImageViewRotation() const { return currentImageViewRotation_; }
  void setImageViewRotation(int degrees);

  QString pelluxUser() const { return pelluxUser_; }
  void setPelluxUser(const QString& user);
  QString pelluxPass() const { return pelluxPass_; }
  void setPelluxPass(const QString& password);
  bool hasPelluxAccount() const { return !pelluxUser_.isEmpty() && !pelluxPass_.isEmpty(); }

  // The base address of the service's user pages.
  QString userPageBaseUrl() const;

 signals:
  void statusMessageChanged(const QString&);
  void scannerConnectedChanged(bool);
  void scannerWorkingChanged(bool);
  void scannerWorkingOneChanged(bool);
  void scannerWorkingInProgressChanged(bool);
  void scannerPollingChanged(bool);
  void pelluxWorkingChanged(bool);
  void hasPelluxAccountChanged(bool);
  void terminatingChanged(bool);
  void dataReadyChanged(bool);
  void disableCropBitmapOnceModeChanged(bool);
  void currentImageViewRotationChanged(int);
  void pelluxUserChanged(const QString&);
  void pelluxPassChanged(const QString&);
  // The list's records, or the filter that arranges them, changed.
  void recordsChanged();
  // The fields of these records changed in place.
  void recordsUpdated(const RecordList&);

 private:
  void setFlag(bool& field, bool value, void (PelluxClientAppDelegate::*changed)(bool));
  void setAccountField(QString& field, const QString& value, void (PelluxClientAppDelegate::*changed)(const QString&));
  void loadRecordList();
  void offerToSetAsideUnreadableStore();
  void askToLogIn();
  void openUserPage(const QString& page);

  UserInterface& ui_;
  PreferenceStore& preferences_;
  RecordStore& store_;
  RecordLocking locking_;
  ControllerHooks hooks_;
  std::unique_ptr<Notices> notices_;
  std::unique_ptr<UpdateCheck> updateCheck_;

  RecordList records_;
  ClassificationTags::RecordPredicate findPredicate_;
  ClassificationTags::RecordPredicate recordPredicate_;

  QString statusMessage_;
  bool scannerConnected_ = false;
  bool scannerWorking_ = false;
  bool scannerWorkingOne_ = false;
  bool scannerWorkingInProgress_ = false;
  bool scannerPolling_ = false;
  bool pelluxWorking_ = false;
  bool terminating_ = false;
  bool dataReady_ = false;
  bool disableCropBitmapOnceMode_ = false;
  int currentImageViewRotation_ = 0;
  QString pelluxUser_;
  QString pelluxPass_;
};
