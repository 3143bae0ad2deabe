#include "editors/device_profile_ui.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QTemporaryDir>
#include <algorithm>
#include <deque>
#include <filesystem>
#include <map>

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
using Follow = CDeviceProfileUI::Follow;

using Script = test::ScriptedPrompts;

using Recorder = test::NotificationRecorder;

class DeviceProfileUITest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::QtApp();
    ui::ResourceManager::Instance().SetResourcePath(ZT640_SOURCE_DIR "/data/skin");
    folder_ = temp_.path() + "/keyboard/";
    std::filesystem::create_directories(folder_);
    default_ = temp_.File("keyboard.Json");
    WriteText(default_, R"({"Device":[{"Brightness":3}]})");
    panel_ = std::make_unique<CDeviceProfileUI>();
    panel_->SetPrompts(script_.Prompts());
    ASSERT_TRUE(panel_->Load(DeviceKind::kKeyboard, folder_, default_).done());
    combo_ = panel_->findChild<QComboBox*>("device_profile_combo");
    edit_ = panel_->findChild<QLineEdit*>("device_profile_name_edit");
    ASSERT_NE(combo_, nullptr);
    ASSERT_NE(edit_, nullptr);
  }

  [[nodiscard]] QStringList ComboTexts() const {
    QStringList texts;
    for (int i = 0; i < combo_->count(); ++i) texts << combo_->itemText(i);
    return texts;
  }

  [[nodiscard]] std::map<std::string, std::string> Snapshot() const {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder_)) {
      files[entry.path().filename().string()] = ReadText(entry.path().string());
    }
    return files;
  }

  /// The user picks entry `index` in the drop-down list.
  void Choose(int index) {
    combo_->setCurrentIndex(index);
    ASSERT_TRUE(panel_->OnItemSelect("device_profile_combo", index));
  }

  TempFolder temp_;
  std::string folder_;
  std::string default_;
  Script script_;
  std::unique_ptr<CDeviceProfileUI> panel_;
  QComboBox* combo_ = nullptr;
  QLineEdit* edit_ = nullptr;
};

TEST_F(DeviceProfileUITest, AddAndCopyFillTheComboAndWriteFilesWhileTheActiveProfileStays) {
  EXPECT_EQ(ComboTexts(), QStringList{"profile1"});
  EXPECT_EQ(edit_->text(), "profile1");
  const std::string active = panel_->List().GetActiveProfileUuid();

  EXPECT_EQ(panel_->OnClick("device_add_btn"), Follow::kNone);
  EXPECT_EQ(panel_->OnClick("DEVICE_ADD_BTN"), Follow::kNone);  // names compare without case
  EXPECT_EQ(ComboTexts(), (QStringList{"profile1", "profile2", "profile3"}));
  EXPECT_EQ(combo_->currentIndex(), 0);
  EXPECT_EQ(panel_->List().GetActiveProfileUuid(), active);
  EXPECT_EQ(panel_->List().RecordedSelection(), 2);

  Choose(1);
  EXPECT_EQ(edit_->text(), "profile2");
  EXPECT_EQ(panel_->OnClick("device_copy_btn"), Follow::kNone);
  EXPECT_EQ(panel_->OnClick("device_copy_btn"), Follow::kNone);
  EXPECT_EQ(ComboTexts(), (QStringList{"profile1", "profile2", "profile3", "profile2 copy", "profile2 copy copy"}));
  const Json::Value copy = CGlobalUtils::ParseJsonFile(panel_->List().GetProfilePathAt(4));
  EXPECT_EQ(copy["profilename"].asString(), "profile2 copy copy");
  EXPECT_EQ(copy["Device"][0]["Brightness"].asInt(), 3);
  EXPECT_TRUE(script_.shown.empty());
}

