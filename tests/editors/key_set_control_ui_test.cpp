#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <QStackedWidget>
#include <QTest>

#include "editors/key_capture_edit.h"
#include "editors/key_set_control_ui.h"
#include "support/qt_app.h"
#include "ui/notify_hub.h"
#include "ui/resource_manager.h"

namespace zt640 {
namespace {

using Action = CKeySetControlUI::Action;

/// Routes the panel's notifications by control name, as the main window does,
/// and records every notification raised.
struct Router : ui::NotifyTarget {
  void Notify(const ui::Notification& n) override {
    seen.push_back(n);
    std::optional<Action> action;
    if (n.kind == "click") action = panel->OnClick(n.sender_name);
    if (n.kind == "itemselect") action = panel->OnItemSelect(n.sender_name, static_cast<int>(n.wparam));
    if (n.kind == "selectchanged") action = panel->OnSelectChanged(n.sender_name, n.wparam != 0);
    if (action) actions.push_back(*action);
  }
  CKeySetControlUI* panel = nullptr;
  std::vector<ui::Notification> seen;
  std::vector<Action> actions;
};

KeyListEntry Entry(KeyAssignment current, KeyAssignment defaults = {0x20, 0x00, 0x04}) {
  return KeyListEntry{KeyRecord{7, current, 0}, KeyRecord{7, defaults, 0}};
}

class KeySetControlUITest : public testing::Test {
 protected:
  void SetUp() override {
    ui::ResourceManager::Instance().SetResourcePath(ZT640_SOURCE_DIR "/data/skin");
    panel_ = std::make_unique<CKeySetControlUI>();
    ASSERT_TRUE(panel_->IsBuilt());
    router_.panel = panel_.get();
    hub_.Attach(panel_.get());
    panel_->SetDeviceKind(DeviceKind::kMouse);
    panel_->FillMacroList({"m0", "m1", "m2", "m3", "m4"});
  }

  template <typename T>
  T* Find(const QString& name) const {
    T* widget = panel_->findChild<T*>(name);
    EXPECT_NE(widget, nullptr) << name.toStdString();
    return widget;
  }
  /// The function list entry whose user data is `number`.
  int FunctionRow(int number) const {
    auto* combo = Find<QComboBox>("keyset_function_combo");
    return combo->findData(QString::number(number), Qt::UserRole);
  }
  int ShownFunction() const {
    auto* combo = Find<QComboBox>("keyset_function_combo");
    return combo->currentData(Qt::UserRole).toString().toInt();
  }

