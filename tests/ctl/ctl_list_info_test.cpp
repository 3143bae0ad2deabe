#include <gtest/gtest.h>

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/paths/product_title.h"
#include "support/simulator_process.h"

namespace {

using zt640::test::Outcome;
using zt640::test::RunShell;
using zt640::test::SimulatorProcess;

std::string Ctl(const std::string& root, const std::string& words) {
  return std::string(ZT640_CTL_PATH) + " --root " + root + " " + words;
}

/// A user data root of its own; with `receiver_ids` its "devices.json" gives the
/// simulated receiver's ids (320f:5089) to catalogue rows 2 and 3, as a user would.
class DataRoot {
 public:
  explicit DataRoot(bool receiver_ids) {
    char templ[] = "/tmp/zt640-ctl-home-XXXXXX";
    home_ = mkdtemp(templ);
    if (!receiver_ids) return;
    const std::filesystem::path root = std::filesystem::path(home_) / std::string(zt640::platform::kProductTitle);
    std::filesystem::create_directories(root);
    std::ofstream(root / "devices.json") << R"({"Interfaces":[{"Row":2,"VendorId":"0x320F","ProductId":"0x5089"},)"
                                         << R"({"Row":3,"VendorId":"0x320F","ProductId":"0x5089"}]})";
  }
  ~DataRoot() { std::filesystem::remove_all(home_); }
  DataRoot(const DataRoot&) = delete;
  DataRoot& operator=(const DataRoot&) = delete;

  /// The command line run with this data root.
  std::string With(const std::string& command) const { return "XDG_DATA_HOME=" + home_ + " " + command; }

 private:
  std::string home_;
};

TEST(CtlList, PrintsEveryCollectionOfTheSimulatedKeyboard) {
  SimulatorProcess simulator;
  ASSERT_TRUE(simulator.started());
  const Outcome outcome = RunShell(Ctl(simulator.root(), "list"));
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_NE(outcome.out.find("&mi_01&col04 vid=320f pid=505b mi=1 col=4 page=ff1c usage=0092 "
                             "in=64 out=64 feat=0\n"),
            std::string::npos)
      << outcome.out;
  EXPECT_NE(outcome.out.find("mi=1 col=3 page=000c usage=0001"), std::string::npos);
}

TEST(CtlInfo, ReadsRecordsWiredAndThroughTheReceiver) {
  SimulatorProcess simulator({"--receiver"});
  ASSERT_TRUE(simulator.started());
  const DataRoot data(true);
  Outcome outcome = RunShell(data.With(Ctl(simulator.root(), "info")));
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(outcome.out.rfind("key_count=", 0), 0u) << outcome.out;
  EXPECT_NE(outcome.out.find(" battery=85 charge=0\n"), std::string::npos) << outcome.out;
  EXPECT_EQ(simulator.LoggedCommands(), (std::vector<std::string>{"01", "03", "02", "1a"}));

  outcome = RunShell(data.With(Ctl(simulator.root(), "info --receiver")));
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  const auto commands = simulator.LoggedCommands();
  ASSERT_GE(commands.size(), 6u);
  EXPECT_EQ(commands[4], "aa");  // the link check comes first through the receiver
}

TEST(CtlInfo, FailsWithOneLineWhenNothingAnswers) {
  SimulatorProcess simulator({"--receiver", "--keyboard-off"});
  ASSERT_TRUE(simulator.started());
  const DataRoot data(true);
  Outcome outcome = RunShell(data.With(Ctl(simulator.root(), "info --receiver")));
  EXPECT_EQ(outcome.status, 1);
  EXPECT_NE(outcome.err.find("switched off"), std::string::npos) << outcome.err;

  outcome = RunShell(Ctl("/nonexistent-root", "info"));
  EXPECT_EQ(outcome.status, 1);
  EXPECT_NE(outcome.err.find("no keyboard found"), std::string::npos) << outcome.err;

  SimulatorProcess refusing({"--fault", "status:ff", "--fault-command", "0x03"});
  ASSERT_TRUE(refusing.started());
  outcome = RunShell(Ctl(refusing.root(), "info"));
  EXPECT_EQ(outcome.status, 1);
  EXPECT_NE(outcome.err.find("(0x03) failed (result -102)"), std::string::npos) << outcome.err;
  EXPECT_EQ(std::count(outcome.err.begin(), outcome.err.end(), '\n'), 1);
}

TEST(CtlInfo, ReceiverIdsComeFromDevicesJsonOrTheCommandLine) {
  SimulatorProcess simulator({"--receiver"});
  ASSERT_TRUE(simulator.started());
  const DataRoot bare(false);
  // Without ids the receiver rows carry vendor id 0, as in the window: nothing is looked for.
  Outcome outcome = RunShell(bare.With(Ctl(simulator.root(), "info --receiver")));
  EXPECT_EQ(outcome.status, 1);
  EXPECT_NE(outcome.err.find("devices.json"), std::string::npos) << outcome.err;
  EXPECT_TRUE(simulator.LoggedCommands().empty());

  outcome = RunShell(bare.With(Ctl(simulator.root(), "info --receiver-id 320f:5089")));
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  ASSERT_FALSE(simulator.LoggedCommands().empty());
  EXPECT_EQ(simulator.LoggedCommands().front(), "aa");

  // The command line wins over the file.
  const DataRoot configured(true);
  outcome = RunShell(configured.With(Ctl(simulator.root(), "info --receiver-id 320f:1234")));
  EXPECT_EQ(outcome.status, 1);
  EXPECT_NE(outcome.err.find("no receiver found (looked for 320f:1234"), std::string::npos) << outcome.err;
}

}  // namespace
