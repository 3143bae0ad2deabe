#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/ipc/ipc_client.h"
#include "platform/paths/product_title.h"
#include "support/simulator_process.h"
#include "support/wait_until.h"

extern char** environ;

namespace {

using zt640::test::Outcome;
using zt640::test::RunShell;

/// A data folder of its own holding the user's style file.
class StyleHome {
 public:
  StyleHome() {
    char templ[] = "/tmp/zt640-ctl-audio-XXXXXX";
    folder_ = ::mkdtemp(templ);
  }
  ~StyleHome() { std::filesystem::remove_all(folder_); }
  StyleHome(const StyleHome&) = delete;
  StyleHome& operator=(const StyleHome&) = delete;

  void WriteStyleFile(const std::string& text) const {
    const std::filesystem::path root = std::filesystem::path(folder_) / "data" / "ZT640 有线RGB Keyboard";
    std::filesystem::create_directories(root);
    std::ofstream(root / "AudioFile.json") << text;
  }
  const std::string& folder() const { return folder_; }
  Outcome Run(const std::string& words) const {
    return RunShell("XDG_DATA_HOME=" + folder_ + "/data XDG_RUNTIME_DIR=" + folder_ + " " + ZT640_CTL_PATH + " audio " +
                    words);
  }

 private:
  std::string folder_;
};

TEST(CtlAudio, StylesPrintsTheFourStylesOfTheUserFile) {
  const StyleHome home;
  // Style 2 is selected; 300 is cut to 8 bits (44); style 4 lacks its members.
  home.WriteStyleFile(R"({"Other": 1, "Device": {"AudioLightInfo": {
      "nAudioStyle": 2, "nStyleName1": "第一组", "nStyleName2": "Bass", "nStyleName3": "Calm",
      "nStyleR0": 9, "nStyleG0": 0, "nStyleB0": 0, "nStyleR1": 1, "nStyleG1": 2, "nStyleB1": 3,
      "nStyleR2": 300, "nStyleG2": 9, "nStyleB2": 4}}})");
  const Outcome outcome = home.Run("styles");
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(outcome.out,
            "1 R=9 G=0 B=0 name=第一组\n"
            "2 R=1 G=2 B=3 name=Bass\n"
            "3 R=44 G=9 B=4 name=Calm selected\n"
            "4 R=0 G=0 B=0 name=\n");
}

TEST(CtlAudio, BadUsageAndNoCaptureProcess) {
  const StyleHome home;
  EXPECT_EQ(home.Run("").status, 2);
  EXPECT_EQ(home.Run("level --seconds 0").status, 2);
  const Outcome level = home.Run("level --seconds 1");
  EXPECT_EQ(level.status, 1);
  EXPECT_NE(level.err.find("the capture process is not running"), std::string::npos) << level.err;
}

TEST(CtlAudio, LevelConnectsToTheCaptureProcessAndPrintsItsLevelsOncePerSecond) {
  const StyleHome home;
  std::vector<std::string> env{"XDG_RUNTIME_DIR=" + home.folder(), "ZT640_DEBUG=0"};
  for (char** e = environ; *e != nullptr; ++e) {
    if (!std::string(*e).starts_with("XDG_RUNTIME_DIR=")) env.emplace_back(*e);
  }
  std::vector<char*> envp;
  for (auto& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  std::string path = ZT640_AUDIORECORD_PATH;
  std::string tone = "--tone";
  std::string hz = "1000";
  char* argv[] = {path.data(), tone.data(), hz.data(), nullptr};
  pid_t capture = -1;
  ASSERT_EQ(::posix_spawn(&capture, path.c_str(), nullptr, nullptr, argv, envp.data()), 0);
  const zt640::platform::IpcClient client(home.folder() + "/zt640");
  const std::string title(zt640::platform::kProductTitle);
  EXPECT_TRUE(zt640::test::WaitUntil([&] { return client.FindWindow(title + "AudioRecord", title + "AUDIORECORD").has_value(); }));

  const Outcome outcome = home.Run("level --seconds 2");
  ::kill(capture, SIGTERM);
  ::waitpid(capture, nullptr, 0);
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  // Two lines of six values; by the second the 1 kHz tone at half of full scale (-9 dB
  // RMS, -6 dB peak on a 60 dB scale) shows in the default white colour.
  std::istringstream lines(outcome.out);
  std::string first;
  std::string second;
  ASSERT_TRUE(std::getline(lines, first) && std::getline(lines, second)) << outcome.out;
  std::istringstream values(second);
  int v[6] = {};
  ASSERT_TRUE(values >> v[0] >> v[1] >> v[2] >> v[3] >> v[4] >> v[5]) << second;
  EXPECT_NEAR(v[3], 850, 5);
  EXPECT_NEAR(v[4], 900, 5);
  EXPECT_EQ(v[5], 0);
  EXPECT_EQ(v[0], v[3] * 255 / 1000);
  EXPECT_EQ(v[1], v[0]);
  EXPECT_EQ(v[2], v[0]);
}

}  // namespace
