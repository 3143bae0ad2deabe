#include "devices/keyboard/keyboard_effect_tables.h"

namespace zt640 {
namespace {

using Row = std::array<uint8_t, KeyboardEffectTables::kRows>;

constexpr std::array<Row, KeyboardEffectTables::kColumns> kGrid = {{
    {170, 120, 121, 122, 123, 124}, {170, 21, 42, 63, 84, 105}, {0, 22, 43, 64, 102, 106},
    {1, 23, 44, 65, 85, 20},        {2, 24, 45, 66, 86, 107},   {3, 25, 46, 67, 87, 126},
    {4, 26, 47, 68, 88, 127},       {18, 27, 48, 69, 89, 108},  {5, 28, 49, 70, 90, 128},
    {6, 29, 50, 71, 91, 129},       {7, 30, 51, 72, 92, 109},   {8, 31, 52, 73, 93, 125},
    {9, 32, 53, 74, 94, 110},       {10, 33, 54, 62, 100, 111}, {11, 34, 55, 75, 19, 130},
    {12, 101, 103, 79, 95, 112},    {13, 35, 170, 82, 80, 113}, {14, 170, 57, 83, 96, 114},
    {15, 170, 170, 17, 81, 115},    {56, 38, 59, 76, 97, 116},  {58, 39, 60, 77, 98, 104},
    {37, 40, 61, 78, 99, 117},      {36, 41, 16, 119, 118, 131},
}};

// 107 keys: along the top row right to left, down the left edge, along the
// bottom row, back along row 1, and snaking through rows 2-4.
constexpr std::array<uint8_t, 107> kKeyOrder = {
    15, 14, 13, 12, 11, 10, 9,  8,  7,  6,  5,  4,  3,  2,   1,  0,  21, 42, 63, 84, 105, 106,
    107, 108, 109, 125, 110, 111, 112, 113, 114, 115, 116, 117, 118, 119, 41, 40, 39, 38, 37, 36,
    35, 34, 33, 32, 31, 30, 29, 28, 27, 26, 25, 24, 23, 22, 43, 64, 102, 85, 86, 87, 88, 89,
    90, 91, 92, 93, 94, 95, 96, 97, 98, 99, 78, 61, 60, 59, 58, 57, 56, 55, 54, 53, 52, 51,
    50, 49, 48, 47, 46, 45, 44, 65, 66, 67, 68, 69, 70, 71, 72, 73, 74, 62, 75, 76, 77};

// A raised cosine from 8 up to 255 at step 48 and back: kColumnSweep's columns swell
// and ebb smoothly, one step apart, so the sweep reads as one soft band.
constexpr std::array<uint8_t, 96> kSweepCurve = {
    8,   8,   9,   10,  12,  15,  17,  21,  25,  29,  34,  39,  44,  50,  56,  63,
    70,  77,  84,  92,  100, 107, 115, 123, 132, 140, 148, 156, 163, 171, 179, 186,
    193, 200, 207, 213, 219, 224, 229, 234, 238, 242, 246, 248, 251, 253, 254, 255,
    255, 255, 254, 253, 251, 248, 246, 242, 238, 234, 229, 224, 219, 213, 207, 200,
    193, 186, 179, 171, 163, 156, 148, 140, 132, 123, 115, 107, 100, 92,  84,  77,
    70,  63,  56,  50,  44,  39,  34,  29,  25,  21,  17,  15,  12,  10,  9,   8};

// A spark: a quick rise to full over the first quarter (sine squared), then a
// long cosine-squared decay to dark, so each key flashes and fades out.
constexpr std::array<uint8_t, 192> kTwinkleCurve = {
    0,   0,   1,   2,   4,   7,   10,  13,  17,  21,  26,  32,  37,  43,  50,  57,
    64,  71,  79,  87,  95,  103, 111, 119, 127, 136, 144, 152, 160, 168, 176, 184,
    191, 198, 205, 212, 218, 223, 229, 234, 238, 242, 245, 248, 251, 253, 254, 255,
    255, 255, 255, 255, 255, 254, 254, 254, 253, 253, 252, 251, 251, 250, 249, 248,
    247, 246, 245, 244, 243, 242, 241, 239, 238, 237, 235, 234, 232, 230, 229, 227,
    225, 223, 222, 220, 218, 216, 214, 212, 209, 207, 205, 203, 201, 198, 196, 194,
    191, 189, 186, 184, 181, 179, 176, 174, 171, 168, 166, 163, 160, 158, 155, 152,
    150, 147, 144, 141, 139, 136, 133, 130, 128, 125, 122, 119, 116, 114, 111, 108,
    105, 103, 100, 97,  95,  92,  89,  87,  84,  81,  79,  76,  74,  71,  69,  66,
    64,  61,  59,  57,  54,  52,  50,  48,  46,  43,  41,  39,  37,  35,  33,  32,
    30,  28,  26,  25,  23,  21,  20,  18,  17,  16,  14,  13,  12,  11,  10,  9,
    8,   7,   6,   5,   4,   4,   3,   2,   2,   1,   1,   1,   0,   0,   0,   0};

// Start phases of kTwinklePath, one per grid cell ([row][column], a seventh row for
// the cells below the grid): scattered over 0-191 by a fixed linear
// congruential sequence, so neighbouring keys spark at unrelated moments.
constexpr std::array<std::array<uint8_t, KeyboardEffectTables::kColumns>, 7> kTwinkleLayout = {{
    {22, 103, 92, 150, 92, 162, 79, 109, 183, 51, 68, 47, 114, 54, 105, 25, 91, 134, 40, 39, 60, 64, 174},
    {148, 34, 64, 102, 94, 152, 34, 62, 63, 43, 129, 32, 51, 167, 122, 57, 56, 24, 105, 53, 72, 74, 170},
    {127, 96, 72, 152, 132, 60, 31, 144, 48, 23, 155, 110, 175, 46, 7, 78, 172, 125, 177, 75, 84, 64, 163},
    {66, 19, 115, 106, 15, 85, 17, 81, 142, 5, 151, 37, 26, 145, 129, 178, 80, 35, 138, 68, 140, 103, 111},
    {39, 42, 75, 172, 166, 133, 57, 125, 142, 186, 94, 158, 107, 101, 101, 10, 73, 162, 60, 190, 179, 76, 141},
    {182, 118, 64, 69, 173, 158, 154, 80, 160, 182, 182, 89, 139, 11, 111, 141, 106, 42, 34, 24, 120, 92, 43},
    {102, 115, 112, 101, 162, 85, 176, 46, 57, 90, 105, 32, 23, 128, 103, 24, 40, 1, 118, 113, 23, 26, 97},
}};

constexpr std::array<uint8_t, 1> kGroup0 = {49};
constexpr std::array<uint8_t, 6> kGroup1 = {28, 29, 48, 50, 70, 69};
constexpr std::array<uint8_t, 12> kGroup2 = {6, 7, 8, 27, 30, 47, 51, 68, 71, 89, 90, 91};
constexpr std::array<uint8_t, 11> kGroup3 = {5, 9, 26, 31, 46, 67, 88, 108, 92, 72, 52};
constexpr std::array<uint8_t, 11> kGroup4 = {4, 25, 45, 66, 87, 10, 32, 53, 73, 93, 109};
constexpr std::array<uint8_t, 12> kGroup5 = {3, 24, 44, 86, 11, 33, 54, 74, 94, 110, 62, 65};
constexpr std::array<uint8_t, 12> kGroup6 = {2, 23, 43, 64, 85, 107, 12, 34, 55, 75, 95, 112};
constexpr std::array<uint8_t, 7> kGroup7 = {1, 22, 102, 106, 113, 96, 56};
constexpr std::array<uint8_t, 11> kGroup8 = {0, 21, 42, 63, 84, 105, 114, 58, 57, 37, 36};
constexpr std::array<uint8_t, 1> kGroup9 = {115};

constexpr std::array<uint8_t, 110> kSnakeKeys = {
    0,  1,  2,  3,  4,  5,   6,   7,   8,   9,   10,  11,  12,  13,  14,  15,  17,  18,  19,
    20, 41, 40, 39, 38, 37,  36,  35,  34,  33,  32,  31,  30,  29,  28,  27,  26,  25,  24,
    23, 22, 21, 42, 43, 44,  45,  46,  47,  48,  49,  50,  51,  52,  53,  54,  55,  56,  57,
    58, 59, 60, 61, 119, 78, 77,  76,  75,  170, 74,  73,  72,  71,  70,  69,  68,  67,  66,
    65, 64, 63, 84, 170, 85, 86,  87,  88,  89,  90,  91,  92,  93,  94,  95,  96,  97,  98,
    99, 118, 117, 116, 115, 114, 113, 112, 111, 110, 109, 108, 107, 106, 105};

std::array<uint8_t, KeyboardEffectTables::kSnakeLength> BuildSnake() {
  std::array<uint8_t, KeyboardEffectTables::kSnakeLength> path{};
  for (size_t i = 0; i < path.size(); ++i) {
    if (i < kSnakeKeys.size()) {
      path[i] = kSnakeKeys[i];
    } else if (i < 126) {
      path[i] = KeyboardEffectTables::kNoKey;
    } else {
      path[i] = 0;
    }
  }
  return path;
}

constexpr uint8_t N = 255;
constexpr std::array<std::array<uint8_t, 6>, KeyboardEffectTables::kShowRows> kShowScriptRows = {{
    {0, N, N, N, N, N},       {1, 115, N, N, N, N},       {2, 114, N, N, N, N},
    {3, 113, 21, N, N, N},    {4, 112, 22, N, N, N},      {5, 110, 23, 58, N, N},
    {6, 109, 24, 96, 42, N},  {7, 25, 43, N, N, N},       {8, 26, 95, 44, 62, N},
    {27, 94, 45, 37, 28, 93}, {46, 55, 29, 92, 47, 74},   {30, 91, 48, 73, 31, 90},
    {49, 72, 51, 70, 71, 50}, {28, 92, 29, 91, 30, 90},   {31, 69, 52, 48, 72, 28},
    {92, 29, 91, 31, 90, 30}, {69, 52, 48, 72, 49, 71},   {50, 70, 51, 49, 71, 50},
    {70, 52, N, N, N, N},     {N, N, N, N, N, N},
}};

constexpr std::array<std::array<uint8_t, 2>, KeyboardEffectTables::kShowPairs> kShowScriptPairs = {{
    {28, 92}, {29, 91}, {30, 90}, {31, 69}, {52, 48}, {72, 28}, {92, 29}, {91, 31},
    {90, 30}, {69, 52}, {48, 72}, {49, 71}, {50, 70}, {51, 49}, {71, 50}, {70, 52},
}};

// Mode 24's path: a hand turning clockwise once in 52 frames about the point
// between keys 51 and 52 (row 2), from just above the left horizontal (frame 0)
// through straight up (11), right (24) and down (37) to left (50). Each frame
// lists the keys under the hand's angle, nearest the pivot first, so every key
// lights at least once per turn and the fading trail behind the hand fans out
// over the whole keyboard. Where no key lies in the hand's way a frame is empty.
constexpr std::array<std::array<uint8_t, KeyboardEffectTables::kSweepFrameKeys>,
                     KeyboardEffectTables::kSweepFrameCount>
    kSweepFrames = {{
        {25, 26, 50, 51, 170, 170, 170, 170, 170, 170, 170, 170},
        {28, 27, 4, 3, 2, 1, 170, 170, 170, 170, 170, 170},
        {18, 170, 170, 170, 170, 170, 170, 170, 170, 170, 170, 170},
        {29, 170, 170, 170, 170, 170, 170, 170, 170, 170, 170, 170},
        {5, 170, 170, 170, 170, 170, 170, 170, 170, 170, 170, 170},
        {170, 170, 170, 170, 170, 170, 170, 170, 170, 170, 170, 170},
        {6, 170, 170, 170, 170, 170, 170, 170, 170, 170, 170, 170},
        {30, 170, 170, 170, 170, 170, 170, 170, 170, 170, 170, 170},
        {170, 170, 170, 170, 170, 170, 170, 170, 170, 170, 170, 170},
        {7, 170, 170, 170, 170, 170, 170, 170, 170, 170, 170, 170},
        {170, 170, 170, 170, 170, 170, 170, 170, 170, 170, 170, 170},
        {170, 170, 170, 170, 170, 170, 170, 170, 170, 170, 170, 170},
        {170, 170, 170, 170, 170, 170, 170, 170, 170, 170, 170, 170},
        {8, 170, 170, 170, 170, 170, 170, 170, 170, 170, 170, 170},
        {170, 170, 170, 170, 170, 170, 170, 170, 170, 170, 170, 170},
        {31, 170, 170, 170, 170, 170, 170, 170, 170, 170, 170, 170},
        {9, 170, 170, 170, 170, 170, 170, 170, 170, 170, 170, 170},
        {170, 170, 170, 170, 170, 170, 170, 170, 170, 170, 170, 170},
        {10, 170, 170, 170, 170, 170, 170, 170, 170, 170, 170, 170},
        {32, 170, 170, 170, 170, 170, 170, 170, 170, 170, 170, 170},
        {11, 170, 170, 170, 170, 170, 170, 170, 170, 170, 170, 170},
        {33, 12, 13, 170, 170, 170, 170, 170, 170, 170, 170, 170},
        {34, 101, 14, 15, 56, 58, 37, 170, 170, 170, 170, 170},
        {103, 35, 57, 59, 60, 61, 16, 36, 170, 170, 170, 170},
        {41, 40, 38, 52, 54, 53, 55, 39, 170, 170, 170, 170},
        {82, 83, 17, 76, 77, 78, 119, 118, 170, 170, 170, 170},
        {75, 79, 96, 81, 97, 98, 99, 117, 170, 170, 170, 170},
        {62, 95, 80, 115, 116, 104, 170, 170, 170, 170, 170, 170},
        {19, 113, 114, 170, 170, 170, 170, 170, 170, 170, 170, 170},
        {74, 112, 170, 170, 170, 170, 170, 170, 170, 170, 170, 170},
        {100, 170, 170, 170, 170, 170, 170, 170, 170, 170, 170, 170},
        {111, 170, 170, 170, 170, 170, 170, 170, 170, 170, 170, 170},
        {94, 170, 170, 170, 170, 170, 170, 170, 170, 170, 170, 170},
        {73, 110, 170, 170, 170, 170, 170, 170, 170, 170, 170, 170},
        {170, 170, 170, 170, 170, 170, 170, 170, 170, 170, 170, 170},
        {93, 170, 170, 170, 170, 170, 170, 170, 170, 170, 170, 170},
        {125, 170, 170, 170, 170, 170, 170, 170, 170, 170, 170, 170},
        {170, 170, 170, 170, 170, 170, 170, 170, 170, 170, 170, 170},
        {109, 170, 170, 170, 170, 170, 170, 170, 170, 170, 170, 170},
        {92, 170, 170, 170, 170, 170, 170, 170, 170, 170, 170, 170},
        {170, 170, 170, 170, 170, 170, 170, 170, 170, 170, 170, 170},
        {72, 170, 170, 170, 170, 170, 170, 170, 170, 170, 170, 170},
        {91, 170, 170, 170, 170, 170, 170, 170, 170, 170, 170, 170},
        {170, 170, 170, 170, 170, 170, 170, 170, 170, 170, 170, 170},
        {90, 108, 170, 170, 170, 170, 170, 170, 170, 170, 170, 170},
        {71, 170, 170, 170, 170, 170, 170, 170, 170, 170, 170, 170},
        {89, 107, 170, 170, 170, 170, 170, 170, 170, 170, 170, 170},
        {70, 88, 87, 20, 106, 105, 170, 170, 170, 170, 170, 170},
        {69, 68, 86, 85, 102, 84, 123, 124, 170, 170, 170, 170},
        {67, 66, 65, 64, 63, 122, 170, 170, 170, 170, 170, 170},
        {121, 42, 43, 44, 45, 46, 47, 48, 49, 50, 51, 170},
        {24, 23, 22, 0, 21, 120, 170, 170, 170, 170, 170, 170},
}};

}  // namespace

const std::array<Row, KeyboardEffectTables::kColumns>& KeyboardEffectTables::Grid() {
  return kGrid;
}

std::span<const uint8_t> KeyboardEffectTables::KeyOrder() { return kKeyOrder; }

bool KeyboardEffectTables::InKeyOrder(unsigned key) {
  static const auto membership = [] {
    std::array<bool, 256> in{};
    for (uint8_t key_index : kKeyOrder) in[key_index] = true;
    return in;
  }();
  return key < membership.size() && membership[key];
}

const std::array<uint8_t, 96>& KeyboardEffectTables::SweepCurve() { return kSweepCurve; }
const std::array<uint8_t, 192>& KeyboardEffectTables::TwinkleCurve() { return kTwinkleCurve; }

const std::array<std::array<uint8_t, KeyboardEffectTables::kColumns>, 7>&
KeyboardEffectTables::TwinkleLayout() {
  return kTwinkleLayout;
}

std::span<const uint8_t> KeyboardEffectTables::KeyGroup(int group) {
  switch (group) {
    case 0: return kGroup0;
    case 1: return kGroup1;
    case 2: return kGroup2;
    case 3: return kGroup3;
    case 4: return kGroup4;
    case 5: return kGroup5;
    case 6: return kGroup6;
    case 7: return kGroup7;
    case 8: return kGroup8;
    case 9: return kGroup9;
    default: return {};
  }
}

const std::array<uint8_t, KeyboardEffectTables::kSnakeLength>& KeyboardEffectTables::SnakePath() {
  static const auto path = BuildSnake();
  return path;
}

const std::array<std::array<uint8_t, 6>, KeyboardEffectTables::kShowRows>&
KeyboardEffectTables::ShowRows() {
  return kShowScriptRows;
}

const std::array<std::array<uint8_t, 2>, KeyboardEffectTables::kShowPairs>&
KeyboardEffectTables::ShowPairs() {
  return kShowScriptPairs;
}

const std::array<std::array<uint8_t, KeyboardEffectTables::kSweepFrameKeys>,
                 KeyboardEffectTables::kSweepFrameCount>&
KeyboardEffectTables::SweepFrames() {
  return kSweepFrames;
}

bool KeyboardEffectTables::GridPosition(unsigned key, int* column, int* row) {
  struct Cell {
    int8_t column = -1;
    int8_t row = -1;
  };
  static const auto cells = [] {
    std::array<Cell, 256> positions{};
    for (int c = 0; c < kColumns; ++c) {
      for (int r = 0; r < kRows; ++r) {
        const uint8_t k = kGrid[static_cast<size_t>(c)][static_cast<size_t>(r)];
        if (k != kNoKey && positions[k].column < 0) positions[k] = {static_cast<int8_t>(c), static_cast<int8_t>(r)};
      }
    }
    return positions;
  }();
  if (key >= cells.size() || key == kNoKey || cells[key].column < 0) return false;
  *column = cells[key].column;
  *row = cells[key].row;
  return true;
}

}  // namespace zt640
