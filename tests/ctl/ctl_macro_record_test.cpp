#include <gtest/gtest.h>
#include <json/reader.h>
#include <linux/input.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/simulator_process.h"

namespace {

using zt640::test::Outcome;
using zt640::test::RunShell;

struct Event {
  std::uint64_t time_ms;
  std::uint16_t type;
  std::uint16_t code;
  std::int32_t value;
};

/// `zt640ctl macro record` reading a recorded event stream that stands in for the
/// input event nodes, with its own data folder.
class CtlMacroRecord : public ::testing::Test {
 protected:
  void SetUp() override {
    char templ[] = "/tmp/zt640-ctl-record-XXXXXX";
    dir_ = mkdtemp(templ);
    std::filesystem::create_directories(dir_ + "/input/dev/input");
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string Node() const { return dir_ + "/input/dev/input/event0"; }

  void WriteStream(const std::string& path, const std::vector<Event>& events) {
    std::ofstream out(path, std::ios::binary | std::ios::app);
    for (const Event& e : events) {
      input_event raw{};
      raw.input_event_sec = static_cast<decltype(raw.input_event_sec)>(e.time_ms / 1000);
      raw.input_event_usec = static_cast<decltype(raw.input_event_usec)>((e.time_ms % 1000) * 1000);
      raw.type = e.type;
      raw.code = e.code;
      raw.value = e.value;
      out.write(reinterpret_cast<const char*>(&raw), sizeof raw);
    }
  }

  std::string Command(const std::string& words) const {
    return "ZT640_INPUT_ROOT=" + dir_ + "/input " + ZT640_CTL_PATH + " macro record " + words +
           " --device keyboard --data-root " + dir_ + "/data --defaults " + ZT640_SOURCE_DIR + "/data/DefaultData/";
  }

  /// The events of the only macro file saved.
  Json::Value SavedEvents() const {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir_ + "/data")) {
      if (entry.path().extension() != ".mac") continue;
      std::ifstream in(entry.path());
      Json::Value document;
      Json::Reader().parse(in, document);
      return document["Events"];
    }
    return Json::Value();
  }

  std::string dir_;
};

TEST_F(CtlMacroRecord, RecordedStream_SavesEventsWithTheirDelays_AndAHeldKeyOnce) {
  WriteStream(Node(), {{1000, EV_KEY, KEY_A, 1},
                       {1000, EV_SYN, SYN_REPORT, 0},
                       {1060, EV_KEY, KEY_A, 2},
                       {1090, EV_KEY, KEY_A, 2},
                       {1120, EV_KEY, KEY_A, 0},
                       {1200, EV_KEY, KEY_B, 1},
                       {1200, EV_KEY, KEY_F13, 1},  // no such key in the catalogue
                       {1250, EV_KEY, BTN_LEFT, 1},
                       {1300, EV_KEY, BTN_LEFT, 0}});
  const Outcome outcome = RunShell(Command("Recorded"));
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_NE(outcome.out.find("created macro 0 Recorded"), std::string::npos);
  EXPECT_NE(outcome.out.find("0\tdown\tA\n1\tup\tA\n2\tdown\tB\n3\tdown\t"), std::string::npos) << outcome.out;
  EXPECT_NE(outcome.out.find("no input device is left"), std::string::npos);

  const Json::Value events = SavedEvents();
  ASSERT_EQ(events.size(), 5u);
  const char* delays[] = {"120", "80", "50", "50", "0"};
  for (Json::ArrayIndex i = 0; i < events.size(); ++i) EXPECT_EQ(events[i]["Delay"].asString(), delays[i]) << i;
  EXPECT_EQ(events[0]["Type"].asInt(), 10);
  EXPECT_EQ(events[0]["Button"].asInt(), 4);
  EXPECT_EQ(events[3]["Type"].asInt(), 1);
  EXPECT_EQ(events[3]["Button"].asInt(), 1);
  EXPECT_EQ(events[4]["Action"].asString(), "up");
}

TEST_F(CtlMacroRecord, CtrlC_OnTheGrabbedKeyboard_EndsTheRecordingWithoutBeingRecorded) {
  WriteStream(Node(), {{0, EV_KEY, KEY_X, 1},
                       {10, EV_KEY, KEY_X, 0},
                       {20, EV_KEY, KEY_LEFTCTRL, 1},
                       {30, EV_KEY, KEY_C, 1},
                       {40, EV_KEY, KEY_Y, 1}});
  const Outcome outcome = RunShell(Command("chord --timing fixed 70"));
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  const Json::Value events = SavedEvents();
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0]["Delay"].asString(), "70");
  EXPECT_EQ(events[1]["Delay"].asString(), "70");
}

TEST_F(CtlMacroRecord, Sigterm_StopsTheRecordingAndSaves) {
  const std::string fifo = Node();
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string stream = dir_ + "/stream";
  WriteStream(stream, {{0, EV_KEY, KEY_Q, 1}, {25, EV_KEY, KEY_Q, 0}});
  // The shell keeps the FIFO open, so the device stays; SIGTERM is the only way out.
  const std::string script = "exec 3<>" + fifo + "; cat " + stream + " >&3; " + Command("term") + " > " + dir_ +
                             "/out & pid=$!; for i in $(seq 200); do grep -q '^1' " + dir_ +
                             "/out && break; sleep 0.05; done; kill -TERM $pid; wait $pid; echo status=$?; cat " +
                             dir_ + "/out";
  std::ofstream(dir_ + "/run.sh") << script << "\n";
  const Outcome outcome = RunShell("bash " + dir_ + "/run.sh");
  EXPECT_NE(outcome.out.find("status=0"), std::string::npos) << outcome.out << outcome.err;
  EXPECT_NE(outcome.out.find("saved macro 0 term"), std::string::npos) << outcome.out;
  const Json::Value events = SavedEvents();
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0]["Delay"].asString(), "25");
}

TEST_F(CtlMacroRecord, Refusals) {
  const Outcome no_devices = RunShell(Command("nothing"));
  EXPECT_EQ(no_devices.status, 1);
  EXPECT_NE(no_devices.err.find("cannot be read"), std::string::npos) << no_devices.err;
  EXPECT_NE(no_devices.err.find("/dev/input"), std::string::npos);

  for (const char* words : {"x --timing fixed abc", "x --timing fixed 65536", "x --timing sometimes", "x --seconds 0",
                            "a b", "\"A&B\""}) {
    const Outcome refused = RunShell(Command(words));
    EXPECT_NE(refused.status, 0) << words;
    EXPECT_FALSE(refused.err.empty()) << words;
  }
}

}  // namespace
