#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/paths/product_title.h"
#include "support/simulator_process.h"
#include "transport/command_code.h"

namespace {

using zt640::CommandCode;
using zt640::test::Outcome;
using zt640::test::RunShell;
using zt640::test::SimulatorProcess;

using Bytes = std::vector<uint8_t>;

/// zt640ctl headset and pad against the simulated headset and pad. Each case
/// gets a user data root of its own (a fresh profile) holding the devices.json
/// the simulator wrote.
class CtlHeadset : public ::testing::Test {
 protected:
  void SetUp() override {
    char templ[] = "/tmp/zt640-ctl-headset-XXXXXX";
    data_ = mkdtemp(templ);
    std::filesystem::create_directories(DataRoot(0));
    simulator_ = std::make_unique<SimulatorProcess>(
        std::vector<std::string>{"--headset", "--pad", "--devices-json", DataRoot(0) + "devices.json"});
    ASSERT_TRUE(simulator_->started());
  }
  void TearDown() override { std::filesystem::remove_all(data_); }

  std::string Home(int home) const { return data_ + "/" + std::to_string(home); }
  std::string DataRoot(int home) const { return Home(home) + "/" + std::string(zt640::platform::kProductTitle) + "/"; }

  /// A fresh user data root with the simulator's ids.
  int NewHome() {
    const int home = ++homes_;
    std::filesystem::create_directories(DataRoot(home));
    std::filesystem::copy_file(DataRoot(0) + "devices.json", DataRoot(home) + "devices.json");
    return home;
  }

  Outcome Ctl(int home, const std::string& words) const {
    return RunShell("XDG_DATA_HOME=" + Home(home) + " " + ZT640_CTL_PATH + " --root " + simulator_->root() + " " +
                    words);
  }
  size_t LogSize() const { return simulator_->LoggedPackets().size(); }

  /// The settings area the packets from the `from`-th request on wrote, by offset.
  Bytes WrittenSettings(size_t from) const {
    Bytes area;
    const auto logged = simulator_->LoggedPackets();
    for (size_t i = from; i < logged.size(); ++i) {
      const Bytes& packet = logged[i];
      if (packet.size() != 64 || packet[3] != zt640::CommandByte(CommandCode::kWriteSettings)) continue;
      const size_t offset = packet[5] | (packet[6] << 8);
      if (area.size() < offset + packet[4]) area.resize(offset + packet[4]);
      std::copy(packet.begin() + 8, packet.begin() + 8 + packet[4], area.begin() + static_cast<long>(offset));
    }
    return area;
  }

