#pragma once

#include <Qt>
#include <QtGlobal>
#include <optional>

#include "platform/input/hook_records.h"

namespace zt640 {

/// The keyboard record of a key typed into one of this program's own windows, for
/// when no hook watches the keyboard: the Qt key (with the keypad modifier telling
/// the number pad apart) becomes the Windows-style virtual key of the key catalogue,
/// and its catalogue row gives the scan code and extended flag. `native_virtual_key`
/// is the X keysym where the platform reports one; it tells right-hand modifiers from
/// left-hand ones. nullopt for a key the catalogue does not know.
[[nodiscard]] std::optional<platform::input::KeyHookRecord> KeyRecordFromQtKey(int key, Qt::KeyboardModifiers modifiers,
                                                                                quint32 native_virtual_key);

}  // namespace zt640
