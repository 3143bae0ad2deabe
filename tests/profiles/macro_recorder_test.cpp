#include "profiles/macro_recorder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "profiles/global_utils.h"

namespace {

using zt640::CGlobalUtils;
using zt640::MacroEventEntry;
using zt640::MacroFile;
using zt640::MacroRecorder;
using zt640::MacroRecordOutcome;
using zt640::MacroTiming;

constexpr std::uint8_t kScanA = 0x1E;
constexpr std::uint8_t kScanB = 0x30;

Json::Value Stored(const MacroEventEntry& entry) { return *CGlobalUtils::ParseJsonText(entry.json_text); }

class MacroRecorderTest : public ::testing::Test {
 protected:
  std::vector<MacroEventEntry> events_;
  MacroRecorder recorder_{events_};
};

TEST_F(MacroRecorderTest, HeldKey_RecordsOnePressAndOneRelease) {
  recorder_.Begin(MacroTiming::kRealTime, 50, 0);
  EXPECT_EQ(recorder_.OnKey(true, kScanA, false, 10), MacroRecordOutcome::kRecorded);
  for (std::uint32_t t = 40; t < 400; t += 30) EXPECT_EQ(recorder_.OnKey(true, kScanA, false, t), MacroRecordOutcome::kRepeat);
  EXPECT_EQ(recorder_.OnKey(false, kScanA, false, 500), MacroRecordOutcome::kRecorded);
  EXPECT_EQ(recorder_.OnKey(true, kScanA, false, 600), MacroRecordOutcome::kRecorded);  // a new press after the release
  ASSERT_EQ(events_.size(), 3u);
  EXPECT_EQ(Stored(events_[0])["Action"].asString(), "down");
  EXPECT_EQ(Stored(events_[1])["Action"].asString(), "up");
  EXPECT_EQ(events_[0].delay_text, "490");  // the repeats took no part in the timing
}

TEST_F(MacroRecorderTest, RealTime_EachEventCarriesTheTimeUntilTheNext) {
  recorder_.Begin(MacroTiming::kRealTime, 50, 1000);
  recorder_.OnKey(true, kScanA, false, 1300);
  EXPECT_EQ(Stored(events_[0])["Delay"], Json::Value(0));  // a number until the macro is saved
  recorder_.OnKey(false, kScanA, false, 1420);
  recorder_.OnKey(true, kScanB, false, 1500);
  ASSERT_EQ(events_.size(), 3u);
  const std::vector<std::string> expected{"120", "80", "0"};
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(events_[i].delay_text, expected[i]) << i;
    EXPECT_EQ(Stored(events_[i])["Delay"].asString(), expected[i]) << i;
  }
  EXPECT_EQ(Stored(events_[2])["Type"].asInt(), 10);
  EXPECT_EQ(Stored(events_[2])["Button"].asInt(), 0x05);  // usage of B
}

TEST_F(MacroRecorderTest, RealTime_LongPauseIsCappedAndTheTickCounterMayWrap) {
  recorder_.Begin(MacroTiming::kRealTime, 50, 0xFFFFFF00u);
  recorder_.OnKey(true, kScanA, false, 0xFFFFFFF0u);
  recorder_.OnKey(false, kScanA, false, 0x20u);  // 48 ms later, across the wrap
  recorder_.OnKey(true, kScanB, false, 0x20u + 70000u);
  EXPECT_EQ(events_[0].delay_text, "48");
  EXPECT_EQ(events_[1].delay_text, "65535");
}

TEST_F(MacroRecorderTest, FixedTiming_GivesEveryEventTheFixedDelay_ClampedTo65535) {
  recorder_.Begin(MacroTiming::kFixed, 50, 0);
  recorder_.OnKey(true, kScanA, false, 10);
  recorder_.OnKey(false, kScanA, false, 999);
  recorder_.OnMouse(0x0201, 0, 2000);
  for (const MacroEventEntry& entry : events_) EXPECT_EQ(entry.delay_text, "50");

  events_.clear();
  recorder_.Begin(MacroTiming::kFixed, 70000, 0);
  recorder_.OnKey(true, kScanB, false, 10);
  recorder_.OnKey(false, kScanB, false, 20);
  EXPECT_EQ(events_[0].delay_text, "65535");
  EXPECT_EQ(Stored(events_[1])["Delay"].asString(), "65535");
}

TEST_F(MacroRecorderTest, IgnoreTiming_GivesZero) {
  recorder_.Begin(MacroTiming::kIgnore, 50, 0);
  recorder_.OnKey(true, kScanA, false, 100);
  recorder_.OnKey(false, kScanA, false, 900);
  EXPECT_EQ(events_[0].delay_text, "0");
  EXPECT_EQ(events_[1].delay_text, "0");
}

