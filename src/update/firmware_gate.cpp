#include "update/firmware_gate.h"

#include <atomic>

namespace zt640 {

namespace {
std::atomic<bool> firmware_ok{false};
}  // namespace

FirmwareGateAction DecideFirmwareGate(uint16_t product_id, uint16_t version) {
  if (product_id != kGatedKeyboardProductId) return FirmwareGateAction::kIgnore;
  return version > kNewestTooOldFirmware ? FirmwareGateAction::kFirmwareOk : FirmwareGateAction::kOfferUpgrade;
}

void FirmwareOkFlag::Set(bool ok) { firmware_ok.store(ok); }

bool FirmwareOkFlag::IsSet() { return firmware_ok.load(); }

}  // namespace zt640
