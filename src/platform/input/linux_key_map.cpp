#include "platform/input/linux_key_map.h"

#include <linux/input-event-codes.h>

#include <array>

namespace zt640::platform::input {

namespace {

// Scan codes and virtual keys as a Windows low-level keyboard hook reports them on
// a PC keyboard: Pause arrives as 0x45 without the extended flag, Num Lock as 0x45
// with it; the Japanese, Korean and Brazilian keys by the HID usage the kernel maps
// to them.
constexpr std::array kKeys{
    LinuxKey{KEY_ESC, 0x01, false, 0x1B},
    LinuxKey{KEY_1, 0x02, false, 0x31},
    LinuxKey{KEY_2, 0x03, false, 0x32},
    LinuxKey{KEY_3, 0x04, false, 0x33},
    LinuxKey{KEY_4, 0x05, false, 0x34},
    LinuxKey{KEY_5, 0x06, false, 0x35},
    LinuxKey{KEY_6, 0x07, false, 0x36},
    LinuxKey{KEY_7, 0x08, false, 0x37},
    LinuxKey{KEY_8, 0x09, false, 0x38},
    LinuxKey{KEY_9, 0x0A, false, 0x39},
    LinuxKey{KEY_0, 0x0B, false, 0x30},
    LinuxKey{KEY_MINUS, 0x0C, false, 0xBD},
    LinuxKey{KEY_EQUAL, 0x0D, false, 0xBB},
    LinuxKey{KEY_BACKSPACE, 0x0E, false, 0x08},
    LinuxKey{KEY_TAB, 0x0F, false, 0x09},
    LinuxKey{KEY_Q, 0x10, false, 0x51},
    LinuxKey{KEY_W, 0x11, false, 0x57},
    LinuxKey{KEY_E, 0x12, false, 0x45},
    LinuxKey{KEY_R, 0x13, false, 0x52},
    LinuxKey{KEY_T, 0x14, false, 0x54},
    LinuxKey{KEY_Y, 0x15, false, 0x59},
    LinuxKey{KEY_U, 0x16, false, 0x55},
    LinuxKey{KEY_I, 0x17, false, 0x49},
    LinuxKey{KEY_O, 0x18, false, 0x4F},
    LinuxKey{KEY_P, 0x19, false, 0x50},
    LinuxKey{KEY_LEFTBRACE, 0x1A, false, 0xDB},
    LinuxKey{KEY_RIGHTBRACE, 0x1B, false, 0xDD},
    LinuxKey{KEY_ENTER, 0x1C, false, 0x0D},
    LinuxKey{KEY_LEFTCTRL, 0x1D, false, 0xA2},
    LinuxKey{KEY_A, 0x1E, false, 0x41},
    LinuxKey{KEY_S, 0x1F, false, 0x53},
    LinuxKey{KEY_D, 0x20, false, 0x44},
    LinuxKey{KEY_F, 0x21, false, 0x46},
    LinuxKey{KEY_G, 0x22, false, 0x47},
    LinuxKey{KEY_H, 0x23, false, 0x48},
    LinuxKey{KEY_J, 0x24, false, 0x4A},
    LinuxKey{KEY_K, 0x25, false, 0x4B},
    LinuxKey{KEY_L, 0x26, false, 0x4C},
    LinuxKey{KEY_SEMICOLON, 0x27, false, 0xBA},
    LinuxKey{KEY_APOSTROPHE, 0x28, false, 0xDE},
    LinuxKey{KEY_GRAVE, 0x29, false, 0xC0},
    LinuxKey{KEY_LEFTSHIFT, 0x2A, false, 0xA0},
    LinuxKey{KEY_BACKSLASH, 0x2B, false, 0xDC},
    LinuxKey{KEY_Z, 0x2C, false, 0x5A},
    LinuxKey{KEY_X, 0x2D, false, 0x58},
    LinuxKey{KEY_C, 0x2E, false, 0x43},
    LinuxKey{KEY_V, 0x2F, false, 0x56},
    LinuxKey{KEY_B, 0x30, false, 0x42},
    LinuxKey{KEY_N, 0x31, false, 0x4E},
    LinuxKey{KEY_M, 0x32, false, 0x4D},
    LinuxKey{KEY_COMMA, 0x33, false, 0xBC},
    LinuxKey{KEY_DOT, 0x34, false, 0xBE},
    LinuxKey{KEY_SLASH, 0x35, false, 0xBF},
    LinuxKey{KEY_RIGHTSHIFT, 0x36, true, 0xA1},
    LinuxKey{KEY_KPASTERISK, 0x37, false, 0x6A},
    LinuxKey{KEY_LEFTALT, 0x38, false, 0xA4},
    LinuxKey{KEY_SPACE, 0x39, false, 0x20},
    LinuxKey{KEY_CAPSLOCK, 0x3A, false, 0x14},
    LinuxKey{KEY_F1, 0x3B, false, 0x70},
    LinuxKey{KEY_F2, 0x3C, false, 0x71},
    LinuxKey{KEY_F3, 0x3D, false, 0x72},
    LinuxKey{KEY_F4, 0x3E, false, 0x73},
    LinuxKey{KEY_F5, 0x3F, false, 0x74},
    LinuxKey{KEY_F6, 0x40, false, 0x75},
    LinuxKey{KEY_F7, 0x41, false, 0x76},
    LinuxKey{KEY_F8, 0x42, false, 0x77},
    LinuxKey{KEY_F9, 0x43, false, 0x78},
    LinuxKey{KEY_F10, 0x44, false, 0x79},
    LinuxKey{KEY_NUMLOCK, 0x45, true, 0x90},
    LinuxKey{KEY_SCROLLLOCK, 0x46, false, 0x91},
    LinuxKey{KEY_KP7, 0x47, false, 0x67},
    LinuxKey{KEY_KP8, 0x48, false, 0x68},
    LinuxKey{KEY_KP9, 0x49, false, 0x69},
    LinuxKey{KEY_KPMINUS, 0x4A, false, 0x6D},
    LinuxKey{KEY_KP4, 0x4B, false, 0x64},
    LinuxKey{KEY_KP5, 0x4C, false, 0x65},
    LinuxKey{KEY_KP6, 0x4D, false, 0x66},
    LinuxKey{KEY_KPPLUS, 0x4E, false, 0x6B},
    LinuxKey{KEY_KP1, 0x4F, false, 0x61},
    LinuxKey{KEY_KP2, 0x50, false, 0x62},
    LinuxKey{KEY_KP3, 0x51, false, 0x63},
    LinuxKey{KEY_KP0, 0x52, false, 0x60},
    LinuxKey{KEY_KPDOT, 0x53, false, 0x6E},
    LinuxKey{KEY_102ND, 0x56, false, 0xE2},
    LinuxKey{KEY_F11, 0x57, false, 0x7A},
    LinuxKey{KEY_F12, 0x58, false, 0x7B},
    LinuxKey{KEY_RO, 0x73, false, 0xC1},
    LinuxKey{KEY_HENKAN, 0x79, false, 0xFF},
    LinuxKey{KEY_KATAKANAHIRAGANA, 0x70, false, 0xFF},
    LinuxKey{KEY_MUHENKAN, 0x7B, false, 0xEB},
    LinuxKey{KEY_KPENTER, 0x1C, true, 0x101},
    LinuxKey{KEY_RIGHTCTRL, 0x1D, true, 0xA3},
    LinuxKey{KEY_KPSLASH, 0x35, true, 0x6F},
    LinuxKey{KEY_SYSRQ, 0x37, true, 0x2C},
    LinuxKey{KEY_RIGHTALT, 0x38, true, 0xA5},
    LinuxKey{KEY_HOME, 0x47, true, 0x24},
    LinuxKey{KEY_UP, 0x48, true, 0x26},
    LinuxKey{KEY_PAGEUP, 0x49, true, 0x21},
    LinuxKey{KEY_LEFT, 0x4B, true, 0x25},
    LinuxKey{KEY_RIGHT, 0x4D, true, 0x27},
    LinuxKey{KEY_END, 0x4F, true, 0x23},
    LinuxKey{KEY_DOWN, 0x50, true, 0x28},
    LinuxKey{KEY_PAGEDOWN, 0x51, true, 0x22},
    LinuxKey{KEY_INSERT, 0x52, true, 0x2D},
    LinuxKey{KEY_DELETE, 0x53, true, 0x2E},
    LinuxKey{KEY_PAUSE, 0x45, false, 0x13},
    LinuxKey{KEY_KPCOMMA, 0x7E, false, 0xC2},
    LinuxKey{KEY_HANGEUL, 0x72, false, 0xFF},
    LinuxKey{KEY_HANJA, 0x71, false, 0xE9},
    LinuxKey{KEY_YEN, 0x7D, false, 0xFF},
    LinuxKey{KEY_LEFTMETA, 0x5B, true, 0x5B},
    LinuxKey{KEY_RIGHTMETA, 0x5C, true, 0x5C},
    LinuxKey{KEY_COMPOSE, 0x5D, true, 0x5D},
};

}  // namespace

std::span<const LinuxKey> LinuxKeyMap::Entries() { return kKeys; }

std::optional<LinuxKey> LinuxKeyMap::FromLinuxCode(std::uint16_t code) {
  for (const LinuxKey& key : kKeys) {
    if (key.code == code) return key;
  }
  return std::nullopt;
}

std::optional<std::uint16_t> LinuxKeyMap::ToLinuxCode(std::uint8_t scan_code, bool extended) {
  for (const LinuxKey& key : kKeys) {
    if (key.scan_code == scan_code && key.extended == extended) return key.code;
  }
  return std::nullopt;
}

}  // namespace zt640::platform::input
