#include "profiles/macro_recorder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "profiles/global_utils.h"

namespace zt640 {
namespace {

namespace input = platform::input;
using input::HookMode;
using Variant = MacroRecorder::MouseVariant;
using Outcome = MacroRecorder::Outcome;

// Set-1 scan codes and USB usages of the keys the tests press.
constexpr std::uint32_t kScanA = 0x1E;
constexpr std::uint32_t kScanB = 0x30;
constexpr std::uint32_t kScanCapsLock = 0x3A;
constexpr std::uint32_t kScanAlt = 0x38;  // extended: right Alt
constexpr int kUsageA = 0x04;
constexpr int kUsageB = 0x05;
constexpr int kUsageCapsLock = 0x39;

/// An event as stored: "Type", "Button", "Action" and "Delay" as JSON.
struct Stored {
  int type;
  int button;
  std::string action;
  Json::Value delay;
  friend bool operator==(const Stored&, const Stored&) = default;
};

void PrintTo(const Stored& s, std::ostream* os) {
  *os << "{" << s.type << ", " << s.button << ", " << s.action << ", " << s.delay.toStyledString() << "}";
}

class MacroRecorderTest : public ::testing::Test {
 protected:
  MacroRecorder recorder_{[this] { return now_; }};
  std::uint32_t now_ = 1000;
  std::vector<MacroEventEntry> events_;
  int selected_ = -1;

  MacroEventList List() { return {events_, selected_}; }

  Outcome Key(HookMode mode, std::uint32_t scan, bool press, bool extended = false) {
    input::KeyHookRecord record;
    record.scan_code = scan;
    record.extended = extended;
    return recorder_.OnKeyEvent(mode, press ? input::kKeyDownMessage : input::kKeyUpMessage, record, List());
  }

  Outcome Mouse(std::uint32_t message, std::uint16_t extra = 0, bool on_stop_button = false) {
    input::MouseHookRecord record;
    record.mouse_data_high = extra;
    return recorder_.OnMouseEvent(HookMode::kRecordAppend, message, record, on_stop_button, List());
  }

  [[nodiscard]] std::vector<Stored> Events() const {
    std::vector<Stored> stored;
    for (const MacroEventEntry& entry : events_) {
      const Json::Value event = CGlobalUtils::ParseJsonText(entry.json_text).value_or(Json::Value());
      stored.push_back({event["Type"].asInt(), event["Button"].asInt(), event["Action"].asString(), event["Delay"]});
    }
    return stored;
  }

  [[nodiscard]] std::vector<std::string> Delays() const {
    std::vector<std::string> delays;
    for (const MacroEventEntry& entry : events_) delays.push_back(entry.delay_text);
    return delays;
  }

