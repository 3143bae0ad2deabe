#include "devsim/console_command.h"

#include <charconv>
#include <vector>

#include "devsim/keyboard_notification.h"
#include "devsim/lighting_device_notification.h"
#include "devsim/mouse_notification.h"

namespace zt640::devsim {
namespace {

std::vector<std::string_view> Words(std::string_view line) {
  std::vector<std::string_view> words;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
    size_t end = i;
    while (end < line.size() && line[end] != ' ' && line[end] != '\t' && line[end] != '\r') ++end;
    if (end > i) words.push_back(line.substr(i, end - i));
    i = end;
  }
  return words;
}

// Decimal, or hexadecimal with a 0x prefix.
bool Number(std::string_view text, unsigned max, unsigned& out) {
  int radix = 10;
  if (text.starts_with("0x") || text.starts_with("0X")) {
    text.remove_prefix(2);
    radix = 16;
  }
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, out, radix);
  return !text.empty() && result.ec == std::errc() && result.ptr == end && out <= max;
}

std::optional<SimDeviceId> DeviceNamed(std::string_view name) {
  if (name == "keyboard") return SimDeviceId::kKeyboard;
  if (name == "receiver") return SimDeviceId::kReceiver;
  if (name == "mouse") return SimDeviceId::kMouse;
  if (name == "mouse-receiver") return SimDeviceId::kMouseReceiver;
  if (name == "pad") return SimDeviceId::kPad;
  if (name == "headset") return SimDeviceId::kHeadset;
  return std::nullopt;
}

}  // namespace

std::optional<ConsoleCommand> ConsoleCommand::Parse(std::string_view line, std::string* error) {
  const std::vector<std::string_view> words = Words(line);
  ConsoleCommand command;
  command.text_ = std::string(line.substr(0, line.find_last_not_of(" \t\r\n") + 1));
  const auto fail = [&](const char* message) -> std::optional<ConsoleCommand> {
    if (error) *error = message;
    return std::nullopt;
  };
  if (words.empty()) return fail("empty command");
  const std::string_view verb = words[0];
  const size_t count = words.size();
  if (verb == "unplug" || verb == "plug") {
    command.kind_ = verb == "plug" ? Kind::kPlug : Kind::kUnplug;
    constexpr const char* kUsage = "usage: plug|unplug [keyboard|receiver|mouse|mouse-receiver|pad|headset]";
    if (count > 2) return fail(kUsage);
    if (count == 2) {
      const auto device = DeviceNamed(words[1]);
      if (!device) return fail(kUsage);
      command.device_ = *device;
    }
  } else if (verb == "power") {
    constexpr const char* kUsage = "usage: power on|off [keyboard|mouse]";
    if (count < 2 || count > 3 || (words[1] != "on" && words[1] != "off")) return fail(kUsage);
    if (count == 3) {
      const auto device = DeviceNamed(words[2]);
      if (device != SimDeviceId::kKeyboard && device != SimDeviceId::kMouse) return fail(kUsage);
      command.device_ = *device;
    }
    command.kind_ = Kind::kPower;
    command.flag_ = words[1] == "on";
  } else if (verb == "sync" && count == 1) {
    command.kind_ = Kind::kSync;
  } else if (verb == "reload" && count == 1) {
    command.kind_ = Kind::kReload;
  } else if (verb == "quit" && count == 1) {
    command.kind_ = Kind::kQuit;
  } else if (verb == "slot") {
    if (count != 2 || !Number(words[1], 15, command.first_)) return fail("usage: slot N (0-15)");
    command.kind_ = Kind::kSlot;
  } else if (verb == "key") {
    if (count != 3 || (words[1] != "down" && words[1] != "up") ||
        !Number(words[2], 255, command.first_)) {
      return fail("usage: key down|up K");
    }
    command.kind_ = Kind::kKey;
    command.flag_ = words[1] == "down";
  } else if (verb == "battery") {
    if (count < 2 || count > 3 || !Number(words[1], 100, command.first_) ||
        (count == 3 && !Number(words[2], 2, command.second_))) {
      return fail("usage: battery PERCENT [CHARGE-STATE 0-2]");
    }
    command.kind_ = Kind::kBattery;
    command.flag_ = count == 3;
  } else if (verb == "mouse") {
    const std::string_view what = count >= 2 ? words[1] : std::string_view();
    if (what == "sync" && count == 2) {
      command.kind_ = Kind::kMouseReport;
      command.first_ = MouseNotification::kReRead;
    } else if (what == "react" && count == 2) {
      command.kind_ = Kind::kMouseReport;
      command.first_ = MouseNotification::kReactiveStart;
    } else if (what == "report" && count == 3 && Number(words[2], 0xFFFF, command.first_)) {
      command.kind_ = Kind::kMouseReport;
    } else if (what == "slot" && count == 3 &&
               Number(words[2], MouseNotification::kMaxSlot, command.first_)) {
      command.kind_ = Kind::kMouseSlot;
    } else if (what == "stage" && count == 3 &&
               Number(words[2], MouseNotification::kMaxStage, command.first_)) {
      command.kind_ = Kind::kMouseStage;
    } else if (what == "battery" && (count == 3 || count == 4) &&
               Number(words[2], 100, command.first_) &&
               (count == 3 || Number(words[3], 2, command.second_))) {
      command.kind_ = Kind::kMouseBattery;
      command.flag_ = count == 4;
    } else {
      return fail(
          "usage: mouse sync | react | slot N | stage N | report USAGE | battery PERCENT [STATE]");
    }
  } else if (verb == "pad" || verb == "headset") {
    const std::string_view what = count >= 2 ? words[1] : std::string_view();
    command.kind_ = Kind::kLightingDeviceReport;
    command.device_ = verb == "pad" ? SimDeviceId::kPad : SimDeviceId::kHeadset;
    if (what == "sync" && count == 2) {
      command.first_ = LightingDeviceNotification::kReRead;
    } else if (!(what == "report" && count == 3 && Number(words[2], 0xFFFF, command.first_))) {
      return fail(verb == "pad" ? "usage: pad sync | report USAGE" : "usage: headset sync | report USAGE");
    }
  } else {
    return fail("unknown command");
  }
  return command;
}

