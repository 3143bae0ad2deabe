#include <gtest/gtest.h>

#include "update/firmware_gate.h"

namespace {

using zt640::DecideFirmwareGate;
using zt640::FirmwareGateAction;

TEST(FirmwareGate, OffersTheUpgradeUpToVersion0102) {
  EXPECT_EQ(DecideFirmwareGate(0x505B, 0x0102), FirmwareGateAction::kOfferUpgrade);
  EXPECT_EQ(DecideFirmwareGate(0x505B, 0x0000), FirmwareGateAction::kOfferUpgrade);
  EXPECT_EQ(DecideFirmwareGate(0x505B, 0x0103), FirmwareGateAction::kFirmwareOk);
  EXPECT_EQ(DecideFirmwareGate(0x505B, 0x0104), FirmwareGateAction::kFirmwareOk);
  EXPECT_EQ(DecideFirmwareGate(0x5089, 0x0102), FirmwareGateAction::kIgnore);
}

}  // namespace
