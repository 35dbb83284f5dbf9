#include "PreferenceWindows.h"

#include <QDialogButtonBox>
#include <QScrollArea>
#include <QVBoxLayout>

#include "Localization.h"
#include "PelluxClientPreference.h"
#include "PreferenceForm.h"

namespace {

QString local(const char* key) { return localized(QString::fromUtf8(key)); }

QDialog* windowAround(PreferenceForm* form, const QString& title, QWidget* parent) {
  auto* window = new QDialog(parent);
  window->setWindowTitle(title);
  auto* scroll = new QScrollArea(window);
  scroll->setWidget(form);
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, window);
  QObject::connect(buttons, &QDialogButtonBox::rejected, window, &QDialog::close);
  auto* layout = new QVBoxLayout(window);
  layout->addWidget(scroll);
  layout->addWidget(buttons);
  window->resize(520, 600);
  return window;
}

}  // namespace

QDialog* makePreferenceWindow(PreferenceStore& preferences, QWidget* parent) {
  auto* form = new PreferenceForm(preferences);
  form->addSection(local("Scanning"));
  form->addSwitch(kPelluxClientPreference_key_AutoStartScannerReading,
                  local("Start reading cards when the scanner is connected"));
  form->addSwitch(kPelluxClientPreference_key_cropBitmap,
                  local("Crop each card and reject scans with too much black area"));
  form->addReal(kPelluxClientPreference_key_jpegCompressionFactor, local("Image quality (0 to 1)"), 0, 1, 0.05);
  form->addIntegerChoice(kPelluxClientPreference_key_ImageRotationDegrees, local("Rotation of new cards"),
                         {0, 90, 180, 270});
  form->addSection(local("PELLUX service"));
  form->addSwitch(kPelluxClientPreference_key_AutoUploadToPellux, local("Upload new cards at once"));
  form->addSwitch(kPelluxClientPreference_key_AutoCheckOnPellux, local("Synchronise with the service regularly"));
  form->addInteger(kPelluxClientPreference_key_AutoCheckOnPelluxInterval, local("Every"), 1, 1440, local(" minutes"));
  form->addSwitch(kPelluxClientPreference_key_IgnoreItemOnOnlyPellux,
                  local("Ignore cards that exist only on the service"));
  form->addSwitch(kPelluxClientPreference_key_PreferHalfWidth,
                  local("Convert full-width letters and digits to half-width"));
  form->addSection(local("Export"));
  form->addChoice(kPelluxClientPreference_key_ExportFileEncoding, local("Character set of export files"),
                  {QStringLiteral("UTF-8"), QStringLiteral("Shift_JIS"), QStringLiteral("CP932"),
                   QStringLiteral("x-mac-japanese"), QStringLiteral("use_system_encoding")});
  form->addSwitch(kPelluxClientPreference_key_ExportWithImage, local("Include the card image"));
  form->addSwitch(kPelluxClientPreference_key_AutoExportToAdressbook,
                  local("Add downloaded cards to the address book"));
  form->addText(kPelluxClientPreference_key_exportToAdressbookGroupName, local("Address book group"));
  form->addSection(local("Application"));
  form->addSwitch(kPelluxClientPreference_key_SortWithKana, local("Sort names and companies by their reading"));
  form->addSwitch(kPelluxClientPreference_key_ShowBackgroundError, local("Show errors of background work in alerts"));
  form->addSwitch(kPelluxClientPreference_key_AutoVersionCheck, local("Check for a newer version at start"));
  return windowAround(form, local("Preferences"), parent);
}

QDialog* makeAdvancedPreferenceWindow(PreferenceStore& preferences, QWidget* parent) {
  auto* form = new PreferenceForm(preferences);
  form->addSection(local("Scanner"));
  form->addIntegerChoice(kPelluxClientPreference_key_ts860_dpi, local("Resolution (dpi)"), {200, 300, 400, 600});
  form->addReal(kPelluxClientPreference_key_ts860_width, local("Scan width (inches)"), 0.5, 4.3, 0.01);
  form->addReal(kPelluxClientPreference_key_ts860_height, local("Scan length (inches)"), 0.5, 12, 0.01);
  form->addInteger(kPelluxClientPreference_key_ts860_xoffset, local("Horizontal offset"), 0, 5000);
  form->addInteger(kPelluxClientPreference_key_ts860_yoffset, local("Vertical offset"), 0, 5000);
  form->addInteger(kPelluxClientPreference_key_ts860_brightness, local("Brightness"), 0, 65535);
  form->addInteger(kPelluxClientPreference_key_ts860_contrast, local("Contrast"), 0, 65535);
  form->addInteger(kPelluxClientPreference_key_ts860_highlight, local("Highlight"), 0, 255);
  form->addInteger(kPelluxClientPreference_key_ts860_shadow, local("Shadow"), 0, 255);
  form->addReal(kPelluxClientPreference_key_ts860_gamma, local("Gamma"), 0.1, 10, 0.1);
  form->addInteger(kPelluxClientPreference_key_ts860_scanwait, local("Pause before reading a card"), 0, 10000,
                   local(" ms"));
  form->addButton(local("Reset Scanner Settings"),
                  [&preferences] { PelluxClientPreference::resetScannerProperties(preferences); });
  form->addSection(local("Service addresses"));
  form->addText(kPelluxClientPreference_key_pelluxServerUrlBase, local("Service base address"));
  form->addText(kPelluxClientPreference_key_pelluxServerUrlForApp, local("Request address"));
  form->addText(kPelluxClientPreference_key_pelluxServerUrlForUserpage, local("User page address"));
  form->addSwitch(kPelluxClientPreference_key_pelluxUrlIgnoreSSLCertificateError,
                  local("Accept any certificate from the request address's host"));
  form->addSection(local("Updates and help"));
  form->addText(kPelluxClientPreference_key_VersionCheckUrl, local("Version file address"));
  form->addText("PelluxSupportUrl", local("Help page address"));
  return windowAround(form, local("Advanced Preferences"), parent);
}