TEST_F(MacroRecorderTest, Keys_ModifiersAsType9_UnknownKeysIgnored) {
  recorder_.Begin(MacroTiming::kIgnore, 50, 0);
  EXPECT_EQ(recorder_.OnKey(true, 0x1D, true, 1), MacroRecordOutcome::kRecorded);  // right Ctrl
  EXPECT_EQ(recorder_.OnKey(true, 0x6F, false, 2), MacroRecordOutcome::kNotInCatalogue);
  EXPECT_EQ(recorder_.OnKey(true, 0x3A, false, 3), MacroRecordOutcome::kRecorded);  // Caps Lock is recorded
  ASSERT_EQ(events_.size(), 2u);
  EXPECT_EQ(Stored(events_[0])["Type"].asInt(), 9);
  EXPECT_EQ(Stored(events_[0])["Button"].asInt(), 0x10);
  EXPECT_EQ(events_[0].labels.name_style, "macro_label_keyboard_style");
  EXPECT_EQ(Stored(events_[1])["Button"].asInt(), 0x39);
}

TEST_F(MacroRecorderTest, Mouse_ButtonsByMessage_ExtraButtonsByMouseData_RepeatsOfOneMessageIgnored) {
  recorder_.Begin(MacroTiming::kIgnore, 50, 0);
  struct Case {
    std::uint32_t message;
    std::uint16_t high;
    MacroRecordOutcome outcome;
    int button;
    const char* action;
  };
  const Case cases[] = {
      {0x0201, 0, MacroRecordOutcome::kRecorded, 0x01, "down"},
      {0x0201, 0, MacroRecordOutcome::kRepeat, 0, ""},
      {0x0202, 0, MacroRecordOutcome::kRecorded, 0x01, "up"},
      {0x0204, 0, MacroRecordOutcome::kRecorded, 0x02, "down"},
      {0x0208, 0, MacroRecordOutcome::kRecorded, 0x04, "up"},
      {0x020B, 2, MacroRecordOutcome::kRecorded, 0x10, "down"},
      {0x020C, 1, MacroRecordOutcome::kRecorded, 0x08, "up"},
      {0x0200, 0, MacroRecordOutcome::kIgnored, 0, ""},  // a move
      {0x020A, 0, MacroRecordOutcome::kIgnored, 0, ""},  // the wheel
  };
  size_t recorded = 0;
  for (const Case& c : cases) {
    ASSERT_EQ(recorder_.OnMouse(c.message, c.high, 0), c.outcome) << std::hex << c.message;
    if (c.outcome != MacroRecordOutcome::kRecorded) continue;
    const Json::Value event = Stored(events_[recorded++]);
    EXPECT_EQ(event["Type"].asInt(), 1);
    EXPECT_EQ(event["Button"].asInt(), c.button);
    EXPECT_EQ(event["Action"].asString(), c.action);
  }
  EXPECT_EQ(events_.size(), recorded);
}

TEST_F(MacroRecorderTest, FullList_RecordsNothingMore) {
  events_.assign(MacroFile::kMaxListEntries - 1, MacroEventEntry::FromEvent(*MacroRecorder::KeyEvent(true, kScanA, false)));
  recorder_.Begin(MacroTiming::kIgnore, 50, 0);
  EXPECT_EQ(recorder_.OnKey(true, kScanB, false, 1), MacroRecordOutcome::kRecorded);
  EXPECT_EQ(recorder_.OnKey(false, kScanB, false, 2), MacroRecordOutcome::kListFull);
  EXPECT_EQ(events_.size(), MacroFile::kMaxListEntries);
}

TEST_F(MacroRecorderTest, AppendingToAnExistingList_LeavesEarlierDelaysUntilTheNextEvent) {
  events_.push_back(MacroEventEntry::FromEvent(*MacroRecorder::KeyEvent(true, kScanA, false)));
  events_[0].delay_text = "77";
  recorder_.Begin(MacroTiming::kRealTime, 50, 0);
  recorder_.OnKey(true, kScanB, false, 30);
  EXPECT_EQ(events_[0].delay_text, "77");  // nothing recorded before: the old entry keeps its delay
  EXPECT_EQ(Stored(events_[1])["Delay"].asString(), "0");
  recorder_.OnKey(false, kScanB, false, 90);
  EXPECT_EQ(events_[1].delay_text, "60");
}

}  // namespace
