#include <gtest/gtest.h>

#include "devices/kalvex_usb_device.h"
#include "devices/keyboard/kalvex_keyboard_device.h"

namespace zt640 {
namespace {

struct TypeCase {
  int type_index;
  DeviceKind kind;
  int lights;
  int keys;
  bool wireless;
};

class DeviceTypeInfo_Test : public ::testing::TestWithParam<TypeCase> {};

TEST_P(DeviceTypeInfo_Test, RowCarriesItsCountsAndPrefix_AndSizesTheZones) {
  const TypeCase& expected = GetParam();
  const InterfaceCatalogue catalogue;
  const DeviceTypeInfo info =
      DeviceTypeInfo::FromRow(catalogue.Types()[static_cast<std::size_t>(expected.type_index)]);
  EXPECT_EQ(info.kind, expected.kind);
  EXPECT_EQ(info.light_count, expected.lights);
  EXPECT_EQ(info.key_count, expected.keys);
  EXPECT_EQ(info.wireless, expected.wireless);
  EXPECT_EQ(info.light_file_prefix, "vornik_light");
  EXPECT_EQ(info.folder_name, info.kind_name);

  CKalvexUSBDevice device({"/nonexistent/", "/nonexistent/"}, info.folder_name);
  device.BindCatalogueEntry(info);
  EXPECT_EQ(device.GetKind(), expected.kind);
  EXPECT_EQ(device.ZoneCount(), static_cast<std::size_t>(expected.lights));
  device.SetZoneColour(static_cast<std::size_t>(expected.lights), ZoneColour{1, 2, 3, 4});
  EXPECT_EQ(device.ZoneSnapshot().size(), static_cast<std::size_t>(expected.lights));
}

INSTANTIATE_TEST_SUITE_P(EveryType, DeviceTypeInfo_Test,
                         ::testing::Values(TypeCase{InterfaceCatalogue::kMouseType, DeviceKind::kMouse, 15, 11, true},
                                           TypeCase{InterfaceCatalogue::kKeyboardType, DeviceKind::kKeyboard, 170,
                                                    170, true},
                                           TypeCase{InterfaceCatalogue::kMousePadType, DeviceKind::kMousePad, 15, 0,
                                                    false},
                                           TypeCase{InterfaceCatalogue::kHeadsetType, DeviceKind::kHeadset, 13, 0,
                                                    false}));

TEST(DeviceTypeInfo_Keyboard, StartsAsTheBuiltInKeyboardType) {
  CKalvexKeyboardDevice keyboard({"/nonexistent/", "/nonexistent/"}, "keyboard");
  EXPECT_EQ(keyboard.GetKind(), DeviceKind::kKeyboard);
  EXPECT_EQ(keyboard.ZoneCount(), 170u);
  EXPECT_EQ(keyboard.CatalogueEntry().light_file_prefix, "vornik_light");
}

}  // namespace
}  // namespace zt640