  /// Two events already in the list, X (key B press) and Y (key B release).
  void TwoEvents() {
    Json::Value x;
    x["Type"] = 10;
    x["Button"] = kUsageB;
    x["Action"] = "down";
    x["Delay"] = "7";
    events_.push_back(MacroEventEntry::FromEvent(x));
    x["Action"] = "up";
    x["Delay"] = "9";
    events_.push_back(MacroEventEntry::FromEvent(x));
  }
};

TEST_F(MacroRecorderTest, HeldKeyRecordsOnePressAndOneRelease) {
  recorder_.Begin(3);
  EXPECT_EQ(Key(HookMode::kRecordAppend, kScanA, true), Outcome::kAdded);
  for (int repeat = 0; repeat < 20; ++repeat) EXPECT_EQ(Key(HookMode::kRecordAppend, kScanA, true), Outcome::kIgnored);
  EXPECT_EQ(Key(HookMode::kRecordAppend, kScanA, false), Outcome::kAdded);
  // Once released, the key records again.
  EXPECT_EQ(Key(HookMode::kRecordAppend, kScanA, true), Outcome::kAdded);
  ASSERT_EQ(events_.size(), 3u);
  EXPECT_EQ(Events()[0].action, "down");
  EXPECT_EQ(Events()[1].action, "up");
  EXPECT_EQ(selected_, 2);
}

// A press, A release, B press, with 120 ms and 80 ms between them, in each timing mode.
TEST_F(MacroRecorderTest, TimingModesGiveTheDelaysOfEachEvent) {
  const struct {
    int timing;
    std::uint32_t fixed;
    std::vector<std::string> delays;
  } cases[] = {
      {1, 50, {"120", "80", "0"}},
      {2, 50, {"50", "50", "50"}},
      {2, 70000, {"65535", "65535", "65535"}},
      {3, 50, {"0", "0", "0"}},
  };
  for (const auto& c : cases) {
    MacroRecorder recorder([this] { return now_; });
    events_.clear();
    selected_ = -1;
    recorder.SetFixedDelay(c.fixed);
    now_ = 5000;
    recorder.Begin(c.timing);
    input::KeyHookRecord a{.scan_code = kScanA};
    input::KeyHookRecord b{.scan_code = kScanB};
    now_ += 35;
    recorder.OnKeyEvent(HookMode::kRecordAppend, input::kKeyDownMessage, a, List());
    now_ += 120;
    recorder.OnKeyEvent(HookMode::kRecordAppend, input::kKeyUpMessage, a, List());
    now_ += 80;
    recorder.OnKeyEvent(HookMode::kRecordAppend, input::kSysKeyDownMessage, b, List());
    EXPECT_EQ(Delays(), c.delays) << "timing " << c.timing << " fixed " << c.fixed;
    EXPECT_EQ(Events()[2].button, kUsageB);
  }
}

TEST_F(MacroRecorderTest, FirstEventOfAnEmptyListHasTheNumberZeroUntilSaved) {
  recorder_.SetFixedDelay(50);
  recorder_.Begin(2);
  Key(HookMode::kRecordAppend, kScanA, true);
  EXPECT_EQ(Events()[0].delay, Json::Value(0));
  EXPECT_EQ(events_[0].delay_text, "0");
  const Json::Value saved = MacroFile::Build(events_, "m", "g");
  EXPECT_EQ(saved["Events"][0]["Delay"], Json::Value("0"));
}

TEST_F(MacroRecorderTest, RealTimeDelaysClampAndSurviveATickWrap) {
  now_ = 0xFFFFFF00u;
  recorder_.Begin(1);
  Key(HookMode::kRecordAppend, kScanA, true);
  now_ = 0x10;  // the tick count wrapped: 0x110 ms later
  Key(HookMode::kRecordAppend, kScanA, false);
  now_ += 70000;
  Key(HookMode::kRecordAppend, kScanB, true);
  EXPECT_EQ(Delays(), (std::vector<std::string>{"272", "65535", "0"}));
}

TEST_F(MacroRecorderTest, KeysBecomeKeyOrModifierEventsAndUnknownKeysAreIgnored) {
  recorder_.Begin(3);
  EXPECT_EQ(Key(HookMode::kRecordAppend, kScanCapsLock, true), Outcome::kAdded);
  EXPECT_EQ(Key(HookMode::kRecordAppend, kScanCapsLock, false), Outcome::kAdded);
  EXPECT_EQ(Key(HookMode::kRecordAppend, kScanAlt, true, true), Outcome::kAdded);
  EXPECT_EQ(Key(HookMode::kRecordAppend, 0x7F, true), Outcome::kIgnored);
  EXPECT_EQ(Key(HookMode::kRecordAppend, 0x1E5, true), Outcome::kIgnored);
  EXPECT_EQ(Key(HookMode::kSingleKey, kScanA, true), Outcome::kIgnored);
  // The first event's number 0 became the time until the second (0 when time is ignored).
  const std::vector<Stored> expected = {{10, kUsageCapsLock, "down", Json::Value("0")},
                                        {10, kUsageCapsLock, "up", Json::Value("0")},
                                        {9, 0x40, "down", Json::Value("0")}};
  EXPECT_EQ(Events(), expected);
  EXPECT_EQ(events_[2].labels.name_key, "keyboard_key_RAlt");
  EXPECT_EQ(events_[0].labels.name_style, "macro_label_keyboard_style");
}

TEST_F(MacroRecorderTest, NothingIsRecordedOutsideARecording) {
  EXPECT_EQ(Key(HookMode::kRecordAppend, kScanA, true), Outcome::kIgnored);
  recorder_.Begin(1);
  recorder_.End();
  EXPECT_EQ(Mouse(input::kLeftButtonDown), Outcome::kIgnored);
  EXPECT_TRUE(events_.empty());
}

TEST_F(MacroRecorderTest, InsertBeforeAndAfterKeepTheRecordedOrder) {
  const struct {
    HookMode mode;
    int selected;
    std::vector<std::string> order;  // by action and key
    int selected_after;
  } cases[] = {
      {HookMode::kRecordBefore, 1, {"B down", "A down", "A up", "B up"}, 3},
      {HookMode::kRecordAfter, 0, {"B down", "A down", "A up", "B up"}, 2},
      {HookMode::kRecordBefore, 0, {"A down", "A up", "B down", "B up"}, 2},
      {HookMode::kRecordAfter, 1, {"B down", "B up", "A down", "A up"}, 3},
  };
  for (const auto& c : cases) {
    MacroRecorder recorder([this] { return now_; });
    events_.clear();
    TwoEvents();
    selected_ = c.selected;
    recorder.Begin(3);
    input::KeyHookRecord a{.scan_code = kScanA};
    recorder.OnKeyEvent(c.mode, input::kKeyDownMessage, a, List());
    recorder.OnKeyEvent(c.mode, input::kKeyUpMessage, a, List());
    std::vector<std::string> order;
    for (const Stored& s : Events()) order.push_back(std::string(s.button == kUsageA ? "A " : "B ") + s.action);
    EXPECT_EQ(order, c.order) << static_cast<int>(c.mode) << " at " << c.selected;
    EXPECT_EQ(selected_, c.selected_after);
  }
  // Without a selection nothing is inserted.
  selected_ = -1;
  recorder_.Begin(3);
  EXPECT_EQ(Key(HookMode::kRecordAfter, kScanA, true), Outcome::kIgnored);
  EXPECT_EQ(Key(HookMode::kChangeSelected, kScanA, true), Outcome::kIgnored);
}

TEST_F(MacroRecorderTest, ChangeReplacesTypeAndButtonOfTheSelectedEventOnly) {
  TwoEvents();
  selected_ = 1;
  recorder_.Begin(1);
  EXPECT_EQ(Key(HookMode::kChangeSelected, kScanAlt, true, true), Outcome::kChanged);
  const std::vector<Stored> expected = {{10, kUsageB, "down", Json::Value("7")}, {9, 0x40, "up", Json::Value("9")}};
  EXPECT_EQ(Events(), expected);
  EXPECT_EQ(events_[1].delay_text, "9");
  // Its own repeat filter: the held key is not taken again, while appending still is.
  EXPECT_EQ(Key(HookMode::kChangeSelected, kScanAlt, true, true), Outcome::kIgnored);
  EXPECT_EQ(Key(HookMode::kRecordAppend, kScanAlt, true, true), Outcome::kAdded);
}

TEST_F(MacroRecorderTest, MouseButtonsRepeatsAndTheStopClick) {
  recorder_.Begin(3);
  EXPECT_EQ(Mouse(input::kRightButtonDown), Outcome::kAdded);
  EXPECT_EQ(Mouse(input::kRightButtonDown), Outcome::kIgnored);  // same message again
  EXPECT_EQ(Mouse(input::kRightButtonUp), Outcome::kAdded);
  EXPECT_EQ(Mouse(0x0200), Outcome::kIgnored);  // a move
  EXPECT_EQ(Mouse(0x020A), Outcome::kIgnored);  // the wheel
  EXPECT_EQ(Mouse(input::kExtraButtonDown, input::kExtraButtonForward), Outcome::kAdded);
  EXPECT_EQ(Mouse(input::kExtraButtonUp, input::kExtraButtonBack), Outcome::kAdded);
  EXPECT_EQ(Mouse(input::kExtraButtonDown, 3), Outcome::kIgnored);
  EXPECT_EQ(Mouse(input::kMiddleButtonDown, 0, true), Outcome::kAdded);  // only the left button stops
  EXPECT_EQ(Mouse(input::kLeftButtonDown, 0, true), Outcome::kIgnored);
  EXPECT_EQ(Mouse(input::kLeftButtonUp, 0, true), Outcome::kIgnored);
  const std::vector<Stored> expected = {{1, 0x02, "down", Json::Value("0")},  {1, 0x02, "up", Json::Value("0")},
                                        {1, 0x10, "down", Json::Value("0")}, {1, 0x08, "up", Json::Value("0")},
                                        {1, 0x04, "down", Json::Value("0")}};
  EXPECT_EQ(Events(), expected);
  EXPECT_EQ(events_[2].labels.name_key, "mouse_key_forward");
  EXPECT_EQ(events_[3].labels.name_key, "mouse_key_back");
}

TEST_F(MacroRecorderTest, TheListStopsGrowingAt4000Entries) {
  recorder_.Begin(3);
  events_.assign(MacroFile::kMaxListEntries - 1, MacroEventEntry{"{}", "0", {}});
  EXPECT_EQ(Key(HookMode::kRecordAppend, kScanA, true), Outcome::kAdded);
  EXPECT_EQ(Key(HookMode::kRecordAppend, kScanA, false), Outcome::kIgnored);
  EXPECT_EQ(Mouse(input::kLeftButtonDown), Outcome::kIgnored);
  EXPECT_FALSE(recorder_.InsertMouseEvent(input::kLeftButtonDown, Variant::kNone, 0, List()));
  EXPECT_EQ(events_.size(), 4000u);
}

TEST_F(MacroRecorderTest, InsertedMouseEventsGoAfterTheSelectionWithTheFixedDelay) {
  // Into an empty list: position 0, with the fixed delay never read (50).
  ASSERT_TRUE(recorder_.InsertMouseEvent(0, Variant::kMoveLeft, 300, List()));
  TwoEvents();  // now [move, X, Y]
  selected_ = -1;
  recorder_.SetFixedDelay(20);
  ASSERT_TRUE(recorder_.InsertMouseEvent(input::kExtraButtonUp, Variant::kBack, 0, List()));  // after the first
  EXPECT_EQ(selected_, 1);
  selected_ = 3;
  ASSERT_TRUE(recorder_.InsertMouseEvent(0, Variant::kMoveDown, 7, List()));
  EXPECT_FALSE(recorder_.InsertMouseEvent(input::kExtraButtonDown, Variant::kNone, 0, List()));
  EXPECT_FALSE(recorder_.InsertMouseEvent(0x0200, Variant::kNone, 0, List()));
  const std::vector<Stored> expected = {{4, 44, "down", Json::Value("50")},  {1, 0x08, "up", Json::Value("20")},
                                        {10, kUsageB, "down", Json::Value("7")}, {10, kUsageB, "up", Json::Value("9")},
                                        {5, 7, "up", Json::Value("20")}};
  EXPECT_EQ(Events(), expected);
  EXPECT_EQ(selected_, 4);
  EXPECT_EQ(events_[0].labels.action_text, "44");
  EXPECT_EQ(events_[0].labels.name_key, "mouse_move_to_left_text");
  EXPECT_EQ(events_[4].labels.name_key, "mouse_move_to_down_text");
}

TEST_F(MacroRecorderTest, ListEditsMoveTheSelectionAndStopAtTheEnds) {
  using Edit = bool (*)(MacroEventList);
  const struct {
    Edit edit;
    int selected;
    bool changed;
    std::vector<int> order;  // the first event's index before the edit
    int selected_after;
  } cases[] = {
      {&MacroRecorder::MoveEventUp, 0, false, {0, 1, 2}, 0},
      {&MacroRecorder::MoveEventDown, 2, false, {0, 1, 2}, 2},
      {&MacroRecorder::MoveEventUp, 2, true, {0, 2, 1}, 1},
      {&MacroRecorder::MoveEventDown, 0, true, {1, 0, 2}, 1},
      {&MacroRecorder::MoveEventToTop, 2, true, {2, 0, 1}, 0},
      {&MacroRecorder::MoveEventToBottom, 0, true, {1, 2, 0}, 2},
      {&MacroRecorder::MoveEventToTop, -1, false, {0, 1, 2}, -1},
      {&MacroRecorder::DeleteEvent, 1, true, {0, 2}, 1},
      {&MacroRecorder::DeleteEvent, 2, true, {0, 1}, 1},
      {&MacroRecorder::DeleteEvent, -1, false, {0, 1, 2}, -1},
      {&MacroRecorder::DeleteAllEvents, 1, true, {}, -1},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    events_.clear();
    for (int e = 0; e < 3; ++e) {
      Json::Value event;
      event["Type"] = 10;
      event["Button"] = e;
      event["Action"] = "down";
      event["Delay"] = "1";
      events_.push_back(MacroEventEntry::FromEvent(event));
      events_.back().delay_text = std::to_string(100 + e);  // an edited field moves with its event
    }
    selected_ = cases[i].selected;
    EXPECT_EQ(cases[i].edit(List()), cases[i].changed) << "case " << i;
    std::vector<int> order;
    for (const MacroEventEntry& entry : events_) order.push_back(std::stoi(entry.delay_text) - 100);
    EXPECT_EQ(order, cases[i].order) << "case " << i;
    EXPECT_EQ(selected_, cases[i].selected_after) << "case " << i;
  }
}

}  // namespace
}  // namespace zt640
