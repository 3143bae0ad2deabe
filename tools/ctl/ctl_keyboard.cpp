// zt640ctl keyboard: drives the keyboard's active profile and the keyboard
// through the same device operations the window uses.
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "ctl_command.h"
#include "ctl_light_options.h"
#include "devices/keyboard/kalvex_keyboard_device.h"
#include "interface_finder.h"
#include "platform/sync/termination_signal.h"
#include "profiles/keyboard_light_mode.h"
#include "profiles/profile_list.h"

namespace zt640::ctl {
namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: zt640ctl keyboard show | light --mode N [--brightness B] [--speed S] [--direction D] "
               "[--multicolour 0|1] [--colour RRGGBB] | assign KEY VALUE | macros | reset --yes | "
               "custom-colours SLOT --fill RRGGBB|--off | watch\n");
  return 2;
}

/// The UUID of the keyboard's active profile, from its profile list (created
/// with one profile from the default profile when missing).
std::optional<std::string> ActiveKeyboardProfile(CKalvexKeyboardDevice& device) {
  const std::string folder = device.GetDataFolder();
  if (folder.empty()) return std::nullopt;
  ProfileList list;
  list.SetDeviceKind(DeviceKind::kKeyboard);
  list.SetProfileFolders(folder, device.GetDefaultProfilePath());
  (void)list.LoadProfileList();  // a list that cannot be read leaves no active profile below
  if (list.GetActiveProfileUuid().empty()) return std::nullopt;
  return list.GetActiveProfileUuid();
}

/// Opens the keyboard (cable, else receiver), reads it as on connect.
bool Open(CKalvexKeyboardDevice& device, const InterfaceCatalogue& catalogue, bool* via_receiver) {
  auto path = FindCatalogueInterface(catalogue, DeviceKind::kKeyboard, kRoleCommand);
  *via_receiver = false;
  if (!path) {
    path = FindCatalogueInterface(catalogue, DeviceKind::kKeyboardReceiver, kRoleCommand);
    *via_receiver = true;
  }
  if (!path || !device.Connect(*path, *via_receiver)) {
    std::fprintf(stderr, "zt640ctl keyboard: no keyboard found\n");
    return false;
  }
  if (*via_receiver && !device.Channel().QueryReceiverLink()) {
    std::fprintf(stderr, "zt640ctl keyboard: the keyboard behind the receiver is switched off\n");
    return false;
  }
  device.LoadNameLists();
  const int tables = device.ReadKeyTables();
  if (tables != CommandResult::kSuccess) {
    std::fprintf(stderr, "zt640ctl keyboard: reading the key tables failed (result %d)\n", tables);
    return false;
  }
  device.LoadProfileState();
  const int settings = device.ReadActiveSettings();
  if (settings != CommandResult::kSuccess) {
    std::fprintf(stderr, "zt640ctl keyboard: reading the settings failed (result %d)\n", settings);
    return false;
  }
  return true;
}

int Show(CKalvexKeyboardDevice& device) {
  const auto& r = device.SettingsRecord().bytes;
  const auto& o = device.Options();
  std::printf("active_slot=%u\n", device.ActiveSlot());
  std::printf("record=");
  for (uint8_t b : r) std::printf("%02x", b);
  std::printf("\nmode_code=0x%02x brightness=%u speed=%u direction=%u multicolour=%u colour=%02x%02x%02x "
              "mode_option=%u custom_slot=%u\n",
              r[KeyboardSettingsRecord::kModeCode], r[KeyboardSettingsRecord::kBrightness],
              4 - r[KeyboardSettingsRecord::kInverseSpeed] % 5, r[KeyboardSettingsRecord::kDirection],
              r[KeyboardSettingsRecord::kMulticolour], r[KeyboardSettingsRecord::kRed],
              r[KeyboardSettingsRecord::kGreen], r[KeyboardSettingsRecord::kBlue],
              r[KeyboardSettingsRecord::kModeOption], r[KeyboardSettingsRecord::kCustomSlot]);
  std::printf("options repeat=%u repeat_delay=%u key6=%u polling_rate=%u wflag=%u winflag=%u macmode=%u wheel=%u\n",
              o.repeat, o.repeat_delay, o.key6_flag, o.polling_rate, o.w_flag, o.win_flag, o.mac_mode, o.wheel);
  std::printf("matched_keys=%d\n", device.MatchedKeyCount());
  device.ReadPowerStatus();
  if (const auto power = device.LastPower()) {
    std::printf("battery=%u charge=%u via_receiver=%u\n", power->battery_percent(), power->charge_state(),
                power->via_receiver());
  } else {
    std::printf("power=unavailable\n");
  }
  return 0;
}