  std::string data_;
  int homes_ = 0;
  std::unique_ptr<SimulatorProcess> simulator_;
};

/// Verbs run in order on a fresh profile; the last one prints `printed`
/// (each text in order, `audio` lines being the properties the fake layer
/// took) and exits with `status`; `show` afterwards holds every text of `shown`.
struct SoundCase {
  const char* name;
  std::vector<std::string> before;
  std::string words;
  int status;
  std::vector<std::string> printed;
  std::vector<std::string> shown;
  bool only_printed = false;  ///< the one text of `printed` is all it prints
};

const std::string kFake = "headset --audio fake ";

std::vector<std::string> FlatBands() {
  std::vector<std::string> lines = {"audio Enable_EQ_GFX=1\n"};
  for (int k = 1; k <= 10; ++k) lines.push_back("audio EQ_Slider" + std::to_string(k) + "=0\n");
  lines.push_back("ok eq\n");
  return lines;
}

TEST_F(CtlHeadset, SoundVerbsChangeTheProfileAndTheAudioProperties) {
  const std::vector<SoundCase> cases = {
      {"preset 5 writes 0 to all ten bands", {}, "eq 5", 0, FlatBands(), {"eq=5 ", "band=9 gain=0\n"}},
      {"preset 7's gains", {}, "eq 7", 0, {"audio EQ_Slider1=14\n", "audio EQ_Slider5=-4\n", "audio EQ_Slider10=3\n"},
       {"eq=7 ", "band=0 gain=14\n", "band=4 gain=-4\n"}},
      // Without a selected curve the band is not stored: the profile keeps preset 7.
      {"band 3 under preset 7 writes only EQ_Slider4", {"eq 7"}, "band 3 -6", 0,
       {"audio EQ_Slider4=-6\nok band\n"}, {"eq=7 ", "band=3 gain=0\n"}, true},
      {"a band under a selected curve is kept by it", {"eq 7", "curve save Mine", "eq 13"}, "band 0 9", 0,
       {"audio EQ_Slider1=9\n"}, {"eq=13 custom=0 ", "band=0 gain=9\n", "band=1 gain=10\n", "curve=0 name=Mine\n"}},
      {"a saved curve takes the current gains", {"eq 11"}, "curve save Loud", 0, {"ok curve\n"},
       {"eq=11 custom=0 ", "curve=0 name=Loud\n"}},
      {"a name differing only in case is refused", {"curve save Loud"}, "curve save LOUD", 1, {},
       {"curve=0 name=Loud\n"}},
      {"deleting the last curve goes back to preset 1", {"curve save A"}, "curve delete", 0, {"ok curve\n"},
       {"eq=1 custom=-1 "}},
      {"mic off", {}, "mic off", 0, {"audio MuteControl=1\n"}, {" mic=0 "}},
      {"mic volume", {}, "mic 40", 0, {"audio VolumeScalarControl=0.4"}, {" mic_volume=40 "}},
      {"monitor on", {}, "monitor on", 0, {"audio AAMuteControl=0\n"}, {" monitor=1 "}},
      {"monitor volume", {}, "monitor 70", 0, {"audio AAVolumeScalarControl=0.7"}, {" monitor_volume=70 "}},
      {"voice changer on switches the echo off", {}, "magic on", 0,
       {"audio Enable_MAGICVOICE=1\n", "audio Enable_MICECHO=0\n"}, {" magic=1 "}},
      {"effect 4 is written as 3", {}, "magic 4", 0, {"audio MagicVoice_Selection=3\n"}, {" magic_type=4"}},
      {"a state set earlier is read back from the profile", {"mic off", "mic 25"}, "magic 2", 0, {},
       {" mic=0 mic_volume=25 ", " magic_type=2"}},
  };
  for (const SoundCase& c : cases) {
    SCOPED_TRACE(c.name);
    const int home = NewHome();
    for (const std::string& words : c.before) ASSERT_EQ(Ctl(home, kFake + words).status, 0) << words;
    const Outcome outcome = Ctl(home, kFake + c.words);
    EXPECT_EQ(outcome.status, c.status) << outcome.err;
    size_t at = 0;
    for (const std::string& text : c.printed) {
      at = outcome.out.find(text, at);
      EXPECT_NE(at, std::string::npos) << text << " in\n" << outcome.out;
    }
    if (c.only_printed) {
      EXPECT_EQ(outcome.out, c.printed.front());
    }
    const Outcome show = Ctl(home, kFake + "show");
    ASSERT_EQ(show.status, 0) << show.err;
    for (const std::string& text : c.shown) EXPECT_NE(show.out.find(text), std::string::npos) << text << show.out;
  }
}

TEST_F(CtlHeadset, WithoutASoundCardSoundVerbsChangeNothing) {
  const int home = NewHome();
  const std::string before = Ctl(home, "headset show").out;
  EXPECT_NE(before.find("audio=unavailable\n"), std::string::npos) << before;
  const Outcome mic = Ctl(home, "headset mic 40");
  EXPECT_EQ(mic.status, 1);
  EXPECT_NE(mic.err.find("unavailable"), std::string::npos) << mic.err;
  EXPECT_EQ(Ctl(home, "headset show").out, before);
}

TEST_F(CtlHeadset, LightWritesTheRecordOfTheActiveSlotAndShowReadsItBack) {
  for (const std::string kind : {"headset", "pad"}) {
    SCOPED_TRACE(kind);
    const int home = NewHome();
    const size_t before = LogSize();
    const Outcome light = Ctl(home, kind + " light --mode 4 --brightness 2 --speed 1 --direction 0 --colour 123456");
    ASSERT_EQ(light.status, 0) << light.err;
    EXPECT_NE(light.out.find("ok mode=4"), std::string::npos);
    // Slot 0, 21 bytes: brightness, 4 - speed, direction, multicolour, colour.
    const Bytes record = WrittenSettings(before);
    ASSERT_EQ(record.size(), 21u);
    EXPECT_EQ(Bytes(record.begin() + 2, record.begin() + 9), (Bytes{2, 3, 0, 0, 0x12, 0x34, 0x56}));
    const Outcome show = Ctl(home, kind + " show");
    EXPECT_NE(show.out.find("active_slot=0 mode=4 brightness=2 speed=1 direction=0 multicolour=0 colour=123456\n"),
              std::string::npos)
        << show.out;
  }
}

TEST_F(CtlHeadset, MalformedVerbsSendNothing) {
  const int home = NewHome();
  const size_t before = LogSize();
  for (const char* words :
       {"headset eq 0", "headset eq 14", "headset band 10 0", "headset band 0 21", "headset band 0", "headset curve save",
        "headset curve rename x", "headset mic 101", "headset mic maybe", "headset monitor -1", "headset magic 0",
        "headset magic 5", "headset light --mode 9", "headset light --brightness 2", "headset --audio bogus show",
        "headset --audio", "headset bogus", "pad light --mode 9", "pad show x", "pad"}) {
    EXPECT_EQ(Ctl(home, words).status, 2) << words;
  }
  EXPECT_EQ(LogSize(), before);
}

}  // namespace
