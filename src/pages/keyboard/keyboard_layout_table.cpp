#include "pages/keyboard/keyboard_layout_table.h"

#include <array>

namespace zt640 {

namespace {

// Block origins, in key widths.
constexpr double kMacro = 0;                            // M1-M5
constexpr double kMain = KeyboardLayoutTable::kMainLeft;  // 15u wide
constexpr double kNav = kMain + KeyboardLayoutTable::kMainWidth + 0.25;
constexpr double kPad = kNav + 3 + 0.25;
// Row tops: the function row, a gap, then five rows.
constexpr double kFn = 0;
constexpr double kR1 = KeyboardLayoutTable::kNumberRowTop;
constexpr double kR2 = kR1 + 1;
constexpr double kR3 = kR2 + 1;
constexpr double kR4 = kR3 + 1;
constexpr double kR5 = kR4 + 1;

constexpr int kNone = PictureSpot::kNone;

// UI key numbers of the keys that only some keyboards have.
constexpr int kIsoHash = 62;      // K42, left of Enter
constexpr int kIsoBackslash = 102;  // K45, right of Left Shift
constexpr int kYen = 101;         // K14, left of Backspace
constexpr int kRo = 100;          // K56, left of Right Shift
constexpr int kPadComma = 103;    // K107, under Num +
constexpr int kBackslash = 55;    // above Enter; an ISO board lacks it
constexpr int kRightWin = 125;

constexpr PictureSpot Key(int index, double x, double y, double width = 1, double height = 1,
                          std::array<int, 2> takes_over = {kNone, kNone}) {
  return PictureSpot{index, x, y, width, height, takes_over};
}

constexpr std::array kSpots = {
    // Macro column.
    Key(120, kMacro, kR1), Key(121, kMacro, kR2), Key(122, kMacro, kR3), Key(123, kMacro, kR4), Key(124, kMacro, kR5),

    // Function row: Esc, a 1u gap, then F1-F12 in groups of four, 0.5u apart.
    Key(0, kMain, kFn), Key(1, kMain + 2, kFn), Key(2, kMain + 3, kFn), Key(3, kMain + 4, kFn), Key(4, kMain + 5, kFn),
    Key(5, kMain + 6.5, kFn), Key(6, kMain + 7.5, kFn), Key(7, kMain + 8.5, kFn), Key(8, kMain + 9.5, kFn),
    Key(9, kMain + 11, kFn), Key(10, kMain + 12, kFn), Key(11, kMain + 13, kFn), Key(12, kMain + 14, kFn),
    Key(13, kNav, kFn), Key(14, kNav + 1, kFn), Key(15, kNav + 2, kFn),
    // GM and the second function key, over the number pad.
    Key(16, kPad + 2, kFn), Key(17, kPad + 3, kFn),

    // Number row: ` 1-0 - = (13u), Yen, Backspace.
    Key(21, kMain, kR1), Key(22, kMain + 1, kR1), Key(23, kMain + 2, kR1), Key(24, kMain + 3, kR1),
    Key(25, kMain + 4, kR1), Key(26, kMain + 5, kR1), Key(27, kMain + 6, kR1), Key(28, kMain + 7, kR1),
    Key(29, kMain + 8, kR1), Key(30, kMain + 9, kR1), Key(31, kMain + 10, kR1), Key(32, kMain + 11, kR1),
    Key(33, kMain + 12, kR1), Key(kYen, kMain + 13, kR1), Key(34, kMain + 14, kR1, 1, 1, {kYen, kNone}),
    Key(35, kNav, kR1), Key(36, kNav + 1, kR1), Key(37, kNav + 2, kR1),
    Key(38, kPad, kR1), Key(39, kPad + 1, kR1), Key(40, kPad + 2, kR1), Key(41, kPad + 3, kR1),

    // Tab row: Tab 1.5u, Q-P [ ] (12u), backslash 1.5u.
    Key(42, kMain, kR2, 1.5), Key(43, kMain + 1.5, kR2), Key(44, kMain + 2.5, kR2), Key(45, kMain + 3.5, kR2),
    Key(46, kMain + 4.5, kR2), Key(47, kMain + 5.5, kR2), Key(48, kMain + 6.5, kR2), Key(49, kMain + 7.5, kR2),
    Key(50, kMain + 8.5, kR2), Key(51, kMain + 9.5, kR2), Key(52, kMain + 10.5, kR2), Key(53, kMain + 11.5, kR2),
    Key(54, kMain + 12.5, kR2), Key(kBackslash, kMain + 13.5, kR2, 1.5),
    Key(56, kNav, kR2), Key(57, kNav + 1, kR2), Key(58, kNav + 2, kR2),
    Key(59, kPad, kR2), Key(60, kPad + 1, kR2), Key(61, kPad + 2, kR2), Key(119, kPad + 3, kR2, 1, 1, {kPadComma, kNone}),

    // Home row: Caps 1.75u, A-L ; ' (11u), ISO #, Enter 1.25u. Without the ISO key
    // Enter is 2.25u wide; without the backslash above it, it is the ISO L.
    Key(63, kMain, kR3, 1.75), Key(64, kMain + 1.75, kR3), Key(65, kMain + 2.75, kR3), Key(66, kMain + 3.75, kR3),
    Key(67, kMain + 4.75, kR3), Key(68, kMain + 5.75, kR3), Key(69, kMain + 6.75, kR3), Key(70, kMain + 7.75, kR3),
    Key(71, kMain + 8.75, kR3), Key(72, kMain + 9.75, kR3), Key(73, kMain + 10.75, kR3), Key(74, kMain + 11.75, kR3),
    Key(kIsoHash, kMain + 12.75, kR3), Key(75, kMain + 13.75, kR3, 1.25, 1, {kIsoHash, kBackslash}),
    // The input-method keys fill the free places of the navigation block.
    Key(80, kNav, kR3), Key(79, kNav + 1, kR3), Key(83, kNav + 2, kR3),
    Key(76, kPad, kR3), Key(77, kPad + 1, kR3), Key(78, kPad + 2, kR3), Key(kPadComma, kPad + 3, kR3),

    // Shift row: Left Shift 1.25u, ISO backslash, Z-/ (10u), Ro, Right Shift 1.75u.
    Key(84, kMain, kR4, 1.25, 1, {kIsoBackslash, kNone}), Key(kIsoBackslash, kMain + 1.25, kR4),
    Key(85, kMain + 2.25, kR4), Key(86, kMain + 3.25, kR4), Key(87, kMain + 4.25, kR4), Key(88, kMain + 5.25, kR4),
    Key(89, kMain + 6.25, kR4), Key(90, kMain + 7.25, kR4), Key(91, kMain + 8.25, kR4), Key(92, kMain + 9.25, kR4),
    Key(93, kMain + 10.25, kR4), Key(94, kMain + 11.25, kR4), Key(kRo, kMain + 12.25, kR4),
    Key(95, kMain + 13.25, kR4, 1.75, 1, {kRo, kNone}),
    Key(82, kNav, kR4), Key(96, kNav + 1, kR4), Key(81, kNav + 2, kR4),
    Key(97, kPad, kR4), Key(98, kPad + 1, kR4), Key(99, kPad + 2, kR4), Key(118, kPad + 3, kR4, 1, 2),

    // Bottom row: three 1.25u modifiers, the 6.25u space bar, five 1u keys.
    Key(105, kMain, kR5, 1.25), Key(106, kMain + 1.25, kR5, 1.25), Key(107, kMain + 2.5, kR5, 1.25),
    Key(108, kMain + 3.75, kR5, 6.25), Key(109, kMain + 10, kR5, 1, 1, {kRightWin, kNone}),
    Key(kRightWin, kMain + 11, kR5), Key(110, kMain + 12, kR5), Key(111, kMain + 13, kR5), Key(112, kMain + 14, kR5),
    Key(113, kNav, kR5), Key(114, kNav + 1, kR5), Key(115, kNav + 2, kR5),
    Key(116, kPad, kR5, 2), Key(117, kPad + 2, kR5),
};

}  // namespace

std::span<const PictureSpot> KeyboardLayoutTable::Spots() { return kSpots; }

}  // namespace zt640