int Light(CKalvexKeyboardDevice& device, const std::vector<std::string>& words) {
  LightState state = LightState::FromEffect(device.Effect());
  if (!ParseLightOptions(words, kKeyboardLightModeCount - 1, &state)) return Usage();
  device.SetLightState(state.Words());
  if (!device.SaveProfileData()) {
    std::fprintf(stderr, "zt640ctl keyboard: saving the profile failed\n");
    return 1;
  }
  const int result = device.WriteSettingsRecord(0, 0);
  if (result != CommandResult::kSuccess) {
    std::fprintf(stderr, "zt640ctl keyboard: writing the settings record failed (result %d)\n", result);
    return 1;
  }
  std::printf("ok mode=%u\n", state.mode());
  return 0;
}

/// Reports a key table write on stderr; true when every change reached the keyboard.
bool KeyTableWritten(const CKalvexKeyboardDevice& device, int result) {
  if (result == CKalvexKeyboardDevice::kKeysLeftOut) {
    std::string keys;
    for (int key : device.KeysLeftOut()) keys += (keys.empty() ? "" : " ") + std::to_string(key);
    std::fprintf(stderr, "zt640ctl keyboard: no key of the keyboard matches key %s; not written\n", keys.c_str());
    return false;
  }
  if (result != CommandResult::kSuccess) {
    std::fprintf(stderr, "zt640ctl keyboard: writing the key table failed (result %d)\n", result);
    return false;
  }
  return true;
}

int Assign(CKalvexKeyboardDevice& device, const std::vector<std::string>& words) {
  if (words.size() != 3) return Usage();
  const auto key = ParseNumber(words[1]);
  const auto value = ParseNumber(words[2], 16);
  if (!key || *key < 0 || *key >= CKalvexKeyboardDevice::kUiKeyCount || !value || words[2].size() != 6) return Usage();
  if (static_cast<size_t>(*key) >= device.Assignments().size()) {
    std::fprintf(stderr, "zt640ctl keyboard: the profile has no key %ld\n", *key);
    return 1;
  }
  device.SetAssignment(static_cast<int>(*key), KeyAssignment::Unpack(*value));
  if (!device.SaveProfileData()) {
    std::fprintf(stderr, "zt640ctl keyboard: saving the profile failed\n");
    return 1;
  }
  if (!KeyTableWritten(device, device.WriteCurrentKeyAssignments(0))) return 1;
  // A key restored to its default is no change the write would miss, yet it
  // did not reach the keyboard either.
  if (!device.HasDeviceKey(static_cast<int>(*key))) {
    std::fprintf(stderr, "zt640ctl keyboard: no key of the keyboard matches key %ld; not written\n", *key);
    return 1;
  }
  std::printf("ok key=%ld value=%06lx\n", *key, *value);
  return 0;
}

int Macros(CKalvexKeyboardDevice& device) {
  const auto used = device.GetMacroUsage();
  const MacroWriteResult result = device.WriteMacros(used);
  if (result.outcome == MacroWriteResult::Outcome::kFailed) {
    std::fprintf(stderr, "zt640ctl keyboard: message_text_7: writing the macros failed\n");
    return 1;
  }
  if (result.outcome == MacroWriteResult::Outcome::kTooLong) {
    std::fprintf(stderr, "zt640ctl keyboard: message_text_16: the macros are %zu events too long\n", result.overflow);
    return 1;
  }
  std::printf("ok macros=%zu\n", used.size());
  return 0;
}

