#include "editors/macro_control_ui.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLineEdit>
#include <QListWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <algorithm>
#include <deque>
#include <filesystem>
#include <map>

#include "platform/input/hook_records.h"
#include "profiles/global_utils.h"
#include "profiles/temp_folder.h"
#include "support/notification_recorder.h"
#include "support/qt_app.h"
#include "support/scripted_prompts.h"
#include "ui/notify_hub.h"
#include "ui/resource_manager.h"

namespace zt640 {
namespace {

using test::ReadText;
using test::TempFolder;
using test::WriteText;
using Change = CMacroControlUI::LibraryChange;

constexpr int32_t kDefaultA = 0x200004;  // keyboard key A

int32_t Packed(int type, int param1, int param2) { return type << 16 | param1 << 8 | param2; }

using Script = test::ScriptedPrompts;

using Recorder = test::NotificationRecorder;

/// A keyboard folder with five macros m0..m4 (two events each) and two profiles:
/// p0 active, p1 another one.
class MacroControlUITest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::QtApp();
    ui::ResourceManager::Instance().SetResourcePath(ZT640_SOURCE_DIR "/data/skin");
    folder_ = temp_.path() + "/keyboard/";
    std::filesystem::create_directories(folder_);
    WriteLibrary({"m0", "m1", "m2", "m3", "m4"});
    for (int i = 0; i < 5; ++i) {
      const std::string guid = "g" + std::to_string(i);
      Json::Value macro;
      macro["Events"][0]["Action"] = "down";
      macro["Events"][0]["Type"] = 10;
      macro["Events"][0]["Button"] = 4 + i;
      macro["Events"][0]["Delay"] = "120";
      macro["Events"][1]["Action"] = "up";
      macro["Events"][1]["Type"] = 10;
      macro["Events"][1]["Button"] = 4 + i;
      macro["Events"][1]["Delay"] = "0";
      macro["Guid"] = guid;
      macro["MacroName"] = "m" + std::to_string(i);
      macro["Version"] = 64;
      ASSERT_TRUE(CGlobalUtils::WriteJsonFile(folder_ + guid + ".mac", macro));
    }
    Json::Value list;
    for (int p = 0; p < 2; ++p) {
      const std::string uuid = "p" + std::to_string(p);
      list["profilelist"][p]["profilename"] = uuid;
      list["profilelist"][p]["profileUUID"] = uuid;
    }
    list["profileselect"] = 0;
    ASSERT_TRUE(CGlobalUtils::WriteJsonFile(folder_ + "ProfileList.ini", list));
    WriteKeys("p0", {Packed(0x70, 4, 0), Packed(0x20, 0, 9)});
    WriteKeys("p1", {Packed(0x70, 3, 1), Packed(0x71, 2, 5), Packed(0x70, 1, 0)});
    profiles_.SetDeviceKind(DeviceKind::kKeyboard);
    profiles_.SetProfileFolders(folder_, temp_.File("none.Json"));
    ASSERT_TRUE(profiles_.LoadProfileList().done());
    LoadActive();

    panel_ = std::make_unique<CMacroControlUI>();
    panel_->SetPrompts(script_.Prompts());
    ASSERT_TRUE(panel_->Load(folder_).done());
    names_ = panel_->findChild<QListWidget*>("macro_name_list");
    edit_ = panel_->findChild<QLineEdit*>("macro_edit_macroname");
    events_ = panel_->findChild<QTableWidget*>("macro_action");
    delay_ = panel_->findChild<QLineEdit*>("macro_delay");
    ASSERT_TRUE(names_ && edit_ && events_ && delay_);
  }

  void WriteLibrary(const std::vector<std::string>& names) {
    Json::Value library;
    for (size_t i = 0; i < names.size(); ++i) {
      library["MacroInfo"][static_cast<int>(i)]["MacroName"] = names[i];
      library["MacroInfo"][static_cast<int>(i)]["Guid"] = "g" + std::to_string(i);
    }
    ASSERT_TRUE(CGlobalUtils::WriteJsonFile(folder_ + "macro.config", library));
  }

