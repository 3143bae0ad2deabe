#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "devices/headset/headset_light_report.h"
#include "devices/headset/kalvex_hs6533_device.h"
#include "platform/audio/fake_audio_library.h"
#include "platform/audio/headset_audio_binding.h"

namespace zt640 {
namespace {

namespace fs = std::filesystem;
using platform::AudioFlow;
using platform::FakeAudioLibrary;

class RecordingHeadsetSink final : public HeadsetPanelSink {
 public:
  void ShowSound(const HeadsetOptions&) override {}
  void ShowBands(const EqBands& shown) override { bands = shown; }
  void ShowCustomCurves(const std::vector<std::string>&, int) override {}
  void ShowDecibels(bool, double) override {}
  void ShowMessage(const std::string& key) override { messages.push_back(key); }
  EqBands bands{};
  std::vector<std::string> messages;
};

/// A headset on a fake audio layer, working on its own profile in a temporary folder.
class HeadsetSound : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() /
            ("zt640_headset_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(root_);
    fs::create_directories(root_ / "DefaultData");
    MakeDevice();
  }
  void TearDown() override {
    device_.reset();
    fs::remove_all(root_);
  }
  void MakeDevice() {
    auto library = std::make_unique<FakeAudioLibrary>();
    audio_ = library->Shared();
    device_ = std::make_unique<CKalvexHS6533Device>(
        ProfileFolders{(root_ / "DefaultData").string() + "/", (root_ / "data").string() + "/"}, "HD", nullptr,
        std::make_unique<platform::HeadsetAudioBinding>(std::move(library), [](std::string_view) {}));
    device_->SetHeadsetSink(&sink_);
    device_->SetProfileName("profile");
    device_->LoadProfileState();
    device_->BuildKeyControls(0);
    (void)FakeAudioLibrary::TakeWrites(*audio_);
  }
  /// The profile as a fresh object reads it from disk.
  HeadsetOptions SavedOptions() {
    CHs6533Profiledata profile;
    (void)profile.LoadProfile((root_ / "data" / "HD" / "profile.Json").string());
    return profile.GetHeadsetOptions();
  }
  std::vector<FakeAudioLibrary::Write> Writes() { return FakeAudioLibrary::TakeWrites(*audio_); }

