#include "editors/light_control_ui.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QSlider>
#include <QStackedWidget>
#include <QStandardItemModel>
#include <memory>

#include "devices/light_state.h"
#include "support/qt_app.h"
#include "ui/colour_palette.h"
#include "ui/notify_hub.h"
#include "ui/resource_manager.h"

namespace zt640 {
namespace {

using Edit = CLightControlUI::ByteEdit;
using Edits = std::vector<Edit>;

/// Routes every notification of the panel back into it, as the main window does, and
/// keeps the edits asked for.
struct Router : ui::NotifyTarget {
  void Notify(const ui::Notification& notification) override {
    ++count;
    const auto asked = panel->OnNotify(notification.kind, notification.sender_name, notification.wparam);
    if (asked) edits.insert(edits.end(), asked->begin(), asked->end());
  }
  Edits Take() { return std::exchange(edits, {}); }
  CLightControlUI* panel = nullptr;
  Edits edits;
  int count = 0;
};

std::vector<LightModeName> KeyboardModes() {
  std::vector<LightModeName> modes;
  for (int i = 0; i <= 30; ++i) modes.push_back({"catalogue " + std::to_string(i), i != 14 && i != 19, i});
  return modes;
}

std::array<uint32_t, 4> Words(std::initializer_list<std::pair<size_t, uint8_t>> bytes) {
  LightState state;
  for (const auto& [index, value] : bytes) state.bytes[index] = value;
  return state.Words();
}

class LightControlUITest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::QtApp();
    ui::ResourceManager::Instance().SetResourcePath(ZT640_SOURCE_DIR "/data/skin");
    ASSERT_TRUE(ui::ResourceManager::Instance().LoadLanguage(QStringLiteral("lan_en.xml")));
    panel_ = std::make_unique<CLightControlUI>();
    router_.panel = panel_.get();
    hub_ = std::make_unique<ui::NotifyHub>(router_);
    hub_->Attach(panel_.get());
    modes_ = Find<QComboBox>("light_combo_modeSelect");
    ASSERT_NE(modes_, nullptr);
    panel_->SetModeList(KeyboardModes(), 4, 4);
    panel_->SetCustomSlotList(3);
  }

  template <typename T>
  T* Find(const char* name) {
    return panel_->findChild<T*>(QLatin1String(name));
  }
  QWidget* Group(const char* name) { return Find<QWidget>(name); }
  QLineEdit* Box(const char* name) { return Find<QLineEdit>(name); }

  /// Types `text` into a box and moves the focus away.
  void Type(const char* name, const QString& text) {
    QLineEdit* box = Box(name);
    box->setText(text);
    QFocusEvent out(QEvent::FocusOut);
    QCoreApplication::sendEvent(box, &out);
  }

  Router router_;
  std::unique_ptr<CLightControlUI> panel_;
  std::unique_ptr<ui::NotifyHub> hub_;
  QComboBox* modes_ = nullptr;
};

TEST_F(LightControlUITest, ModeList_HiddenModeKeepsItsPositionAndCannotBeChosen) {
  ASSERT_EQ(modes_->count(), 31);
  auto* view = qobject_cast<QListView*>(modes_->view());
  auto* model = qobject_cast<QStandardItemModel*>(modes_->model());
  ASSERT_TRUE(view && model);
  for (const int hidden : {14, 19}) {
    EXPECT_TRUE(view->isRowHidden(hidden));
    EXPECT_FALSE(model->item(hidden)->isEnabled());
  }
  EXPECT_FALSE(view->isRowHidden(15));
  EXPECT_EQ(modes_->itemText(15), QStringLiteral("Twinkle path"));
  EXPECT_EQ(modes_->itemData(3, Qt::SizeHintRole).toSize().height(), CLightControlUI::kEntryHeight);

  panel_->SetLightInfo(Words({{LightState::kMode, 15}}));
  EXPECT_EQ(panel_->GetSelectedMode(), 15);
  EXPECT_EQ(modes_->currentText(), QStringLiteral("Twinkle path"));
  EXPECT_EQ(Find<QSlider>("deng_light_slider")->maximum(), 4);
  EXPECT_EQ(Find<QSlider>("deng_speed_slider")->maximum(), 4);
}