int Reset(CKalvexKeyboardDevice& device, const std::vector<std::string>& words) {
  if (words.size() != 2 || words[1] != "--yes") return Usage();
  MacroWriteResult macros;
  const int result = device.ResetKeyboard(&macros);
  if (macros.outcome == MacroWriteResult::Outcome::kFailed) {
    std::fprintf(stderr, "zt640ctl keyboard: message_text_7: writing the macros failed\n");
  }
  if (macros.outcome == MacroWriteResult::Outcome::kTooLong) {
    std::fprintf(stderr, "zt640ctl keyboard: message_text_16: the macros are %zu events too long\n", macros.overflow);
  }
  if (result == CKalvexKeyboardDevice::kKeysLeftOut) {
    KeyTableWritten(device, result);
    return 1;
  }
  if (result != CommandResult::kSuccess) {
    std::fprintf(stderr, "zt640ctl keyboard: reset failed (result %d)\n", result);
    return 1;
  }
  std::printf("ok reset\n");
  return macros.outcome == MacroWriteResult::Outcome::kWritten ? 0 : 1;
}

int CustomColours(CKalvexKeyboardDevice& device, const std::vector<std::string>& words) {
  if (words.size() < 3) return Usage();
  const auto slot = ParseNumber(words[1]);
  if (!slot || *slot < 0 || *slot >= CKalvexKeyboardDevice::kCustomSlots) return Usage();
  LightState state = LightState::FromEffect(device.Effect());
  bool on = false;
  if (words[2] == "--fill" && words.size() == 4) {
    const auto rgb = ParseNumber(words[3], 16);
    if (!rgb || words[3].size() != 6) return Usage();
    state.bytes[LightState::kRed] = static_cast<uint8_t>(*rgb >> 16);
    state.bytes[LightState::kGreen] = static_cast<uint8_t>(*rgb >> 8);
    state.bytes[LightState::kBlue] = static_cast<uint8_t>(*rgb);
    on = true;
  } else if (words[2] != "--off" || words.size() != 3) {
    return Usage();
  }
  state.bytes[LightState::kCustomSlot] = static_cast<uint8_t>(*slot);
  device.SetLightState(state.Words());
  const int result = device.FillCustomColours(on);
  if (result != CommandResult::kSuccess || !device.SaveProfileData()) {
    std::fprintf(stderr, "zt640ctl keyboard: writing the custom colours failed (result %d)\n", result);
    return 1;
  }
  std::printf("ok slot=%ld\n", *slot);
  return 0;
}

const char* KindName(ListenerEvent::Kind kind) {
  switch (kind) {
    case ListenerEvent::Kind::kSync: return "sync";
    case ListenerEvent::Kind::kReload: return "reload";
    case ListenerEvent::Kind::kSlot: return "slot";
    case ListenerEvent::Kind::kKeyDown: return "key-down";
    case ListenerEvent::Kind::kKeyUp: return "key-up";
  }
  return "?";
}

