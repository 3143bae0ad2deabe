#include <gtest/gtest.h>

#include <stdlib.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>
#include <string>
#include <vector>

#include "platform/sync/event.h"
#include "support/local_update_service.h"
#include "support/wait_until.h"
#include "update/daily_update_check.h"
#include "update/update_check_schedule.h"
#include "update/update_pass.h"
#include "updateclient/update_client.h"

namespace {

using namespace std::chrono_literals;
using zt640::RunUpdatePass;
using zt640::UpdateCheckSchedule;
using zt640::UpdateClient;
using zt640::UpdateRow;
using zt640::UpdateRowState;
using zt640::UpdateQuery;
using zt640::UpdateTarget;
using zt640::UpdateWindowStatus;
using zt640::test::LocalUpdateService;
using zt640::test::ServiceReply;

/// Records what the pass shows, as the window would.
class RecordingSink : public zt640::UpdateListSink {
 public:
  void RowsCreated(const std::vector<UpdateRow>& rows) override {
    created = rows;
    rows_now = rows;
  }
  void RowChanged(std::size_t index, const UpdateRow& row) override { rows_now.at(index) = row; }
  void StatusChanged(UpdateWindowStatus status) override { statuses.push_back(status); }

  std::vector<UpdateRow> created;
  std::vector<UpdateRow> rows_now;
  std::vector<UpdateWindowStatus> statuses;
};

UpdateTarget Keyboard(uint32_t version) {
  UpdateTarget target;
  target.row = {1, 1, "ZTGEAR", "ZTK640FW", "K640", "K640", ""};
  target.current_version = version;
  return target;
}

UpdateTarget Application(uint32_t version) {
  UpdateTarget target;
  target.row = {0, 1, "ZTGEAR", "ZTA", "P640", "P640", "V1.0"};
  target.current_version = version;
  return target;
}

std::string MakeTempFolder() {
  char templ[] = "/tmp/zt640-update-pass-XXXXXX";
  const char* folder = mkdtemp(templ);
  return folder != nullptr ? folder : "";
}

class UpdatePassTest : public testing::Test {
 protected:
  UpdatePassTest() { EXPECT_FALSE(folder_.empty()); }
  ~UpdatePassTest() override { std::filesystem::remove_all(folder_); }

  UpdateWindowStatus Run(const std::string& base_url, const std::vector<UpdateTarget>& targets,
                         zt640::ExchangeTimeouts timeouts = {.connect = 500ms, .send = 50ms, .receive = 200ms}) {
    const UpdateClient client({base_url, timeouts});
    const auto query = [&client](const std::string& key, uint32_t version, uint32_t format,
                      const std::function<bool()>& cancelled) {
      return client.QueryUpdate(key, version, format, cancelled);
    };
    return RunUpdatePass(targets, query, schedule_, sink_, stop_);
  }

  UpdateQuery Query(const std::string& base_url) const {
    const UpdateClient client({base_url, {.connect = 500ms, .send = 50ms, .receive = 200ms}});
    return [client](const std::string& key, uint32_t version, uint32_t format,
                    const std::function<bool()>& cancelled) { return client.QueryUpdate(key, version, format, cancelled); };
  }

