#include "devsim/console_command.h"

#include <charconv>
#include <vector>

#include "devsim/keyboard_notification.h"

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

bool Number(std::string_view text, unsigned max, unsigned& out) {
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, out);
  return !text.empty() && result.ec == std::errc() && result.ptr == end && out <= max;
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
    if (count > 2) return fail("usage: plug|unplug [keyboard|receiver]");
    if (count == 2) {
      if (words[1] == "receiver") {
        command.device_ = SimDeviceId::kReceiver;
      } else if (words[1] != "keyboard") {
        return fail("usage: plug|unplug [keyboard|receiver]");
      }
    }
  } else if (verb == "power") {
    if (count != 2 || (words[1] != "on" && words[1] != "off")) return fail("usage: power on|off");
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
      server.SetKeyboardPowered(flag_);
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
    case Kind::kQuit:
      return outcome(true, {});
  }
  return outcome(false, "unknown command");
}

}  // namespace zt640::devsim
