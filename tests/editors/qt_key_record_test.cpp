#include "editors/qt_key_record.h"

#include <gtest/gtest.h>

namespace zt640 {
namespace {

// Set-1 scan codes and extended flags of the keys, as the keyboard sends them.
TEST(QtKeyRecordTest, QtKeysBecomeTheScanCodesOfTheCatalogue) {
  const struct {
    int key;
    Qt::KeyboardModifiers modifiers;
    quint32 keysym;
    std::uint32_t scan;
    bool extended;
  } cases[] = {
      {Qt::Key_A, Qt::NoModifier, 0, 0x1E, false},
      {Qt::Key_Exclam, Qt::ShiftModifier, 0, 0x02, false},  // Shift+1
      {Qt::Key_F12, Qt::NoModifier, 0, 0x58, false},
      {Qt::Key_CapsLock, Qt::NoModifier, 0, 0x3A, false},
      {Qt::Key_Enter, Qt::KeypadModifier, 0, 0x1C, true},
      {Qt::Key_Return, Qt::NoModifier, 0, 0x1C, false},
      {Qt::Key_7, Qt::KeypadModifier, 0, 0x47, false},
      {Qt::Key_Slash, Qt::KeypadModifier, 0, 0x35, true},
      {Qt::Key_Shift, Qt::ShiftModifier, 0xFFE1, 0x2A, false},
      {Qt::Key_Shift, Qt::ShiftModifier, 0xFFE2, 0x36, true},
      {Qt::Key_Alt, Qt::AltModifier, 0xFFEA, 0x38, true},
      {Qt::Key_AltGr, Qt::NoModifier, 0, 0x38, true},
      {Qt::Key_Left, Qt::NoModifier, 0, 0x4B, true},
  };
  for (const auto& c : cases) {
    const auto record = KeyRecordFromQtKey(c.key, c.modifiers, c.keysym);
    ASSERT_TRUE(record.has_value()) << std::hex << c.key;
    EXPECT_EQ(record->scan_code, c.scan) << std::hex << c.key;
    EXPECT_EQ(record->extended, c.extended) << std::hex << c.key;
  }
  EXPECT_FALSE(KeyRecordFromQtKey(Qt::Key_VolumeUp, Qt::NoModifier, 0).has_value());
  EXPECT_FALSE(KeyRecordFromQtKey(0, Qt::NoModifier, 0).has_value());
}

}  // namespace
}  // namespace zt640
