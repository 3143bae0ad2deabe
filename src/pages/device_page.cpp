#include "pages/device_page.h"

#include <QAbstractButton>
#include <QSignalBlocker>
#include <QStackedWidget>

#include "devices/kalvex_usb_device.h"
#include "pages/mp_device_power_ui.h"
#include "platform/diag/debug_output.h"
#include "profiles/basic_profiledata.h"
#include "transport/command_result.h"
#include "ui/key_text.h"

namespace zt640 {

namespace {
constexpr char kMacroFailedKey[] = "message_text_7";
constexpr char kMacroTooLongKey[] = "message_text_16";
constexpr char kPaletteFile[] = "color_option_info.config";
}  // namespace

DevicePage::DevicePage(QWidget* page, CKalvexUSBDevice& device, DeviceKind kind, CMpDevicePowerUI* power,
                       ui::PanelPrompts prompts)
    : page_(page), power_(power), prompts_(std::move(prompts)), usb_device_(device) {
  profiles_ = FindPanel<CDeviceProfileUI>("device_profile");
  key_set_ = FindPanel<CKeySetControlUI>("keyset_panel");
  macros_ = FindPanel<CMacroControlUI>("macro_panel");
  light_ = FindPanel<CLightControlUI>("light_panel");
  function_pages_ = page != nullptr ? page->findChild<QStackedWidget*>(QStringLiteral("device_function_switch")) : nullptr;
  if (profiles_) profiles_->SetPrompts(prompts_);
  if (macros_) macros_->SetPrompts(prompts_);
  if (key_set_) {
    key_set_->SetDeviceKind(kind);
    connect(key_set_, &CKeySetControlUI::KeyCaptured, this,
            // False for a key the editor does not know; a failed store is shown inside.
            [this](std::uint8_t scan_code, bool extended) { (void)OnKeyCapture(scan_code, extended); });
  }
  if (light_) light_->SetDeviceKind(kind);
}

DevicePage::~DevicePage() = default;

bool DevicePage::LoadProfileList(DeviceKind kind, const std::string& what) {
  const std::string folder = usb_device_.GetDataFolder();
  if (!profiles_ || folder.empty()) return false;
  const PanelResult loaded = profiles_->Load(kind, folder, usb_device_.GetDefaultProfilePath());
  if (!loaded.done()) platform::DebugOutput(what + " profile list: " + loaded.reason_key);
  return true;
}

void DevicePage::LoadMacroLibrary(const std::string& what) {
  const std::string folder = usb_device_.GetDataFolder();
  if (!macros_ || folder.empty()) return;
  const PanelResult loaded = macros_->Load(folder);
  if (!loaded.done()) platform::DebugOutput(what + " macro library: " + loaded.reason_key);
}

void DevicePage::RunOnDevice(std::function<void(CKalvexUSBDevice&)> work, std::function<void()> done) {
  if (!runner_) {
    work(usb_device_);
    if (done) done();
    return;
  }
  // The page may be gone by the time the worker's task has run.
  runner_(std::move(work), [page = QPointer<DevicePage>(this), done = std::move(done)] {
    if (page && done) done();
  });
}

// The boxes below only have an OK button: how they were closed carries nothing.
void DevicePage::ShowResult(const std::string& message_key) {
  if (!message_key.empty()) (void)prompts_.Message(QString::fromStdString(message_key), 0);
}

void DevicePage::ShowMacroResult(const MacroWriteResult& result) {
  ShowAreaResult(result, kMacroFailedKey, kMacroTooLongKey);
}

void DevicePage::ShowAreaResult(const MacroWriteResult& result, const char* failed_key, const char* too_long_key) {
  if (result.outcome == MacroWriteResult::Outcome::kFailed) {
    ShowResult(failed_key);
  } else if (result.outcome == MacroWriteResult::Outcome::kTooLong) {
    const QString format = KeyText::Language(QString::fromLatin1(too_long_key));
    (void)prompts_.Message(QString(format).replace(QStringLiteral("%d"), QString::number(result.overflow)), 0);
  }
}

void DevicePage::LogIfFailed(int result, const char* what) {
  if (result != CommandResult::kSuccess) platform::DebugOutput(std::string(what) + " failed: " + std::to_string(result));
}

bool DevicePage::OnProfileClick(const QString& name) {
  if (!profiles_) return false;
  const std::optional<CDeviceProfileUI::Follow> follow = profiles_->OnClick(name);
  if (!follow) return false;
  FollowProfilePanel(*follow);
  return true;
}

bool DevicePage::OnProfileItemSelect(const QString& name, int index) {
  return profiles_ && profiles_->OnItemSelect(name, index);
}

void DevicePage::ActivateSelectedProfile() {
  if (!profiles_) return;
  ProfileList& list = profiles_->List();
  const PanelResult selected = list.SelectProfile(list.GetSelectedProfile());
  if (!selected.done()) ShowResult(selected.message_key);
  profiles_->Refresh();
  TakeActiveProfile();
}

void DevicePage::ResetSelectedProfile() {
  if (!profiles_) return;
  const PanelResult reset = profiles_->List().ResetProfile();
  if (!reset.done()) {
    ShowResult(reset.message_key);
    return;
  }
  ReloadAfterReset();
}

bool DevicePage::TakeKeySetAction(const std::optional<CKeySetControlUI::Action>& action) {
  if (!action) return false;
  if (*action != CKeySetControlUI::Action::kNone) StoreKeySetEntry();
  return true;
}

bool DevicePage::OnKeySetClick(const QString& name) { return key_set_ && TakeKeySetAction(key_set_->OnClick(name)); }

bool DevicePage::OnKeySetItemSelect(const QString& name, int index) {
  return key_set_ && TakeKeySetAction(key_set_->OnItemSelect(name, index));
}

bool DevicePage::OnKeySetSelectChanged(const QString& name, bool checked) {
  return key_set_ && TakeKeySetAction(key_set_->OnSelectChanged(name, checked));
}

bool DevicePage::OnKeySetKillFocus(const QString& name) {
  return key_set_ && TakeKeySetAction(key_set_->OnKillFocus(name));
}

bool DevicePage::OnKeyCapture(std::uint8_t scan_code, bool extended) {
  if (!key_set_) return false;
  const std::optional<CKeySetControlUI::Action> action = key_set_->CaptureKey(scan_code, extended);
  if (!action || *action == CKeySetControlUI::Action::kNone) return false;
  StoreKeySetEntry();
  return true;
}

bool DevicePage::OnMacroClick(const QString& name) {
  if (!macros_) return false;
  std::optional<CMacroControlUI::ClickOutcome> outcome;
  if (profiles_) {
    outcome = macros_->OnClick(name, profiles_->List(), EditedProfile());
  } else {
    const ProfileList none;
    outcome = macros_->OnClick(name, none, EditedProfile());
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

bool DevicePage::OnMacroItemSelect(const QString& name, int index) {
  return macros_ && macros_->OnItemSelect(name, index);
}

bool DevicePage::OnMacroKillFocus(const QString& name) { return macros_ && macros_->OnKillFocus(name); }

void DevicePage::ShowLightPanel() {
  if (light_) light_->SetLightInfo(usb_device_.GetLightState().Words());
}

void DevicePage::SetSameModeAllowed(bool allowed) {
  if (!light_) return;
  light_->SetSameModeAllowed(allowed);
  ShowLightPanel();
}

bool DevicePage::OnLightNotify(const QString& kind, const QString& name, qint64 wparam) {
  if (!light_) return false;
  const std::optional<std::vector<CLightControlUI::ByteEdit>> edits = light_->OnNotify(kind, name, wparam);
  if (!edits) return false;
  if (!edits->empty()) ApplyLightEdits(*edits);
  return true;
}

bool DevicePage::ApplyByteEdits(LightState& state, const std::vector<CLightControlUI::ByteEdit>& edits) {
  bool slot_changed = false;
  for (const CLightControlUI::ByteEdit& edit : edits) {
    if (edit.byte < 0 || static_cast<size_t>(edit.byte) >= LightState::kSize) continue;
    slot_changed |=
        edit.byte == static_cast<int>(LightState::kCustomSlot) && state.bytes[LightState::kCustomSlot] != edit.value;
    state.bytes[static_cast<size_t>(edit.byte)] = edit.value;
  }
  return slot_changed;
}

void DevicePage::PickLightColour() {
  if (!prompts_.colour) return;
  const LightState state = usb_device_.GetLightState();
  const QRgb initial = qRgb(state.bytes[LightState::kRed], state.bytes[LightState::kGreen], state.bytes[LightState::kBlue]);
  QRgb chosen = initial;
  bool multicolour = false;
  const bool offer_multicolour = light_ && light_->CurrentLayout().multicolour;
  if (!AskColour(initial, offer_multicolour, &chosen, &multicolour)) return;
  std::vector<CLightControlUI::ByteEdit> edits = {
      {static_cast<int>(LightState::kRed), static_cast<uint8_t>(qRed(chosen))},
      {static_cast<int>(LightState::kGreen), static_cast<uint8_t>(qGreen(chosen))},
      {static_cast<int>(LightState::kBlue), static_cast<uint8_t>(qBlue(chosen))},
  };
  if (offer_multicolour) edits.push_back({static_cast<int>(LightState::kMulticolour), static_cast<uint8_t>(multicolour ? 1 : 0)});
  ApplyLightEdits(edits);
}

bool DevicePage::AskColour(QRgb initial, bool offer_multicolour, QRgb* chosen, bool* multicolour) {
  if (!prompts_.colour) return false;
  const std::string file = kPaletteFile;
  return prompts_.colour(initial, offer_multicolour, usb_device_.GetDataFolder() + file,
                         usb_device_.GetDefaultsFolder() + file, chosen, multicolour) == 1;
}

void DevicePage::CheckTab(const char* name) const {
  if (!page_) return;
  if (auto* tab = page_->findChild<QAbstractButton*>(QString::fromLatin1(name))) {
    const QSignalBlocker quiet(tab);
    tab->setChecked(true);
  }
}

void DevicePage::ShowPower(const PowerRecord& record) {
  if (power_) power_->ShowPowerStatus(record);
}

void DevicePage::ShowAudioLight(const AudioLightSetting& setting) {
  if (light_) light_->SetAudioLightInfo(setting);
}

bool DevicePage::OnAudioLightNotify(const QString& kind, const QString& name, qint64 wparam) {
  if (!light_) return false;
  const std::optional<AudioLightSetting> edited =
      light_->OnAudioNotify(kind, name, wparam, usb_device_.GetAudioLightInfo());
  if (!edited) return false;
  light_->SetAudioLightInfo(*edited);
  // The audio modes are rendered here and streamed, so the device itself needs no
  // write: the setting goes to the renderer and the profile. The profile is not read
  // back, which would turn a background choice into a bar colour choice again.
  RunOnDevice(
      [setting = *edited](CKalvexUSBDevice& device) {
        device.SetAudioLightInfo(setting);
        if (!device.SaveProfileData()) platform::DebugOutput("audio light setting not saved");
      },
      {});
  return true;
}

void DevicePage::ShowCustomSlot(int) { ShowLightPanel(); }

void DevicePage::PostToMainWindow(uint32_t message, uintptr_t wparam, intptr_t lparam) {
  if (post_) post_(message, wparam, lparam);
}

}  // namespace zt640