int Watch(CKalvexKeyboardDevice& device, const InterfaceCatalogue& catalogue, bool via_receiver) {
  const int signal_fd = platform::TerminationSignal::Install();
  if (signal_fd < 0) return 1;
  int wake[2] = {-1, -1};
  if (pipe(wake) != 0) return 1;
  device.SetListenerNotify([fd = wake[1]] {
    const char byte = 1;
    (void)!write(fd, &byte, 1);  // a full pipe wakes the loop all the same
  });
  device.SetListenerObserver([](const ListenerEvent& event) {
    if (event.kind == ListenerEvent::Kind::kKeyDown || event.kind == ListenerEvent::Kind::kKeyUp) {
      std::printf("%s device_key=%u\n", KindName(event.kind), event.device_key);
      std::fflush(stdout);
    }
  });
  const auto cable = FindCatalogueInterface(catalogue, DeviceKind::kKeyboard, kRoleSecondary);
  const auto receiver = FindCatalogueInterface(catalogue, DeviceKind::kKeyboardReceiver, kRoleSecondary);
  if (cable && !device.StartListener(CKalvexKeyboardDevice::kListenerCable, *cable)) {
    std::fprintf(stderr, "zt640ctl keyboard: the cable's report interface could not be opened\n");
  }
  if (receiver && !device.StartListener(CKalvexKeyboardDevice::kListenerReceiver, *receiver)) {
    std::fprintf(stderr, "zt640ctl keyboard: the receiver's report interface could not be opened\n");
  }
  device.StartLightWorker();
  std::printf("watching (mode %u)\n", device.GetLightState().mode());
  std::fflush(stdout);
  const EffectClock clock;
  // In the audio modes the frame goes out at the effect tick (wired) or every
  // 50 ms (receiver); in every other mode the keyboard renders its own effect
  // and, with no panel to drive, the loop only waits for reports.
  constexpr int kIdleFrameMs = 250;
  while (true) {
    pollfd fds[2] = {{signal_fd, POLLIN, 0}, {wake[0], POLLIN, 0}};
    const bool streamed = IsHostStreamedMode(ToKeyboardLightMode(device.GetLightState().mode()));
    const int timeout =
        !streamed ? kIdleFrameMs : (via_receiver ? 50 : static_cast<int>(clock.UntilNextTick().count()));
    if (poll(fds, 2, timeout) < 0 && errno != EINTR) break;
    if (platform::TerminationSignal::TakePending() != 0) break;
    if ((fds[1].revents & POLLIN) != 0) {
      char drain[64];
      (void)!read(wake[0], drain, sizeof drain);  // only empties the wake pipe
      for (const ListenerEvent& event : device.ProcessListenerEvents()) {
        std::printf("%s usage=0x%04x slot=%u active_slot=%u\n", KindName(event.kind), event.usage, event.slot,
                    device.ActiveSlot());
      }
      std::fflush(stdout);
    }
    device.SendLightFrame();
  }
  device.StopLightWorker();
  device.StopListener(CKalvexKeyboardDevice::kListenerCable);
  device.StopListener(CKalvexKeyboardDevice::kListenerReceiver);
  close(wake[0]);
  close(wake[1]);
  return 0;
}

int RunKeyboard(const CtlArgs& args) {
  if (args.words.empty()) return Usage();
  const std::string& verb = args.words[0];
  const InterfaceCatalogue catalogue = LoadCatalogue();
  const DeviceTypeInfo type =
      DeviceTypeInfo::FromRow(catalogue.Types()[static_cast<std::size_t>(InterfaceCatalogue::kKeyboardType)]);
  CKalvexKeyboardDevice device(LocateProfileFolders(), type.folder_name);
  device.BindCatalogueEntry(type);
  const auto uuid = ActiveKeyboardProfile(device);
  if (!uuid) {
    std::fprintf(stderr, "zt640ctl keyboard: the keyboard has no active profile\n");
    return 1;
  }
  device.SetProfileName(*uuid);
  bool via_receiver = false;
  if (!Open(device, catalogue, &via_receiver)) return 1;
  if (verb == "show") return Show(device);
  if (verb == "light") return Light(device, args.words);
  if (verb == "assign") return Assign(device, args.words);
  if (verb == "macros") return Macros(device);
  if (verb == "reset") return Reset(device, args.words);
  if (verb == "custom-colours") return CustomColours(device, args.words);
  if (verb == "watch") return Watch(device, catalogue, via_receiver);
  return Usage();
}

const CtlRegistration registration{
    {"keyboard",
     "keyboard show|light|assign|macros|reset --yes|custom-colours|watch  the keyboard and its active profile",
     RunKeyboard}};

}  // namespace
}  // namespace zt640::ctl
