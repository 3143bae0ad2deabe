// The lighting editor's audio sub-panel: what it shows of an audio light setting and
// the setting each user action asks for.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>

#include <functional>

#include "editors/light_control_ui.h"
#include "support/qt_app.h"
#include "ui/resource_manager.h"

namespace zt640 {
namespace {

AudioLightSetting Setting(std::uint8_t mode, std::uint8_t target) {
  AudioLightSetting setting;
  setting.audio_mode = mode;
  setting.background_red = 10;
  setting.background_green = 20;
  setting.background_blue = 30;
  setting.foreground_red = 200;
  setting.foreground_green = 150;
  setting.foreground_blue = 100;
  setting.seven_color = 1;
  setting.color_type = target;
  return setting;
}

class LightControlAudioTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::QtApp();
    ui::ResourceManager::Instance().SetResourcePath(ZT640_SOURCE_DIR "/data/skin");
    ASSERT_TRUE(ui::ResourceManager::Instance().LoadLanguage(QStringLiteral("lan_en.xml")));
    panel_ = std::make_unique<CLightControlUI>();
  }

 public:
  template <typename T>
  T* Find(const char* name) const {
    return panel_->findChild<T*>(QLatin1String(name));
  }

 protected:
  std::unique_ptr<CLightControlUI> panel_;
};

TEST_F(LightControlAudioTest, ShowsTheTargetColourAndHidesColoursInMode3) {
  for (const std::uint8_t mode : {0, 3, 6}) {
    for (const std::uint8_t target : {0, 1}) {
      SCOPED_TRACE(testing::Message() << "mode " << int(mode) << " target " << int(target));
      panel_->SetAudioLightInfo(Setting(mode, target));
      EXPECT_EQ(Find<QComboBox>("light_combo_audiomodeSelect")->currentIndex(), mode);
      EXPECT_EQ(Find<QLineEdit>("deng_audioedit_R")->text(), target == 1 ? "200" : "10");
      EXPECT_EQ(Find<QLineEdit>("deng_audioedit_B")->text(), target == 1 ? "100" : "30");
      EXPECT_EQ(Find<QAbstractButton>("audio_FgColor_check")->isChecked(), target == 1);
      EXPECT_EQ(Find<QAbstractButton>("audio_BkColor_check")->isChecked(), target == 0);
      EXPECT_EQ(Find<QWidget>("light_audiocolor_layout")->isHidden(), mode == 3);
      EXPECT_EQ(Find<QWidget>("audiocolorpallet_layout")->isHidden(), mode == 3);
    }
  }
}

TEST_F(LightControlAudioTest, EachActionAsksForItsSetting) {
  struct Case {
    const char* name;
    std::uint8_t target;                                  ///< of the device's setting, shown first
    std::function<void(LightControlAudioTest&)> act;      ///< what the user does on the panel
    const char* kind;
    const char* control;
    std::function<void(AudioLightSetting&)> expect;       ///< from the device's setting
  };
  const Case cases[] = {
      {"BackgroundCheckSwitchesToBackground", 1,
       [](LightControlAudioTest& t) { t.Find<QAbstractButton>("audio_BkColor_check")->click(); }, "click",
       "audio_BkColor_check", [](AudioLightSetting& s) { s.color_type = 0; }},
      {"BarCheckSwitchesToBar", 0,
       [](LightControlAudioTest& t) { t.Find<QAbstractButton>("audio_FgColor_check")->click(); }, "click",
       "audio_FgColor_check",
       // The multicolour check is left alone for the background: unchecked, it reads as 0.
       [](AudioLightSetting& s) { s.color_type = 1; s.seven_color = 0; }},
      {"BoxAbove255Stores255", 1, [](LightControlAudioTest& t) { t.Find<QLineEdit>("deng_audioedit_G")->setText("300"); },
       "killfocus", "deng_audioedit_G", [](AudioLightSetting& s) { s.foreground_green = 255; s.seven_color = 0; }},
      {"EmptyBoxStores0", 0, [](LightControlAudioTest& t) { t.Find<QLineEdit>("deng_audioedit_R")->clear(); },
       "killfocus", "deng_audioedit_R", [](AudioLightSetting& s) { s.background_red = 0; s.seven_color = 0; }},
      {"PresetIntoBar", 1, [](LightControlAudioTest&) {}, "click", "audiocolor_option_0",
       // The first preset is #ff2d2d; a chosen bar colour ends the multicolour.
       [](AudioLightSetting& s) { s.foreground_red = 0xff; s.foreground_green = 0x2d; s.foreground_blue = 0x2d; s.seven_color = 0; }},
      {"CloseBackgroundBlack", 1, [](LightControlAudioTest&) {}, "click", "Close_bkColor_btn",
       [](AudioLightSetting& s) { s.background_red = s.background_green = s.background_blue = 0; }},
      {"ModeChoice", 1, [](LightControlAudioTest& t) { t.Find<QComboBox>("light_combo_audiomodeSelect")->setCurrentIndex(5); },
       "itemselect", "light_combo_audiomodeSelect", [](AudioLightSetting& s) { s.audio_mode = 5; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    panel_ = std::make_unique<CLightControlUI>();
    const AudioLightSetting device = Setting(2, c.target);
    panel_->SetAudioLightInfo(device);
    c.act(*this);
    const std::optional<AudioLightSetting> asked =
        panel_->OnAudioNotify(QString::fromLatin1(c.kind), QString::fromLatin1(c.control), 0, device);
    ASSERT_TRUE(asked.has_value());
    AudioLightSetting expected = device;
    c.expect(expected);
    EXPECT_EQ(*asked, expected);
  }
  EXPECT_FALSE(panel_->OnAudioNotify(QStringLiteral("click"), QStringLiteral("deng_colordp_btn"), 0, Setting(0, 0)));
}

}  // namespace
}  // namespace zt640