  QApplication& app_ = test::QtApp();
  std::unique_ptr<CKeySetControlUI> panel_;
  Router router_;
  ui::NotifyHub hub_{router_};
};

TEST_F(KeySetControlUITest, PickedKeyboardOptionSavesWhatTheEditorAloneEncodes) {
  const KeyListEntry entry = Entry({0x10, 0x01, 0x00});
  panel_->ShowKey(entry);
  EXPECT_EQ(ShownFunction(), 1);

  // The user picks the keyboard key function, then the option of position 58 (A)
  // and then position 69 (Enter), and saves.
  Find<QComboBox>("keyset_function_combo")->setCurrentIndex(FunctionRow(6));
  EXPECT_EQ(Find<QStackedWidget>("function_switch_tablayout")->currentIndex(), 6);
  Find<QAbstractButton>("keyboard_key_58")->click();
  Find<QAbstractButton>("keyboard_key_69")->click();
  EXPECT_FALSE(Find<QAbstractButton>("keyboard_key_58")->isChecked());
  Find<QAbstractButton>("key_butt_keysave")->click();
  ASSERT_FALSE(router_.actions.empty());
  EXPECT_EQ(router_.actions.back(), Action::kStore);

  KeySetEditor alone;
  alone.SetDeviceKind(DeviceKind::kMouse);
  alone.FillMacroList({"m0", "m1", "m2", "m3", "m4"});
  alone.ShowKey(entry);
  alone.SelectFunction(6);
  alone.SelectKeyboardPosition(69);
  const KeyListEntry expected = alone.Read();
  EXPECT_EQ(panel_->LastEntry().current.assignment, expected.current.assignment);
  EXPECT_EQ(panel_->LastEntry().current.assignment, (KeyAssignment{0x20, 0x00, 0x28}));
  EXPECT_EQ(panel_->LastEntry().current.key_index, 7);
  EXPECT_EQ(panel_->LastEntry().defaults.assignment, entry.defaults.assignment);

  // Save to profile reads the same way and asks for the profile store.
  EXPECT_EQ(panel_->OnClick("KEY_BUTT_PROSAVE"), Action::kStoreToProfile);
  EXPECT_EQ(panel_->LastEntry().current.assignment, expected.current.assignment);
}

TEST_F(KeySetControlUITest, MacroAssignmentsShowTheirRowAndTheCycleFieldOnlyForRepeats) {
  auto* cycle_layout = Find<QWidget>("keyset_macro_cycle_layout");
  panel_->ShowKey(Entry({0x71, 3, 10}));
  EXPECT_EQ(ShownFunction(), 9);
  EXPECT_EQ(Find<QStackedWidget>("function_switch_tablayout")->currentIndex(), 9);
  EXPECT_EQ(Find<QComboBox>("keyset_macro_combo")->currentIndex(), 3);
  EXPECT_EQ(Find<QComboBox>("keyset_macro_combo")->currentText(), "m3");
  EXPECT_EQ(Find<QComboBox>("keyset_macro_over_combo")->currentIndex(), 4);
  EXPECT_FALSE(cycle_layout->isHidden());
  EXPECT_EQ(Find<QLineEdit>("keyset_macro_cycle_edit")->text(), "10");

  panel_->ShowKey(Entry({0x70, 1, 2}));
  EXPECT_EQ(Find<QComboBox>("keyset_macro_combo")->currentIndex(), 1);
  EXPECT_EQ(Find<QComboBox>("keyset_macro_over_combo")->currentIndex(), 2);
  EXPECT_TRUE(cycle_layout->isHidden());

  // Choosing the repeat play mode shows the field; a macro beyond the list shows no row.
  Find<QComboBox>("keyset_macro_over_combo")->setCurrentIndex(4);
  EXPECT_FALSE(cycle_layout->isHidden());
  panel_->ShowKey(Entry({0x71, 9, 10}));
  EXPECT_EQ(Find<QComboBox>("keyset_macro_combo")->currentIndex(), -1);
  EXPECT_EQ(Find<QComboBox>("keyset_macro_over_combo")->currentIndex(), -1);
  EXPECT_TRUE(cycle_layout->isHidden());
}

TEST_F(KeySetControlUITest, DefaultAndCancelRestoreTheKeptRecords) {
  panel_->ShowKey(Entry({0x30, 0xCD, 0x00}));
  EXPECT_EQ(ShownFunction(), 7);
  EXPECT_EQ(Find<QComboBox>("keyset_media_combo")->currentIndex(), 1);

  Find<QComboBox>("keyset_function_combo")->setCurrentIndex(FunctionRow(1));
  Find<QComboBox>("keyset_mousekey_combo")->setCurrentIndex(2);
  Find<QAbstractButton>("key_butt_keycancel")->click();
  EXPECT_EQ(ShownFunction(), 7);
  EXPECT_EQ(Find<QComboBox>("keyset_media_combo")->currentIndex(), 1);
  EXPECT_EQ(panel_->OnClick("key_butt_keysave"), Action::kStore);
  EXPECT_EQ(panel_->LastEntry().current.assignment, (KeyAssignment{0x30, 0xCD, 0x00}));

  Find<QAbstractButton>("key_butt_keydefalut")->click();
  EXPECT_EQ(ShownFunction(), 0);
  EXPECT_EQ(Find<QStackedWidget>("function_switch_tablayout")->currentIndex(), 0);
  EXPECT_EQ(panel_->OnClick("key_butt_keysave"), Action::kStore);
  EXPECT_EQ(panel_->LastEntry().current.assignment, (KeyAssignment{0x20, 0x00, 0x04}));
}

TEST_F(KeySetControlUITest, PushingStateIntoTheWidgetsRaisesNoNotification) {
  panel_->ShowKey(Entry({0x12, 0x23, 0xFF}));
  panel_->ShowKey(Entry({0x71, 3, 10}));
  panel_->ShowKey(Entry({0x20, 0x01, 0x06}));
  panel_->ShowKey(Entry({0x20, 0x00, 0x28}));
  panel_->ShowKey(Entry({0x99, 0, 0}));
  panel_->SetDeviceKind(DeviceKind::kKeyboard);
  panel_->FillMacroList({"x", "y"});
  EXPECT_TRUE(panel_->RenameMacro(1, "z"));
  panel_->AppendMacro("w");
  panel_->RemoveMacro(0);
  panel_->Editor().controls().modifier_boxes = {true, true, false, false, true};
  panel_->Editor().controls().keyboard_position = 12;
  panel_->Refresh();
  EXPECT_EQ(panel_->CaptureKey(0x38, true), Action::kStore);
  EXPECT_EQ(panel_->OnClick("key_butt_keydefalut"), Action::kNone);
  for (const ui::Notification& n : router_.seen) ADD_FAILURE() << n.kind.toStdString() << " " << n.sender_name.toStdString();
}

TEST_F(KeySetControlUITest, CountFieldsSaveOnKillFocusOnlyWhenChanged) {
  panel_->ShowKey(Entry({0x12, 0x23, 0xFF}));
  EXPECT_EQ(Find<QComboBox>("keyset_mousewheel_combo")->currentIndex(), 1);
  EXPECT_EQ(Find<QLineEdit>("keyset_mousewheel_num_edit")->text(), "1");
  EXPECT_EQ(panel_->OnKillFocus("keyset_mousewheel_num_edit"), Action::kNone);

  Find<QLineEdit>("keyset_mousewheel_num_edit")->setText("5");
  EXPECT_EQ(panel_->OnKillFocus("KEYSET_MOUSEWHEEL_NUM_EDIT"), Action::kStore);
  EXPECT_EQ(panel_->LastEntry().current.assignment, (KeyAssignment{0x12, 0x23, 0xFB}));
  EXPECT_EQ(panel_->OnKillFocus("keyset_mousewheel_num_edit"), Action::kNone);

  // The horizontal scroll fields: delay keeps its low nibble, right sets bit 7.
  Find<QComboBox>("keyset_function_combo")->setCurrentIndex(FunctionRow(2));
  Find<QComboBox>("keyset_mouseswing_combo")->setCurrentIndex(1);
  Find<QLineEdit>("keyset_mouseswing_delay_edit")->setText("17");
  Find<QLineEdit>("keyset_mouseswing_speed_edit")->setText("3");
  Find<QLineEdit>("keyset_mouseswing_num_edit")->setText("5");
  EXPECT_EQ(panel_->OnKillFocus("keyset_mouseswing_num_edit"), Action::kStore);
  EXPECT_EQ(panel_->LastEntry().current.assignment, (KeyAssignment{0x11, 0x13, 0x85}));

  EXPECT_EQ(panel_->OnKillFocus("keyset_keyboard_text_edit"), Action::kNone);
  EXPECT_EQ(panel_->OnKillFocus("macro_delay"), std::nullopt);
}

TEST_F(KeySetControlUITest, KeyboardKindHidesTheDpiAndGunFunctions) {
  auto* combo = Find<QComboBox>("keyset_function_combo");
  auto* view = qobject_cast<QListView*>(combo->view());
  ASSERT_NE(view, nullptr);
  panel_->SetDeviceKind(DeviceKind::kKeyboard);
  for (int number = 0; number <= 11; ++number) {
    const bool hidden = number == 4 || number == 10;
    EXPECT_EQ(view->isRowHidden(FunctionRow(number)), hidden) << number;
  }
  panel_->SetDeviceKind(DeviceKind::kMouse);
  for (int number = 0; number <= 11; ++number) EXPECT_FALSE(view->isRowHidden(FunctionRow(number))) << number;
}

TEST_F(KeySetControlUITest, CapturedKeysTickBoxesAndCombineWithTheModifier) {
  panel_->ShowKey(Entry({0x10, 0x01, 0x00}));
  EXPECT_EQ(panel_->CaptureKey(0x38, true), Action::kStore);  // right Alt
  EXPECT_EQ(panel_->LastEntry().current.assignment, (KeyAssignment{0x20, 0x40, 0x00}));
  EXPECT_TRUE(Find<QAbstractButton>("key_ComBox_check_3")->isChecked());
  EXPECT_EQ(ShownFunction(), 6);

  EXPECT_EQ(panel_->CaptureKey(0x2E, false), Action::kStore);  // C
  EXPECT_EQ(panel_->LastEntry().current.assignment, (KeyAssignment{0x20, 0x40, 0x06}));
  EXPECT_FALSE(Find<QLineEdit>("keyset_keyboard_text_edit")->text().isEmpty());
  // Saving again keeps the combination the capture made.
  EXPECT_EQ(panel_->OnClick("key_butt_keysave"), Action::kStore);
  EXPECT_EQ(panel_->LastEntry().current.assignment, (KeyAssignment{0x20, 0x40, 0x06}));

  EXPECT_EQ(panel_->CaptureKey(0x7F, true), Action::kNone);
  EXPECT_EQ(panel_->LastEntry().current.assignment, (KeyAssignment{0x20, 0x40, 0x06}));

  // A press on the key-name field asks the main window to start capturing.
  auto* field = qobject_cast<KeyCaptureEdit*>(Find<QLineEdit>("keyset_keyboard_text_edit"));
  ASSERT_NE(field, nullptr);
  EXPECT_TRUE(field->isReadOnly());
  router_.seen.clear();
  QTest::mouseClick(field, Qt::LeftButton);
  ASSERT_EQ(router_.seen.size(), 1u);
  EXPECT_EQ(router_.seen[0].kind, "click");
  EXPECT_EQ(router_.seen[0].sender_name, "keyset_keyboard_text_edit");
}

TEST_F(KeySetControlUITest, MacroListFollowsTheLibraryAndKeepsTheSelectedEntry) {
  panel_->FillMacroList({"a", "b", "c"});
  auto* combo = Find<QComboBox>("keyset_macro_combo");
  combo->setCurrentIndex(2);
  panel_->RemoveMacro(0);
  ASSERT_EQ(combo->count(), 2);
  EXPECT_EQ(combo->currentText(), "c");
  EXPECT_TRUE(panel_->RenameMacro(1, "c2"));
  EXPECT_EQ(combo->currentText(), "c2");
  EXPECT_FALSE(panel_->RenameMacro(5, "none"));
  panel_->RemoveMacro(1);
  EXPECT_EQ(combo->currentIndex(), -1);
  panel_->AppendMacro("d");
  EXPECT_EQ(combo->count(), 2);
  EXPECT_EQ(combo->itemText(1), "d");
  panel_->RemoveMacro(9);
  EXPECT_EQ(combo->count(), 2);
}

TEST_F(KeySetControlUITest, NamesOutsideThePanelAreLeftToOthers) {
  EXPECT_EQ(panel_->OnClick("macro_btn_save"), std::nullopt);
  EXPECT_EQ(panel_->OnItemSelect("device_profile_combo", 0), std::nullopt);
  EXPECT_EQ(panel_->OnSelectChanged("keyboard_key_126", true), std::nullopt);
  EXPECT_EQ(panel_->OnSelectChanged("keyboard_key_x", true), std::nullopt);
  EXPECT_EQ(panel_->OnSelectChanged("key_ComBox_check_5", true), std::nullopt);
  EXPECT_EQ(panel_->OnSelectChanged("KEYBOARD_KEY_3", true), Action::kNone);
  EXPECT_EQ(panel_->Editor().controls().keyboard_position, 3);
}

TEST_F(KeySetControlUITest, TextsFollowTheLanguage) {
  ui::LanguageManager& language = ui::ResourceManager::Instance().Language();
  ASSERT_TRUE(language.LoadLanguage(ZT640_SOURCE_DIR "/data/skin/lan_en.xml"));
  auto* esc = Find<QAbstractButton>("keyboard_key_0");
  auto* disabled = Find<QAbstractButton>("keyboard_key_104");
  EXPECT_EQ(esc->text(), "Esc");
  EXPECT_EQ(disabled->text(), language.Text("close_text"));
  EXPECT_FALSE(disabled->isHidden());
  EXPECT_TRUE(Find<QAbstractButton>("keyboard_key_115")->isHidden());
  EXPECT_EQ(Find<QComboBox>("keyset_mousekey_combo")->itemText(0), language.Text("mouse_key_left"));
  EXPECT_EQ(Find<QComboBox>("keyset_media_combo")->count(), 18);

  ASSERT_TRUE(language.LoadLanguage(ZT640_SOURCE_DIR "/data/skin/lan_cn.xml"));
  EXPECT_EQ(disabled->text(), language.Text("close_text"));
  EXPECT_NE(disabled->text(), "close_text");
  ASSERT_TRUE(language.LoadLanguage(ZT640_SOURCE_DIR "/data/skin/lan_en.xml"));
}

}  // namespace
}  // namespace zt640
