#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/simulator_process.h"

namespace {

using zt640::test::Outcome;
using zt640::test::RunShell;
using zt640::test::SimulatorProcess;

std::string Ctl(const std::string& root, const std::string& words) {
  return std::string(ZT640_CTL_PATH) + " --root " + root + " " + words;
}

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
  Outcome outcome = RunShell(Ctl(simulator.root(), "info"));
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(outcome.out.rfind("key_count=", 0), 0u) << outcome.out;
  EXPECT_NE(outcome.out.find(" battery=85 charge=0\n"), std::string::npos) << outcome.out;
  EXPECT_EQ(simulator.LoggedCommands(), (std::vector<std::string>{"01", "03", "02", "1a"}));

  outcome = RunShell(Ctl(simulator.root(), "info --receiver"));
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  const auto commands = simulator.LoggedCommands();
  ASSERT_GE(commands.size(), 6u);
  EXPECT_EQ(commands[4], "aa");  // the link check comes first through the receiver
}

TEST(CtlInfo, FailsWithOneLineWhenNothingAnswers) {
  SimulatorProcess simulator({"--receiver", "--keyboard-off"});
  ASSERT_TRUE(simulator.started());
  Outcome outcome = RunShell(Ctl(simulator.root(), "info --receiver"));
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

}  // namespace