TEST_F(DeviceProfileUITest, RenameRefusalsShowTheirKeyAndChangeNothing) {
  ASSERT_EQ(panel_->OnClick("device_add_btn"), Follow::kNone);
  const auto before = Snapshot();
  const struct {
    const char* name;
    const char* key;
  } refusals[] = {{"   ", "message_text_25"}, {"A&B", "message_text_5_3"}, {"PROFILE2", "message_text_5"}};
  for (const auto& refusal : refusals) {
    script_.shown.clear();
    edit_->setText(refusal.name);
    EXPECT_EQ(panel_->OnClick("device_profile_edit_save_btn"), Follow::kNone);
    EXPECT_EQ(script_.Messages(), std::vector<QString>{refusal.key}) << refusal.name;
    EXPECT_EQ(Snapshot(), before) << refusal.name;
    EXPECT_EQ(ComboTexts(), (QStringList{"profile1", "profile2"}));
    EXPECT_EQ(edit_->text(), refusal.name) << "the refused text stays for correcting";
  }

  // An empty field is not a rename at all.
  script_.shown.clear();
  edit_->clear();
  EXPECT_EQ(panel_->OnClick("device_profile_edit_save_btn"), Follow::kNone);
  EXPECT_TRUE(script_.shown.empty());
  EXPECT_EQ(Snapshot(), before);

  // A change of case alone is accepted and reaches the combo, the list and the file.
  edit_->setText("PROFILE1");
  EXPECT_EQ(panel_->OnClick("device_profile_edit_save_btn"), Follow::kNone);
  EXPECT_TRUE(script_.shown.empty());
  EXPECT_EQ(ComboTexts(), (QStringList{"PROFILE1", "profile2"}));
  EXPECT_EQ(CGlobalUtils::ParseJsonFile(panel_->List().GetProfilePathAt(0))["profilename"].asString(), "PROFILE1");
}

TEST_F(DeviceProfileUITest, DeleteActivatesTheNewSelectionAndNeverRemovesTheLastProfile) {
  const auto alone = Snapshot();
  EXPECT_EQ(panel_->OnClick("device_sub_btn"), Follow::kNone);
  EXPECT_EQ(Snapshot(), alone);
  EXPECT_EQ(ComboTexts(), QStringList{"profile1"});

  ASSERT_EQ(panel_->OnClick("device_add_btn"), Follow::kNone);
  ASSERT_EQ(panel_->OnClick("device_add_btn"), Follow::kNone);
  const std::string first = panel_->List().GetProfilePathAt(0);
  const std::string second_uuid = panel_->List().Entries()[1].uuid;
  EXPECT_EQ(panel_->OnClick("device_sub_btn"), Follow::kActivateSelected);
  EXPECT_EQ(ComboTexts(), (QStringList{"profile2", "profile3"}));
  EXPECT_EQ(combo_->currentIndex(), 0);
  EXPECT_EQ(edit_->text(), "profile2");
  EXPECT_EQ(panel_->List().GetActiveProfileUuid(), second_uuid);
  EXPECT_EQ(panel_->List().RecordedSelection(), 0);
  EXPECT_FALSE(std::filesystem::exists(first));
}

TEST_F(DeviceProfileUITest, ResetAsksFirstAndOnlyAConfirmedResetReloads) {
  const std::string path = panel_->List().GetProfilePathAt(0);
  Json::Value changed = CGlobalUtils::ParseJsonFile(path);
  changed["Device"][0]["Brightness"] = 1;
  ASSERT_TRUE(CGlobalUtils::WriteJsonFile(path, changed));
  const std::string before = ReadText(path);

  script_.answers = {0};
  EXPECT_EQ(panel_->OnClick("device_reset_btn"), Follow::kNone);
  ASSERT_EQ(script_.shown.size(), 1u);
  EXPECT_EQ(script_.shown[0], std::make_pair(QString("message_text_22"), 1));
  EXPECT_EQ(ReadText(path), before);

  script_.answers = {1};
  EXPECT_EQ(panel_->OnClick("device_reset_btn"), Follow::kReloadActive);
  const Json::Value reset = CGlobalUtils::ParseJsonFile(path);
  EXPECT_EQ(reset["Device"][0]["Brightness"].asInt(), 3);
  EXPECT_EQ(reset["profilename"].asString(), "profile1");
}

