#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "update/update_check_schedule.h"

namespace {

using zt640::CalendarDate;
using zt640::UpdateCheckSchedule;

class ScheduleTest : public testing::Test {
 protected:
  ScheduleTest() {
    char templ[] = "/tmp/zt640-update-time-XXXXXX";
    folder_ = mkdtemp(templ);
    path_ = folder_ + "/updatetime.config";
  }
  ~ScheduleTest() override { std::filesystem::remove_all(folder_); }

  UpdateCheckSchedule Schedule() {
    return UpdateCheckSchedule(path_, [this] { return today_; });
  }
  std::string FileText() const {
    std::ifstream in(path_, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  std::string folder_;
  std::string path_;
  CalendarDate today_{2026, 3, 7};
};

TEST_F(ScheduleTest, ChecksOnceADay) {
  UpdateCheckSchedule schedule = Schedule();
  EXPECT_TRUE(schedule.IsCheckDue());
  EXPECT_FALSE(schedule.LastCheckText());

  ASSERT_TRUE(schedule.RecordCheck());
  EXPECT_EQ(schedule.LastCheckText(), "2026-3-7");
  EXPECT_FALSE(schedule.IsCheckDue());
  EXPECT_NE(FileText().find("\"updatelasttime\" : {\r\n      \"value\" : \"2026-3-7\"\r\n   }"), std::string::npos)
      << FileText();

  today_ = {2026, 3, 8};
  EXPECT_TRUE(schedule.IsCheckDue());
  ASSERT_TRUE(schedule.RecordCheck());
  EXPECT_FALSE(schedule.IsCheckDue());
  today_ = {2026, 12, 31};
  EXPECT_TRUE(schedule.IsCheckDue());
}

TEST_F(ScheduleTest, StartWritesTodayOnlyWhenNoDateIsStored) {
  UpdateCheckSchedule schedule = Schedule();
  EXPECT_EQ(schedule.EnsureLastCheckText(), "2026-3-7");
  today_ = {2026, 4, 1};
  EXPECT_EQ(schedule.EnsureLastCheckText(), "2026-3-7");
  EXPECT_EQ(schedule.LastCheckText(), "2026-3-7");
}

TEST_F(ScheduleTest, DamagedFileReadsAsNoDateAndIsKeptWhenReplaced) {
  for (const char* text : {"{\"updatelasttime\": ", "[1,2]", "{\"updatelasttime\": {\"value\": 20260307}}",
                           "{\"updatelasttime\": \"2026-3-7\"}"}) {
    SCOPED_TRACE(text);
    std::filesystem::remove(path_ + ".bak");
    std::ofstream(path_, std::ios::binary | std::ios::trunc) << text;
    UpdateCheckSchedule schedule = Schedule();
    EXPECT_TRUE(schedule.IsCheckDue());
    EXPECT_EQ(schedule.EnsureLastCheckText(), "2026-3-7");
    EXPECT_FALSE(schedule.IsCheckDue());
  }
  // The text that was no JSON at all is kept beside the new file.
  std::filesystem::remove(path_ + ".bak");
  std::ofstream(path_, std::ios::binary | std::ios::trunc) << "{\"updatelasttime\": ";
  UpdateCheckSchedule schedule = Schedule();
  EXPECT_FALSE(schedule.LastCheckText());
  ASSERT_TRUE(schedule.RecordCheck());
  std::ifstream backup(path_ + ".bak");
  std::string kept((std::istreambuf_iterator<char>(backup)), {});
  EXPECT_EQ(kept, "{\"updatelasttime\": ");
}

TEST(CalendarDateText, HasNoLeadingZeros) {
  EXPECT_EQ(zt640::CalendarDateText({2026, 3, 7}), "2026-3-7");
  EXPECT_EQ(zt640::CalendarDateText({2026, 11, 30}), "2026-11-30");
}

}  // namespace
