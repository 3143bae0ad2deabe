#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QStackedWidget>
#include <filesystem>

#include "devices/headset/kalvex_hs6533_device.h"
#include "devices/lighting_settings_record.h"
#include "devices/pad/kalvex_mouse_pad_device.h"
#include "devsim/devices_json_file.h"
#include "pages/device_key_button_ui.h"
#include "pages/headset/headset_page.h"
#include "pages/pad/pad_page.h"
#include "platform/audio/fake_audio_library.h"
#include "profiles/hs6533_profiledata.h"
#include "shell/main_window_fixture.h"

namespace zt640 {
namespace {

using platform::AudioFlow;
using platform::FakeAudioLibrary;
using test::WaitFor;

/// The main window over the simulated mouse pad and headset, found through the
/// ids the simulator gives for "devices.json". The headset's sound goes to an
/// in-memory audio layer the test reads.
class LightingPagesWindowTest : public test::MainWindowFixture {
 protected:
  void Configure(devsim::DevsimConfig& config) override {
    config.with_keyboard = false;
    config.with_receiver = false;
    config.with_pad = true;
    config.with_headset = true;
    config_ = config;
  }

  void SetUp() override {
    test::MainWindowFixture::SetUp();
    if (HasFatalFailure()) return;
    InterfaceCatalogue catalogue;
    ASSERT_GT(DevicesJson::ApplyText(devsim::DevicesJsonFile::Text(config_), catalogue).rows_applied, 0u);
    Open(catalogue);
    ui::PanelPrompts prompts;
    prompts.message = [this](const QString& text, int) {
      messages_.push_back(text);
      return 1;
    };
    window_->SetPrompts(prompts);
    for (int type : {InterfaceCatalogue::kMousePadType, InterfaceCatalogue::kHeadsetType}) {
      ASSERT_TRUE(WaitFor([&] { return Entry(type) != nullptr; }, 5000)) << type;
      const auto connecting = [&] {
        return Entry(type)->IsTimerArmed(CDeviceOptionUI::kConnectTimer) ||
               Entry(type)->ExchangePending(CDeviceOptionUI::kConnectTimer);
      };
      ASSERT_TRUE(WaitFor(connecting, 5000)) << type;
      if (Entry(type)->IsTimerArmed(CDeviceOptionUI::kConnectTimer)) Entry(type)->ArmTimer(CDeviceOptionUI::kConnectTimer, 0);
      // The first read has ended once the frame push is armed.
      ASSERT_TRUE(WaitFor([&] { return test::FramesStarted(*Entry(type)); }, 5000)) << type;
    }
    ASSERT_TRUE(Settle());
  }

  CDeviceOptionUI* Entry(int type) { return window_->Devices()->EntryForType(type); }
  void Choose(int type) {
    Entry(type)->findChild<QAbstractButton*>(QStringLiteral("device_select"))->click();
    ASSERT_TRUE(Settle());
  }
  /// Selects the headset and gives it an in-memory audio layer the test holds.
  void ChooseHeadsetWithFakeAudio() {
    Choose(InterfaceCatalogue::kHeadsetType);
    ASSERT_NE(window_->SelectedHeadsetPage(), nullptr);
    auto library = std::make_unique<FakeAudioLibrary>();
    audio_ = library->Shared();
    auto binding = std::make_shared<std::unique_ptr<platform::HeadsetAudioBinding>>(
        std::make_unique<platform::HeadsetAudioBinding>(std::move(library)));
    window_->Devices()->RunOnDevice(&Headset(), [binding](CKalvexUSBDevice& device) {
      static_cast<CKalvexHS6533Device&>(device).ReplaceAudio(std::move(*binding));
    });
    ASSERT_TRUE(Settle());
    (void)FakeAudioLibrary::TakeWrites(*audio_);
  }
  CKalvexHS6533Device& Headset() { return window_->SelectedHeadsetPage()->Device(); }
  template <typename T>
  T* Control(const QString& name) {
    return window_->SelectedLightingPage()->Widget()->findChild<T*>(name);
  }
  /// The names of the writes the audio layer took since the last call, with their integer values.
  std::vector<std::pair<std::string, int32_t>> Writes() {
    std::vector<std::pair<std::string, int32_t>> names;
    for (const FakeAudioLibrary::Write& write : FakeAudioLibrary::TakeWrites(*audio_)) {
      names.emplace_back(write.name, write.integer);
    }
    return names;
  }
  HeadsetOptions SavedSound() {
    CHs6533Profiledata saved;
    (void)saved.LoadProfile(Headset().Profile().GetProfilePath());
    return saved.GetHeadsetOptions();
  }