TEST_F(LightControlUITest, ModeNames_FollowTheLanguageForTheKeyboardAndTheCatalogueOtherwise) {
  EXPECT_EQ(modes_->itemText(5), QStringLiteral("Breathing"));
  ui::LanguageManager& language = ui::ResourceManager::Instance().Language();
  ASSERT_TRUE(language.LoadLanguage(ZT640_SOURCE_DIR "/data/skin/lan_cn.xml"));
  EXPECT_EQ(modes_->itemText(5), QStringLiteral("呼吸"));
  EXPECT_EQ(Find<QAbstractButton>("deng_FXL_check")->text(), QStringLiteral("从右到左"));
  ASSERT_TRUE(language.LoadLanguage(ZT640_SOURCE_DIR "/data/skin/lan_en.xml"));

  // A mouse's mode 0 is not the keyboard's: its own catalogue name shows.
  panel_->SetDeviceKind(DeviceKind::kMouse);
  panel_->SetModeList({{"Off", true, 0}, {"Static", true, 1}}, 4, 4);
  EXPECT_EQ(modes_->itemText(0), QStringLiteral("Off"));
  EXPECT_EQ(modes_->itemText(1), QStringLiteral("Static"));
}

TEST_F(LightControlUITest, SetLightInfo_RoundTripsThroughTheGetters) {
  panel_->SetLightInfo(Words({{LightState::kMode, 6},
                              {LightState::kBrightness, 3},
                              {LightState::kSpeed, 2},
                              {LightState::kDirection, 0},
                              {LightState::kMulticolour, 1},
                              {LightState::kRed, 0x12},
                              {LightState::kGreen, 0x34},
                              {LightState::kBlue, 0x56},
                              {LightState::kModeOption, 2},
                              {LightState::kCustomSlot, 1}}));
  EXPECT_EQ(panel_->GetSelectedMode(), 6);
  EXPECT_EQ(panel_->GetBrightness(), 3);
  EXPECT_EQ(panel_->GetSpeed(), 2);
  EXPECT_TRUE(panel_->IsMulticolour());
  EXPECT_EQ(panel_->GetRed(), 0x12);
  EXPECT_EQ(panel_->GetGreen(), 0x34);
  EXPECT_EQ(panel_->GetBlue(), 0x56);
  EXPECT_EQ(panel_->GetPaletteColour(), 0xFF123456u);
  EXPECT_EQ(panel_->GetCustomSlot(), 1);
  EXPECT_EQ(Find<QComboBox>("light_combo_ZZCCmodeSelect")->currentIndex(), 2);
  EXPECT_EQ(Find<QAbstractButton>("deng_colordp_btn")->property("colour").toString(), QStringLiteral("#123456"));
  EXPECT_EQ(Find<QLabel>("deng_light_value")->text(), QStringLiteral("3"));
  EXPECT_EQ(Find<QLabel>("deng_speed_value")->text(), QStringLiteral("2"));
  EXPECT_FALSE(Find<QAbstractButton>("deng_FXL_check")->isChecked());
  EXPECT_TRUE(Find<QAbstractButton>("deng_FXR_check")->isChecked());

  panel_->SetLightInfo(Words({{LightState::kMode, 1}, {LightState::kDirection, 7}}));
  EXPECT_TRUE(Find<QAbstractButton>("deng_FXL_check")->isChecked());
  EXPECT_FALSE(Find<QAbstractButton>("deng_FXR_check")->isChecked());
  EXPECT_FALSE(panel_->IsMulticolour());
  EXPECT_EQ(panel_->GetPaletteColour(), 0xFF000000u);
}

TEST_F(LightControlUITest, Filling_RaisesNoNotification) {
  panel_->SetLightInfo(Words({{LightState::kMode, 21}, {LightState::kBrightness, 4}, {LightState::kRed, 9}}));
  panel_->SetModeList(KeyboardModes(), 3, 2);
  panel_->SetCustomSlotList(2);
  panel_->SetDeviceKind(DeviceKind::kMouse);
  panel_->SetSameModeAllowed(true);
  panel_->ApplyModeLayout(DeviceKind::kKeyboard, 29);
  panel_->SetLightInfo(Words({{LightState::kMode, 2}, {LightState::kDirection, 1}, {LightState::kModeOption, 3}}));
  EXPECT_EQ(router_.count, 0);
}