  void WriteKeys(const std::string& uuid, const std::vector<int32_t>& assignments) {
    Json::Value profile;
    profile["profilename"] = uuid;
    profile["profileUUID"] = uuid;
    for (size_t k = 0; k < assignments.size(); ++k) {
      profile["Device"][0]["KeyList"][static_cast<int>(k)]["Assignment"] = assignments[k];
      profile["Device"][0]["KeyList"][static_cast<int>(k)]["DefaultAssignment"] = kDefaultA;
    }
    ASSERT_TRUE(CGlobalUtils::WriteJsonFile(folder_ + uuid + ".Json", profile));
  }

  void LoadActive() {
    active_.SetProfilePath(folder_ + "p0.Json");
    active_.LoadProfile(active_.GetProfilePath());
  }

  [[nodiscard]] std::vector<int32_t> Assignments(const std::string& uuid) const {
    const Json::Value profile = CGlobalUtils::ParseJsonFile(folder_ + uuid + ".Json");
    std::vector<int32_t> values;
    for (const Json::Value& key : profile["Device"][0]["KeyList"]) values.push_back(key["Assignment"].asInt());
    return values;
  }

  [[nodiscard]] std::map<std::string, std::string> Snapshot() const {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder_)) {
      files[entry.path().filename().string()] = ReadText(entry.path().string());
    }
    return files;
  }

  [[nodiscard]] QStringList Names() const {
    QStringList texts;
    for (int i = 0; i < names_->count(); ++i) texts << names_->item(i)->text();
    return texts;
  }

  std::optional<CMacroControlUI::ClickOutcome> Click(const char* name) {
    return panel_->OnClick(name, profiles_, active_);
  }

  /// The user picks macro `index` in the name list.
  void Choose(int index) {
    names_->setCurrentRow(index);
    ASSERT_TRUE(panel_->OnItemSelect("macro_name_list", index));
  }

  TempFolder temp_;
  std::string folder_;
  ProfileList profiles_;
  CBasicProfiledata active_;
  Script script_;
  std::unique_ptr<CMacroControlUI> panel_;
  QListWidget* names_ = nullptr;
  QLineEdit* edit_ = nullptr;
  QTableWidget* events_ = nullptr;
  QLineEdit* delay_ = nullptr;
};

TEST_F(MacroControlUITest, AddSelectsTheNewMacroWithoutRaisingItemSelect) {
  WriteLibrary({"macro_1", "Macro_2"});
  Recorder recorder;
  ui::NotifyHub hub(recorder);
  hub.Attach(panel_.get());
  ASSERT_TRUE(panel_->Load(folder_).done());
  EXPECT_EQ(names_->currentRow(), 0);
  EXPECT_EQ(events_->rowCount(), 2);

  const auto outcome = Click("macro_btn_name_add");
  ASSERT_TRUE(outcome.has_value());
  ASSERT_EQ(outcome->changes.size(), 1u);
  EXPECT_EQ(outcome->changes[0], (Change{Change::kAdded, 2, "macro_3"}));
  EXPECT_FALSE(outcome->active_keys_changed);
  EXPECT_EQ(Names(), (QStringList{"macro_1", "Macro_2", "macro_3"}));
  EXPECT_EQ(names_->currentRow(), 2);
  EXPECT_EQ(events_->rowCount(), 0);
  EXPECT_FALSE(delay_->isEnabled());
  panel_->Refresh();
  EXPECT_EQ(recorder.Count("itemselect"), 0);

  names_->setCurrentRow(0);  // a choice made in the widget itself is reported
  EXPECT_EQ(recorder.Count("itemselect"), 1);
}

