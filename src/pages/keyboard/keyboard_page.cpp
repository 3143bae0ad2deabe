#include "pages/keyboard/keyboard_page.h"

#include <QAbstractButton>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <array>
#include <QWidget>

#include "devices/keyboard/kalvex_keyboard_device.h"
#include "devices/function_switch.h"
#include "devices/keyboard/keyboard_effect_renderer.h"
#include "devices/light_state.h"
#include "editors/key_set_control_ui.h"
#include "editors/macro_control_ui.h"
#include "platform/diag/debug_output.h"
#include "profiles/key_display_name.h"
#include "profiles/key_tables.h"
#include "profiles/keyboard_profiledata.h"
#include "pages/device_key_button_ui.h"
#include "editors/device_profile_ui.h"
#include "ui/key_text.h"
#include "pages/keyboard/keyboard_options_panel.h"
#include "pages/keyboard/keyboard_picture.h"
#include "pages/mp_device_power_ui.h"
#include "pages/select_panel_ui.h"
#include "transport/command_result.h"

namespace zt640 {

namespace {
constexpr char kMacroFailedKey[] = "message_text_7";
constexpr char kMacroTooLongKey[] = "message_text_16";
constexpr char kKeyWriteFailedKey[] = "key_write_failed_text";
/// Brightness and speed levels run from 0 to this on the keyboard.
constexpr int kHighestLevel = 4;

/// Whether a key table write (its result) carried every change, the edited
/// key's included, to a connected keyboard. Nothing is written, and so
/// nothing reported, while no keyboard is connected.
bool KeysReachedKeyboard(CKalvexKeyboardDevice& device, int result, int edited_key = -1) {
  if (!device.Channel().is_open()) return true;
  if (result != CommandResult::kSuccess) return false;
  return edited_key < 0 || device.HasDeviceKey(edited_key);
}

/// Logs a keyboard exchange that did not succeed. Edits go on after one: the
/// keyboard's selector entry shows a keyboard that stops answering.
void LogIfFailed(int result, const char* what) {
  if (result != CommandResult::kSuccess) platform::DebugOutput(std::string(what) + " failed: " + std::to_string(result));
}

template <typename T>
T* FindPanel(QWidget* page, const char* name) {
  if (page == nullptr) return nullptr;
  if (auto* found = page->findChild<T*>(QString::fromLatin1(name))) return found;
  return page->findChild<T*>();
}
}  // namespace

KeyboardPage::KeyboardPage(QWidget* page, CKalvexKeyboardDevice& device, CMpDevicePowerUI* power,
                           ui::PanelPrompts prompts)
    : page_(page), device_(device), power_(power), prompts_(std::move(prompts)) {
  profiles_ = FindPanel<CDeviceProfileUI>(page, "device_profile");
  key_set_ = FindPanel<CKeySetControlUI>(page, "keyset_panel");
  macros_ = FindPanel<CMacroControlUI>(page, "macro_panel");
  options_ = FindPanel<KeyboardOptionsPanel>(page, "options_panel");
  light_ = FindPanel<CLightControlUI>(page, "light_panel");
  function_pages_ = page != nullptr ? page->findChild<QStackedWidget*>(QStringLiteral("device_function_switch")) : nullptr;
  picture_panel_ = FindPanel<CSelectPanelUI>(page, "device_key_light");
  if (picture_panel_) {
    picture_ = std::make_unique<KeyboardPicture>(picture_panel_);
    picture_->SetLightsVisible(true);
  }
  if (profiles_) profiles_->SetPrompts(prompts_);
  if (macros_) macros_->SetPrompts(prompts_);
  if (key_set_) {
    key_set_->SetDeviceKind(DeviceKind::kKeyboard);
    connect(key_set_, &CKeySetControlUI::KeyCaptured, this,
            // False for a key the editor does not know; a failed store is shown inside.
            [this](std::uint8_t scan_code, bool extended) { (void)OnKeyCapture(scan_code, extended); });
  }
  if (light_) {
    light_->SetDeviceKind(DeviceKind::kKeyboard);
    light_->SetCustomSlotList(CKalvexKeyboardDevice::kCustomSlots);
  }
}

KeyboardPage::~KeyboardPage() = default;

void KeyboardPage::LoadPanels() {
  const std::string folder = device_.GetDataFolder();
  if (profiles_ && !folder.empty()) {
    const PanelResult loaded = profiles_->Load(DeviceKind::kKeyboard, folder, device_.GetDefaultProfilePath());
    if (!loaded.done()) platform::DebugOutput("keyboard profile list: " + loaded.reason_key);
    device_.SetProfileName(profiles_->List().GetActiveProfileUuid());
  }
  if (macros_ && !folder.empty()) {
    const PanelResult loaded = macros_->Load(folder);
    if (!loaded.done()) platform::DebugOutput("keyboard macro library: " + loaded.reason_key);
  }
  device_.LoadNameLists();
  if (light_) light_->SetModeList(device_.ModeList(), kHighestLevel, kHighestLevel);
  device_.InitializeDevice();
  if (key_set_) key_set_->FillMacroList(device_.MacroNames());
  RefreshKeyTexts();
  ShowFunctionSwitch(device_.GetFunctionSwitch());
}

// The boxes below only have an OK button: how they were closed carries nothing.
void KeyboardPage::ShowResult(const std::string& message_key) {
  if (!message_key.empty()) (void)prompts_.Message(QString::fromStdString(message_key), 0);
}

void KeyboardPage::ShowMacroResult(const MacroWriteResult& result) {
  if (result.outcome == MacroWriteResult::Outcome::kFailed) {
    (void)prompts_.Message(QString::fromLatin1(kMacroFailedKey), 0);
  } else if (result.outcome == MacroWriteResult::Outcome::kTooLong) {
    const QString format = KeyText::Language(QString::fromLatin1(kMacroTooLongKey));
    (void)prompts_.Message(QString(format).replace(QStringLiteral("%d"), QString::number(result.overflow)), 0);
  }
}

void KeyboardPage::RunOnKeyboard(std::function<void(CKalvexKeyboardDevice&)> work, std::function<void()> done) {
  if (!runner_) {
    work(device_);
    if (done) done();
    return;
  }
  // The page may be gone by the time the worker's task has run.
  runner_(std::move(work), [page = QPointer<KeyboardPage>(this), done = std::move(done)] {
    if (page && done) done();
  });
}

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

bool KeyboardPage::OnProfileClick(const QString& name) {
  if (!profiles_) return false;
  const std::optional<CDeviceProfileUI::Follow> follow = profiles_->OnClick(name);
  if (!follow) return false;
  if (*follow == CDeviceProfileUI::Follow::kActivateSelected) ActivateSelectedProfile();
  if (*follow == CDeviceProfileUI::Follow::kReloadActive) ReloadAfterReset();
  return true;
}

bool KeyboardPage::OnProfileItemSelect(const QString& name, int index) {
  return profiles_ && profiles_->OnItemSelect(name, index);
}

void KeyboardPage::ActivateSelectedProfile() {
  if (!profiles_) return;
  ProfileList& list = profiles_->List();
  const PanelResult selected = list.SelectProfile(list.GetSelectedProfile());
  if (!selected.done()) ShowResult(selected.message_key);
  profiles_->Refresh();
  TakeProfile(list.GetActiveProfileUuid(), true);
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

void KeyboardPage::ResetSelectedProfile() {
  if (!profiles_) return;
  const PanelResult reset = profiles_->List().ResetProfile();
  if (!reset.done()) {
    ShowResult(reset.message_key);
    return;
  }
  ReloadAfterReset();
}

bool KeyboardPage::OnKeySetClick(const QString& name) {
  if (!key_set_) return false;
  const std::optional<CKeySetControlUI::Action> action = key_set_->OnClick(name);
  if (!action) return false;
  if (*action != CKeySetControlUI::Action::kNone) StoreKeySetEntry();
  return true;
}

bool KeyboardPage::OnKeyCapture(std::uint8_t scan_code, bool extended) {
  if (!key_set_) return false;
  const std::optional<CKeySetControlUI::Action> action = key_set_->CaptureKey(scan_code, extended);
  if (!action || *action == CKeySetControlUI::Action::kNone) return false;
  StoreKeySetEntry();
  return true;
}

bool KeyboardPage::OnKeySetItemSelect(const QString& name, int index) {
  if (!key_set_) return false;
  const std::optional<CKeySetControlUI::Action> action = key_set_->OnItemSelect(name, index);
  if (!action) return false;
  if (*action != CKeySetControlUI::Action::kNone) StoreKeySetEntry();
  return true;
}

bool KeyboardPage::OnKeySetSelectChanged(const QString& name, bool checked) {
  if (!key_set_) return false;
  const std::optional<CKeySetControlUI::Action> action = key_set_->OnSelectChanged(name, checked);
  if (!action) return false;
  if (*action != CKeySetControlUI::Action::kNone) StoreKeySetEntry();
  return true;
}

bool KeyboardPage::OnKeySetKillFocus(const QString& name) {
  if (!key_set_) return false;
  const std::optional<CKeySetControlUI::Action> action = key_set_->OnKillFocus(name);
  if (!action) return false;
  if (*action != CKeySetControlUI::Action::kNone) StoreKeySetEntry();
  return true;
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

bool KeyboardPage::OnMacroClick(const QString& name) {
  if (!macros_) return false;
  std::optional<CMacroControlUI::ClickOutcome> outcome;
  if (profiles_) {
    outcome = macros_->OnClick(name, profiles_->List(), device_.Profile());
  } else {
    const ProfileList none;
    outcome = macros_->OnClick(name, none, device_.Profile());
  }
  if (!outcome) return false;
  if (key_set_) {
    for (const CMacroControlUI::LibraryChange& change : outcome->changes) {
      switch (change.kind) {
        case CMacroControlUI::LibraryChange::kAdded:
          key_set_->AppendMacro(change.name);
          break;
        case CMacroControlUI::LibraryChange::kRenamed:
          // False only for a position the list lacks: it then stays as it is.
          (void)key_set_->RenameMacro(static_cast<size_t>(change.position), change.name);
          break;
        case CMacroControlUI::LibraryChange::kDeleted:
          key_set_->RemoveMacro(static_cast<size_t>(change.position));
          break;
      }
    }
  }
  ApplyMacroChanges(outcome->active_keys_changed);
  return true;
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

bool KeyboardPage::OnMacroItemSelect(const QString& name, int index) {
  return macros_ && macros_->OnItemSelect(name, index);
}

bool KeyboardPage::OnMacroKillFocus(const QString& name) { return macros_ && macros_->OnKillFocus(name); }

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
  const NameKeyText text_of = [](std::string_view key) { return KeyText::ForNameKey(key); };
  for (int key = 0; key < KeyboardPicture::kKeyCount && static_cast<size_t>(key) < list.size(); ++key) {
    const std::optional<std::string> text =
        KeyDisplayName::Text(list[static_cast<size_t>(key)].current.assignment, KeyPanelKind::Keyboard, macro_names, text_of);
    if (text) picture_->SetKeyText(key, QString::fromStdString(*text));
  }
}

void KeyboardPage::ShowKeyLight(unsigned ui_key, const ZoneColour& colour) {
  if (picture_) picture_->StoreKeyColour(ui_key, colour.red, colour.green, colour.blue, colour.brightness);
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
  if (page_ && value >= 1 && value <= static_cast<int32_t>(kTabs.size())) {
    if (auto* tab = page_->findChild<QAbstractButton*>(QString::fromLatin1(kTabs[static_cast<size_t>(value - 1)]))) {
      const QSignalBlocker quiet(tab);
      tab->setChecked(true);
    }
  }
  // The key being edited stays marked only while the key assignment page is shown.
  if (CDeviceKeyButtonUI* marked = picture_ ? picture_->Button(marked_key_) : nullptr) {
    marked->SetSelected(value == FunctionSwitch::kKeys);
  }
}

void KeyboardPage::ShowPower(const PowerRecord& record) {
  if (power_) power_->ShowPowerStatus(record);
}

void KeyboardPage::ShowLightState(const LightEffect&) { ShowLightPanel(); }

void KeyboardPage::ShowLightPanel() {
  if (light_) light_->SetLightInfo(device_.GetLightState().Words());
}

void KeyboardPage::SetSameModeAllowed(bool allowed) {
  if (!light_) return;
  light_->SetSameModeAllowed(allowed);
  ShowLightPanel();
}

bool KeyboardPage::OnLightNotify(const QString& kind, const QString& name, qint64 wparam) {
  if (!light_) return false;
  const std::optional<std::vector<CLightControlUI::ByteEdit>> edits = light_->OnNotify(kind, name, wparam);
  if (!edits) return false;
  if (!edits->empty()) ApplyLightEdits(*edits);
  return true;
}

void KeyboardPage::ApplyLightEdits(const std::vector<CLightControlUI::ByteEdit>& edits) {
  // The whole edit runs on the keyboard's worker: a new mode may read the keyboard
  // (custom colours), a new slot does, and the profile keeps what the keyboard gave.
  // The bytes apply to the state the earlier edits left, so none of them is lost.
  auto saved = std::make_shared<bool>(true);
  RunOnKeyboard(
      [edits, saved](CKalvexKeyboardDevice& keyboard) {
        LightState state = keyboard.GetLightState();
        bool slot_changed = false;
        for (const CLightControlUI::ByteEdit& edit : edits) {
          if (edit.byte < 0 || static_cast<size_t>(edit.byte) >= LightState::kSize) continue;
          slot_changed |= edit.byte == static_cast<int>(LightState::kCustomSlot) &&
                          state.bytes[LightState::kCustomSlot] != edit.value;
          state.bytes[static_cast<size_t>(edit.byte)] = edit.value;
        }
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

void KeyboardPage::PickLightColour() {
  if (!prompts_.colour) return;
  const LightState state = device_.GetLightState();
  const QRgb initial = qRgb(state.bytes[LightState::kRed], state.bytes[LightState::kGreen], state.bytes[LightState::kBlue]);
  const std::string file = "color_option_info.config";
  QRgb chosen = initial;
  bool multicolour = false;
  const bool offer_multicolour = light_ && light_->CurrentLayout().multicolour;
  if (prompts_.colour(initial, offer_multicolour, device_.GetDataFolder() + file, device_.GetDefaultsFolder() + file,
                      &chosen, &multicolour) != 1) {
    return;
  }
  std::vector<CLightControlUI::ByteEdit> edits = {
      {static_cast<int>(LightState::kRed), static_cast<uint8_t>(qRed(chosen))},
      {static_cast<int>(LightState::kGreen), static_cast<uint8_t>(qGreen(chosen))},
      {static_cast<int>(LightState::kBlue), static_cast<uint8_t>(qBlue(chosen))},
  };
  if (offer_multicolour) edits.push_back({static_cast<int>(LightState::kMulticolour), static_cast<uint8_t>(multicolour ? 1 : 0)});
  ApplyLightEdits(edits);
}

void KeyboardPage::ShowAudioLight(const AudioLightSetting&) {}

void KeyboardPage::ShowCustomSlot(int) { ShowLightPanel(); }

void KeyboardPage::ShowOptions(const KeyboardOptions& options) {
  if (options_) options_->ShowOptions(options);
}

void KeyboardPage::ShowKeyAssignments() {
  RefreshKeyTexts();
  if (key_set_) key_set_->FillMacroList(device_.MacroNames());
}

void KeyboardPage::PostToMainWindow(uint32_t message, uintptr_t wparam, intptr_t lparam) {
  if (post_) post_(message, wparam, lparam);
}

}  // namespace zt640