TEST_F(LightControlUITest, Layout_SlotRowOnlyInCustomModeAndSpeedRowHiddenThere) {
  panel_->SetLightInfo(Words({{LightState::kMode, 20}}));
  EXPECT_TRUE(Group("deng_speed_layout")->isHidden());
  EXPECT_FALSE(Group("lightcustom_layout")->isHidden());
  EXPECT_FALSE(Find<QWidget>("deng_7color_check")->isEnabled());
  EXPECT_TRUE(Group("deng_color_layout")->isEnabled());

  panel_->SetLightInfo(Words({{LightState::kMode, 21}}));
  EXPECT_FALSE(Group("deng_speed_layout")->isHidden());
  EXPECT_TRUE(Group("deng_speed_layout")->isEnabled());
  EXPECT_TRUE(Group("lightcustom_layout")->isHidden());
  EXPECT_EQ(Find<QAbstractButton>("deng_FXL_check")->text(), QStringLiteral("Top to bottom"));
  EXPECT_EQ(Find<QAbstractButton>("deng_FXR_check")->text(), QStringLiteral("Bottom to top"));

  panel_->SetLightInfo(Words({{LightState::kMode, 17}}));
  EXPECT_FALSE(Group("light_combo_ZZCCmodeSelectLayout")->isHidden());
  EXPECT_FALSE(Group("light_color_layout")->isEnabled());
  EXPECT_EQ(Find<QAbstractButton>("deng_FXL_check")->text(), QStringLiteral("Right to left"));

  panel_->SetLightInfo(Words({{LightState::kMode, 29}}));
  EXPECT_FALSE(Group("light_combo_AudiomodeSelectLayout")->isHidden());
  EXPECT_EQ(Find<QStackedWidget>("light_color_tablayout")->currentIndex(), 1);
}

TEST_F(LightControlUITest, Layout_SameModeButtonNeedsPermissionAndAMode) {
  auto* same = Find<QWidget>("deng_same_mode");
  panel_->SetLightInfo(Words({{LightState::kMode, 6}}));
  EXPECT_TRUE(same->isHidden());
  panel_->SetSameModeAllowed(true);
  EXPECT_FALSE(same->isHidden());
  panel_->SetLightInfo(Words({{LightState::kMode, 5}}));
  EXPECT_TRUE(same->isHidden());
}

TEST_F(LightControlUITest, Layout_KindFiveLeavesTheDirectionAsItWas) {
  panel_->ApplyModeLayout(DeviceKind::kKeyboard, 4);
  EXPECT_FALSE(Group("deng_fx_layout")->isEnabled());
  panel_->ApplyModeLayout(DeviceKind::kHub, 0);
  EXPECT_FALSE(Group("deng_fx_layout")->isEnabled());
  EXPECT_TRUE(Group("deng_speed_layout")->isEnabled());
  panel_->ApplyModeLayout(DeviceKind::kMouse, 0);
  EXPECT_TRUE(Group("deng_fx_layout")->isEnabled());
}

TEST_F(LightControlUITest, UserChoices_AskForTheirBytes) {
  panel_->SetLightInfo(Words({{LightState::kMode, 1}}));
  modes_->setCurrentIndex(20);
  EXPECT_EQ(router_.Take(), (Edits{{0, 20}}));
  EXPECT_FALSE(Group("lightcustom_layout")->isHidden()) << "a mode choice shows its layout at once";
  Find<QComboBox>("light_combo_ZZCCmodeSelect")->setCurrentIndex(3);
  EXPECT_EQ(router_.Take(), (Edits{{11, 3}}));
  Find<QComboBox>("light_combo_custommodeSelect")->setCurrentIndex(2);
  EXPECT_EQ(router_.Take(), (Edits{{12, 2}}));

  panel_->SetLightInfo(Words({{LightState::kMode, 1}}));
  Find<QSlider>("deng_light_slider")->setValue(1);
  EXPECT_EQ(router_.Take(), (Edits{{1, 1}}));
  EXPECT_EQ(Find<QLabel>("deng_light_value")->text(), QStringLiteral("1"));
  Find<QSlider>("deng_speed_slider")->setValue(4);
  EXPECT_EQ(router_.Take(), (Edits{{2, 4}}));

  Find<QAbstractButton>("deng_FXL_check")->click();
  EXPECT_EQ(router_.Take(), (Edits{{3, 1}}));
  Find<QAbstractButton>("deng_FXR_check")->click();
  EXPECT_EQ(router_.Take(), (Edits{{3, 0}}));
  Find<QAbstractButton>("deng_7color_check")->click();
  EXPECT_EQ(router_.Take(), (Edits{{4, 1}}));
  Find<QAbstractButton>("deng_7color_check")->click();
  EXPECT_EQ(router_.Take(), (Edits{{4, 0}}));
}