TEST_F(MacroControlUITest, RenameRefusesBlankAmpersandAndTakenNamesWithoutChangingAnything) {
  Choose(1);
  const auto before = Snapshot();
  const struct {
    const char* name;
    const char* key;  // nullptr: ignored without a message
  } refusals[] = {{"  ", nullptr}, {"A&B", "message_text_5_3"}, {"M1", "message_text_5"}, {"m3", "message_text_5"}};
  for (const auto& refusal : refusals) {
    script_.shown.clear();
    edit_->setText(refusal.name);
    const auto outcome = Click("macro_btn_name_edit");
    ASSERT_TRUE(outcome.has_value());
    EXPECT_TRUE(outcome->changes.empty()) << refusal.name;
    if (refusal.key == nullptr) {
      EXPECT_TRUE(script_.shown.empty());
    } else {
      ASSERT_EQ(script_.shown.size(), 1u) << refusal.name;
      EXPECT_EQ(script_.shown[0].first, refusal.key);
    }
    EXPECT_EQ(Snapshot(), before) << refusal.name;
    EXPECT_EQ(Names()[1], "m1");
  }

  edit_->setText("Fire");
  const auto outcome = Click("MACRO_BTN_NAME_EDIT");
  ASSERT_TRUE(outcome.has_value());
  ASSERT_EQ(outcome->changes.size(), 1u);
  EXPECT_EQ(outcome->changes[0], (Change{Change::kRenamed, 1, "Fire"}));
  EXPECT_EQ(Names(), (QStringList{"m0", "Fire", "m2", "m3", "m4"}));
  EXPECT_TRUE(edit_->text().isEmpty());
  EXPECT_EQ(CGlobalUtils::ParseJsonFile(folder_ + "macro.config")["MacroInfo"][1]["MacroName"].asString(), "Fire");
}

TEST_F(MacroControlUITest, DeleteFixesEveryProfileAndDecliningChangesNothing) {
  Choose(2);
  const auto before = Snapshot();
  script_.answers = {0};
  auto outcome = Click("macro_btn_name_sub");
  ASSERT_TRUE(outcome.has_value());
  EXPECT_TRUE(outcome->changes.empty());
  ASSERT_EQ(script_.shown.size(), 1u);
  EXPECT_EQ(script_.shown[0], std::make_pair(QString("message_text_4"), 1));
  EXPECT_EQ(Snapshot(), before);
  EXPECT_EQ(Names().size(), 5);

  // The active profile does not play macro 2, so only the first question is asked.
  script_.shown.clear();
  script_.answers = {1};
  outcome = Click("macro_btn_name_sub");
  ASSERT_TRUE(outcome.has_value());
  EXPECT_EQ(script_.shown.size(), 1u);
  ASSERT_EQ(outcome->changes.size(), 1u);
  EXPECT_EQ(outcome->changes[0], (Change{Change::kDeleted, 2, "m2"}));
  EXPECT_TRUE(outcome->active_keys_changed);  // its key on macro 4 moved down
  EXPECT_EQ(Names(), (QStringList{"m0", "m1", "m3", "m4"}));
  EXPECT_EQ(names_->currentRow(), 0);
  EXPECT_FALSE(std::filesystem::exists(folder_ + "g2.mac"));
  EXPECT_EQ(Assignments("p0"), (std::vector<int32_t>{Packed(0x70, 3, 0), Packed(0x20, 0, 9)}));
  EXPECT_EQ(Assignments("p1"), (std::vector<int32_t>{Packed(0x70, 2, 1), kDefaultA, Packed(0x70, 1, 0)}));
}

TEST_F(MacroControlUITest, DecliningToDeleteAMacroTheActiveProfilePlaysChangesNothing) {
  WriteKeys("p0", {Packed(0x71, 4, 2)});
  LoadActive();
  Choose(4);
  const auto before = Snapshot();
  script_.answers = {1, 0};
  const auto outcome = Click("macro_btn_name_sub");
  ASSERT_TRUE(outcome.has_value());
  EXPECT_TRUE(outcome->changes.empty());
  EXPECT_FALSE(outcome->active_keys_changed);
  ASSERT_EQ(script_.shown.size(), 2u);
  EXPECT_EQ(script_.shown[1], std::make_pair(QString("message_text_2"), 1));
  EXPECT_EQ(Snapshot(), before);
  EXPECT_EQ(Names().size(), 5);
}

