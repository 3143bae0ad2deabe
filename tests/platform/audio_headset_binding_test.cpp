#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/audio/audio_property_names.h"
#include "platform/audio/fake_audio_library.h"
#include "platform/audio/headset_audio_binding.h"

namespace zt640::platform {
namespace {

namespace property = audio_property;

struct BindingFixture {
  BindingFixture() {
    auto library = std::make_unique<FakeAudioLibrary>();
    state = library->Shared();
    binding = std::make_unique<HeadsetAudioBinding>(std::move(library),
                                                    [this](std::string_view text) { notices.emplace_back(text); });
  }
  std::shared_ptr<FakeAudioLibrary::State> state;
  std::vector<std::string> notices;
  std::unique_ptr<HeadsetAudioBinding> binding;
};

TEST(HeadsetAudioBinding_StartUp, TakesFeatureItemsZeroFourSixAndResetsOnlyUnreadableProperties) {
  BindingFixture f;
  FakeAudioLibrary::Set(*f.state, AudioFlow::kCapture, property::kSupportFeature, "131072,1,2,3,44,5,66,7");
  FakeAudioLibrary::Fail(*f.state, property::kRoomSize);
  FakeAudioLibrary::Fail(*f.state, property::kMonitorVolume);
  ASSERT_TRUE(f.binding->StartUp());
  EXPECT_EQ(f.binding->Features(AudioFlow::kCapture), (HeadsetAudioBinding::FeatureWords{131072, 44, 66}));
  EXPECT_TRUE(f.notices.empty());
  // A property failing both ways is tried and left; nothing reaches the log.
  EXPECT_TRUE(FakeAudioLibrary::TakeWrites(*f.state).empty());
  // The others were read and left alone.
  EXPECT_EQ(FakeAudioLibrary::Get(*f.state, AudioFlow::kCapture, property::kVolumeScalar), "0.500000");
}

TEST(HeadsetAudioBinding_StartUp, WritesZeroWithTheSameChannelWhenTheReadFails) {
  BindingFixture f;
  FakeAudioLibrary::FailReads(*f.state, property::kMonitorVolumeScalar);
  FakeAudioLibrary::FailReads(*f.state, property::kVirtualSurround);
  FakeAudioLibrary::FailReads(*f.state, property::kNoiseCancelEnable);
  ASSERT_TRUE(f.binding->StartUp());
  const auto writes = FakeAudioLibrary::TakeWrites(*f.state);
  ASSERT_EQ(writes.size(), 3u);
  // In the order of the reset: surround (its parameter block where the channel goes), noise
  // cancelling (written without a channel), monitor volume on channel 0.
  EXPECT_EQ(writes[0].name, "VirtualSurroundEffectControl");
  EXPECT_EQ(writes[0].channel, 4);
  EXPECT_EQ(writes[1].name, "Enable_ENC_LFX");
  EXPECT_FALSE(writes[1].channel.has_value());
  EXPECT_EQ(writes[2].name, "AAVolumeScalarControl");
  EXPECT_EQ(writes[2].channel, 0);
  for (const auto& write : writes) EXPECT_EQ(write.integer, 0);
}

TEST(HeadsetAudioBinding_StartUp, FailedInitAndShortFeatureListAreReportedAndStartUpGoesOn) {
  BindingFixture f;
  f.state->init_result = 5;
  FakeAudioLibrary::Set(*f.state, AudioFlow::kRender, property::kSupportFeature, "1,2,3");
  ASSERT_TRUE(f.binding->StartUp());
  EXPECT_EQ(f.notices, (std::vector<std::string>{"ConfLibInit called failed!", "UpdateAPOAvailable failed!"}));
  EXPECT_EQ(f.binding->Features(AudioFlow::kRender), (HeadsetAudioBinding::FeatureWords{0, 0, 0}));
}

TEST(HeadsetAudioBinding_StartUp, WithoutLayerOrRenderEndpointNothingIsServed) {
  HeadsetAudioBinding absent(nullptr, [](std::string_view) {});
  EXPECT_FALSE(absent.StartUp());
  EXPECT_FALSE(absent.WriteInteger(AudioFlow::kRender, property::kEqualiserEnable, 1));
  EXPECT_FALSE(absent.ReadInteger(AudioFlow::kCapture, property::kMute).has_value());

  BindingFixture f;
  f.state->render_endpoints = 0;
  EXPECT_FALSE(f.binding->StartUp());
  EXPECT_FALSE(f.binding->WriteInteger(AudioFlow::kCapture, property::kMute, 1));
  EXPECT_TRUE(FakeAudioLibrary::TakeWrites(*f.state).empty());
}

TEST(HeadsetAudioBinding_Values, IntegersAndFloatsTravelAsThirtyTwoBitValuesWithTheirChannel) {
  BindingFixture f;
  ASSERT_TRUE(f.binding->StartUp());
  ASSERT_TRUE(f.binding->WriteFloat(AudioFlow::kCapture, property::kVolumeScalar, 0.75f, property::kMasterChannel));
  ASSERT_TRUE(f.binding->WriteInteger(AudioFlow::kRender, property::EqualiserSlider(4), -7));
  const auto writes = FakeAudioLibrary::TakeWrites(*f.state);
  ASSERT_EQ(writes.size(), 2u);
  EXPECT_FLOAT_EQ(writes[0].scalar, 0.75f);
  EXPECT_EQ(writes[0].channel, -1);
  EXPECT_EQ(writes[1].name, "EQ_Slider4");
  EXPECT_EQ(writes[1].integer, -7);
  EXPECT_FALSE(writes[1].channel.has_value());
  EXPECT_EQ(f.binding->ReadInteger(AudioFlow::kRender, "EQ_Slider4"), -7);
  EXPECT_DOUBLE_EQ(f.binding->ReadNumber(AudioFlow::kCapture, property::kVolumeScalar).value(), 0.75);
}

}  // namespace
}  // namespace zt640::platform