TEST_F(DeviceProfileUITest, ImportTakesOnlyProfilesAndExportWritesTheSelectedOne) {
  QTemporaryDir outside;
  const QString stranger = outside.filePath("stranger.json");
  WriteText(stranger.toStdString(), R"({"profilename":"x"})");
  const QString garbage = outside.filePath("garbage.json");
  WriteText(garbage.toStdString(), "not json");
  const auto before = Snapshot();
  script_.files = {stranger, garbage, QString()};
  for (int i = 0; i < 3; ++i) EXPECT_EQ(panel_->OnClick("device_import_btn"), Follow::kNone);
  EXPECT_TRUE(script_.shown.empty());
  EXPECT_EQ(Snapshot(), before);
  EXPECT_EQ(ComboTexts(), QStringList{"profile1"});
  ASSERT_EQ(script_.dialogs.size(), 3u);
  EXPECT_EQ(script_.dialogs[0], std::make_pair(QString("Profile Files(*.json)"), false));

  const QString game = outside.filePath("Game.json");
  WriteText(game.toStdString(), R"({"profilename":"other","profileUUID":"u","Device":[{"Brightness":0}]})");
  script_.files = {game};
  EXPECT_EQ(panel_->OnClick("device_import_btn"), Follow::kNone);
  EXPECT_EQ(ComboTexts(), (QStringList{"profile1", "Game"}));
  EXPECT_EQ(CGlobalUtils::ParseJsonFile(panel_->List().GetProfilePathAt(1))["Device"][0]["Brightness"].asInt(), 0);

  Choose(1);
  const QString exported = outside.filePath("out.json");
  script_.files = {exported};
  EXPECT_EQ(panel_->OnClick("device_export_btn"), Follow::kNone);
  EXPECT_EQ(script_.dialogs.back(), std::make_pair(QString("Profile Files(*.json)"), true));
  EXPECT_EQ(ReadText(exported.toStdString()), ReadText(panel_->List().GetProfilePathAt(1)));
  EXPECT_EQ(CGlobalUtils::ParseJsonFile(exported.toStdString())["profilename"].asString(), "Game");
  EXPECT_TRUE(script_.shown.empty());
}

TEST_F(DeviceProfileUITest, FillingTheWidgetsRaisesNoItemSelect) {
  Recorder recorder;
  ui::NotifyHub hub(recorder);
  hub.Attach(panel_.get());
  ASSERT_EQ(panel_->OnClick("device_add_btn"), Follow::kNone);
  ASSERT_EQ(panel_->OnClick("device_add_btn"), Follow::kNone);
  ASSERT_EQ(panel_->OnClick("device_sub_btn"), Follow::kActivateSelected);
  ASSERT_TRUE(panel_->List().SelectProfile(1).done());
  panel_->Refresh();
  ASSERT_TRUE(panel_->Load(DeviceKind::kKeyboard, folder_, default_).done());
  EXPECT_EQ(combo_->currentIndex(), 1);
  EXPECT_EQ(recorder.Count("itemselect"), 0);
  EXPECT_EQ(recorder.Count("textchanged"), 0);

  // The same hub does report a choice made in the widget itself.
  combo_->setCurrentIndex(0);
  EXPECT_EQ(recorder.Count("itemselect"), 1);
}

TEST_F(DeviceProfileUITest, SpreadButtonFoldsTheButtonRowAndForeignNamesAreNotThePanels) {
  QWidget* row = panel_->findChild<QWidget*>("profile_fun_layout");
  ASSERT_NE(row, nullptr);
  EXPECT_TRUE(panel_->IsExpanded());
  EXPECT_EQ(panel_->OnClick("profile_fun_spread_btn"), Follow::kNone);
  EXPECT_FALSE(panel_->IsExpanded());
  EXPECT_TRUE(row->isHidden());
  EXPECT_EQ(panel_->OnClick("PROFILE_FUN_SPREAD_BTN"), std::nullopt);  // compared exactly
  EXPECT_FALSE(panel_->IsExpanded());
  EXPECT_EQ(panel_->OnClick("profile_fun_spread_btn"), Follow::kNone);
  EXPECT_FALSE(row->isHidden());

  EXPECT_EQ(panel_->OnClick("macro_btn_name_add"), std::nullopt);
  EXPECT_FALSE(panel_->OnItemSelect("macro_name_list", 0));
}

}  // namespace
}  // namespace zt640
