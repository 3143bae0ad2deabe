#include "pages/mouse/mouse_page.h"

#include <QAbstractButton>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QWidget>
#include <algorithm>

#include "devices/function_switch.h"
#include "devices/light_state.h"
#include "devices/mouse/kalvex_mouse_device.h"
#include "pages/mouse/mouse_picture.h"
#include "pages/mp_device_power_ui.h"
#include "platform/diag/debug_output.h"
#include "profiles/key_display_name.h"
#include "profiles/key_tables.h"
#include "transport/command_result.h"
#include "ui/key_text.h"

namespace zt640 {

namespace {
constexpr char kMacroFailedKey[] = "message_text_7";
constexpr char kMacroTooLongKey[] = "message_text_16";
constexpr char kOnlyLeftButtonKey[] = "message_text_6";
constexpr char kKeyWriteFailedKey[] = "mouse_key_write_failed_text";
constexpr char kShootWriteFailedKey[] = "shoot_write_failed_text";
constexpr char kShootTooLongKey[] = "shoot_too_long_text";
/// Brightness and speed levels run from 0 to this on the mouse.
constexpr int kHighestLevel = 4;
/// The function tabs in the order of the page's function stack.
constexpr std::array<const char*, 5> kTabs = {"deng_Op_tab", "key_Op_tab", "macro_Op_tab", "system_Op_tab",
                                              "cursor_Op_tab"};
constexpr KeyAssignment kLeftClick{0x10, 0x01, 0x00};
static_assert(MousePage::kButtonCount == MousePicture::kButtonCount);
static_assert(MousePage::kButtonCount == MouseButtonMap::kButtonCount);

/// Logs a device write that did not succeed (1, as CommandResult::kSuccess, is success
/// for the exchanges and for the device object's writes alike). Edits go on after one.
void LogIfFailed(int result, const char* what) {
  if (result != CommandResult::kSuccess) platform::DebugOutput(std::string(what) + " failed: " + std::to_string(result));
}

template <typename T>
T* FindPanel(QWidget* page, const char* name) {
  if (page == nullptr) return nullptr;
  if (auto* found = page->findChild<T*>(QString::fromLatin1(name))) return found;
  return page->findChild<T*>();
}

/// The index of "<prefix><n>", -1 when `name` is no such name.
int IndexOf(const QString& name, const char* prefix) {
  const QString start = QString::fromLatin1(prefix);
  if (!name.startsWith(start)) return -1;
  bool number = false;
  const int index = name.mid(start.size()).toInt(&number);
  return number ? index : -1;
}

/// Which of the mouse's buttons it has: every one until the key table was read.
std::array<bool, MousePage::kButtonCount> PresentButtons(const CKalvexMouseDevice& device) {
  std::array<bool, MousePage::kButtonCount> present{};
  bool any = false;
  for (size_t button = 0; button < present.size(); ++button) {
    present[button] = device.ButtonMap().Has(button);
    any |= present[button];
  }
  if (!any) present.fill(true);
  return present;
}

bool IsMacroType(uint8_t type) { return type == key_type::kMacroPlayMode || type == key_type::kMacroRepeat; }

}  // namespace

MousePage::MousePage(QWidget* page, CKalvexMouseDevice& device, CMpDevicePowerUI* power, ui::PanelPrompts prompts)
    : page_(page), device_(device), power_(power), prompts_(std::move(prompts)) {
  profiles_ = FindPanel<CDeviceProfileUI>(page, "device_profile");
  key_set_ = FindPanel<CKeySetControlUI>(page, "keyset_panel");
  macros_ = FindPanel<CMacroControlUI>(page, "macro_panel");
  light_ = FindPanel<CLightControlUI>(page, "light_panel");
  options_ = FindPanel<MouseOptionsPanel>(page, "options_panel");
  shoot_ = FindPanel<CShootControlUI>(page, "shoot_panel");
  function_pages_ = page != nullptr ? page->findChild<QStackedWidget*>(QStringLiteral("device_function_switch")) : nullptr;
  picture_panel_ = FindPanel<CSelectPanelUI>(page, "mouse_device_key_light");
  if (picture_panel_) picture_ = std::make_unique<MousePicture>(picture_panel_, device_.CatalogueEntry().light_count);
  if (profiles_) profiles_->SetPrompts(prompts_);
  if (macros_) macros_->SetPrompts(prompts_);
  if (shoot_) shoot_->SetPrompts(prompts_);
  if (key_set_) {
    key_set_->SetDeviceKind(DeviceKind::kMouse);
    connect(key_set_, &CKeySetControlUI::KeyCaptured, this,
            // False for a key the editor does not know; a failed store is shown inside.
            [this](std::uint8_t scan_code, bool extended) { (void)OnKeyCapture(scan_code, extended); });
  }
  if (light_) light_->SetDeviceKind(DeviceKind::kMouse);
}

MousePage::~MousePage() = default;

void MousePage::LoadPanels() {
  const std::string folder = device_.GetDataFolder();
  if (profiles_ && !folder.empty()) {
    const PanelResult loaded = profiles_->Load(DeviceKind::kMouse, folder, device_.GetDefaultProfilePath());
    if (!loaded.done()) platform::DebugOutput("mouse profile list: " + loaded.reason_key);
    device_.SetProfileName(profiles_->List().GetActiveProfileUuid());
  }
  if (macros_ && !folder.empty()) {
    const PanelResult loaded = macros_->Load(folder);
    if (!loaded.done()) platform::DebugOutput("mouse macro library: " + loaded.reason_key);
  }
  if (shoot_ && !folder.empty()) {
    const PanelResult loaded = shoot_->Load(folder, device_.GetDefaultsFolder());
    if (!loaded.done()) platform::DebugOutput("mouse gun files: " + loaded.reason_key);
  }
  device_.LoadNameLists();
  if (light_) light_->SetModeList(device_.ModeList(), kHighestLevel, kHighestLevel);
  device_.InitializeDevice();
  if (key_set_) key_set_->FillMacroList(device_.MacroNames());
  ShowLightPanel();
  ShowMouseState();
  ShowFunctionSwitch(device_.GetFunctionSwitch());
}

void MousePage::ShowResult(const std::string& message_key) {
  if (!message_key.empty()) (void)prompts_.Message(QString::fromStdString(message_key), 0);  // OK only
}

void MousePage::ShowMacroResult(const MacroWriteResult& result) {
  if (result.outcome == MacroWriteResult::Outcome::kFailed) {
    ShowResult(kMacroFailedKey);
  } else if (result.outcome == MacroWriteResult::Outcome::kTooLong) {
    const QString format = KeyText::Language(QString::fromLatin1(kMacroTooLongKey));
    (void)prompts_.Message(QString(format).replace(QStringLiteral("%d"), QString::number(result.overflow)), 0);
  }
}

void MousePage::RunOnMouse(std::function<void(CKalvexMouseDevice&)> work, std::function<void()> done) {
  if (!runner_) {
    work(device_);
    if (done) done();
    return;
  }
  runner_(std::move(work), [page = QPointer<MousePage>(this), done = std::move(done)] {
    if (page && done) done();
  });
}

MousePage::View MousePage::TakeView(CKalvexMouseDevice& device) {
  View view;
  const DpiScale scale = device.Scale();
  view.level_maximum = scale.LevelMaximum();
  view.dpi_maximum = scale.DpiFieldMaximum();
  view.current_stage = device.CurrentStage();
  view.report_rate = device.ReportRateShown();
  view.options = device.Options();
  const std::vector<DpiStage>& stages = device.Stages();
  for (int i = 0; i < MouseOptionsPanel::kStageCount; ++i) {
    MouseOptionsPanel::StageRow& row = view.stages[static_cast<size_t>(i)];
    if (static_cast<size_t>(i) < stages.size()) {
      const DpiStage& stage = stages[static_cast<size_t>(i)];
      row.enabled = stage.active != 0;
      row.colour = qRgb(stage.red, stage.green, stage.blue);
    }
    row.box_enabled = device.StageBoxEnabled(i);
    row.level = device.StageLevel(i);
    row.dpi = device.StageDpi(i);
  }
  return view;
}

void MousePage::ShowView(const View& view) {
  if (!options_) return;
  options_->SetRanges(view.level_maximum, view.dpi_maximum);
  options_->ShowStages(view.stages, view.current_stage);
  options_->ShowReportRate(view.report_rate);
  options_->ShowSystem(view.options);
}

void MousePage::ShowMouseState() {
  RefreshKeyTexts(device_.KeyList(), device_.MacroNames(), PresentButtons(device_));
  ShowView(TakeView(device_));
}

void MousePage::RefreshKeyTexts(const std::vector<KeyListEntry>& list, const std::vector<std::string>& macro_names,
                                const std::array<bool, kButtonCount>& present) {
  if (!picture_) return;
  const NameKeyText text_of = [](std::string_view key) { return KeyText::ForNameKey(key); };
  for (int key = 0; key < MousePicture::kButtonCount; ++key) {
    picture_->SetKeyEnabled(key, present[static_cast<size_t>(key)]);
    if (static_cast<size_t>(key) >= list.size()) continue;
    const std::optional<std::string> text =
        KeyDisplayName::Text(list[static_cast<size_t>(key)].current.assignment, KeyPanelKind::Mouse, macro_names, text_of);
    if (text) picture_->SetKeyText(key, QString::fromStdString(*text));
  }
}

void MousePage::OnKeyClick(int key) {
  if (key < 0 || key >= MousePicture::kButtonCount) return;
  // A profile that cannot be read gives nothing to edit.
  if (device_.Profile().LoadSideProfile(device_.Profile().GetProfilePath()).isNull()) return;
  if (device_.GetFunctionSwitch() != FunctionSwitch::kKeys) return;
  const std::vector<KeyListEntry>& list = device_.KeyList();
  if (static_cast<size_t>(key) >= list.size()) return;
  if (list[static_cast<size_t>(key)].current.assignment == kLeftClick) {
    int left_clicks = 0;
    for (const KeyListEntry& entry : list) left_clicks += entry.current.assignment == kLeftClick ? 1 : 0;
    // The only left button stays as it is: the mouse would have no left click.
    if (left_clicks == 1) {
      (void)prompts_.Message(QString::fromLatin1(kOnlyLeftButtonKey), 1);  // the answer changes nothing
      return;
    }
  }
  device_.SetSelectedKey(key);
  marked_key_ = key;
  if (picture_) picture_->MarkKey(key);
  if (key_set_) key_set_->ShowKey(list[static_cast<size_t>(key)]);
}

void MousePage::OnFunctionTab(int function_switch) {
  if (function_switch <= FunctionSwitch::kNone) return;
  device_.SetFunctionSwitch(function_switch);
  ShowFunctionSwitch(function_switch);
}

bool MousePage::OnProfileClick(const QString& name) {
  if (!profiles_) return false;
  const std::optional<CDeviceProfileUI::Follow> follow = profiles_->OnClick(name);
  if (!follow) return false;
  if (*follow == CDeviceProfileUI::Follow::kActivateSelected || *follow == CDeviceProfileUI::Follow::kReloadActive) {
    TakeProfile(profiles_->List().GetActiveProfileUuid());
  }
  return true;
}

bool MousePage::OnProfileItemSelect(const QString& name, int index) {
  return profiles_ && profiles_->OnItemSelect(name, index);
}

void MousePage::ActivateSelectedProfile() {
  if (!profiles_) return;
  ProfileList& list = profiles_->List();
  const PanelResult selected = list.SelectProfile(list.GetSelectedProfile());
  if (!selected.done()) ShowResult(selected.message_key);
  profiles_->Refresh();
  TakeProfile(list.GetActiveProfileUuid());
}

void MousePage::ResetSelectedProfile() {
  if (!profiles_) return;
  const PanelResult reset = profiles_->List().ResetProfile();
  if (!reset.done()) {
    ShowResult(reset.message_key);
    return;
  }
  TakeProfile(profiles_->List().GetActiveProfileUuid());
}

void MousePage::TakeProfile(const std::string& uuid) {
  // The profile is taken on the mouse's worker behind the edits queued there
  // (they belong to the profile before) and written to the mouse whole.
  struct Taken {
    MacroWriteResult macros;
    bool keys_written = true;
  };
  auto taken = std::make_shared<Taken>();
  RunOnMouse(
      [uuid, taken](CKalvexMouseDevice& mouse) {
        mouse.SetProfileName(uuid);
        mouse.InitializeDevice();
        mouse.DropMissingMacros();
        mouse.ApplyProfileState();
        if (!mouse.Channel().is_open()) return;
        LogIfFailed(mouse.WriteSettingsRecord(0, 0), "settings record write");
        taken->macros = mouse.WriteMacros(mouse.GetMacroUsage());
        taken->keys_written = mouse.WriteCurrentKeyAssignments(0) == 1;
      },
      [this, taken] {
        ShowMacroResult(taken->macros);
        if (!taken->keys_written) ShowResult(kKeyWriteFailedKey);
      });
}

bool MousePage::OnKeySetClick(const QString& name) {
  if (!key_set_) return false;
  const std::optional<CKeySetControlUI::Action> action = key_set_->OnClick(name);
  if (!action) return false;
  StoreKeySetEntry(*action);
  return true;
}

bool MousePage::OnKeySetItemSelect(const QString& name, int index) {
  if (!key_set_) return false;
  const std::optional<CKeySetControlUI::Action> action = key_set_->OnItemSelect(name, index);
  if (!action) return false;
  StoreKeySetEntry(*action);
  return true;
}

bool MousePage::OnKeySetSelectChanged(const QString& name, bool checked) {
  if (!key_set_) return false;
  const std::optional<CKeySetControlUI::Action> action = key_set_->OnSelectChanged(name, checked);
  if (!action) return false;
  StoreKeySetEntry(*action);
  return true;
}

bool MousePage::OnKeySetKillFocus(const QString& name) {
  if (!key_set_) return false;
  const std::optional<CKeySetControlUI::Action> action = key_set_->OnKillFocus(name);
  if (!action) return false;
  StoreKeySetEntry(*action);
  return true;
}

bool MousePage::OnKeyCapture(std::uint8_t scan_code, bool extended) {
  if (!key_set_) return false;
  const std::optional<CKeySetControlUI::Action> action = key_set_->CaptureKey(scan_code, extended);
  if (!action || *action == CKeySetControlUI::Action::kNone) return false;
  StoreKeySetEntry(*action);
  return true;
}

void MousePage::StoreKeySetEntry(CKeySetControlUI::Action action) {
  if (action == CKeySetControlUI::Action::kNone || !key_set_) return;
  const int key = device_.SelectedKey();
  if (key < 0 || static_cast<size_t>(key) >= device_.KeyList().size()) return;
  const KeyListEntry entry = key_set_->LastEntry();
  struct Stored {
    bool saved = true;
    MacroWriteResult macros;
    bool keys_written = true;
  };
  auto stored = std::make_shared<Stored>();
  RunOnMouse(
      [key, entry, stored](CKalvexMouseDevice& mouse) {
        mouse.SetSelectedKey(key);
        mouse.ApplyKeyAssignment(entry);
        stored->saved = mouse.SaveProfileData();
        if (!mouse.Channel().is_open()) return;
        if (IsMacroType(entry.current.assignment.type)) stored->macros = mouse.WriteMacros(mouse.GetMacroUsage());
        stored->keys_written = mouse.WriteCurrentKeyAssignments(0) == 1;
      },
      [this, stored] {
        if (!stored->saved) ShowResult(message_key::kWriteFailed);
        ShowMacroResult(stored->macros);
        if (!stored->keys_written) ShowResult(kKeyWriteFailedKey);
      });
}

bool MousePage::OnMacroClick(const QString& name) {
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

void MousePage::ApplyMacroChanges(bool active_keys_changed) {
  auto macros = std::make_shared<MacroWriteResult>();
  RunOnMouse(
      [active_keys_changed, macros](CKalvexMouseDevice& mouse) {
        mouse.LoadNameLists();
        if (active_keys_changed) {
          mouse.LoadProfileState();
          mouse.DropMissingMacros();
          mouse.ApplyProfileState();
          if (mouse.Channel().is_open()) {
            *macros = mouse.WriteMacros(mouse.GetMacroUsage());
            LogIfFailed(mouse.WriteCurrentKeyAssignments(0), "key table write");
          }
        } else {
          mouse.ApplyProfileState();
        }
      },
      [this, macros] { ShowMacroResult(*macros); });
}

bool MousePage::OnMacroItemSelect(const QString& name, int index) {
  return macros_ && macros_->OnItemSelect(name, index);
}

bool MousePage::OnMacroKillFocus(const QString& name) { return macros_ && macros_->OnKillFocus(name); }

void MousePage::ShowLightPanel() {
  if (light_) light_->SetLightInfo(device_.GetLightState().Words());
}

void MousePage::SetSameModeAllowed(bool allowed) {
  if (!light_) return;
  light_->SetSameModeAllowed(allowed);
  ShowLightPanel();
}

bool MousePage::OnLightNotify(const QString& kind, const QString& name, qint64 wparam) {
  if (!light_) return false;
  const std::optional<std::vector<CLightControlUI::ByteEdit>> edits = light_->OnNotify(kind, name, wparam);
  if (!edits) return false;
  if (!edits->empty()) ApplyLightEdits(*edits);
  return true;
}

void MousePage::ApplyLightEdits(const std::vector<CLightControlUI::ByteEdit>& edits) {
  auto saved = std::make_shared<bool>(true);
  auto words = std::make_shared<std::array<uint32_t, 4>>();
  RunOnMouse(
      [edits, saved, words](CKalvexMouseDevice& mouse) {
        LightState state = mouse.GetLightState();
        for (const CLightControlUI::ByteEdit& edit : edits) {
          if (edit.byte >= 0 && static_cast<size_t>(edit.byte) < LightState::kSize) {
            state.bytes[static_cast<size_t>(edit.byte)] = edit.value;
          }
        }
        mouse.SetLightState(state.Words());
        *saved = mouse.SaveProfileData();
        LogIfFailed(mouse.WriteSettingsRecord(0, 0), "settings record write");
        *words = mouse.GetLightState().Words();
      },
      [this, saved, words] {
        if (!*saved) ShowResult(message_key::kWriteFailed);
        if (light_) light_->SetLightInfo(*words);
      });
}

void MousePage::PickLightColour() {
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

void MousePage::RunStageAction(std::function<int(CKalvexMouseDevice&)> action) {
  auto view = std::make_shared<View>();
  RunOnMouse(
      [action = std::move(action), view](CKalvexMouseDevice& mouse) {
        const int result = action(mouse);
        if (result == CKalvexMouseDevice::kActionRefused) {
          platform::DebugOutput("mouse panel action refused");
        } else if (mouse.Channel().is_open()) {
          LogIfFailed(result, "settings record write");
        }
        *view = TakeView(mouse);
      },
      [this, view] { ShowView(*view); });
}

void MousePage::OnStageSelectChanged(const QString& name, bool checked) {
  if (const int stage = IndexOf(name, "DPI_enable_check_"); stage >= 0) {
    if (!checked && !device_.StageBoxEnabled(stage)) {
      // The current stage and the last enabled one stay on: the box shows so again.
      ShowView(TakeView(device_));
      return;
    }
    RunStageAction([stage, checked](CKalvexMouseDevice& mouse) { return mouse.SetStageEnabled(stage, checked); });
  } else if (const int selected = IndexOf(name, "DPI_select_check_"); selected >= 0) {
    if (checked) RunStageAction([selected](CKalvexMouseDevice& mouse) { return mouse.SelectStage(selected); });
  } else if (const int rate = IndexOf(name, "polling_rate_option_"); rate >= 0) {
    if (checked) RunStageAction([rate](CKalvexMouseDevice& mouse) { return mouse.SetReportRate(rate); });
  }
}

void MousePage::OnStageSlider(const QString& name, int level, bool moving) {
  const int stage = IndexOf(name, "DPI_slider_");
  if (stage < 0 || stage >= MouseOptionsPanel::kStageCount) return;
  const DpiScale scale = device_.Scale();
  const int shown = scale.ClampLevel(level);
  if (options_) options_->ShowStageLevel(stage, shown, scale.LevelToDpi(shown));
  if (moving) return;
  RunStageAction([stage, shown](CKalvexMouseDevice& mouse) { return mouse.SetStageLevel(stage, shown); });
}

void MousePage::OnStageEdit(const QString& name) {
  const int stage = IndexOf(name, "DPI_edit_");
  if (stage < 0 || stage >= MouseOptionsPanel::kStageCount || !options_) return;
  const std::optional<int> dpi = options_->TypedDpi(stage);
  const std::optional<int> level = dpi ? device_.Scale().DpiToLevel(*dpi) : std::nullopt;
  if (!level) {
    // Nothing usable was typed: the field shows the stage's value again.
    ShowView(TakeView(device_));
    return;
  }
  RunStageAction([stage, level = *level](CKalvexMouseDevice& mouse) { return mouse.SetStageLevel(stage, level); });
}

void MousePage::PickStageColour(int stage) {
  if (stage < 0 || stage >= MouseOptionsPanel::kStageCount || !prompts_.colour) return;
  const std::vector<DpiStage>& stages = device_.Stages();
  QRgb initial = qRgb(0, 0, 0);
  if (static_cast<size_t>(stage) < stages.size()) {
    const DpiStage& shown = stages[static_cast<size_t>(stage)];
    initial = qRgb(shown.red, shown.green, shown.blue);
  }
  const std::string file = "color_option_info.config";
  QRgb chosen = initial;
  bool multicolour = false;
  if (prompts_.colour(initial, false, device_.GetDataFolder() + file, device_.GetDefaultsFolder() + file, &chosen,
                      &multicolour) != 1) {
    return;
  }
  RunStageAction([stage, chosen](CKalvexMouseDevice& mouse) {
    std::vector<DpiStage> stages = mouse.Stages();
    if (stages.size() < static_cast<size_t>(stage) + 1) stages.resize(static_cast<size_t>(stage) + 1);
    DpiStage& changed = stages[static_cast<size_t>(stage)];
    changed.red = static_cast<uint8_t>(qRed(chosen));
    changed.green = static_cast<uint8_t>(qGreen(chosen));
    changed.blue = static_cast<uint8_t>(qBlue(chosen));
    mouse.Profile().SetDpiStages(stages);
    if (!mouse.SaveProfileData()) return static_cast<int>(CommandResult::kFailed);
    // The mouse takes the stages back from the saved profile, then writes them.
    mouse.LoadProfileState();
    return mouse.WriteSettingsRecord(0, 0);
  });
}

void MousePage::OnSystemControl(const QString& name) {
  if (!options_) return;
  const auto value = [](int v) { return static_cast<uint16_t>(std::clamp(v, 0, 0xFFFF)); };
  std::function<void(CKalvexMouseDevice&)> store;
  if (name == QLatin1String("pointer_speed_slider")) {
    store = [v = value(options_->PointerSpeed())](CKalvexMouseDevice& mouse) { mouse.SetPointerSpeed(v); };
  } else if (name == QLatin1String("double_click_slider")) {
    store = [v = value(options_->DoubleClick())](CKalvexMouseDevice& mouse) { mouse.SetDoubleClick(v); };
  } else if (name == QLatin1String("scroll_speed_slider")) {
    store = [v = value(options_->WheelLines())](CKalvexMouseDevice& mouse) { mouse.SetWheelLines(v); };
  } else if (name == QLatin1String("scrolls_page_check")) {
    store = [on = options_->ScrollByPage(), v = value(options_->WheelLines())](CKalvexMouseDevice& mouse) {
      mouse.SetScrollByPage(on, v);
    };
  } else if (name == QLatin1String("pointer_precision_check")) {
    store = [on = options_->Precision()](CKalvexMouseDevice& mouse) { mouse.SetPointerPrecision(on); };
  } else {
    return;
  }
  // Kept in the profile only: neither the mouse nor the desktop's pointer changes.
  auto saved = std::make_shared<bool>(true);
  auto view = std::make_shared<View>();
  RunOnMouse(
      [store = std::move(store), saved, view](CKalvexMouseDevice& mouse) {
        store(mouse);
        *saved = mouse.SaveProfileData();
        *view = TakeView(mouse);
      },
      [this, saved, view] {
        if (!*saved) ShowResult(message_key::kWriteFailed);
        ShowView(*view);
      });
}

bool MousePage::OnShootClick(const QString& name) {
  if (!shoot_) return false;
  const std::optional<CShootControlUI::Action> action = shoot_->OnClick(name);
  if (!action) return false;
  if (*action != CShootControlUI::Action::kSendToMouse) return true;
  auto result = std::make_shared<MacroWriteResult>();
  RunOnMouse([result](CKalvexMouseDevice& mouse) { *result = mouse.WriteShootData(); },
             [this, result] {
               if (result->outcome == MacroWriteResult::Outcome::kFailed) {
                 ShowResult(kShootWriteFailedKey);
               } else if (result->outcome == MacroWriteResult::Outcome::kTooLong) {
                 const QString format = KeyText::Language(QString::fromLatin1(kShootTooLongKey));
                 (void)prompts_.Message(QString(format).replace(QStringLiteral("%d"), QString::number(result->overflow)), 0);
               }
             });
  return true;
}

bool MousePage::OnShootSelectChanged(const QString& name, bool checked) {
  return shoot_ && shoot_->OnSelectChanged(name, checked);
}

bool MousePage::OnShootKillFocus(const QString& name) { return shoot_ && shoot_->OnKillFocus(name); }

void MousePage::ShowKeyLight(unsigned ui_key, const ZoneColour& colour) {
  if (picture_) picture_->StoreLightColour(ui_key, colour.red, colour.green, colour.blue, colour.brightness);
}

void MousePage::ShowKeyText(unsigned ui_key, const std::string& text) {
  if (picture_) picture_->SetKeyText(static_cast<int>(ui_key), QString::fromStdString(text));
}

void MousePage::ShowKeyEnabled(unsigned ui_key, bool enabled) {
  if (picture_) picture_->SetKeyEnabled(static_cast<int>(ui_key), enabled);
}

void MousePage::ShowFunctionSwitch(int32_t value) {
  if (page_ && value >= FunctionSwitch::kLighting && value < FunctionSwitch::kOther) {
    if (auto* tab = page_->findChild<QAbstractButton*>(QString::fromLatin1(kTabs[static_cast<size_t>(value - 1)]))) {
      const QSignalBlocker quiet(tab);
      tab->setChecked(true);
    }
  }
  // The function stack follows the checked tab (two tabs share the "other" switch).
  if (page_ && function_pages_) {
    for (size_t i = 0; i < kTabs.size(); ++i) {
      auto* tab = page_->findChild<QAbstractButton*>(QString::fromLatin1(kTabs[i]));
      if (tab != nullptr && tab->isChecked() && static_cast<int>(i) < function_pages_->count()) {
        function_pages_->setCurrentIndex(static_cast<int>(i));
      }
    }
  }
  if (picture_) picture_->MarkKey(value == FunctionSwitch::kKeys ? marked_key_ : -1);
}

void MousePage::ShowPower(const PowerRecord& record) {
  if (power_) power_->ShowPowerStatus(record);
}

void MousePage::ShowLightState(const LightEffect&) {
  ShowLightPanel();
  ShowView(TakeView(device_));
}

void MousePage::ShowAudioLight(const AudioLightSetting&) {}

void MousePage::ShowCustomSlot(int) { ShowLightPanel(); }

void MousePage::ShowOptions(const KeyboardOptions&) {}

void MousePage::ShowKeyAssignments() {
  ShowMouseState();
  if (key_set_) key_set_->FillMacroList(device_.MacroNames());
}

void MousePage::PostToMainWindow(uint32_t message, uintptr_t wparam, intptr_t lparam) {
  if (post_) post_(message, wparam, lparam);
}

}  // namespace zt640
