#pragma once

#include <cstdint>

namespace zt640 {

/// The keyboard whose firmware the gate checks, and the newest firmware still too old.
inline constexpr uint16_t kGatedKeyboardProductId = 0x505B;
inline constexpr uint16_t kNewestTooOldFirmware = 0x0102;

/// What the main window does with the keyboard's firmware report (message 3332).
enum class FirmwareGateAction {
  kIgnore,        ///< another product: nothing happens
  kFirmwareOk,    ///< set the firmware-ok flag
  kOfferUpgrade,  ///< clear the flag, show "No_device_Link" and offer the upgrade package or quit
};

/// The gate's decision for a product id and its device version.
[[nodiscard]] FirmwareGateAction DecideFirmwareGate(uint16_t product_id, uint16_t version);

/// The process-wide firmware-ok flag (starts false); with it the tray toggle may hide
/// "No_device_Link". Safe to use from any thread.
class FirmwareOkFlag {
 public:
  static void Set(bool ok);
  [[nodiscard]] static bool IsSet();
};

}  // namespace zt640