TEST_F(MacroControlUITest, ExportedMacroImportsBackWithTheSameEvents) {
  QTemporaryDir outside;
  const QString exported = outside.filePath("Fire.mac");
  Choose(1);
  script_.files = {exported};
  auto outcome = Click("macro_btn_export");
  ASSERT_TRUE(outcome.has_value());
  EXPECT_TRUE(outcome->changes.empty());
  EXPECT_EQ(script_.dialogs.back(), std::make_pair(QString("Macro Files(*.mac)"), true));
  EXPECT_EQ(ReadText(exported.toStdString()), ReadText(folder_ + "g1.mac"));

  script_.files = {exported};
  outcome = Click("macro_btn_import");
  ASSERT_TRUE(outcome.has_value());
  EXPECT_EQ(script_.dialogs.back(), std::make_pair(QString("Macro Files(*.mac)"), false));
  ASSERT_EQ(outcome->changes.size(), 1u);
  EXPECT_EQ(outcome->changes[0], (Change{Change::kAdded, 5, "Fire"}));
  EXPECT_EQ(names_->currentRow(), 5);
  const std::string guid = panel_->Library().Entries()[5].guid;
  EXPECT_EQ(ReadText(panel_->Library().MacroFilePath(guid)), ReadText(exported.toStdString()));
  ASSERT_EQ(events_->rowCount(), 2);
  EXPECT_EQ(events_->item(0, 2)->text(), "5");    // "Button" of m1's events
  EXPECT_EQ(events_->item(0, 3)->text(), "120");  // its delay
  EXPECT_TRUE(script_.shown.empty());

  // A file that is not a macro adds nothing; a cancelled dialog does nothing at all.
  const QString junk = outside.filePath("junk.mac");
  WriteText(junk.toStdString(), "[1,2]");
  script_.files = {junk, QString()};
  for (int i = 0; i < 2; ++i) {
    outcome = Click("macro_btn_import");
    ASSERT_TRUE(outcome.has_value());
    EXPECT_TRUE(outcome->changes.empty());
  }
  EXPECT_EQ(Names().size(), 6);
}

TEST_F(MacroControlUITest, DelayFieldIsSavedWhenItLosesTheFocus) {
  Choose(3);
  ASSERT_EQ(events_->rowCount(), 2);
  EXPECT_EQ(delay_->text(), "120");
  panel_->SelectEvent(1);
  EXPECT_EQ(delay_->text(), "0");
  delay_->setText("007");
  ASSERT_TRUE(panel_->OnKillFocus("macro_delay"));
  EXPECT_EQ(delay_->text(), "7");
  EXPECT_EQ(events_->item(1, 3)->text(), "7");
  const Json::Value saved = CGlobalUtils::ParseJsonFile(folder_ + "g3.mac");
  EXPECT_EQ(saved["Events"][1]["Delay"], Json::Value("7"));
  EXPECT_EQ(saved["Events"][0]["Delay"], Json::Value("120"));

  // Unsaved edits are dropped by "cancel", which reloads the file.
  panel_->SelectEvent(0);
  delay_->setText("55");
  ASSERT_TRUE(Click("macro_btn_cancel").has_value());
  EXPECT_EQ(delay_->text(), "120");
  EXPECT_EQ(CGlobalUtils::ParseJsonFile(folder_ + "g3.mac")["Events"][0]["Delay"], Json::Value("120"));
  EXPECT_FALSE(panel_->OnKillFocus("keyset_edit"));
}

