// zt640ctl mouse: drives the mouse's active profile and the mouse through the
// same device operations the window uses.
#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "ctl_command.h"
#include "ctl_light_options.h"
#include "devices/mouse/kalvex_mouse_device.h"
#include "interface_finder.h"
#include "profiles/mouse_light_mode.h"
#include "profiles/profile_list.h"

namespace zt640::ctl {
namespace {

constexpr int kStageCount = static_cast<int>(CKalvexMouseDevice::kStageCount);
constexpr int kButtonCount = static_cast<int>(MouseButtonMap::kButtonCount);

int Usage() {
  std::fprintf(stderr,
               "usage: zt640ctl mouse show | dpi STAGE DPI | stage N | rate N | assign BUTTON VALUE | macros | "
               "shoot-write | light --mode N [--brightness B] [--speed S] [--direction D] [--multicolour 0|1] "
               "[--colour RRGGBB]\n");
  return 2;
}

/// The UUID of the mouse's active profile, from its profile list (created
/// with one profile from the default profile when missing).
std::optional<std::string> ActiveMouseProfile(CKalvexMouseDevice& device) {
  const std::string folder = device.GetDataFolder();
  if (folder.empty()) return std::nullopt;
  ProfileList list;
  list.SetDeviceKind(DeviceKind::kMouse);
  list.SetProfileFolders(folder, device.GetDefaultProfilePath());
  (void)list.LoadProfileList();  // a list that cannot be read leaves no active profile below
  if (list.GetActiveProfileUuid().empty()) return std::nullopt;
  return list.GetActiveProfileUuid();
}

/// Opens the mouse (cable, else receiver) and reads it as on connect. The
/// settings records written later keep the screen size the mouse holds.
bool Open(CKalvexMouseDevice& device, const InterfaceCatalogue& catalogue) {
  auto path = FindCatalogueInterface(catalogue, DeviceKind::kMouse, kRoleCommand);
  bool via_receiver = false;
  if (!path) {
    path = FindCatalogueInterface(catalogue, DeviceKind::kMouseReceiver, kRoleCommand);
    via_receiver = true;
  }
  if (!path || !device.Connect(*path, via_receiver)) {
    std::fprintf(stderr, "zt640ctl mouse: no mouse found (its ids come from devices.json)\n");
    return false;
  }
  if (via_receiver && !device.Channel().QueryReceiverLink()) {
    std::fprintf(stderr, "zt640ctl mouse: the mouse behind the receiver is switched off\n");
    return false;
  }
  device.LoadNameLists();
  const int tables = device.ReadDeviceTables();
  if (tables != CommandResult::kSuccess) {
    std::fprintf(stderr, "zt640ctl mouse: reading the key table failed (result %d)\n", tables);
    return false;
  }
  device.LoadProfileState();
  const int settings = device.ReadActiveSettings();
  if (settings != CommandResult::kSuccess) {
    std::fprintf(stderr, "zt640ctl mouse: reading the settings failed (result %d)\n", settings);
    return false;
  }
  const auto& record = device.LastSettings()->bytes;
  const auto word_at = [&record](size_t offset) {
    return static_cast<uint16_t>(record[offset] | record[offset + 1] << 8);
  };
  device.SetScreenSize(word_at(MouseSettingsRecord::kScreenWidth), word_at(MouseSettingsRecord::kScreenHeight));
  return true;
}

/// Saves the profile and reports a settings record write; true when both worked.
bool Saved(CKalvexMouseDevice& device, int result) {
  if (result == CKalvexMouseDevice::kActionRefused) {
    std::fprintf(stderr, "zt640ctl mouse: refused: nothing changed\n");
    return false;
  }
  if (!device.SaveProfileData()) {
    std::fprintf(stderr, "zt640ctl mouse: saving the profile failed\n");
    return false;
  }
  if (result != 1) {
    std::fprintf(stderr, "zt640ctl mouse: writing the settings record failed\n");
    return false;
  }
  return true;
}

/// A whole number within [low, high], or none.
std::optional<int> InRange(const std::string& text, long low, long high) {
  const auto value = ParseNumber(text);
  if (!value || *value < low || *value > high) return std::nullopt;
  return static_cast<int>(*value);
}

int Show(CKalvexMouseDevice& device) {
  std::printf("stage=%d rate=%d\n", device.CurrentStage(), device.ReportRateShown());
  const DpiScale scale = device.Scale();
  for (int i = 0; i < kStageCount; ++i) {
    const DpiStage stage = static_cast<size_t>(i) < device.Stages().size() ? device.Stages()[static_cast<size_t>(i)]
                                                                            : DpiStage{};
    std::printf("dpi_stage=%d active=%u xy=%u x=%d y=%d colour=%02x%02x%02x\n", i, stage.active ? 1u : 0u,
                stage.separate_xy ? 1u : 0u, scale.LevelToDpi(stage.dpi_x), scale.LevelToDpi(stage.dpi_y), stage.red,
                stage.green, stage.blue);
  }
  for (int j = 0; j < kButtonCount; ++j) {
    const KeyAssignment value = static_cast<size_t>(j) < device.KeyList().size()
                                    ? device.KeyList()[static_cast<size_t>(j)].current.assignment
                                    : MouseButtonMap::FactoryValue(static_cast<size_t>(j));
    std::printf("button=%d device=%02x value=%06x\n", j, device.ButtonMap().Position(static_cast<size_t>(j)),
                static_cast<unsigned>(value.Pack()));
  }
  return 0;
}

int Dpi(CKalvexMouseDevice& device, const std::vector<std::string>& words) {
  if (words.size() != 3) return Usage();
  const auto stage = InRange(words[1], 0, kStageCount - 1);
  const auto dpi = InRange(words[2], 0, 1'000'000);
  if (!stage || !dpi) return Usage();
  if (!device.Scale().Usable()) {
    std::fprintf(stderr, "zt640ctl mouse: the mouse gives no DPI scale (step or level maximum 0)\n");
    return 1;
  }
  if (!Saved(device, device.SetStageDpi(*stage, *dpi))) return 1;
  std::printf("ok stage=%d level=%d dpi=%d\n", *stage, device.StageLevel(*stage), device.StageDpi(*stage));
  return 0;
}

int Stage(CKalvexMouseDevice& device, const std::vector<std::string>& words) {
  if (words.size() != 2) return Usage();
  const auto stage = InRange(words[1], 0, kStageCount - 1);
  if (!stage) return Usage();
  if (!Saved(device, device.SelectStage(*stage))) return 1;
  std::printf("ok stage=%d\n", *stage);
  return 0;
}

int Rate(CKalvexMouseDevice& device, const std::vector<std::string>& words) {
  if (words.size() != 2) return Usage();
  const auto rate = InRange(words[1], 0, CKalvexMouseDevice::kReportRates - 1);
  if (!rate) return Usage();
  if (!Saved(device, device.SetReportRate(*rate))) return 1;
  std::printf("ok rate=%d\n", *rate);
  return 0;
}

int Assign(CKalvexMouseDevice& device, const std::vector<std::string>& words) {
  if (words.size() != 3) return Usage();
  const auto button = InRange(words[1], 0, kButtonCount - 1);
  const auto value = ParseNumber(words[2], 16);
  if (!button || !value || *value < 0 || words[2].size() != 6) return Usage();
  if (static_cast<size_t>(*button) >= device.KeyList().size()) {
    std::fprintf(stderr, "zt640ctl mouse: the profile has no button %d\n", *button);
    return 1;
  }
  // A button the mouse lacks is never written: refuse before the profile changes.
  if (!device.ButtonMap().Has(static_cast<size_t>(*button))) {
    std::fprintf(stderr, "zt640ctl mouse: the mouse has no button %d; not written\n", *button);
    return 1;
  }
  device.SetSelectedKey(*button);
  KeyListEntry entry = device.KeyList()[static_cast<size_t>(*button)];
  entry.current.assignment = KeyAssignment::Unpack(*value);
  device.ApplyKeyAssignment(entry);
  if (!device.SaveProfileData()) {
    std::fprintf(stderr, "zt640ctl mouse: saving the profile failed\n");
    return 1;
  }
  if (device.WriteCurrentKeyAssignments(0) != 1) {
    std::fprintf(stderr, "zt640ctl mouse: writing the key table failed\n");
    return 1;
  }
  std::printf("ok button=%d value=%06lx\n", *button, *value);
  return 0;
}

/// Reports a macro or shoot area write; 0 when it went out.
int AreaWritten(const MacroWriteResult& result, const char* what) {
  if (result.outcome == MacroWriteResult::Outcome::kFailed) {
    std::fprintf(stderr, "zt640ctl mouse: message_text_7: writing the %s failed\n", what);
    return 1;
  }
  if (result.outcome == MacroWriteResult::Outcome::kTooLong) {
    std::fprintf(stderr, "zt640ctl mouse: message_text_16: the %s are %zu events too long\n", what, result.overflow);
    return 1;
  }
  return 0;
}

int Macros(CKalvexMouseDevice& device) {
  const auto used = device.GetMacroUsage();
  if (AreaWritten(device.WriteMacros(used), "macros") != 0) return 1;
  std::printf("ok macros=%zu\n", used.size());
  return 0;
}

int ShootWrite(CKalvexMouseDevice& device) {
  if (AreaWritten(device.WriteShootData(), "recoil patterns") != 0) return 1;
  std::printf("ok shoot\n");
  return 0;
}

int Light(CKalvexMouseDevice& device, const std::vector<std::string>& words) {
  LightState state = LightState::FromEffect(device.Effect());
  if (!ParseLightOptions(words, kMouseLightModeCount - 1, &state)) return Usage();
  device.SetLightState(state.Words());
  if (!Saved(device, device.WriteSettingsRecord(0, 0))) return 1;
  std::printf("ok mode=%u\n", state.mode());
  return 0;
}

int RunMouse(const CtlArgs& args) {
  if (args.words.empty()) return Usage();
  const std::string& verb = args.words[0];
  static const std::vector<std::string> kVerbs = {"show", "dpi", "stage", "rate", "assign", "macros", "shoot-write",
                                                  "light"};
  if (std::find(kVerbs.begin(), kVerbs.end(), verb) == kVerbs.end()) return Usage();
  const InterfaceCatalogue catalogue = LoadCatalogue();
  const DeviceTypeInfo type =
      DeviceTypeInfo::FromRow(catalogue.Types()[static_cast<std::size_t>(InterfaceCatalogue::kMouseType)]);
  CKalvexMouseDevice device(LocateProfileFolders(), type.folder_name);
  device.BindCatalogueEntry(type);
  const auto uuid = ActiveMouseProfile(device);
  if (!uuid) {
    std::fprintf(stderr, "zt640ctl mouse: the mouse has no active profile\n");
    return 1;
  }
  device.SetProfileName(*uuid);
  if (!Open(device, catalogue)) return 1;
  if (verb == "show") return args.words.size() == 1 ? Show(device) : Usage();
  if (verb == "dpi") return Dpi(device, args.words);
  if (verb == "stage") return Stage(device, args.words);
  if (verb == "rate") return Rate(device, args.words);
  if (verb == "assign") return Assign(device, args.words);
  if (verb == "macros") return args.words.size() == 1 ? Macros(device) : Usage();
  if (verb == "shoot-write") return args.words.size() == 1 ? ShootWrite(device) : Usage();
  return Light(device, args.words);
}

const CtlRegistration registration{
    {"mouse", "mouse show|dpi|stage|rate|assign|macros|shoot-write|light  the mouse and its active profile",
     RunMouse}};

}  // namespace
}  // namespace zt640::ctl