TEST_F(LightControlUITest, ColourChoices_AskForRedGreenBlueAndShowTheColour) {
  panel_->SetLightInfo(Words({{LightState::kMode, 1}}));
  auto* palette = Find<ui::ColourPalette>("deng_Color_Pallet");
  ASSERT_NE(palette, nullptr);
  hub_->SendNotify(palette, QStringLiteral("colorchanged"), 0xFF102030);
  EXPECT_EQ(router_.Take(), (Edits{{5, 0x10}, {6, 0x20}, {7, 0x30}}));
  EXPECT_EQ(Box("deng_edit_G")->text(), QStringLiteral("32"));
  EXPECT_EQ(Find<QAbstractButton>("deng_colordp_btn")->property("colour").toString(), QStringLiteral("#102030"));

  auto* preset = Find<QAbstractButton>("color_option_4");
  ASSERT_NE(preset, nullptr);
  const QColor shown(preset->property("colour").toString());
  ASSERT_TRUE(shown.isValid());
  preset->click();
  EXPECT_EQ(router_.Take(), (Edits{{5, static_cast<uint8_t>(shown.red())},
                                   {6, static_cast<uint8_t>(shown.green())},
                                   {7, static_cast<uint8_t>(shown.blue())}}));
  EXPECT_EQ(panel_->GetPaletteColour(), shown.rgb());
  EXPECT_EQ(panel_->GetRed(), shown.red());
}

TEST_F(LightControlUITest, ColourBoxes_AreCorrectedWhenTheyLoseTheFocus) {
  panel_->SetLightInfo(Words({{LightState::kMode, 1}, {LightState::kRed, 1}, {LightState::kGreen, 2}, {LightState::kBlue, 3}}));
  Type("deng_edit_R", QStringLiteral("300"));
  EXPECT_EQ(router_.Take(), (Edits{{5, 255}}));
  EXPECT_EQ(Box("deng_edit_R")->text(), QStringLiteral("255"));
  Type("deng_edit_G", QString());
  EXPECT_EQ(router_.Take(), (Edits{{6, 0}}));
  EXPECT_EQ(Box("deng_edit_G")->text(), QStringLiteral("0"));
  Type("deng_edit_B", QStringLiteral("abc"));
  EXPECT_EQ(router_.Take(), (Edits{{7, 0}}));
  EXPECT_EQ(panel_->GetPaletteColour(), 0xFFFF0000u);
}

TEST(LightControlUICorrection, ComponentText_BecomesAByte) {
  const std::vector<std::pair<QString, int>> cases = {
      {"", 0}, {"abc", 0}, {"-5", 0}, {"0", 0}, {"007", 7}, {"255", 255}, {"256", 255},
      {"300", 255}, {"99999", 255}, {"00000042", 42}, {" 42 ", 42}, {"12abc", 12},
  };
  for (const auto& [text, value] : cases) EXPECT_EQ(CLightControlUI::CorrectedComponent(text), value) << text.toStdString();
}

TEST_F(LightControlUITest, OnNotify_LeavesOtherControlsToTheirOwners) {
  for (const char* name : {"deng_same_mode", "device_profile_combo", "color_option_99", "audiocolor_option_1",
                           "light_combo_audiomodeSelect", "DPI_color_option_0"}) {
    EXPECT_FALSE(panel_->OnNotify(QStringLiteral("click"), QLatin1String(name), 0).has_value()) << name;
  }
  EXPECT_EQ(panel_->OnNotify(QStringLiteral("textchanged"), QStringLiteral("deng_edit_R"), 0), Edits{});
  EXPECT_EQ(panel_->OnNotify(QStringLiteral("itemselect"), QStringLiteral("light_combo_modeSelect"), -1), Edits{});
}

}  // namespace
}  // namespace zt640