TEST_F(MacroControlUITest, ButtonsThatNeedASelectionGoOffWithAnEmptyLibrary) {
  // Recording starts and stops through the main window, which owns the hook.
  EXPECT_FALSE(Click("macro_btn_starredio").has_value());
  EXPECT_FALSE(Click("device_add_btn").has_value());
  EXPECT_FALSE(panel_->OnItemSelect("device_profile_combo", 0));

  // With the library emptied the buttons that need a selection go off.
  for (int i = 0; i < 5; ++i) {
    script_.answers = {1, 1};
    ASSERT_TRUE(Click("macro_btn_name_sub").has_value());
  }
  EXPECT_EQ(names_->count(), 0);
  EXPECT_FALSE(panel_->findChild<QAbstractButton*>("macro_btn_export")->isEnabled());
  EXPECT_FALSE(panel_->findChild<QAbstractButton*>("macro_btn_name_sub")->isEnabled());
  EXPECT_TRUE(panel_->findChild<QWidget*>("macro_action_layout")->isHidden());
  script_.files = {QString("/nonexistent.mac")};
  EXPECT_TRUE(Click("macro_btn_export")->changes.empty());
  EXPECT_TRUE(script_.files.size() == 1u) << "no dialog without a selection";
}

namespace input = platform::input;

/// The panel of the fixture with a stepped clock, its macro 3 selected (two events).
class MacroRecordingTest : public MacroControlUITest {
 protected:
  void SetUp() override {
    MacroControlUITest::SetUp();
    panel_->SetTickSource([this] { return now_; });
    Choose(3);
  }

  bool Key(std::uint32_t scan, bool press, input::HookMode mode = input::HookMode::kRecordAppend) {
    input::KeyHookRecord record;
    record.scan_code = scan;
    return panel_->OnKeyEvent(mode, press ? input::kKeyDownMessage : input::kKeyUpMessage, record);
  }

  [[nodiscard]] Json::Value Saved() const { return CGlobalUtils::ParseJsonFile(folder_ + "g3.mac")["Events"]; }

  [[nodiscard]] QWidget* Control(const char* name) const { return panel_->findChild<QWidget*>(name); }

  std::uint32_t now_ = 100;
};

TEST_F(MacroRecordingTest, RecordingLocksTheLibraryAndTheListUntilItEnds) {
  const char* locked[] = {"macro_name_tab", "macro_tab_macroaction_edit", "macro_tab_macrodelay_edit", "macro_action"};
  panel_->show();
  EXPECT_TRUE(Control("macro_btn_stopredio")->isHidden());
  EXPECT_TRUE(panel_->StopButtonScreenRect().isEmpty());
  panel_->BeginRecording(1);
  EXPECT_TRUE(panel_->IsRecording());
  for (const char* name : locked) EXPECT_FALSE(Control(name)->isEnabled()) << name;
  EXPECT_TRUE(Control("macro_btn_starredio")->isHidden());
  EXPECT_FALSE(Control("macro_btn_stopredio")->isHidden());
  EXPECT_FALSE(panel_->StopButtonScreenRect().isEmpty());
  panel_->EndRecording();
  EXPECT_FALSE(panel_->IsRecording());
  for (const char* name : locked) EXPECT_TRUE(Control(name)->isEnabled()) << name;
  EXPECT_FALSE(Control("macro_btn_starredio")->isHidden());
  EXPECT_TRUE(Control("macro_btn_stopredio")->isHidden());
}

