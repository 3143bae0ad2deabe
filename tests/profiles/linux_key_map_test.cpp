#include "platform/input/linux_key_map.h"

#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <set>

#include "profiles/key_catalogue.h"

namespace {

using zt640::KeyCatalogue;
using zt640::platform::input::LinuxKeyMap;

TEST(LinuxKeyMap, EveryCatalogueKeyWithAScanCode_HasALinuxKeyAndBack) {
  size_t covered = 0;
  for (const KeyCatalogue::Row& row : KeyCatalogue::Rows()) {
    if (!row.has_scan_code) continue;
    const auto code = LinuxKeyMap::ToLinuxCode(row.scan_code, row.extended);
    ASSERT_TRUE(code.has_value()) << row.name_key;
    const auto key = LinuxKeyMap::FromLinuxCode(*code);
    ASSERT_TRUE(key.has_value()) << row.name_key;
    EXPECT_EQ(key->scan_code, row.scan_code) << row.name_key;
    EXPECT_EQ(key->extended, row.extended) << row.name_key;
    EXPECT_EQ(key->virtual_key, row.virtual_key) << row.name_key;
    ++covered;
  }
  EXPECT_EQ(covered, KeyCatalogue::kScanRowCount);
}

TEST(LinuxKeyMap, CodesAndScanCodesAreEachUsedOnce) {
  std::set<int> codes;
  std::set<int> scans;
  for (const auto& key : LinuxKeyMap::Entries()) {
    EXPECT_TRUE(codes.insert(key.code).second) << key.code;
    EXPECT_TRUE(scans.insert(key.scan_code | (key.extended ? 0x100 : 0)).second) << key.code;
  }
}

TEST(LinuxKeyMap, KeysThatShareAScanCode_AreToldApartByTheExtendedFlag) {
  struct Case {
    int code;
    int scan_code;
    bool extended;
  };
  // Set-1 make codes of a PC keyboard; Pause and Num Lock as a low-level hook reports them.
  const Case cases[] = {{KEY_ENTER, 0x1C, false},   {KEY_KPENTER, 0x1C, true}, {KEY_LEFTCTRL, 0x1D, false},
                        {KEY_RIGHTCTRL, 0x1D, true}, {KEY_KP7, 0x47, false},    {KEY_HOME, 0x47, true},
                        {KEY_PAUSE, 0x45, false},    {KEY_NUMLOCK, 0x45, true}, {KEY_SYSRQ, 0x37, true},
                        {KEY_KPASTERISK, 0x37, false}};
  for (const Case& c : cases) {
    const auto key = LinuxKeyMap::FromLinuxCode(static_cast<std::uint16_t>(c.code));
    ASSERT_TRUE(key.has_value()) << c.code;
    EXPECT_EQ(key->scan_code, c.scan_code) << c.code;
    EXPECT_EQ(key->extended, c.extended) << c.code;
  }
  EXPECT_FALSE(LinuxKeyMap::FromLinuxCode(KEY_F13).has_value());
}

}  // namespace
