#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "support/simulator_process.h"

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

}  // namespace