TEST_F(MacroRecordingTest, RecordedRowsShowAtOnceAndTheFileFollowsAtTheSave) {
  panel_->BeginRecording(1);
  now_ += 40;
  EXPECT_TRUE(Key(0x1E, true));   // A
  EXPECT_FALSE(Key(0x1E, true));  // auto-repeat
  now_ += 120;
  EXPECT_TRUE(Key(0x1E, false));
  ASSERT_EQ(events_->rowCount(), 4);
  EXPECT_EQ(events_->currentRow(), 3);
  EXPECT_EQ(events_->item(2, 3)->text(), "120");  // first recording of the panel: the old last row keeps its delay
  EXPECT_EQ(events_->item(1, 3)->text(), "0");
  EXPECT_EQ(events_->item(3, 3)->text(), "0");
  EXPECT_EQ(delay_->text(), "0");
  EXPECT_EQ(Saved().size(), 2u) << "nothing saved while recording";
  panel_->EndRecording();
  panel_->SaveSelectedMacro();
  ASSERT_EQ(Saved().size(), 4u);
  EXPECT_EQ(Saved()[2]["Button"], 4);
  EXPECT_EQ(Saved()[2]["Delay"], "120");
  EXPECT_EQ(Saved()[3]["Action"], "up");

  // A second recording hands its first interval to the list's last event.
  panel_->BeginRecording(1);
  now_ += 75;
  EXPECT_TRUE(Key(0x3A, true));  // Caps Lock is recorded like any key
  EXPECT_EQ(events_->item(3, 3)->text(), "75");
  EXPECT_EQ(events_->item(4, 1)->text(), ui::ResourceManager::Instance().Language().Text("macro_action_down_text"));
}

TEST_F(MacroRecordingTest, FixedDelayFieldIsReadClampedAndWrittenBack) {
  auto* check = panel_->findChild<QAbstractButton*>("macro_check_time");
  auto* fixed = panel_->findChild<QLineEdit*>("macro_fixed_time_edit");
  ASSERT_TRUE(check && fixed);
  EXPECT_EQ(fixed->text(), "50");
  EXPECT_FALSE(panel_->IsFixedTimeChecked());
  check->setChecked(true);
  EXPECT_TRUE(panel_->IsFixedTimeChecked());
  const struct {
    const char* text;
    std::uint32_t delay;
    const char* shown;
  } cases[] = {{"70000", 65535, "65535"}, {"abc", 0, "0"}, {"007", 7, "7"}, {"99999999999999999999999", 65535, "65535"},
               {"65535", 65535, "65535"}};
  for (const auto& c : cases) {
    fixed->setText(c.text);
    panel_->ReadFixedTime();
    EXPECT_EQ(panel_->FixedDelay(), c.delay) << c.text;
    EXPECT_EQ(fixed->text(), c.shown) << c.text;
    EXPECT_EQ(fixed->cursorPosition(), fixed->text().size()) << c.text;
  }
  // An unchanged value is left as typed.
  fixed->setText("65535 ");
  panel_->ReadFixedTime();
  EXPECT_EQ(fixed->text(), "65535 ");

  fixed->setText("70000");
  panel_->BeginRecording(2);
  EXPECT_EQ(fixed->text(), "65535");
  EXPECT_TRUE(Key(0x30, true));
  EXPECT_TRUE(Key(0x30, false));
  EXPECT_EQ(events_->item(2, 3)->text(), "65535");
  EXPECT_EQ(events_->item(3, 3)->text(), "65535");
}

TEST_F(MacroRecordingTest, TheClickOnTheStopButtonIsNotRecorded) {
  panel_->show();
  panel_->BeginRecording(3);
  const QRect stop = panel_->StopButtonScreenRect();
  ASSERT_FALSE(stop.isEmpty());
  input::MouseHookRecord on_stop{.x = stop.center().x(), .y = stop.center().y()};
  input::MouseHookRecord elsewhere{.x = stop.right() + 5, .y = stop.center().y()};
  EXPECT_TRUE(panel_->OnMouseEvent(input::HookMode::kRecordAppend, input::kLeftButtonDown, elsewhere));
  EXPECT_TRUE(panel_->OnMouseEvent(input::HookMode::kRecordAppend, input::kLeftButtonUp, elsewhere));
  EXPECT_FALSE(panel_->OnMouseEvent(input::HookMode::kRecordAppend, input::kLeftButtonDown, on_stop));
  EXPECT_FALSE(panel_->OnMouseEvent(input::HookMode::kRecordAppend, input::kLeftButtonUp, on_stop));
  EXPECT_EQ(events_->rowCount(), 4);
}

