#include <gtest/gtest.h>

#include <QRectF>
#include <cmath>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "pages/keyboard/keyboard_layout_table.h"
#include "pages/picture_layout.h"

namespace zt640 {
namespace {

constexpr double kEpsilon = 1e-9;

// UI keys whose factory value is (0x20, 0, 0), "no key": they have no place.
const std::set<int> kNoKey = {18, 19, 20, 104};

/// A keyboard that lacks `missing`.
struct Variant {
  std::string name;
  std::set<int> missing;
};

// The extras some keyboards have: 62 ISO #, 102 ISO \, 101 Yen, 100 Ro, 103 Num ,,
// 79-83 the input-method keys, 55 the ANSI backslash, 125 Right Win.
const std::vector<Variant> kVariants = {
    {"every key", {}},
    {"ANSI", {62, 102, 101, 100, 103, 79, 80, 81, 82, 83}},
    {"ISO", {55, 101, 100, 103, 79, 80, 81, 82, 83, 125}},
    {"JIS", {55, 102, 103, 81, 82}},
    {"no extras at all", {55, 62, 100, 101, 102, 103, 125}},
};

std::vector<std::pair<int, QRectF>> Placed(const PictureLayout& layout, const Variant& variant) {
  const auto present = [&](int key) { return !variant.missing.contains(key); };
  std::vector<std::pair<int, QRectF>> rects;
  for (const PictureSpot& spot : layout.Spots()) {
    for (const QRectF& rect : layout.Shape(spot.index, present)) rects.emplace_back(spot.index, rect);
  }
  return rects;
}

bool Overlap(const QRectF& a, const QRectF& b) {
  return a.left() < b.right() - kEpsilon && b.left() < a.right() - kEpsilon && a.top() < b.bottom() - kEpsilon &&
         b.top() < a.bottom() - kEpsilon;
}

class KeyboardLayoutVariant : public ::testing::TestWithParam<Variant> {};

TEST_P(KeyboardLayoutVariant, NoTwoKeysOverlapAndEveryMainRowIsFifteenKeysWide) {
  const PictureLayout layout(KeyboardLayoutTable::Spots());
  const auto placed = Placed(layout, GetParam());
  for (size_t i = 0; i < placed.size(); ++i) {
    for (size_t j = i + 1; j < placed.size(); ++j) {
      if (placed[i].first == placed[j].first) continue;
      EXPECT_FALSE(Overlap(placed[i].second, placed[j].second)) << placed[i].first << " and " << placed[j].first;
    }
  }
  // The main block's five rows under the function row, each filled edge to edge.
  const double left = KeyboardLayoutTable::kMainLeft;
  const double right = left + KeyboardLayoutTable::kMainWidth;
  std::map<double, double> row_widths;
  for (const auto& [key, rect] : placed) {
    if (rect.left() < left - kEpsilon || rect.right() > right + kEpsilon) continue;
    if (rect.top() < KeyboardLayoutTable::kNumberRowTop - kEpsilon) continue;
    row_widths[rect.top()] += rect.width();
  }
  ASSERT_EQ(row_widths.size(), 5u);
  for (const auto& [top, width] : row_widths) EXPECT_NEAR(width, 15.0, kEpsilon) << "row at " << top;
}

TEST_P(KeyboardLayoutVariant, AKeyGrowsOnlyOverTheNeighbourBesideIt) {
  const PictureLayout layout(KeyboardLayoutTable::Spots());
  const auto present = [&](int key) { return !GetParam().missing.contains(key); };
  for (const PictureSpot& spot : layout.Spots()) {
    const std::vector<QRectF> shape = layout.Shape(spot.index, present);
    if (GetParam().missing.contains(spot.index)) {
      EXPECT_TRUE(shape.empty()) << spot.index;
      continue;
    }
    // Every added part touches the key's own place along an edge.
    for (size_t part = 1; part < shape.size(); ++part) {
      const QRectF& own = shape.front();
      const QRectF& added = shape[part];
      const bool side = std::abs(own.left() - added.right()) < kEpsilon || std::abs(own.right() - added.left()) < kEpsilon;
      const bool stacked = std::abs(own.top() - added.bottom()) < kEpsilon || std::abs(own.bottom() - added.top()) < kEpsilon;
      EXPECT_TRUE((side && std::abs(own.top() - added.top()) < kEpsilon) ||
                  (stacked && own.left() < added.right() && added.left() < own.right()))
          << spot.index << " part " << part;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Keyboards, KeyboardLayoutVariant, ::testing::ValuesIn(kVariants),
                         [](const auto& info) {
                           std::string name;
                           for (char c : info.param.name) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                           return name;
                         });

TEST(KeyboardLayoutTable, EveryKeyButNoKeyHasExactlyOnePlace) {
  const PictureLayout layout(KeyboardLayoutTable::Spots());
  std::map<int, int> places;
  for (const PictureSpot& spot : layout.Spots()) ++places[spot.index];
  for (int key = 0; key < 126; ++key) {
    EXPECT_EQ(places[key], kNoKey.contains(key) ? 0 : 1) << key;
  }
  // Nothing beyond the keyboard's 126 UI keys.
  EXPECT_EQ(places.size(), 126u);
}

TEST(KeyboardLayoutTable, KeysHaveTheirUsualSizes) {
  const PictureLayout layout(KeyboardLayoutTable::Spots());
  const auto all = [](int) { return true; };
  const auto without = [](std::set<int> missing) { return [missing](int key) { return !missing.contains(key); }; };
  struct Case {
    const char* what;
    int key;
    PictureLayout::Presence present;
    std::vector<QSizeF> parts;
  };
  const std::vector<Case> cases = {
      {"Space", 108, all, {{6.25, 1}}},
      {"Tab", 42, all, {{1.5, 1}}},
      {"Caps Lock", 63, all, {{1.75, 1}}},
      {"Left Ctrl", 105, all, {{1.25, 1}}},
      {"Num 0", 116, all, {{2, 1}}},
      {"Num Enter", 118, all, {{1, 2}}},
      {"Backspace beside Yen", 34, all, {{1, 1}}},
      {"Backspace without Yen", 34, without({101}), {{1, 1}, {1, 1}}},
      {"Left Shift on ANSI", 84, without({102}), {{1.25, 1}, {1, 1}}},
      {"Right Shift without Ro", 95, without({100}), {{1.75, 1}, {1, 1}}},
      {"ANSI Enter", 75, without({62}), {{1.25, 1}, {1, 1}}},
      {"ISO Enter, an L", 75, without({55}), {{1.25, 1}, {1.5, 1}}},
      {"Num + without Num ,", 119, without({103}), {{1, 1}, {1, 1}}},
  };
  for (const Case& c : cases) {
    const std::vector<QRectF> shape = layout.Shape(c.key, c.present);
    ASSERT_EQ(shape.size(), c.parts.size()) << c.what;
    for (size_t i = 0; i < shape.size(); ++i) {
      EXPECT_NEAR(shape[i].width(), c.parts[i].width(), kEpsilon) << c.what;
      EXPECT_NEAR(shape[i].height(), c.parts[i].height(), kEpsilon) << c.what;
    }
  }
  // Enter's L: the part taken from the backslash is above its own and ends flush right.
  const std::vector<QRectF> iso = layout.Shape(75, without({55}));
  EXPECT_NEAR(iso[1].bottom(), iso[0].top(), kEpsilon);
  EXPECT_NEAR(iso[1].right(), iso[0].right(), kEpsilon);
}

TEST(PictureLayout, FitKeepsProportionsAndCentres) {
  static constexpr PictureSpot kSpots[] = {{0, 0, 0, 2, 1, {-1, -1}}, {1, 2, 0, 2, 1, {-1, -1}}};
  const PictureLayout layout(kSpots);
  EXPECT_DOUBLE_EQ(layout.AspectRatio(0), 0.25);
  EXPECT_DOUBLE_EQ(layout.AspectRatio(0.5), 2.0 / 5.0);
  struct Case {
    QSizeF area;
    double unit;
    QPointF origin;
  };
  for (const Case& c : {Case{{400, 100}, 100, {0, 0}}, Case{{800, 100}, 100, {200, 0}}, Case{{400, 400}, 100, {0, 150}}}) {
    const PictureLayout::Fit fit = layout.FitInto(c.area, 0);
    EXPECT_DOUBLE_EQ(fit.unit, c.unit);
    EXPECT_EQ(fit.origin, c.origin);
  }
  // A margin of half a unit: 5 x 2 units into 500 x 100 gives 50 px a unit.
  const PictureLayout::Fit framed = layout.FitInto({500, 100}, 0.5);
  EXPECT_DOUBLE_EQ(framed.unit, 50);
  EXPECT_EQ(framed.ToPanel(QRectF(0, 0, 1, 1)), QRectF(150, 25, 50, 50));
  EXPECT_EQ(layout.Find(2), nullptr);
  EXPECT_TRUE(layout.Shape(2, nullptr).empty());
}

}  // namespace
}  // namespace zt640
