#include "editors/qt_key_record.h"

#include <array>
#include <utility>

#include "profiles/key_catalogue.h"

namespace zt640 {

namespace {

// Windows-style virtual keys the catalogue uses.
constexpr std::uint16_t kVkNumpad0 = 0x60;
constexpr std::uint16_t kVkF1 = 0x70;
constexpr std::uint16_t kVkLeftShift = 0xA0;
constexpr std::uint16_t kVkRightShift = 0xA1;
constexpr std::uint16_t kVkLeftControl = 0xA2;
constexpr std::uint16_t kVkRightControl = 0xA3;
constexpr std::uint16_t kVkLeftAlt = 0xA4;
constexpr std::uint16_t kVkRightAlt = 0xA5;
constexpr std::uint16_t kVkLeftWin = 0x5B;
constexpr std::uint16_t kVkRightWin = 0x5C;
/// The catalogue's own code of the keypad Enter (Windows has none).
constexpr std::uint16_t kVkNumpadEnter = 0x101;

// X keysyms of the right-hand modifiers and of AltGr.
constexpr quint32 kXkShiftRight = 0xFFE2;
constexpr quint32 kXkControlRight = 0xFFE4;
constexpr quint32 kXkAltRight = 0xFFEA;
constexpr quint32 kXkSuperRight = 0xFFEC;
constexpr quint32 kXkIsoLevel3Shift = 0xFE03;

/// Keys whose virtual key does not follow from a range, shifted symbols by their
/// unshifted key (US layout, as the catalogue names them).
constexpr std::array<std::pair<int, std::uint16_t>, 56> kKeys = {{
    {Qt::Key_Escape, 0x1B},     {Qt::Key_Tab, 0x09},         {Qt::Key_Backtab, 0x09},     {Qt::Key_Backspace, 0x08},
    {Qt::Key_Return, 0x0D},     {Qt::Key_Insert, 0x2D},      {Qt::Key_Delete, 0x2E},      {Qt::Key_Pause, 0x13},
    {Qt::Key_Print, 0x2C},      {Qt::Key_Home, 0x24},        {Qt::Key_End, 0x23},         {Qt::Key_Left, 0x25},
    {Qt::Key_Up, 0x26},         {Qt::Key_Right, 0x27},       {Qt::Key_Down, 0x28},        {Qt::Key_PageUp, 0x21},
    {Qt::Key_PageDown, 0x22},   {Qt::Key_CapsLock, 0x14},    {Qt::Key_NumLock, 0x90},     {Qt::Key_ScrollLock, 0x91},
    {Qt::Key_Menu, 0x5D},       {Qt::Key_Space, 0x20},       {Qt::Key_Semicolon, 0xBA},   {Qt::Key_Colon, 0xBA},
    {Qt::Key_Equal, 0xBB},      {Qt::Key_Plus, 0xBB},        {Qt::Key_Comma, 0xBC},       {Qt::Key_Less, 0xBC},
    {Qt::Key_Minus, 0xBD},      {Qt::Key_Underscore, 0xBD},  {Qt::Key_Period, 0xBE},      {Qt::Key_Greater, 0xBE},
    {Qt::Key_Slash, 0xBF},      {Qt::Key_Question, 0xBF},    {Qt::Key_QuoteLeft, 0xC0},   {Qt::Key_AsciiTilde, 0xC0},
    {Qt::Key_BracketLeft, 0xDB}, {Qt::Key_BraceLeft, 0xDB},  {Qt::Key_Backslash, 0xDC},   {Qt::Key_Bar, 0xDC},
    {Qt::Key_BracketRight, 0xDD}, {Qt::Key_BraceRight, 0xDD}, {Qt::Key_Apostrophe, 0xDE}, {Qt::Key_QuoteDbl, 0xDE},
    {Qt::Key_Exclam, '1'},      {Qt::Key_At, '2'},           {Qt::Key_NumberSign, '3'},   {Qt::Key_Dollar, '4'},
    {Qt::Key_Percent, '5'},     {Qt::Key_AsciiCircum, '6'},  {Qt::Key_Ampersand, '7'},    {Qt::Key_Asterisk, '8'},
    {Qt::Key_ParenLeft, '9'},   {Qt::Key_ParenRight, '0'},   {Qt::Key_Super_L, kVkLeftWin}, {Qt::Key_Super_R, kVkRightWin},
}};

/// Keypad keys (Qt reports them with the keypad modifier).
constexpr std::array<std::pair<int, std::uint16_t>, 6> kKeypadKeys = {{
    {Qt::Key_Asterisk, 0x6A}, {Qt::Key_Plus, 0x6B}, {Qt::Key_Minus, 0x6D},
    {Qt::Key_Period, 0x6E},   {Qt::Key_Slash, 0x6F}, {Qt::Key_Enter, kVkNumpadEnter},
}};

std::optional<std::uint16_t> VirtualKey(int key, bool keypad, quint32 keysym) {
  switch (key) {
    case Qt::Key_Shift: return keysym == kXkShiftRight ? kVkRightShift : kVkLeftShift;
    case Qt::Key_Control: return keysym == kXkControlRight ? kVkRightControl : kVkLeftControl;
    case Qt::Key_Alt: return keysym == kXkAltRight ? kVkRightAlt : kVkLeftAlt;
    case Qt::Key_AltGr: return kVkRightAlt;
    case Qt::Key_Meta: return keysym == kXkSuperRight ? kVkRightWin : kVkLeftWin;
    case Qt::Key_Enter: return keypad ? kVkNumpadEnter : std::uint16_t{0x0D};
    default: break;
  }
  if (keysym == kXkIsoLevel3Shift) return kVkRightAlt;
  if (keypad) {
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return static_cast<std::uint16_t>(kVkNumpad0 + (key - Qt::Key_0));
    for (const auto& [qt_key, vk] : kKeypadKeys) {
      if (qt_key == key) return vk;
    }
  }
  if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9)) {
    return static_cast<std::uint16_t>(key);  // Qt and Windows share the ASCII codes here
  }
  if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return static_cast<std::uint16_t>(kVkF1 + (key - Qt::Key_F1));
  for (const auto& [qt_key, vk] : kKeys) {
    if (qt_key == key) return vk;
  }
  return std::nullopt;
}

}  // namespace

std::optional<platform::input::KeyHookRecord> KeyRecordFromQtKey(int key, Qt::KeyboardModifiers modifiers,
                                                                 quint32 native_virtual_key) {
  const std::optional<std::uint16_t> vk = VirtualKey(key, modifiers.testFlag(Qt::KeypadModifier), native_virtual_key);
  if (!vk) return std::nullopt;
  const std::optional<size_t> row = KeyCatalogue::FindByVirtualKey(*vk);
  if (!row) return std::nullopt;
  const KeyCatalogue::Row& entry = KeyCatalogue::Rows()[*row];
  if (!entry.has_scan_code) return std::nullopt;
  platform::input::KeyHookRecord record;
  record.virtual_key = entry.virtual_key;
  record.scan_code = entry.scan_code;
  record.extended = entry.extended;
  return record;
}

}  // namespace zt640
