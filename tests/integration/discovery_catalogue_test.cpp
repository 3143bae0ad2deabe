#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "profiles/damaged_files.h"
#include "profiles/devices_json.h"
#include "shell/slot_table.h"

namespace zt640 {
namespace {

InterfaceCandidate Candidate(uint16_t vid, uint16_t pid, uint16_t mi, uint16_t col, uint16_t page, uint16_t usage,
                             std::string path = "/dev/hidraw0#x") {
  return {vid, pid, mi, col, page, usage, std::move(path)};
}

TEST(InterfaceCatalogue_Test, BuiltInRows_PartnersPointBackAndTypesMatchCableRows) {
  const InterfaceCatalogue catalogue;
  const auto& rows = catalogue.Rows();
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (rows[i].has_partner == 0) continue;
    EXPECT_EQ(rows[rows[i].partner].partner, i) << "row " << i;
  }
  EXPECT_EQ(catalogue.FindDeviceType(0x320F, 0x505B, DeviceKind::kKeyboard, 0), InterfaceCatalogue::kKeyboardType);
  EXPECT_EQ(catalogue.FindDeviceType(0x0000, 0x221C, DeviceKind::kMouse, 0), InterfaceCatalogue::kMouseType);
  EXPECT_EQ(catalogue.FindDeviceType(0x320F, 0x505B, DeviceKind::kKeyboard, 1), -1);
  EXPECT_EQ(catalogue.FindDeviceType(0x320F, 0x505B, DeviceKind::kKeyboardReceiver, 0), -1);
}

TEST(InterfaceCatalogue_Test, SetRowIds_RekeysTheTypeOfTheCableRowOnly) {
  InterfaceCatalogue catalogue;
  EXPECT_FALSE(catalogue.SetRowIds(0, 1, 2));
  EXPECT_FALSE(catalogue.SetRowIds(11, 1, 2));
  ASSERT_TRUE(catalogue.SetRowIds(4, 0x1234, 0x221C));
  EXPECT_EQ(catalogue.FindDeviceType(0x1234, 0x221C, DeviceKind::kMouse, 0), InterfaceCatalogue::kMouseType);
  EXPECT_EQ(catalogue.Rows()[5].vendor_id, 0);  // the secondary row is separate
  ASSERT_TRUE(catalogue.SetRowIds(6, 0x1234, 0x221D));
  EXPECT_EQ(catalogue.FindDeviceType(0x1234, 0x221C, DeviceKind::kMouse, 0), InterfaceCatalogue::kMouseType);
}

TEST(InterfaceCatalogue_Test, FindRow_GivesTheRowOfAKindAndRoleWithItsCurrentIds) {
  InterfaceCatalogue catalogue;
  EXPECT_EQ(catalogue.FindRow(DeviceKind::kKeyboard, kRoleCommand), &catalogue.Rows()[0]);
  EXPECT_EQ(catalogue.FindRow(DeviceKind::kKeyboard, kRoleSecondary), &catalogue.Rows()[1]);
  EXPECT_EQ(catalogue.FindRow(DeviceKind::kKeyboardReceiver, kRoleSecondary), &catalogue.Rows()[3]);
  EXPECT_EQ(catalogue.FindRow(DeviceKind::kHeadset, kRoleCommand), &catalogue.Rows()[10]);
  EXPECT_EQ(catalogue.FindRow(DeviceKind::kHeadset, kRoleSecondary), nullptr);
  EXPECT_EQ(catalogue.FindRow(DeviceKind::kNone, kRoleCommand), nullptr);
  const InterfaceSlot& cable = *catalogue.FindRow(DeviceKind::kKeyboard, kRoleCommand);
  EXPECT_EQ(cable.vendor_id, 0x320F);
  EXPECT_EQ(cable.product_id, 0x505B);
  EXPECT_EQ(cable.collection_number, 4);
  EXPECT_EQ(cable.usage_page, 0xFF1C);
  EXPECT_EQ(catalogue.FindRow(DeviceKind::kKeyboardReceiver, kRoleCommand)->vendor_id, 0);
  ASSERT_TRUE(catalogue.SetRowIds(2, 0x320F, 0x5089));
  EXPECT_EQ(catalogue.FindRow(DeviceKind::kKeyboardReceiver, kRoleCommand)->product_id, 0x5089);
}

TEST(DeviceKind_Test, RawCodesNameTheirKindsAndOthersNone) {
  const std::pair<int64_t, DeviceKind> known[] = {
      {1, DeviceKind::kKeyboard}, {9, DeviceKind::kKeyboardReceiver}, {2, DeviceKind::kMouse},
      {6, DeviceKind::kMouseReceiver}, {3, DeviceKind::kMousePad}, {7, DeviceKind::kHeadset}};
  for (const auto& [raw, kind] : known) {
    EXPECT_EQ(DeviceKindFromRaw(raw), kind) << raw;
    EXPECT_EQ(ToRaw(kind), raw);
  }
  for (const int64_t raw : {0, 8, 10, 255, -1, 65536 + 1}) EXPECT_EQ(DeviceKindFromRaw(raw), DeviceKind::kNone) << raw;
  EXPECT_TRUE(IsReceiverKind(DeviceKind::kKeyboardReceiver) && IsReceiverKind(DeviceKind::kMouseReceiver));
  EXPECT_TRUE(IsCableKind(DeviceKind::kKeyboard) && IsCableKind(DeviceKind::kMouse));
  for (const DeviceKind single : {DeviceKind::kMousePad, DeviceKind::kHeadset, DeviceKind::kNone}) {
    EXPECT_FALSE(IsReceiverKind(single) || IsCableKind(single)) << ToRaw(single);
  }
}

TEST(SlotTable_Test, ClaimAndRelease_FollowTheRules) {
  SlotTable slots{InterfaceCatalogue()};
  const InterfaceCandidate command = Candidate(0x320F, 0x505B, 1, 4, 0xFF1C, 0x92, "/dev/hidraw3#a");
  EXPECT_TRUE(slots.IsKnownAndFree(command));
  EXPECT_FALSE(slots.AllSlotsTaken());
  // Known by path fields but the usage differs: no claim.
  EXPECT_FALSE(slots.Claim(Candidate(0x320F, 0x505B, 1, 4, 0xFF1C, 0x93)).has_value());
  EXPECT_EQ(slots.Claim(command), std::optional<std::size_t>(0));
  EXPECT_EQ(slots.Slot(0)->path, "/dev/hidraw3#a");
  // A second identical interface waits until the slot is free.
  EXPECT_FALSE(slots.IsKnownAndFree(command));
  EXPECT_FALSE(slots.Claim(command).has_value());
  EXPECT_TRUE(slots.Release(0));
  EXPECT_FALSE(slots.Release(0));
  EXPECT_FALSE(slots.Release(99));
  EXPECT_TRUE(slots.IsKnownAndFree(command));
  // Unknown interfaces and the zero-id rows are never matched by a real device.
  EXPECT_FALSE(slots.IsKnownAndFree(Candidate(0x1111, 0x505B, 1, 4, 0xFF1C, 0x92)));
  EXPECT_FALSE(slots.Claim(Candidate(0x320F, 0x505B, 1, 4, 0xFF1C, 0x92, "")).has_value());
}

TEST(SlotTable_Test, FindSlotAndIdentity_ForReceiverAndSecondaryRows) {
  InterfaceCatalogue catalogue;
  ASSERT_TRUE(catalogue.SetRowIds(4, 0x1234, 0x221C));
  ASSERT_TRUE(catalogue.SetRowIds(5, 0x1234, 0x221C));
  ASSERT_TRUE(catalogue.SetRowIds(6, 0x1234, 0x221D));
  ASSERT_TRUE(catalogue.SetRowIds(7, 0x1234, 0x221D));
  SlotTable slots(catalogue);
  EXPECT_EQ(slots.FindSlot(0x1234, 0x221D, DeviceKind::kMouseReceiver, kRoleCommand), 6);
  EXPECT_EQ(slots.FindSlot(0x1234, 0x221D, DeviceKind::kMouseReceiver, kRoleSecondary), 7);
  EXPECT_EQ(slots.FindSlot(0x1234, 0x221D, DeviceKind::kMouse, kRoleCommand), -1);
  EXPECT_TRUE(SlotKeysEqual(*slots.IdentityRecord(6), *slots.Slot(4)));
  EXPECT_TRUE(SlotKeysEqual(*slots.IdentityRecord(7), *slots.Slot(4)));
  EXPECT_TRUE(SlotKeysEqual(*slots.IdentityRecord(5), *slots.Slot(4)));
  EXPECT_FALSE(slots.IdentityRecord(11).has_value());

  EXPECT_FALSE(slots.PartnerActive(4));
  ASSERT_TRUE(slots.Claim(Candidate(0x1234, 0x221D, 1, 4, 0xFF1C, 0x92, "/dev/hidraw9#r")).has_value());
  EXPECT_TRUE(slots.PartnerActive(4));
  EXPECT_FALSE(slots.PartnerActive(6));
  EXPECT_FALSE(slots.PartnerActive(8));  // the mouse pad has no partner
}

TEST(SlotTable_Test, AllSlotsTaken_IgnoresRowsWithoutVendorId) {
  SlotTable slots{InterfaceCatalogue()};
  ASSERT_TRUE(slots.Claim(Candidate(0x320F, 0x505B, 1, 4, 0xFF1C, 0x92, "/dev/hidraw3#a")).has_value());
  EXPECT_FALSE(slots.AllSlotsTaken());
  ASSERT_TRUE(slots.Claim(Candidate(0x320F, 0x505B, 1, 3, 0x000C, 0x01, "/dev/hidraw3#b")).has_value());
  EXPECT_TRUE(slots.AllSlotsTaken());
  InterfaceCatalogue with_pad;
  ASSERT_TRUE(with_pad.SetRowIds(8, 0x1234, 0x1004));
  SlotTable more(with_pad);
  ASSERT_TRUE(more.Claim(Candidate(0x320F, 0x505B, 1, 4, 0xFF1C, 0x92, "/dev/hidraw3#a")).has_value());
  ASSERT_TRUE(more.Claim(Candidate(0x320F, 0x505B, 1, 3, 0x000C, 0x01, "/dev/hidraw3#b")).has_value());
  EXPECT_FALSE(more.AllSlotsTaken());
}

TEST(SlotKeysEqual_Test, IgnoresClaimStateAndPath) {
  const InterfaceCatalogue catalogue;
  InterfaceSlot a = catalogue.Rows()[0];
  InterfaceSlot b = a;
  b.in_use = 1;
  b.path = "/dev/hidraw1#x";
  b.partner = 7;
  EXPECT_TRUE(SlotKeysEqual(a, b));
  b.role = kRoleSecondary;
  EXPECT_FALSE(SlotKeysEqual(a, b));
}

struct DevicesJsonCase {
  const char* text;
  bool parsed;
  std::size_t applied;
  std::size_t problems;
};

class DevicesJson_Test : public ::testing::TestWithParam<DevicesJsonCase> {};

TEST_P(DevicesJson_Test, AppliesValidEntriesAndReportsTheRest) {
  InterfaceCatalogue catalogue;
  const DevicesJson::Result result = DevicesJson::ApplyText(GetParam().text, catalogue);
  EXPECT_EQ(result.parsed, GetParam().parsed);
  EXPECT_EQ(result.rows_applied, GetParam().applied);
  EXPECT_EQ(result.problems.size(), GetParam().problems);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DevicesJson_Test,
    ::testing::Values(
        DevicesJsonCase{"", false, 0, 1}, DevicesJsonCase{"[1,2]", false, 0, 1},
        DevicesJsonCase{R"({"Interfaces":{}})", false, 0, 1}, DevicesJsonCase{R"({"Interfaces":[]})", true, 0, 0},
        DevicesJsonCase{R"({"Interfaces":[{"Row":8,"VendorId":"0x1A2b","ProductId":4100}]})", true, 1, 0},
        DevicesJsonCase{R"({"Interfaces":[{"Row":1,"VendorId":1,"ProductId":1}]})", true, 0, 1},
        DevicesJsonCase{R"({"Interfaces":[{"Row":11,"VendorId":1,"ProductId":1}]})", true, 0, 1},
        DevicesJsonCase{R"({"Interfaces":[{"Row":"4","VendorId":1,"ProductId":1}]})", true, 0, 1},
        DevicesJsonCase{R"({"Interfaces":[{"Row":4,"VendorId":65536,"ProductId":1}]})", true, 0, 1},
        DevicesJsonCase{R"({"Interfaces":[{"Row":4,"VendorId":-1,"ProductId":1}]})", true, 0, 1},
        DevicesJsonCase{R"({"Interfaces":[{"Row":4,"VendorId":"0x","ProductId":1}]})", true, 0, 1},
        DevicesJsonCase{R"({"Interfaces":[{"Row":4,"VendorId":"0x12345","ProductId":1}]})", true, 0, 1},
        DevicesJsonCase{R"({"Interfaces":[{"Row":4,"VendorId":"12","ProductId":1}]})", true, 0, 1},
        DevicesJsonCase{R"({"Interfaces":[{"Row":4,"VendorId":1.5,"ProductId":1}]})", true, 0, 1},
        DevicesJsonCase{R"({"Interfaces":[7,{"Row":10,"VendorId":"0xFFFF","ProductId":"0X0001"}]})", true, 1, 1}));

TEST(DevicesJson_Test, NestingDeeperThanTheReaderAllowsIsRefusedNotFatal) {
  InterfaceCatalogue catalogue;
  const std::string text = R"({"Interfaces":)" + std::string(5000, '[');
  const DevicesJson::Result result = DevicesJson::ApplyText(text, catalogue);
  EXPECT_FALSE(result.parsed);
  EXPECT_EQ(result.rows_applied, 0u);
}

TEST(DevicesJsonFile_Test, MissingFileChangesNothingAndPresentFileApplies) {
  InterfaceCatalogue catalogue;
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "zt640-devices-json-test";
  std::filesystem::create_directories(folder);
  const std::string path = (folder / "devices.json").string();
  std::filesystem::remove(path);
  DevicesJson::Result result = DevicesJson::ApplyFile(path, catalogue);
  EXPECT_FALSE(result.file_present);
  EXPECT_TRUE(result.problems.empty());
  std::ofstream(path) << R"({"Interfaces":[{"Row":10,"VendorId":"0x320F","ProductId":"0x1630"}]})";
  result = DevicesJson::ApplyFile(path, catalogue);
  EXPECT_TRUE(result.file_present);
  EXPECT_EQ(result.rows_applied, 1u);
  EXPECT_EQ(catalogue.FindDeviceType(0x320F, 0x1630, DeviceKind::kHeadset, 0), InterfaceCatalogue::kHeadsetType);
  EXPECT_FALSE(DamagedFiles::IsRecorded(path));
  // A truncated file applies nothing, is told to the user and stays as it is.
  std::ofstream(path) << R"({"Interfaces":[{"Row":10,"Vend)";
  result = DevicesJson::ApplyFile(path, catalogue);
  EXPECT_FALSE(result.parsed);
  EXPECT_TRUE(DamagedFiles::IsRecorded(path));
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace zt640