  fs::path root_;
  RecordingHeadsetSink sink_;
  std::shared_ptr<FakeAudioLibrary::State> audio_;
  std::unique_ptr<CKalvexHS6533Device> device_;
};

TEST_F(HeadsetSound, PresetFiveEnablesTheEqualiserAndWritesZeroToEveryBand) {
  ASSERT_EQ(device_->ChooseEqualiser(5), SoundActionResult::kDone);
  const auto writes = Writes();
  ASSERT_EQ(writes.size(), 11u);
  EXPECT_EQ(writes[0].name, "Enable_EQ_GFX");
  EXPECT_EQ(writes[0].integer, 1);
  for (int band = 1; band <= 10; ++band) {
    EXPECT_EQ(writes[static_cast<size_t>(band)].name, "EQ_Slider" + std::to_string(band));
    EXPECT_EQ(writes[static_cast<size_t>(band)].integer, 0);
  }
  EXPECT_EQ(SavedOptions().eq_type, 5);
  EXPECT_EQ(device_->Bands(), EqBands{});
}

TEST_F(HeadsetSound, PresetGainsFollowTheTable) {
  ASSERT_EQ(device_->ChooseEqualiser(12), SoundActionResult::kDone);
  EXPECT_EQ(device_->Bands(), (EqBands{2, 1, -2, -4, -8, 4, 12, 16, 18, 15}));
  EXPECT_EQ(device_->Profile().GetEqValues(12), (std::vector<int32_t>{2, 1, -2, -4, -8, 4, 12, 16, 18, 15}));
  EXPECT_EQ(device_->ChooseEqualiser(0), SoundActionResult::kNothing);
  EXPECT_EQ(device_->ChooseEqualiser(14), SoundActionResult::kNothing);
  EXPECT_TRUE(Writes().size() == 11u);
}

TEST_F(HeadsetSound, MovingBandThreeUnderPresetSevenWritesOnlyThatBandAndStoresNothing) {
  ASSERT_EQ(device_->ChooseEqualiser(7), SoundActionResult::kDone);
  (void)Writes();
  ASSERT_EQ(device_->MoveBand(3, 5), SoundActionResult::kDone);
  const auto writes = Writes();
  ASSERT_EQ(writes.size(), 1u);
  EXPECT_EQ(writes[0].name, "EQ_Slider4");
  EXPECT_EQ(writes[0].integer, 5);
  EXPECT_EQ(device_->Sound().eq_type, 13);
  EXPECT_EQ(device_->Sound().custom_eq_index, -1);
  EXPECT_EQ(device_->Bands(), (EqBands{14, 10, 4, 5, -4, -3, -1, 1, 2, 3}));
  EXPECT_EQ(SavedOptions().eq_type, 7);
}

TEST_F(HeadsetSound, ANameDifferingOnlyInCaseIsRefusedWithTheMessage) {
  device_->SetCurveNameText("Bass");
  ASSERT_EQ(device_->SaveCustomCurve(), SoundActionResult::kDone);
  device_->SetCurveNameText("bASS");
  EXPECT_EQ(device_->SaveCustomCurve(), SoundActionResult::kRefusedDuplicate);
  EXPECT_EQ(sink_.messages, std::vector<std::string>{"message_text_5"});
  EXPECT_EQ(device_->CustomCurveNames(), std::vector<std::string>{"Bass"});
}

TEST_F(HeadsetSound, SavingTwiceAddsTheCurveThenStoresTheCurrentGainsIntoIt) {
  ASSERT_EQ(device_->ChooseEqualiser(3), SoundActionResult::kDone);
  ASSERT_EQ(device_->MoveBand(9, 2), SoundActionResult::kDone);
  device_->SetCurveNameText("Mine");
  ASSERT_EQ(device_->SaveCustomCurve(), SoundActionResult::kDone);
  EXPECT_TRUE(device_->CurveNameText().empty());
  EXPECT_EQ(device_->Sound().custom_eq_index, 0);
  ASSERT_EQ(device_->MoveBand(0, -6), SoundActionResult::kDone);
  EXPECT_EQ(device_->Sound().custom_eq_index, 0);
  ASSERT_EQ(device_->SaveCustomCurve(), SoundActionResult::kDone);
  ASSERT_EQ(device_->CustomCurveNames().size(), 1u);
  const EqBands expected{-6, 4, 0, -3, -4, -3, -2, -1, 0, 2};
  EXPECT_EQ(device_->CustomCurveGains()[0], expected);
  // A fresh object reads the same curve back from the file.
  MakeDevice();
  ASSERT_EQ(device_->CustomCurveNames(), std::vector<std::string>{"Mine"});
  EXPECT_EQ(device_->CustomCurveGains()[0], expected);
}

TEST_F(HeadsetSound, TheTwentyFirstCurveIsRefusedAndChangesNothing) {
  for (int i = 0; i < 20; ++i) {
    device_->SetCurveNameText("c" + std::to_string(i));
    ASSERT_EQ(device_->SaveCustomCurve(), SoundActionResult::kDone);
  }
  device_->SetCurveNameText("one more");
  EXPECT_EQ(device_->SaveCustomCurve(), SoundActionResult::kRefusedFull);
  EXPECT_EQ(device_->CustomCurveNames().size(), 20u);
  EXPECT_TRUE(sink_.messages.empty());
}

TEST_F(HeadsetSound, DeletingKeepsEachNameWithItsGainsAndTheLastDeleteFallsBackToPresetOne) {
  ASSERT_EQ(device_->ChooseEqualiser(1), SoundActionResult::kDone);
  device_->SetCurveNameText("first");
  ASSERT_EQ(device_->SaveCustomCurve(), SoundActionResult::kDone);
  ASSERT_EQ(device_->ChooseEqualiser(2), SoundActionResult::kDone);
  device_->SetCurveNameText("second");
  ASSERT_EQ(device_->SaveCustomCurve(), SoundActionResult::kDone);
  ASSERT_EQ(device_->ChooseCustomCurve(0), SoundActionResult::kDone);
  ASSERT_EQ(device_->DeleteCustomCurve(), SoundActionResult::kDone);
  MakeDevice();
  ASSERT_EQ(device_->CustomCurveNames(), std::vector<std::string>{"second"});
  EXPECT_EQ(device_->CustomCurveGains()[0], (EqBands{7, 11, 6, -3, -11, -1, 6, 13, 6, 13}));

  ASSERT_EQ(device_->ChooseCustomCurve(0), SoundActionResult::kDone);
  ASSERT_EQ(device_->DeleteCustomCurve(), SoundActionResult::kDone);
  EXPECT_EQ(device_->Sound().eq_type, 1);
  EXPECT_EQ(sink_.bands, (EqBands{7, 11, 2, -3, -1, 4, 9, 12, 9, 5}));
  EXPECT_EQ(SavedOptions().eq_type, 1);
}

TEST_F(HeadsetSound, ARefusedWriteKeepsTheStateAndWithoutALayerNothingHappens) {
  FakeAudioLibrary::Fail(*audio_, "MuteControl");
  const int32_t before = device_->Sound().mic_in_select;
  EXPECT_EQ(device_->SetMicrophoneOn(before == 0), SoundActionResult::kUnavailable);
  EXPECT_EQ(device_->Sound().mic_in_select, before);

  CKalvexHS6533Device silent(ProfileFolders{(root_ / "DefaultData").string() + "/", (root_ / "data").string() + "/"},
                             "HD");
  silent.BuildKeyControls(0);
  EXPECT_EQ(silent.ChooseEqualiser(4), SoundActionResult::kUnavailable);
  EXPECT_EQ(silent.MoveBand(2, 3), SoundActionResult::kUnavailable);
  EXPECT_EQ(silent.Sound().eq_type, 0);
  // A layer given once the headset is plugged serves from then on.
  auto library = std::make_unique<FakeAudioLibrary>();
  FakeAudioLibrary::Set(*library->Shared(), AudioFlow::kCapture, "VolumeScalarControl", "0.640000");
  silent.ReplaceAudio(std::make_unique<platform::HeadsetAudioBinding>(std::move(library), [](std::string_view) {}));
  EXPECT_EQ(silent.Sound().mic_in_value, 64);
  EXPECT_EQ(silent.ChooseEqualiser(4), SoundActionResult::kDone);
}

TEST_F(HeadsetSound, VolumesAndVoiceChangerReachTheirProperties) {
  ASSERT_EQ(device_->SetMicrophoneVolume(80), SoundActionResult::kDone);
  ASSERT_EQ(device_->SetMonitorVolume(130), SoundActionResult::kDone);
  ASSERT_EQ(device_->SetVoiceChanger(true), SoundActionResult::kDone);
  ASSERT_EQ(device_->ChooseVoiceEffect(4), SoundActionResult::kDone);
  EXPECT_EQ(device_->ChooseVoiceEffect(0), SoundActionResult::kNothing);
  const auto writes = Writes();
  ASSERT_EQ(writes.size(), 5u);
  EXPECT_EQ(writes[0].name, "VolumeScalarControl");
  EXPECT_FLOAT_EQ(writes[0].scalar, 0.8f);
  EXPECT_EQ(writes[0].channel, -1);
  EXPECT_EQ(writes[1].name, "AAVolumeScalarControl");
  EXPECT_FLOAT_EQ(writes[1].scalar, 1.0f);
  EXPECT_EQ(writes[1].channel, 0);
  EXPECT_EQ(writes[2].name, "Enable_MAGICVOICE");
  EXPECT_EQ(writes[3].name, "Enable_MICECHO");
  EXPECT_EQ(writes[3].integer, 0);
  EXPECT_EQ(writes[4].name, "MagicVoice_Selection");
  EXPECT_EQ(writes[4].integer, 3);
  const HeadsetOptions saved = SavedOptions();
  EXPECT_EQ(saved.mic_in_value, 80);
  EXPECT_EQ(saved.mic_monitor_value, 100);
  EXPECT_EQ(saved.magic_enable, 1);
  EXPECT_EQ(saved.magic_type, 4);
}

TEST_F(HeadsetSound, AudioStateIsReadAtStartAndMissingMonitorControlsAreLeftAlone) {
  FakeAudioLibrary::Set(*audio_, AudioFlow::kCapture, "VolumeScalarControl", "0.370000");
  FakeAudioLibrary::Set(*audio_, AudioFlow::kCapture, "MuteControl", "1");
  FakeAudioLibrary::Fail(*audio_, "GetAAMaxVol");
  device_->ReadAudioState();
  EXPECT_EQ(device_->Sound().mic_in_value, 37);
  EXPECT_EQ(device_->Sound().mic_in_select, 0);
  EXPECT_FALSE(device_->MonitorPresent());
  EXPECT_EQ(device_->SetMonitorOn(true), SoundActionResult::kUnavailable);
  EXPECT_TRUE(Writes().empty());
}

TEST_F(HeadsetSound, ADamagedProfileSelectingAMissingCurveShowsFlatBands) {
  HeadsetOptions options;
  options.eq_type = 13;
  options.custom_eq_index = 7;
  device_->Profile().SetHeadsetOptions(options);
  ASSERT_TRUE(device_->SaveProfileData());
  MakeDevice();
  EXPECT_EQ(device_->Bands(), EqBands{});
  EXPECT_EQ(device_->ChooseEqualiser(13), SoundActionResult::kDone);
  EXPECT_TRUE(Writes().empty());
}

TEST_F(HeadsetSound, ADamagedCurveListKeepsEveryNameAndRefusesToGrow) {
  // 22 names but gains for only the first three, as a damaged file may hold.
  std::vector<std::string> names;
  for (int i = 0; i < 22; ++i) names.push_back("n" + std::to_string(i));
  device_->Profile().SetCustomEqNames(names);
  for (int i = 0; i < 3; ++i) device_->Profile().SetCustomEqValues(i, EqBands{i, i, i, i, i, i, i, i, i, i});
  ASSERT_TRUE(device_->SaveProfileData());
  MakeDevice();
  ASSERT_EQ(device_->CustomCurveNames().size(), 22u);
  EXPECT_EQ(device_->CustomCurveGains()[2], (EqBands{2, 2, 2, 2, 2, 2, 2, 2, 2, 2}));
  EXPECT_EQ(device_->CustomCurveGains()[21], EqBands{});
  ASSERT_EQ(device_->ChooseCustomCurve(21), SoundActionResult::kDone);
  device_->SetCurveNameText("another");
  EXPECT_EQ(device_->SaveCustomCurve(), SoundActionResult::kRefusedFull);
  MakeDevice();
  EXPECT_EQ(device_->CustomCurveNames().size(), 22u);
}

TEST(HeadsetLightFrame, ThirteenZonesGoOutInTwelveReportsCappedAt247) {
  std::vector<ZoneColour> zones(13);
  for (size_t i = 0; i < zones.size(); ++i) {
    zones[i] = {static_cast<uint8_t>(10 * i), static_cast<uint8_t>(100 + i), 255, 255};
  }
  const auto frame = BuildHeadsetLightFrame(zones);
  const std::vector<std::pair<uint8_t, uint8_t>> order = {
      {0x22, 0xAA}, {0x22, 0xAD}, {0x44, 0xAA}, {0x44, 0xAD}, {0x22, 0xAB}, {0x22, 0xAE},
      {0x44, 0xAB}, {0x44, 0xAE}, {0x22, 0xAC}, {0x22, 0xAF}, {0x44, 0xAC}, {0x44, 0xAF}};
  ASSERT_EQ(frame.size(), order.size());
  for (size_t r = 0; r < frame.size(); ++r) {
    EXPECT_EQ(frame[r].bytes[0], 0xFF);
    EXPECT_EQ(frame[r].bytes[1], order[r].first);
    EXPECT_EQ(frame[r].bytes[2], order[r].second);
    EXPECT_EQ(frame[r].bytes[3], 0);
    for (size_t b = 11; b < 17; ++b) EXPECT_EQ(frame[r].bytes[b], 0) << r;
  }
  // Red of zone i is 10 i x 255 / 256; (0x22, 0xAD) carries zones 7-12, then zone 6 again.
  const std::array<uint8_t, 17> red_high = {0xFF, 0x22, 0xAD, 0, 69, 79, 89, 99, 109, 119, 59, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(frame[1].bytes, red_high);
  const std::array<uint8_t, 7> red_low = {0, 9, 19, 29, 39, 49, 59};
  EXPECT_TRUE(std::equal(red_low.begin(), red_low.end(), frame[0].bytes.begin() + 4));
  // Blue 255 at brightness 255 is 254, sent as 247.
  for (size_t b = 4; b <= 10; ++b) EXPECT_EQ(frame[8].bytes[b], 247);
  EXPECT_EQ(frame[5].bytes[4], 106);  // green of zone 7
}

}  // namespace
}  // namespace zt640
