#include "pages/keyboard/keyboard_page.h"

#include <QStackedWidget>
#include <array>

#include "devices/keyboard/kalvex_keyboard_device.h"
#include "devices/function_switch.h"
#include "devices/keyboard/keyboard_effect_renderer.h"
#include "devices/light_state.h"
#include "profiles/key_display_name.h"
#include "profiles/key_tables.h"
#include "profiles/keyboard_profiledata.h"
#include "pages/device_key_button_ui.h"
#include "ui/key_text.h"
#include "pages/keyboard/keyboard_options_panel.h"
#include "pages/keyboard/keyboard_picture.h"
#include "transport/command_result.h"

namespace zt640 {

namespace {
constexpr char kKeyWriteFailedKey[] = "key_write_failed_text";

/// Whether a key table write (its result) carried every change, the edited
/// key's included, to a connected keyboard. Nothing is written, and so
/// nothing reported, while no keyboard is connected.
bool KeysReachedKeyboard(CKalvexKeyboardDevice& device, int result, int edited_key = -1) {
  if (!device.Channel().is_open()) return true;
  if (result != CommandResult::kSuccess) return false;
  return edited_key < 0 || device.HasDeviceKey(edited_key);
}
}  // namespace

KeyboardPage::KeyboardPage(QWidget* page, CKalvexKeyboardDevice& device, CMpDevicePowerUI* power,
                           ui::PanelPrompts prompts)
    : DevicePage(page, device, DeviceKind::kKeyboard, power, std::move(prompts)), device_(device) {
  options_ = FindPanel<KeyboardOptionsPanel>("options_panel");
  picture_panel_ = FindPanel<CSelectPanelUI>("device_key_light");
  if (picture_panel_) {
    picture_ = std::make_unique<KeyboardPicture>(picture_panel_);
    picture_->SetLightsVisible(true);
  }
  if (light_) light_->SetCustomSlotList(CKalvexKeyboardDevice::kCustomSlots);
}

KeyboardPage::~KeyboardPage() = default;

void KeyboardPage::LoadPanels() {
  if (LoadProfileList(DeviceKind::kKeyboard, "keyboard")) device_.SetProfileName(profiles_->List().GetActiveProfileUuid());
  LoadMacroLibrary("keyboard");
  device_.LoadNameLists();
  if (light_) light_->SetModeList(device_.ModeList(), kHighestLightLevel, kHighestLightLevel);
  device_.InitializeDevice();
  if (key_set_) key_set_->FillMacroList(device_.MacroNames());
  RefreshKeyTexts();
  ShowFunctionSwitch(device_.GetFunctionSwitch());
}

void KeyboardPage::SetDeviceRunner(DeviceRunner runner) { SetRunner<CKalvexKeyboardDevice>(std::move(runner)); }

void KeyboardPage::RunOnKeyboard(std::function<void(CKalvexKeyboardDevice&)> work, std::function<void()> done) {
  RunOn<CKalvexKeyboardDevice>(std::move(work), std::move(done));
}

CBasicProfiledata& KeyboardPage::EditedProfile() { return device_.Profile(); }

void KeyboardPage::OnKeyClick(int key) {
  if (key < 0 || key >= CKalvexKeyboardDevice::kUiKeyCount) return;
  // A profile that cannot be read gives nothing to edit.
  if (device_.Profile().LoadSideProfile(device_.Profile().GetProfilePath()).isNull()) return;
  const int32_t function_switch = device_.GetFunctionSwitch();
  if (function_switch == FunctionSwitch::kKeys) {
    device_.SetSelectedKey(key);
    MarkSelectedKey(key);
    if (key_set_ && static_cast<size_t>(key) < device_.Assignments().size()) {
      key_set_->ShowKey(device_.Assignments()[static_cast<size_t>(key)]);
    }
  } else if (function_switch == FunctionSwitch::kLighting) {
    // The mode is the one the edits queued before leave; the profile keeps the
    // colours once the keyboard has them.
    auto saved = std::make_shared<bool>(true);
    RunOnKeyboard(
        [key, saved](CKalvexKeyboardDevice& keyboard) {
          if (ToKeyboardLightMode(keyboard.GetLightState().mode()) != KeyboardLightMode::kCustom) return;
          if (keyboard.PaintCustomKeys({key}) == CommandResult::kSuccess) *saved = keyboard.SaveProfileData();
        },
        [this, saved] {
          if (!*saved) ShowResult(message_key::kWriteFailed);
        });
  }
}

void KeyboardPage::MarkSelectedKey(int key) {
  if (!picture_) return;
  for (int k = 0; k < KeyboardPicture::kKeyCount; ++k) {
    if (CDeviceKeyButtonUI* button = picture_->Button(k)) button->SetSelected(k == key);
  }
  marked_key_ = key;
}

void KeyboardPage::OnSelectionEnd() {
  if (!picture_) return;
  const std::vector<int> keys = picture_->SelectedKeys();
  if (keys.empty()) return;
  auto saved = std::make_shared<bool>(true);
  RunOnKeyboard(
      [keys, saved](CKalvexKeyboardDevice& keyboard) {
        if (ToKeyboardLightMode(keyboard.GetLightState().mode()) != KeyboardLightMode::kCustom) return;
        if (keyboard.PaintCustomKeys(keys) == CommandResult::kSuccess) *saved = keyboard.SaveProfileData();
      },
      [this, saved] {
        if (!*saved) ShowResult(message_key::kWriteFailed);
      });
}

void KeyboardPage::OnFunctionTab(int function_switch) {
  if (function_switch <= FunctionSwitch::kNone) return;
  device_.SetFunctionSwitch(function_switch);
}

void KeyboardPage::FollowProfilePanel(CDeviceProfileUI::Follow follow) {
  if (follow == CDeviceProfileUI::Follow::kActivateSelected) ActivateSelectedProfile();
  if (follow == CDeviceProfileUI::Follow::kReloadActive) ReloadAfterReset();
}

void KeyboardPage::TakeActiveProfile() {
  if (profiles_) TakeProfile(profiles_->List().GetActiveProfileUuid(), true);
}

void KeyboardPage::TakeProfile(const std::string& uuid, bool write) {
  // The profile's state is taken on the keyboard's worker, after the edits still
  // queued there (they belong to the profile before), and a custom mode reads
  // its colours from the keyboard.
  struct Taken {
    std::vector<KeyListEntry> assignments;
    std::vector<std::string> macro_names;
    MacroWriteResult macros;
    bool keys_reached = true;
  };
  auto taken = std::make_shared<Taken>();
  RunOnKeyboard(
      [uuid, write, taken](CKalvexKeyboardDevice& keyboard) {
        keyboard.SetProfileName(uuid);
        keyboard.LoadProfileState();
        keyboard.DropMissingMacros();
        keyboard.ApplyProfileState();
        if (write) {
          LogIfFailed(keyboard.WriteSettingsRecord(0, 0), "settings record write");
          taken->macros = keyboard.WriteMacros(keyboard.GetMacroUsage());
          taken->keys_reached = KeysReachedKeyboard(keyboard, keyboard.WriteCurrentKeyAssignments(0));
        }
        taken->assignments = keyboard.Assignments();
        taken->macro_names = keyboard.MacroNames();
      },
      [this, taken] {
        ShowMacroResult(taken->macros);
        if (!taken->keys_reached) ShowResult(kKeyWriteFailedKey);
        RefreshKeyTexts(taken->assignments, taken->macro_names);
        if (key_set_ && marked_key_ >= 0 && static_cast<size_t>(marked_key_) < taken->assignments.size()) {
          key_set_->ShowKey(taken->assignments[static_cast<size_t>(marked_key_)]);
        }
      });
}

void KeyboardPage::FollowKeyboardSlot(int slot) {
  if (!profiles_ || slot < 0) return;
  ProfileList& list = profiles_->List();
  if (static_cast<size_t>(slot) >= list.Entries().size()) return;
  if (list.Entries()[static_cast<size_t>(slot)].uuid == list.GetActiveProfileUuid()) return;
  const PanelResult selected = list.SelectProfile(slot);
  if (!selected.done()) {
    ShowResult(selected.message_key);
    return;
  }
  profiles_->Refresh();
  TakeProfile(list.GetActiveProfileUuid(), false);
}

void KeyboardPage::ReloadAfterReset() {
  // The reset profile is read where the keyboard's state is worked on: on its worker.
  auto macro_result = std::make_shared<MacroWriteResult>();
  RunOnKeyboard(
      [macro_result](CKalvexKeyboardDevice& keyboard) {
        keyboard.LoadProfileState();
        keyboard.ApplyProfileState();
        LogIfFailed(keyboard.WriteSettingsRecord(0, 0), "settings record write");
        // The macro result is shown when the reset is done; the rest is logged.
        LogIfFailed(keyboard.ResetKeyboard(macro_result.get()), "keyboard reset");
      },
      [this, macro_result] { ShowMacroResult(*macro_result); });
}

void KeyboardPage::StoreKeySetEntry() {
  const int key = device_.SelectedKey();
  if (key < 0 || static_cast<size_t>(key) >= device_.Assignments().size()) return;
  const KeyAssignment assignment = key_set_->LastEntry().current.assignment;
  // The key changes in the profile and on the keyboard behind the edits still queued.
  struct Stored {
    bool saved = true;
    MacroWriteResult macros;
    bool keys_reached = true;
  };
  auto stored = std::make_shared<Stored>();
  RunOnKeyboard(
      [key, assignment, stored](CKalvexKeyboardDevice& keyboard) {
        keyboard.SetAssignment(key, assignment);
        stored->saved = keyboard.SaveProfileData();
        if (assignment.type == key_type::kMacroPlayMode || assignment.type == key_type::kMacroRepeat) {
          stored->macros = keyboard.WriteMacros(keyboard.GetMacroUsage());
        }
        stored->keys_reached = KeysReachedKeyboard(keyboard, keyboard.WriteCurrentKeyAssignments(0), key);
      },
      [this, stored] {
        if (!stored->saved) ShowResult(message_key::kWriteFailed);
        ShowMacroResult(stored->macros);
        if (!stored->keys_reached) ShowResult(kKeyWriteFailedKey);
      });
}

void KeyboardPage::ApplyMacroChanges(bool active_keys_changed) {
  // The keys' macros change on the keyboard's worker, behind the edits queued there.
  struct Changed {
    std::vector<KeyListEntry> assignments;
    std::vector<std::string> macro_names;
    MacroWriteResult macros;
    bool keys_reached = true;
  };
  auto changed = std::make_shared<Changed>();
  RunOnKeyboard(
      [active_keys_changed, changed](CKalvexKeyboardDevice& keyboard) {
        keyboard.LoadNameLists();
        if (active_keys_changed) {
          keyboard.LoadProfileState();
          keyboard.ApplyProfileState();
          changed->macros = keyboard.WriteMacros(keyboard.GetMacroUsage());
          changed->keys_reached = KeysReachedKeyboard(keyboard, keyboard.WriteCurrentKeyAssignments(0));
        }
        changed->assignments = keyboard.Assignments();
        changed->macro_names = keyboard.MacroNames();
      },
      [this, changed] {
        ShowMacroResult(changed->macros);
        if (!changed->keys_reached) ShowResult(kKeyWriteFailedKey);
        RefreshKeyTexts(changed->assignments, changed->macro_names);
      });
}

void KeyboardPage::OnOptionChanged(const QString& name) {
  if (!options_ || !KeyboardOptionsPanel::IsOptionControl(name)) return;
  const KeyboardOptions options = options_->ReadOptions(device_.Options());
  if (options == device_.Options()) return;
  auto saved = std::make_shared<bool>(true);
  RunOnKeyboard(
      [options, saved](CKalvexKeyboardDevice& keyboard) {
        keyboard.SetOptions(options);
        *saved = keyboard.SaveProfileData();
        LogIfFailed(keyboard.WriteSettingsRecord(0, 0), "settings record write");
      },
      [this, saved] {
        if (!*saved) ShowResult(message_key::kWriteFailed);
      });
}

void KeyboardPage::ResetRepeat() {
  CKeyboardProfiledata defaults;
  (void)defaults.LoadProfile(device_.GetDefaultProfilePath());  // kept inside; read by the getter below
  const KeyboardOptions factory = defaults.GetKeyboardOptions();
  auto saved = std::make_shared<bool>(true);
  RunOnKeyboard(
      [factory, saved](CKalvexKeyboardDevice& keyboard) {
        KeyboardOptions options = keyboard.Options();
        options.repeat = factory.repeat;
        options.repeat_delay = factory.repeat_delay;
        keyboard.SetOptions(options);
        *saved = keyboard.SaveProfileData();
      },
      [this, saved] {
        if (!*saved) ShowResult(message_key::kWriteFailed);
      });
}

void KeyboardPage::FillCustom(bool on) {
  auto saved = std::make_shared<bool>(true);
  RunOnKeyboard(
      [on, saved](CKalvexKeyboardDevice& keyboard) {
        if (keyboard.FillCustomColours(on) == CommandResult::kSuccess) *saved = keyboard.SaveProfileData();
      },
      [this, saved] {
        if (!*saved) ShowResult(message_key::kWriteFailed);
      });
}

void KeyboardPage::RefreshKeyTexts() { RefreshKeyTexts(device_.Assignments(), device_.MacroNames()); }

void KeyboardPage::RefreshKeyTexts(const std::vector<KeyListEntry>& list, const std::vector<std::string>& macro_names) {
  if (!picture_) return;
  // Each key shows the short form of its function's name; the whole name is its tooltip.
  const NameKeyText short_of = [](std::string_view key) { return KeyText::ShortForNameKey(key); };
  const NameKeyText text_of = [](std::string_view key) { return KeyText::ForNameKey(key); };
  for (int key = 0; key < KeyboardPicture::kKeyCount && static_cast<size_t>(key) < list.size(); ++key) {
    const KeyAssignment& assignment = list[static_cast<size_t>(key)].current.assignment;
    const std::optional<std::string> caption =
        KeyDisplayName::Text(assignment, KeyPanelKind::Keyboard, macro_names, short_of);
    if (!caption) continue;
    const std::optional<std::string> full = KeyDisplayName::Text(assignment, KeyPanelKind::Keyboard, macro_names, text_of);
    picture_->SetKeyText(key, QString::fromStdString(*caption), QString::fromStdString(full.value_or(*caption)));
  }
}

void KeyboardPage::ShowKeysPresent() {
  if (!picture_) return;
  // The key match belongs to the keyboard's worker; it is read there.
  auto present = std::make_shared<std::vector<bool>>();
  RunOnKeyboard(
      [present](CKalvexKeyboardDevice& keyboard) {
        // Before a keyboard has been matched every key is shown.
        if (!keyboard.Channel().is_open() || keyboard.MatchedKeyCount() == 0) return;
        present->resize(CKalvexKeyboardDevice::kUiKeyCount);
        for (int key = 0; key < CKalvexKeyboardDevice::kUiKeyCount; ++key) {
          (*present)[static_cast<size_t>(key)] = keyboard.HasDeviceKey(key);
        }
      },
      [this, present] {
        if (picture_) picture_->SetKeysPresent(*present);
      });
}

void KeyboardPage::ShowKeyLight(unsigned ui_key, const ZoneColour& colour) {
  if (picture_) picture_->StoreKeyColour(ui_key, colour.red, colour.green, colour.blue, colour.brightness);
}

void KeyboardPage::KeyLightsShown() {
  if (picture_) (void)picture_->ShowStoredColoursNow();
}

void KeyboardPage::ShowKeyText(unsigned ui_key, const std::string& text) {
  if (picture_) picture_->SetKeyText(static_cast<int>(ui_key), QString::fromStdString(text));
}

void KeyboardPage::ShowKeyEnabled(unsigned ui_key, bool enabled) {
  if (picture_) picture_->SetKeyEnabled(static_cast<int>(ui_key), enabled);
}

void KeyboardPage::ShowFunctionSwitch(int32_t value) {
  if (function_pages_ && value >= 1 && value <= function_pages_->count()) function_pages_->setCurrentIndex(value - 1);
  static constexpr std::array<const char*, 4> kTabs = {"deng_Op_tab", "key_Op_tab", "macro_Op_tab", "system_Op_tab"};
  if (value >= 1 && value <= static_cast<int32_t>(kTabs.size())) CheckTab(kTabs[static_cast<size_t>(value - 1)]);
  // The key being edited stays marked only while the key assignment page is shown.
  if (CDeviceKeyButtonUI* marked = picture_ ? picture_->Button(marked_key_) : nullptr) {
    marked->SetSelected(value == FunctionSwitch::kKeys);
  }
}

void KeyboardPage::ShowLightState(const LightEffect&) { ShowLightPanel(); }

void KeyboardPage::ApplyLightEdits(const std::vector<CLightControlUI::ByteEdit>& edits) {
  // The whole edit runs on the keyboard's worker: a new mode may read the keyboard
  // (custom colours), a new slot does, and the profile keeps what the keyboard gave.
  // The bytes apply to the state the earlier edits left, so none of them is lost.
  auto saved = std::make_shared<bool>(true);
  RunOnKeyboard(
      [edits, saved](CKalvexKeyboardDevice& keyboard) {
        LightState state = keyboard.GetLightState();
        const bool slot_changed = ApplyByteEdits(state, edits);
        keyboard.SetLightState(state.Words());
        if (slot_changed) {
          // The slot's colours come from the keyboard and go back to it whole.
          LogIfFailed(keyboard.SetCustomSlot(state.bytes[LightState::kCustomSlot]), "custom slot change");
          LogIfFailed(keyboard.SaveCustomColours(), "custom colours write");
        }
        *saved = keyboard.SaveProfileData();
        LogIfFailed(keyboard.WriteSettingsRecord(0, 0), "settings record write");
      },
      [this, saved] {
        if (!*saved) ShowResult(message_key::kWriteFailed);
        ShowLightPanel();
      });
}

void KeyboardPage::ShowOptions(const KeyboardOptions& options) {
  if (options_) options_->ShowOptions(options);
}

void KeyboardPage::ShowKeyAssignments() {
  RefreshKeyTexts();
  ShowKeysPresent();
  if (key_set_) key_set_->FillMacroList(device_.MacroNames());
}

}  // namespace zt640
