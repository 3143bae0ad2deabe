#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/audio/alsa_audio_library.h"
#include "platform/audio/audio_property_names.h"
#include "platform/audio/headset_audio_binding.h"

namespace zt640::platform {
namespace {

namespace property = audio_property;
namespace fs = std::filesystem;

/// A sound card's mixer in memory: one state per (element, side), and a
/// switch to make every call fail as a card does when it goes away mid-change.
class FakeMixer final : public MixerLayer {
 public:
  struct Side {
    MixerRange range;
    long volume = 0;
    bool on = true;
  };
  struct Shared {
    std::vector<MixerElement> elements;
    std::map<std::pair<std::string, MixerSide>, Side> sides;
    bool broken = false;
  };

  explicit FakeMixer(std::shared_ptr<Shared> shared) : shared_(std::move(shared)) {}

  std::vector<MixerElement> Elements() override { return shared_->elements; }
  bool Range(const std::string& element, MixerSide side, MixerRange* range) override {
    Side* found = Find(element, side);
    if (found == nullptr) return false;
    *range = found->range;
    return true;
  }
  bool Volume(const std::string& element, MixerSide side, long* value) override {
    Side* found = Find(element, side);
    if (found == nullptr) return false;
    *value = found->volume;
    return true;
  }
  bool SetVolume(const std::string& element, MixerSide side, long value) override {
    Side* found = Find(element, side);
    if (found == nullptr) return false;
    found->volume = value;
    return true;
  }
  bool Centibels(const std::string& element, MixerSide side, long* value) override {
    Side* found = Find(element, side);
    if (found == nullptr || !found->range.minimum_centibels) return false;
    // Linear between the ends, enough for a test.
    const MixerRange& r = found->range;
    *value = *r.minimum_centibels +
             (found->volume - r.minimum) * (*r.maximum_centibels - *r.minimum_centibels) / (r.maximum - r.minimum);
    return true;
  }
  bool Switch(const std::string& element, MixerSide side, bool* on) override {
    Side* found = Find(element, side);
    if (found == nullptr) return false;
    *on = found->on;
    return true;
  }
  bool SetSwitch(const std::string& element, MixerSide side, bool on) override {
    Side* found = Find(element, side);
    if (found == nullptr) return false;
    found->on = on;
    return true;
  }