  devsim::DevsimConfig config_;
  std::vector<QString> messages_;
  std::shared_ptr<FakeAudioLibrary::State> audio_;
};

TEST_F(LightingPagesWindowTest, BothPagesAppearWithTheirLightZones) {
  auto* pages = window_->FindControl<QStackedWidget>(QStringLiteral("device_switch"));
  ASSERT_NE(pages, nullptr);
  struct Case {
    int type;
    int zones;
  };
  // The headset has 13 light zones; the pad as many as its catalogue row gives.
  const int pad_zones = window_->Devices()->DeviceForType(InterfaceCatalogue::kMousePadType)->CatalogueEntry().light_count;
  ASSERT_GT(pad_zones, 0);
  for (const Case& c : {Case{InterfaceCatalogue::kHeadsetType, 13}, Case{InterfaceCatalogue::kMousePadType, pad_zones}}) {
    SCOPED_TRACE(c.type);
    EXPECT_TRUE(Entry(c.type)->IsEntryVisible());
    Choose(c.type);
    LightingDevicePage* page = window_->SelectedLightingPage();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(pages->currentWidget(), page->Widget());
    EXPECT_EQ(window_->SelectedHeadsetPage() != nullptr, c.type == InterfaceCatalogue::kHeadsetType);
    for (int zone = 0; zone < c.zones; ++zone) {
      EXPECT_NE(Control<CDeviceKeyButtonUI>(QStringLiteral("light_%1").arg(zone)), nullptr) << zone;
    }
    EXPECT_EQ(Control<CDeviceKeyButtonUI>(QStringLiteral("light_%1").arg(c.zones)), nullptr);
    ASSERT_NE(page->Lighting(), nullptr);
    ASSERT_NE(page->Profiles(), nullptr);
  }
}

// Preset 7 is 14, 10, 4, 0, -4, -3, -1, 1, 2, 3; moving band 3 under it
// switches to custom with no curve and writes only "EQ_Slider4".
TEST_F(LightingPagesWindowTest, EqualiserAndMicrophoneEditsReachTheAudioLayerAndTheProfile) {
  ChooseHeadsetWithFakeAudio();
  using WriteList = std::vector<std::pair<std::string, int32_t>>;
  struct Step {
    const char* what;
    std::function<void()> act;
    WriteList writes;
    int eq_type;
    int mic_on;
  };
  const Step steps[] = {
      {"preset 7", [&] { Control<QAbstractButton>(QStringLiteral("6533_eq_option_7"))->setChecked(true); },
       WriteList{{"Enable_EQ_GFX", 1}, {"EQ_Slider1", 14}, {"EQ_Slider2", 10}, {"EQ_Slider3", 4}, {"EQ_Slider4", 0},
              {"EQ_Slider5", -4}, {"EQ_Slider6", -3}, {"EQ_Slider7", -1}, {"EQ_Slider8", 1}, {"EQ_Slider9", 2},
              {"EQ_Slider10", 3}},
       7, -1},
      {"band 3", [&] { Control<QSlider>(QStringLiteral("6533_eq_hz_slider_3"))->setValue(6); }, WriteList{{"EQ_Slider4", 6}},
       7, -1},
      {"microphone off", [&] { Control<QAbstractButton>(QStringLiteral("6533_MicIn_option"))->setChecked(false); },
       WriteList{{"MuteControl", 1}}, 13, 0},
      {"microphone on", [&] { Control<QAbstractButton>(QStringLiteral("6533_MicIn_option"))->setChecked(true); },
       WriteList{{"MuteControl", 0}}, 13, 1},
  };
  Control<QAbstractButton>(QStringLiteral("6533_MicIn_option"))->setChecked(true);
  ASSERT_TRUE(Settle());
  (void)Writes();
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    step.act();
    ASSERT_TRUE(Settle());
    EXPECT_EQ(Writes(), step.writes);
    // The band move is not stored: the profile keeps the type until a curve is saved.
    EXPECT_EQ(SavedSound().eq_type, step.eq_type);
    if (step.mic_on >= 0) {
      EXPECT_EQ(SavedSound().mic_in_select, step.mic_on);
    }
  }
  // The panel shows the custom option with no curve chosen.
  EXPECT_TRUE(WaitFor([&] { return Control<QAbstractButton>(QStringLiteral("6533_eq_option_13"))->isChecked(); }));
  EXPECT_EQ(Control<QComboBox>(QStringLiteral("custom_eq_name_combo"))->currentIndex(), -1);
  EXPECT_FALSE(Control<QWidget>(QStringLiteral("custom_eq_option_layout"))->isHidden());
  EXPECT_EQ(Headset().Bands()[3], 6);
}

TEST_F(LightingPagesWindowTest, CustomCurvesAreSavedRefusedAndDeletedThroughThePage) {
  ChooseHeadsetWithFakeAudio();
  auto* name = Control<QLineEdit>(QStringLiteral("custom_eq_name_edit"));
  auto* curves = Control<QComboBox>(QStringLiteral("custom_eq_name_combo"));
  Control<QSlider>(QStringLiteral("6533_eq_hz_slider_0"))->setValue(5);
  ASSERT_TRUE(Settle());
  struct Step {
    const char* what;
    const char* typed;  ///< the name field's text, null for the delete button
    std::vector<std::string> names;
    int selected;
    bool refused;
  };
  const Step steps[] = {
      {"new name", "Bass", {"Bass"}, 0, false},
      {"same name in other letters", "bASS", {"Bass"}, 0, true},
      {"empty field stores into the selected curve", "", {"Bass"}, 0, false},
      {"delete", nullptr, {}, -1, false},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    messages_.clear();
    if (step.typed != nullptr) {
      name->setText(QString::fromLatin1(step.typed));
      Control<QPushButton>(QStringLiteral("hs_EQ_btn_save"))->click();
    } else {
      Control<QPushButton>(QStringLiteral("hs_EQ_btn_delete"))->click();
    }
    ASSERT_TRUE(Settle());
    EXPECT_TRUE(WaitFor([&] { return curves->count() == static_cast<int>(step.names.size()); }));
    EXPECT_EQ(Headset().CustomCurveNames(), step.names);
    EXPECT_EQ(curves->currentIndex(), step.selected);
    EXPECT_EQ(messages_, step.refused ? std::vector<QString>{QStringLiteral("message_text_5")} : std::vector<QString>{});
    CHs6533Profiledata saved;
    (void)saved.LoadProfile(Headset().Profile().GetProfilePath());
    EXPECT_EQ(saved.GetCustomEqNames(), step.names);
    if (!step.refused) {
      EXPECT_TRUE(name->text().isEmpty());
    }
  }
  // With no curve left the type falls back to preset 1.
  EXPECT_TRUE(WaitFor([&] { return Control<QAbstractButton>(QStringLiteral("6533_eq_option_1"))->isChecked(); }));
  EXPECT_EQ(SavedSound().eq_type, 1);
}

// The record's byte 2 is the brightness level, byte 3 is 4 - speed.
TEST_F(LightingPagesWindowTest, PadLightingEditsReachItsSettingsRecord) {
  Choose(InterfaceCatalogue::kMousePadType);
  ASSERT_NE(window_->SelectedLightingPage(), nullptr);
  auto* modes = Control<QComboBox>(QStringLiteral("light_combo_modeSelect"));
  ASSERT_NE(modes, nullptr);
  ASSERT_GT(modes->count(), 3);
  modes->setCurrentIndex(2);
  ASSERT_TRUE(Settle());
  const auto& list = window_->SelectedLightingPage()->LightingDevice().ModeList();
  ASSERT_GT(list.size(), 2u);
  EXPECT_EQ(server_->Pad().Record(0).at(1), window_->SelectedLightingPage()->LightingDevice().ModeCode(2));
  struct Case {
    const char* slider;
    int value;
    size_t byte;
    uint8_t expected;
  };
  for (const Case& c : {Case{"deng_light_slider", 2, 2, 2}, Case{"deng_speed_slider", 1, 3, 3},
                        Case{"deng_speed_slider", 4, 3, 0}}) {
    SCOPED_TRACE(c.slider);
    auto* slider = Control<QSlider>(QString::fromLatin1(c.slider));
    ASSERT_NE(slider, nullptr);
    ASSERT_TRUE(slider->isEnabled());
    slider->setValue(c.value);
    ASSERT_TRUE(Settle());
    EXPECT_EQ(server_->Pad().Record(0).at(c.byte), c.expected);
  }
}

// A button on the pad changed its settings: its re-read request (report 0x0401,
// on its second interface) reads the record again and the page shows it.
TEST_F(LightingPagesWindowTest, ReReadRequestFromThePadShowsItsRecordAgain) {
  Choose(InterfaceCatalogue::kMousePadType);
  CKalvexUSBDevice* pad = window_->Devices()->DeviceForType(InterfaceCatalogue::kMousePadType);
  ASSERT_TRUE(WaitFor([&] { return pad->SecondaryInterfaceAttached(DeviceKind::kMousePad); }, 5000));
  auto* slider = Control<QSlider>(QStringLiteral("deng_light_slider"));
  ASSERT_NE(slider, nullptr);
  const uint8_t level = slider->value() == 1 ? 3 : 1;
  const uint8_t written[] = {level};
  ASSERT_TRUE(server_->Pad().WriteArea(devsim::LightingArea::kSettings, LightingSettingsRecord::kBrightness, written));
  ASSERT_TRUE(server_->SendLightingDeviceReport(devsim::SimDeviceId::kPad, 0x0401));
  EXPECT_TRUE(WaitFor([&] { return slider->value() == level; }, 5000));
}

}  // namespace
}  // namespace zt640
