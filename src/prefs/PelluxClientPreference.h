#pragma once

#include <QStringList>
#include <QVariantMap>
#include <optional>

#include "PelluxError.h"

class PreferenceStore;

// The application's setting keys. Keys without a constant are written as literals where used.

// Scanner and image.
inline constexpr char kPelluxClientPreference_key_ts860_dpi[] = "ts860_dpi";
inline constexpr char kPelluxClientPreference_key_ts860_width[] = "ts860_width";
inline constexpr char kPelluxClientPreference_key_ts860_height[] = "ts860_height";
inline constexpr char kPelluxClientPreference_key_ts860_xoffset[] = "ts860_xoffset";
inline constexpr char kPelluxClientPreference_key_ts860_yoffset[] = "ts860_yoffset";
inline constexpr char kPelluxClientPreference_key_ts860_brightness[] = "ts860_brightness";
inline constexpr char kPelluxClientPreference_key_ts860_contrast[] = "ts860_contrast";
inline constexpr char kPelluxClientPreference_key_ts860_highlight[] = "ts860_highlight";
inline constexpr char kPelluxClientPreference_key_ts860_shadow[] = "ts860_shadow";
inline constexpr char kPelluxClientPreference_key_ts860_gamma[] = "ts860_gamma";
inline constexpr char kPelluxClientPreference_key_ts860_scanwait[] = "ts860_scanwait";
inline constexpr char kPelluxClientPreference_key_ts860_calibrationData[] = "ts860_calibrationData";
inline constexpr char kPelluxClientPreference_key_ts860_supports_shiro[] = "ts860_supports_shiro";
inline constexpr char kPelluxClientPreference_key_jpegCompressionFactor[] = "jpegCompressionFactor";
inline constexpr char kPelluxClientPreference_key_cropBitmap[] = "cropBitmap";
inline constexpr char kPelluxClientPreference_key_AutoStartScannerReading[] = "AutoStartScannerReading";
inline constexpr char kPelluxClientPreference_key_ImageRotationDegrees[] = "ImageRotationDegrees";

// Application.
inline constexpr char kPelluxClientPreference_key_AutoVersionCheck[] = "AutoVersionCheck";
inline constexpr char kPelluxClientPreference_key_VersionCheckUrl[] = "VersionCheckUrl";
inline constexpr char kPelluxClientPreference_key_ShowBackgroundError[] = "ShowBackgroundError";
inline constexpr char kPelluxClientPreference_key_SortWithKana[] = "SortWithKana";
inline constexpr char kPelluxClientPreference_key_ClassificationSelection[] = "ClassificationSelection";
inline constexpr char kPelluxClientPreference_key_ClassificationTags[] = "ClassificationTags";

// Service.
inline constexpr char kPelluxClientPreference_key_pelluxServerUrlBase[] = "PelluxServerBaseUrl";
inline constexpr char kPelluxClientPreference_key_pelluxServerUrlForApp[] = "PelluxServerUrlForApp";
inline constexpr char kPelluxClientPreference_key_pelluxServerUrlForUserpage[] = "PelluxServerUrlForUserpage";
inline constexpr char kPelluxClientPreference_key_pelluxUrlIgnoreSSLCertificateError[] =
    "pelluxUrlIgnoreSSLCertificateError";
inline constexpr char kPelluxClientPreference_key_pelluxUsername[] = "username";
inline constexpr char kPelluxClientPreference_key_SavePelluxPassword[] = "SavePelluxPassword";
inline constexpr char kPelluxClientPreference_key_AutoUploadToPellux[] = "AutoUploadToPellux";
inline constexpr char kPelluxClientPreference_key_AutoCheckOnPellux[] = "AutoCheckOnPellux";
inline constexpr char kPelluxClientPreference_key_AutoCheckOnPelluxInterval[] = "AutoCheckOnPelluxInterval";
inline constexpr char kPelluxClientPreference_key_IgnoreItemOnOnlyPellux[] = "IgnoreItemOnOnlyPellux";
inline constexpr char kPelluxClientPreference_key_PreferHalfWidth[] = "PreferHalfWidth";
inline constexpr char kPelluxClientPreference_key_chopStrings[] = "chopStrings";

// Export.
inline constexpr char kPelluxClientPreference_key_AutoExportToAdressbook[] = "AutoExportToAdressbook";
inline constexpr char kPelluxClientPreference_key_exportToAdressbookGroupName[] = "AddressBookGroupName";
inline constexpr char kPelluxClientPreference_key_exportToAdressbookGroupNameWithClassificationTag[] =
    "AddressBookGroupNameWithClassificationTag";
inline constexpr char kPelluxClientPreference_key_exportToAdressbookEvenIfHasClassificationTag[] =
    "exportToAdressbookEvenIfHasClassificationTag";
inline constexpr char kPelluxClientPreference_key_ExportWithImage[] = "ExportWithImage";
inline constexpr char kPelluxClientPreference_key_ExportFileEncoding[] = "ExportFileEncoding";

// The service's two addresses: the request endpoint and the user web pages.
struct ServiceEndpoints {
  QString app;
  QString userPage;
};

// Registration of the default values and the scanner settings reset.
class PelluxClientPreference {
 public:
  // The endpoints the settings name: an explicit address wins, else the base address followed by
  // "app/" or "meishi/", else the local service on this machine.
  static ServiceEndpoints serviceEndpoints(const PreferenceStore& store);

  // Registers the defaults in the user's store the first time it is called; later calls do
  // nothing. Every part that reads settings calls it before its first read.
  static void preparePreference();

  // The defaults: the driver's ten scan-parameter defaults, then the entries of the bundled
  // "UserDefaults" resource, then those of "LocalizedUserDefaults" (the copy for the first of the
  // given languages that has one), each replacing earlier entries of the same key.
  static QVariantMap defaultValues(const QStringList& languages);

  // The scanner and image settings that the reset command returns to their defaults, in order.
  static QStringList scannerPropertyKeys();

  // Removes the user's values of the scanner properties; the calibration data stays.
  static std::optional<PelluxError> resetScannerProperties(PreferenceStore& store);
};