 private:
  Side* Find(const std::string& element, MixerSide side) {
    if (shared_->broken) return nullptr;
    const auto found = shared_->sides.find({element, side});
    return found == shared_->sides.end() ? nullptr : &found->second;
  }
  std::shared_ptr<Shared> shared_;
};

/// A USB headset card: "Mic" capture (0-16, -12 dB to +12 dB, switch) and the
/// "Mic" playback sidetone (0-31, -30 dB to 0 dB, switch), plus a speaker control.
std::shared_ptr<FakeMixer::Shared> HeadsetCard(bool with_sidetone = true) {
  auto card = std::make_shared<FakeMixer::Shared>();
  card->elements.push_back({"Speaker", true, true, false, false});
  card->elements.push_back({"Mic", with_sidetone, with_sidetone, true, true});
  card->sides[{"Speaker", MixerSide::kPlayback}] = {{0, 100, -4000, 0}, 50, true};
  card->sides[{"Mic", MixerSide::kCapture}] = {{0, 16, -1200, 1200}, 8, true};
  if (with_sidetone) card->sides[{"Mic", MixerSide::kPlayback}] = {{0, 31, -3000, 0}, 0, false};
  return card;
}

struct Bound {
  explicit Bound(std::shared_ptr<FakeMixer::Shared> card) : card(card) {
    auto library = std::make_unique<AlsaAudioLibrary>(card ? std::make_unique<FakeMixer>(card) : nullptr);
    alsa = library.get();
    binding = std::make_unique<HeadsetAudioBinding>(std::move(library),
                                                    [this](std::string_view text) { notices.emplace_back(text); });
  }
  std::shared_ptr<FakeMixer::Shared> card;
  AlsaAudioLibrary* alsa = nullptr;
  std::vector<std::string> notices;
  std::unique_ptr<HeadsetAudioBinding> binding;
};

TEST(AlsaAudioLibrary, MicrophoneAndMonitorMapToCaptureAndSidetoneControls) {
  Bound b(HeadsetCard());
  ASSERT_TRUE(b.binding->StartUp());
  EXPECT_TRUE(b.notices.empty());
  EXPECT_EQ(b.alsa->CaptureControl(), "Mic");
  EXPECT_EQ(b.alsa->SidetoneControl(), "Mic");
  EXPECT_DOUBLE_EQ(b.binding->ReadNumber(AudioFlow::kCapture, property::kVolumeScalar, -1).value(), 0.5);
  EXPECT_EQ(b.binding->ReadInteger(AudioFlow::kCapture, property::kMute), 0);
  EXPECT_DOUBLE_EQ(b.binding->ReadNumber(AudioFlow::kCapture, property::kMaxVolume).value(), 12.0);
  EXPECT_DOUBLE_EQ(b.binding->ReadNumber(AudioFlow::kCapture, property::kVolumeStep).value(), 1.5);
  EXPECT_DOUBLE_EQ(b.binding->ReadNumber(AudioFlow::kCapture, property::kMonitorMaxVolume).value(), 0.0);
  EXPECT_EQ(b.binding->ReadInteger(AudioFlow::kCapture, property::kMonitorMute), 1);

  ASSERT_TRUE(b.binding->WriteFloat(AudioFlow::kCapture, property::kVolumeScalar, 0.75f, -1));
  EXPECT_EQ((b.card->sides[{"Mic", MixerSide::kCapture}].volume), 12);
  EXPECT_DOUBLE_EQ(b.binding->ReadNumber(AudioFlow::kCapture, property::kVolume, -1).value(), 6.0);
  ASSERT_TRUE(b.binding->WriteInteger(AudioFlow::kCapture, property::kMute, 1));
  EXPECT_FALSE((b.card->sides[{"Mic", MixerSide::kCapture}].on));
  ASSERT_TRUE(b.binding->WriteFloat(AudioFlow::kCapture, property::kMonitorVolumeScalar, 1.0f, 0));
  ASSERT_TRUE(b.binding->WriteInteger(AudioFlow::kCapture, property::kMonitorMute, 0));
  EXPECT_EQ((b.card->sides[{"Mic", MixerSide::kPlayback}].volume), 31);
  EXPECT_TRUE((b.card->sides[{"Mic", MixerSide::kPlayback}].on));
  // The speaker's own control is never touched.
  EXPECT_EQ((b.card->sides[{"Speaker", MixerSide::kPlayback}].volume), 50);
}

TEST(AlsaAudioLibrary, WhatTheCardCannotServeFailsAndTheStartUpWritesNothing) {
  Bound b(HeadsetCard(/*with_sidetone=*/false));
  ASSERT_TRUE(b.binding->StartUp());
  const std::vector<std::pair<AudioFlow, std::string>> unserved = {
      {AudioFlow::kRender, "Enable_EQ_GFX"},
      {AudioFlow::kRender, property::EqualiserSlider(3)},
      {AudioFlow::kCapture, "Enable_MAGICVOICE"},
      {AudioFlow::kCapture, "MagicVoice_Selection"},
  };
  for (const auto& [flow, name] : unserved) EXPECT_FALSE(b.binding->WriteInteger(flow, name, 1)) << name;
  EXPECT_FALSE(b.binding->ReadNumber(AudioFlow::kCapture, property::kMonitorMaxVolume).has_value());
  EXPECT_FALSE(b.binding->WriteFloat(AudioFlow::kCapture, property::kMonitorVolumeScalar, 0.5f, 0));
  EXPECT_EQ(b.binding->Features(AudioFlow::kCapture)[0], 0u);
  // The start-up reset found the readable controls readable and left them alone.
  EXPECT_EQ((b.card->sides[{"Mic", MixerSide::kCapture}].volume), 8);
}

TEST(AlsaAudioLibrary, ACardGoneMidChangeFailsTheWriteAndNoCardFailsInitialisation) {
  Bound b(HeadsetCard());
  ASSERT_TRUE(b.binding->StartUp());
  b.card->broken = true;
  EXPECT_FALSE(b.binding->WriteFloat(AudioFlow::kCapture, property::kVolumeScalar, 0.2f, -1));
  EXPECT_FALSE(b.binding->WriteInteger(AudioFlow::kCapture, property::kMute, 1));

  Bound none(nullptr);
  EXPECT_FALSE(none.binding->StartUp());
  EXPECT_EQ(none.notices, std::vector<std::string>{"ConfLibInit called failed!"});
  EXPECT_FALSE(none.binding->Ready());
}

TEST(AlsaAudioLibrary, TheCardIsTheOneOnTheHeadsetsUsbDevice) {
  const fs::path root = fs::temp_directory_path() / "zt640_alsa_card";
  fs::remove_all(root);
  const fs::path usb = root / "sys/devices/usb1/1-6";
  const fs::path other = root / "sys/devices/usb1/1-2";
  fs::create_directories(usb / "1-6:1.3/0003:320F:5A60.0001");
  fs::create_directories(usb / "1-6:1.0/sound/card2");
  fs::create_directories(other / "1-2:1.0/sound/card1");
  fs::create_directories(root / "sys/class/hidraw/hidraw4");
  fs::create_directories(root / "sys/class/sound");
  fs::create_directory_symlink(usb / "1-6:1.3/0003:320F:5A60.0001", root / "sys/class/hidraw/hidraw4/device");
  fs::create_directory_symlink(other / "1-2:1.0/sound/card1", root / "sys/class/sound/card1");
  fs::create_directory_symlink(usb / "1-6:1.0/sound/card2", root / "sys/class/sound/card2");
  fs::create_directory_symlink(other / "1-2:1.0", other / "1-2:1.0/sound/card1/device");
  fs::create_directory_symlink(usb / "1-6:1.0", usb / "1-6:1.0/sound/card2/device");

  EXPECT_EQ(FindHeadsetSoundCard(root.string(), "/dev/hidraw4#vid_320f&pid_5a60&mi_03"), 2);
  EXPECT_FALSE(FindHeadsetSoundCard(root.string(), "/dev/hidraw9#vid_320f&pid_5a60&mi_03").has_value());
  fs::remove_all(root);
}

}  // namespace
}  // namespace zt640::platform