ConsoleCommand::Outcome ConsoleCommand::Apply(DevsimServer& server) const {
  const auto outcome = [this](bool ok, std::string_view why) {
    return Outcome{ok, ok ? "ok " + text_ : "error: " + text_ + ": " + std::string(why)};
  };
  switch (kind_) {
    case Kind::kUnplug:
      return outcome(server.Unplug(device_), "not plugged");
    case Kind::kPlug: {
      std::string error;
      const bool ok = server.Plug(device_, &error);
      return outcome(ok, error);
    }
    case Kind::kPower:
      if (device_ == SimDeviceId::kMouse) {
        server.SetMousePowered(flag_);
      } else {
        server.SetKeyboardPowered(flag_);
      }
      return outcome(true, {});
    case Kind::kSync:
      return outcome(server.SendNotification(KeyboardNotification::kSync), "keyboard unreachable");
    case Kind::kReload:
      return outcome(server.SendNotification(KeyboardNotification::kReload),
                     "keyboard unreachable");
    case Kind::kSlot:
      return outcome(server.SelectSlot(static_cast<uint8_t>(first_)),
                     "no such slot or keyboard unreachable");
    case Kind::kKey:
      return outcome(server.KeyEvent(first_, flag_), "no such key or keyboard unreachable");
    case Kind::kBattery: {
      const auto record = server.Keyboard().Area(KeyboardArea::kPowerRecord);
      server.Keyboard().SetPower(static_cast<uint8_t>(first_),
                                 flag_ ? static_cast<uint8_t>(second_) : record[1]);
      return outcome(true, {});
    }
    case Kind::kMouseReport:
      return outcome(server.SendMouseReport(static_cast<uint16_t>(first_)), "mouse unreachable");
    case Kind::kMouseSlot:
      return outcome(server.SelectMouseSlot(static_cast<uint8_t>(first_)),
                     "no such slot or mouse unreachable");
    case Kind::kMouseStage:
      return outcome(server.SelectMouseStage(static_cast<uint8_t>(first_)),
                     "stage off, no such stage or mouse unreachable");
    case Kind::kMouseBattery: {
      const auto record = server.Mouse().Area(MouseArea::kPowerRecord);
      server.Mouse().SetPower(static_cast<uint8_t>(first_),
                              flag_ ? static_cast<uint8_t>(second_) : record[1]);
      return outcome(true, {});
    }
    case Kind::kLightingDeviceReport:
      return outcome(server.SendLightingDeviceReport(device_, static_cast<uint16_t>(first_)), "unplugged");
    case Kind::kQuit:
      return outcome(true, {});
  }
  return outcome(false, "unknown command");
}

}  // namespace zt640::devsim