  const std::string folder_ = MakeTempFolder();  // before schedule_, which lives in it
  zt640::CalendarDate today_{2026, 3, 7};
  UpdateCheckSchedule schedule_{folder_ + "/updatetime.config", [this] { return today_; }};
  RecordingSink sink_;
  zt640::platform::Event stop_;
};

TEST_F(UpdatePassTest, NewerFirmwareIsTickedAndTheApplicationShownCurrent) {
  LocalUpdateService service;
  ASSERT_TRUE(service.started());
  service.SetReplyFor("ZTGEAR_1_ZTK640FW_K640_1", ServiceReply::kNewerFirmware);
  service.SetReplyFor("ZTGEAR_0_ZTA_P640_1", ServiceReply::kNewerApplication);

  EXPECT_EQ(Run(service.BaseUrl(), {Keyboard(0x0105), Application(103)}), UpdateWindowStatus::kHaveUpdates);
  EXPECT_EQ(sink_.statuses, (std::vector{UpdateWindowStatus::kChecking, UpdateWindowStatus::kHaveUpdates}));
  ASSERT_EQ(sink_.created.size(), 2u);
  EXPECT_EQ(sink_.created[0].name, "K640");
  EXPECT_EQ(sink_.created[0].current_version_text, "V0105");
  EXPECT_EQ(sink_.created[1].name, "AP");
  EXPECT_EQ(sink_.created[1].current_version_text, "V1.0");
  EXPECT_EQ(sink_.created[1].state, UpdateRowState::kUpToDate);

  const UpdateRow& keyboard = sink_.rows_now[0];
  EXPECT_EQ(keyboard.state, UpdateRowState::kNeedUpdate);
  EXPECT_EQ(keyboard.new_version_text, "V0106");
  EXPECT_EQ(keyboard.path, "https://downloads.zt640.invalid/firmware/K640_0106.bin");
  EXPECT_TRUE(keyboard.check_enabled);
  EXPECT_TRUE(keyboard.checked);
  const UpdateRow& application = sink_.rows_now[1];
  EXPECT_EQ(application.name, "AP");
  EXPECT_EQ(application.state, UpdateRowState::kUpToDate);
  EXPECT_EQ(application.current_version_text, "V103");
  EXPECT_EQ(application.new_version_text, "");
  EXPECT_FALSE(application.check_enabled);
  EXPECT_FALSE(application.checked);
  EXPECT_EQ(schedule_.LastCheckText(), "2026-3-7");
}

TEST_F(UpdatePassTest, UnusableAnswersShowTheRowCurrent) {
  LocalUpdateService service;
  ASSERT_TRUE(service.started());
  service.SetReply(ServiceReply::kMalformed);
  service.SetReplyFor("ZTGEAR_0_ZTA_P640_1", ServiceReply::kWrongTypes);
  EXPECT_EQ(Run(service.BaseUrl(), {Keyboard(0x0105), Application(103)}), UpdateWindowStatus::kAllCurrent);
  for (const UpdateRow& row : sink_.rows_now) {
    EXPECT_EQ(row.state, UpdateRowState::kUpToDate);
    EXPECT_FALSE(row.check_enabled);
  }
  EXPECT_EQ(sink_.rows_now[0].current_version_text, "V0105");
  EXPECT_EQ(sink_.rows_now[1].current_version_text, "V1.0");
  EXPECT_TRUE(schedule_.LastCheckText());
}

TEST_F(UpdatePassTest, NoServiceForAnyTargetIsStatusTwoAndNoCheckIsRecorded) {
  std::string base_url;
  {
    const LocalUpdateService gone;
    base_url = gone.BaseUrl();
  }
  EXPECT_EQ(Run(base_url, {Keyboard(0x0105), Application(103)}), UpdateWindowStatus::kNoService);
  EXPECT_EQ(sink_.rows_now[0].state, UpdateRowState::kUpToDate);
  EXPECT_EQ(sink_.rows_now[0].name, "K640");
  EXPECT_FALSE(schedule_.LastCheckText());
}

TEST_F(UpdatePassTest, AStoppedPassAsksNothingMore) {
  LocalUpdateService service;
  ASSERT_TRUE(service.started());
  stop_.Set();
  EXPECT_EQ(Run(service.BaseUrl(), {Keyboard(0x0105), Application(103)}), UpdateWindowStatus::kChecking);
  EXPECT_EQ(sink_.created.size(), 2u);
  EXPECT_TRUE(service.Requests().empty());
}

TEST_F(UpdatePassTest, StoppingEndsAPassInsideAnExchange) {
  LocalUpdateService service;
  ASSERT_TRUE(service.started());
  service.SetReply(ServiceReply::kSlow);
  std::atomic<bool> finished = false;
  UpdateWindowStatus status = UpdateWindowStatus::kAllCurrent;
  // Time-outs far longer than the test may take: only the stop event can end the pass.
  std::thread worker([&] {
    status = Run(service.BaseUrl(), {Keyboard(0x0105), Application(103)},
                 {.connect = 30000ms, .send = 30000ms, .receive = 30000ms});
    finished = true;
  });
  const bool asked = zt640::test::WaitUntil([&] { return !service.Requests().empty(); });
  stop_.Set();
  const bool ended = zt640::test::WaitUntil([&] { return finished.load(); });
  worker.join();
  EXPECT_TRUE(asked);
  EXPECT_TRUE(ended);
  EXPECT_EQ(status, UpdateWindowStatus::kChecking);
  EXPECT_EQ(service.Requests().size(), 1u);
  EXPECT_FALSE(schedule_.LastCheckText());
}

TEST_F(UpdatePassTest, TheStartUpCheckAsksOnceADay) {
  LocalUpdateService service;
  ASSERT_TRUE(service.started());
  service.SetReplyFor("ZTGEAR_1_ZTK640FW_K640_1", ServiceReply::kNewerFirmware);
  const UpdateQuery query = Query(service.BaseUrl());
  const std::vector targets = {Keyboard(0x0105), Application(103)};

  EXPECT_EQ(zt640::CheckForUpdatesIfDue(targets, query, schedule_, stop_), UpdateWindowStatus::kHaveUpdates);
  EXPECT_EQ(service.Requests().size(), 2u);
  EXPECT_EQ(zt640::CheckForUpdatesIfDue(targets, query, schedule_, stop_), std::nullopt);
  EXPECT_EQ(service.Requests().size(), 2u);

  today_ = {2026, 3, 8};
  EXPECT_EQ(zt640::CheckForUpdatesIfDue(targets, query, schedule_, stop_), UpdateWindowStatus::kHaveUpdates);
  EXPECT_EQ(service.Requests().size(), 4u);
  EXPECT_EQ(schedule_.LastCheckText(), "2026-3-8");
}

TEST_F(UpdatePassTest, AStartUpCheckThatReachedNoServiceIsRepeatedTheSameDay) {
  std::string base_url;
  {
    const LocalUpdateService gone;
    base_url = gone.BaseUrl();
  }
  const std::vector targets = {Keyboard(0x0105), Application(103)};
  EXPECT_EQ(zt640::CheckForUpdatesIfDue(targets, Query(base_url), schedule_, stop_), UpdateWindowStatus::kNoService);
  EXPECT_TRUE(schedule_.IsCheckDue());
}

}  // namespace