TEST_F(MacroRecordingTest, MenuItemsAndMoveButtonsInsertAfterTheSelectionAndSave) {
  panel_->SelectEvent(0);
  ASSERT_TRUE(panel_->OnMenuItem("left_click"));  // the fixed delay was never read: 50
  EXPECT_EQ(events_->currentRow(), 2);
  auto* left = panel_->findChild<QLineEdit*>("mouse_x_left_edit");
  ASSERT_NE(left, nullptr);
  left->setText("300");
  ASSERT_TRUE(Click("macro_inset_moveleftkey_btn").has_value());
  EXPECT_TRUE(panel_->OnMenuItem("back_down"));
  EXPECT_FALSE(panel_->OnMenuItem("redio_later_record_time"));  // a recording item: the main window's
  const Json::Value saved = Saved();
  ASSERT_EQ(saved.size(), 6u);
  const struct {
    int type, button;
    const char* action;
  } expected[] = {{10, 7, "down"}, {1, 1, "down"}, {1, 1, "up"}, {4, 44, "down"}, {1, 8, "down"}, {10, 7, "up"}};
  for (Json::ArrayIndex i = 0; i < saved.size(); ++i) {
    EXPECT_EQ(saved[i]["Type"], expected[i].type) << i;
    EXPECT_EQ(saved[i]["Button"], expected[i].button) << i;
    EXPECT_EQ(saved[i]["Action"], expected[i].action) << i;
  }
  EXPECT_EQ(saved[1]["Delay"], "50");
  EXPECT_EQ(saved[3]["Delay"], "50");
  EXPECT_EQ(events_->item(3, 1)->text(), "44");
}

TEST_F(MacroRecordingTest, ListButtonsEditAndSaveAndStopAtTheEnds) {
  panel_->SelectEvent(1);
  delay_->setText("33");  // an edit not yet saved travels with its event
  ASSERT_TRUE(Click("macro_btn_up").has_value());
  EXPECT_EQ(Saved()[0]["Action"], "up");
  EXPECT_EQ(Saved()[0]["Delay"], "33");
  EXPECT_EQ(events_->currentRow(), 0);
  const std::string before = ReadText(folder_ + "g3.mac");
  EXPECT_FALSE(panel_->MoveEventUp());
  ASSERT_TRUE(Click("macro_btn_downbottom").has_value());
  EXPECT_EQ(Saved()[1]["Action"], "up");
  EXPECT_FALSE(panel_->MoveEventDown());
  ASSERT_TRUE(Click("macro_btn_delete").has_value());
  EXPECT_EQ(Saved().size(), 1u);
  ASSERT_TRUE(Click("macro_btn_deleteall").has_value());
  EXPECT_EQ(Saved().size(), 0u);
  EXPECT_EQ(events_->rowCount(), 0);
  EXPECT_NE(ReadText(folder_ + "g3.mac"), before);
}

TEST_F(MacroRecordingTest, ARecordingLongerThanAMacroFileTakesIsRefusedAtTheSave) {
  panel_->BeginRecording(3);
  for (int i = 0; i < 125; ++i) {  // 2 + 250 events
    ASSERT_TRUE(Key(0x1E, true));
    ASSERT_TRUE(Key(0x1E, false));
  }
  panel_->EndRecording();
  const std::string before = ReadText(folder_ + "g3.mac");
  panel_->SaveSelectedMacro();
  EXPECT_EQ(script_.Messages(), (std::vector<QString>{"message_text_17"}));
  EXPECT_EQ(events_->rowCount(), 0);
  EXPECT_EQ(ReadText(folder_ + "g3.mac"), before);
}

TEST_F(MacroRecordingTest, TheInWindowNoteIsShownOnce) {
  panel_->NoteInWindowRecording();
  panel_->NoteInWindowRecording();
  EXPECT_EQ(script_.Messages(), (std::vector<QString>{"macro_in_window_record_text"}));
}

}  // namespace
}  // namespace zt640
