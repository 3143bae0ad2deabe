#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QSlider>

#include "pages/headset/magic_control_ui.h"
#include "pages/headset/voice6533_control_ui.h"
#include "support/qt_app.h"
#include "ui/resource_manager.h"

namespace zt640 {
namespace {

class HeadsetPanelsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::QtApp();
    ui::ResourceManager::Instance().SetResourcePath(ZT640_SOURCE_DIR "/data/skin");
  }
  template <typename T>
  static T* Find(QWidget& panel, const QString& name) {
    return panel.findChild<T*>(name);
  }
};

// The custom panel shows only for type 13; showing the curves empties the name
// field; showing never sends a notification.
TEST_F(HeadsetPanelsTest, SoundPanelShowsTypeCurvesAndAvailabilityWithoutNotifying) {
  CVoice6533ControlUI panel;
  ASSERT_TRUE(panel.IsBuilt());
  auto* custom = Find<QWidget>(panel, QStringLiteral("custom_eq_option_layout"));
  auto* name = Find<QLineEdit>(panel, QStringLiteral("custom_eq_name_edit"));
  auto* curves = Find<QComboBox>(panel, QStringLiteral("custom_eq_name_combo"));
  auto* unavailable = Find<QWidget>(panel, QStringLiteral("hs_sound_unavailable_label"));
  auto* monitor = Find<QAbstractButton>(panel, QStringLiteral("6533_MicMoniter_option"));
  ASSERT_TRUE(custom && name && curves && unavailable && monitor);
  QSignalSpy option_spy(Find<QAbstractButton>(panel, QStringLiteral("6533_eq_option_13")), &QAbstractButton::toggled);
  QSignalSpy combo_spy(curves, &QComboBox::currentIndexChanged);
  struct Case {
    int eq_type;
    bool available;
    bool monitor_present;
    std::vector<std::string> names;
    int selected;
  };
  for (const Case& c : {Case{13, true, true, {"A", "B"}, 1}, Case{4, true, false, {"A"}, -1},
                        Case{13, false, true, {}, 3}, Case{0, true, true, {"A"}, 0}}) {
    SCOPED_TRACE(c.eq_type);
    name->setText(QStringLiteral("typed"));
    HeadsetOptions options;
    options.eq_type = c.eq_type;
    panel.ShowSound(options, c.available, c.monitor_present);
    panel.ShowCurves(c.names, c.selected);
    EXPECT_EQ(custom->isHidden(), c.eq_type != 13);
    EXPECT_EQ(unavailable->isHidden(), c.available);
    EXPECT_EQ(monitor->isEnabled(), c.available && c.monitor_present);
    for (int option = 1; option <= CVoice6533ControlUI::kOptionCount; ++option) {
      EXPECT_EQ(Find<QAbstractButton>(panel, QStringLiteral("6533_eq_option_%1").arg(option))->isChecked(),
                option == c.eq_type)
          << option;
    }
    EXPECT_EQ(curves->count(), static_cast<int>(c.names.size()));
    // A selection beyond the list shows none.
    EXPECT_EQ(curves->currentIndex(), c.selected < static_cast<int>(c.names.size()) ? c.selected : -1);
    EXPECT_TRUE(name->text().isEmpty());
  }
  EXPECT_EQ(option_spy.count() + combo_spy.count(), 0);
}

TEST_F(HeadsetPanelsTest, VoiceChangerEffectsShowOnlyWhileTheBoxIsTicked) {
  CMagicControlUI panel;
  ASSERT_TRUE(panel.IsBuilt());
  auto* effects = Find<QWidget>(panel, QStringLiteral("magic_option_layout"));
  ASSERT_NE(effects, nullptr);
  for (const auto& [on, effect] : {std::pair{true, 3}, std::pair{false, 2}, std::pair{true, 0}}) {
    panel.ShowVoice(on, effect, true);
    EXPECT_EQ(effects->isHidden(), !on);
    EXPECT_EQ(Find<QAbstractButton>(panel, QStringLiteral("magic_enable_option"))->isChecked(), on);
    for (int i = 1; i <= CMagicControlUI::kEffectCount; ++i) {
      EXPECT_EQ(Find<QAbstractButton>(panel, QStringLiteral("magic_option_%1").arg(i))->isChecked(), i == effect) << i;
    }
  }
}

}  // namespace
}  // namespace zt640
