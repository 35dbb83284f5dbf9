#pragma once

#include <QString>
#include <functional>
#include <optional>

#include "PelluxError.h"
#include "Record.h"

// The controller's ways into subsystems that plug in beside it (the account, the scanner
// monitor, the service). A hook left empty does nothing.
struct ControllerHooks {
  // Restores the account of the last session.
  std::function<void()> loadPelluxAccount;
  // Starts and stops following the scanner's arrival and removal.
  std::function<std::optional<PelluxError>()> startScannerMonitor;
  std::function<void()> stopScannerMonitor;
  // Stops the service polling timer.
  std::function<void()> stopPelluxPolling;
  // Checks the account with the service (the start of a synchronisation).
  std::function<void()> getAccountInformation;
  // Opens the account sheet.
  std::function<void()> navigateToCheckAccount;
  // Asks for the next card (reads it without the black-area check when so set).
  std::function<void()> startReading;
  // Starts the upload of a new card that waits for it.
  std::function<void(const RecordRef&)> uploadNewRecord;
  // The account as shown after a synchronisation.
  std::function<QString()> accountDescription;
};
