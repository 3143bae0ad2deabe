#include "devsim/devsim_options.h"

#include <charconv>
#include <limits>

namespace zt640::devsim {
namespace {

// Decimal, or hexadecimal with a 0x prefix; false unless the whole text is a
// number no larger than max.
bool ParseNumber(std::string_view text, uint64_t max, uint64_t& out) {
  int radix = 10;
  if (text.starts_with("0x") || text.starts_with("0X")) {
    text.remove_prefix(2);
    radix = 16;
  }
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, out, radix);
  return !text.empty() && result.ec == std::errc() && result.ptr == end && out <= max;
}

}  // namespace

DevsimOptions::Result DevsimOptions::Parse(std::span<const std::string_view> args) {
  Result result;
  DevsimConfig config;
  std::optional<std::string_view> fault_kind;
  bool keyboard_asked = false;
  const auto fail = [&](std::string message) {
    result.error = std::move(message);
    return result;
  };
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string_view option = args[i];
    const auto value = [&]() -> std::optional<std::string_view> {
      if (i + 1 >= args.size()) return std::nullopt;
      return args[++i];
    };
    const auto number = [&](uint64_t max, auto& out) -> bool {
      const auto text = value();
      uint64_t parsed = 0;
      if (!text || !ParseNumber(*text, max, parsed)) return false;
      out = static_cast<std::remove_reference_t<decltype(out)>>(parsed);
      return true;
    };
    constexpr uint64_t k16 = 0xFFFF;
    if (option == "--help" || option == "-h") {
      result.help = true;
      return result;
    } else if (option == "--root") {
      const auto text = value();
      if (!text || text->empty()) return fail("--root needs a folder");
      config.root = std::string(*text);
    } else if (option == "--keyboard") {
      keyboard_asked = true;
    } else if (option == "--receiver") {
      config.with_receiver = true;
      keyboard_asked = true;
    } else if (option == "--mouse") {
      config.with_mouse = true;
    } else if (option == "--mouse-receiver") {
      config.with_mouse_receiver = true;
    } else if (option == "--pad") {
      config.with_pad = true;
    } else if (option == "--headset") {
      config.with_headset = true;
    } else if (option == "--mouse-off") {
      config.mouse_powered = false;
    } else if (option == "--mouse-no-dpi-cycle") {
      config.mouse_variant = MouseVariant::kNoDpiCycle;
    } else if (option == "--devices-json") {
      const auto text = value();
      if (!text || text->empty()) return fail("--devices-json needs a file");
      config.devices_json = std::string(*text);
    } else if (option == "--log") {
      const auto text = value();
      if (!text || text->empty()) return fail("--log needs a file");
      config.log_file = std::string(*text);
    } else if (option == "--keyboard-off") {
      config.keyboard_powered = false;
    } else if (option == "--no-cable") {
      config.keyboard_plugged = false;
    } else if (option == "--vid") {
      if (!number(k16, config.keyboard.vendor)) return fail("--vid needs a 16-bit number");
    } else if (option == "--pid") {
      if (!number(k16, config.keyboard.product)) return fail("--pid needs a 16-bit number");
    } else if (option == "--version") {
      if (!number(k16, config.keyboard.version)) return fail("--version needs a 16-bit number");
    } else if (option == "--receiver-vid") {
      if (!number(k16, config.receiver.vendor)) return fail("--receiver-vid needs a 16-bit number");
    } else if (option == "--receiver-pid") {
      if (!number(k16, config.receiver.product)) return fail("--receiver-pid needs a 16-bit number");
    } else if (option == "--receiver-version") {
      if (!number(k16, config.receiver.version)) {
        return fail("--receiver-version needs a 16-bit number");
      }
    } else if (option == "--mouse-vid") {
      if (!number(k16, config.mouse.vendor)) return fail("--mouse-vid needs a 16-bit number");
    } else if (option == "--mouse-pid") {
      if (!number(k16, config.mouse.product)) return fail("--mouse-pid needs a 16-bit number");
    } else if (option == "--mouse-version") {
      if (!number(k16, config.mouse.version)) return fail("--mouse-version needs a 16-bit number");
    } else if (option == "--mouse-receiver-vid") {
      if (!number(k16, config.mouse_receiver.vendor)) {
        return fail("--mouse-receiver-vid needs a 16-bit number");
      }
    } else if (option == "--mouse-receiver-pid") {
      if (!number(k16, config.mouse_receiver.product)) {
        return fail("--mouse-receiver-pid needs a 16-bit number");
      }
    } else if (option == "--mouse-receiver-version") {
      if (!number(k16, config.mouse_receiver.version)) {
        return fail("--mouse-receiver-version needs a 16-bit number");
      }
    } else if (option == "--battery") {
      if (!number(100, config.battery_percent)) return fail("--battery needs 0..100");
    } else if (option == "--charge") {
      if (!number(2, config.charge_state)) return fail("--charge needs 0, 1 or 2");
    } else if (option == "--fault") {
      fault_kind = value();
      if (!fault_kind) return fail("--fault needs a kind");
    } else if (option == "--fault-command") {
      uint8_t command = 0;
      if (!number(0xFF, command)) return fail("--fault-command needs a command byte");
      config.fault.command = command;
    } else if (option == "--fault-count") {
      uint32_t count = 0;
      if (!number(std::numeric_limits<uint32_t>::max(), count)) {
        return fail("--fault-count needs a number");
      }
      config.fault.count = count;
    } else if (option == "--unplug-after") {
      uint32_t packets = 0;
      if (!number(std::numeric_limits<uint32_t>::max(), packets) || packets == 0) {
        return fail("--unplug-after needs a packet count of at least 1");
      }
      config.fault.unplug_after = packets;
    } else {
      return fail("unknown option " + std::string(option));
    }
  }
  if (fault_kind) {
    const auto fault = ParseFaultKind(*fault_kind, config.fault);
    if (!fault) {
      return fail("unknown fault " + std::string(*fault_kind) +
                  " (silent, late:MS, wrong-echo, status:ff, status:fe)");
    }
    config.fault = *fault;
  }
  if (config.root.empty()) return fail("--root DIR is required");
  // The mouse options alone simulate the mouse alone; the keyboard joins it when asked for.
  const bool mouse_asked =
      config.with_mouse || config.with_mouse_receiver || config.with_pad || config.with_headset;
  config.with_keyboard = keyboard_asked || !mouse_asked;
  // With only --mouse-receiver the mouse's cable device exists but starts unplugged.
  config.mouse_plugged = config.with_mouse;
  result.config = std::move(config);
  return result;
}

std::string DevsimOptions::Usage() {
  return "usage: zt640-devsim --root DIR [options]\n"
         "  --root DIR              write the sysfs tree and device nodes under DIR\n"
         "  --keyboard              simulate the keyboard (the default without mouse options)\n"
         "  --receiver              also present the keyboard's 2.4 GHz receiver\n"
         "  --mouse                 simulate the mouse on its cable\n"
         "  --mouse-receiver        simulate the mouse's 2.4 GHz receiver (the mouse behind it)\n"
         "  --mouse-off             mouse switched off behind its receiver\n"
         "  --mouse-no-dpi-cycle    the mouse model without the DPI-cycle button (10 keys)\n"
         "  --pad                   simulate the mouse pad (ids 0x320f 0x5a40)\n"
         "  --headset               simulate the headset's HID interface (ids 0x320f 0x5a60)\n"
         "  --devices-json FILE     write the devices.json that lists the simulated devices\n"
         "  --log FILE              append every request packet to FILE as hex\n"
         "  --vid/--pid/--version N keyboard identity (default 0x320f 0x505b 0x0103)\n"
         "  --receiver-vid/--receiver-pid/--receiver-version N\n"
         "                          receiver identity (default 0x320f 0x5089 0x0100)\n"
         "  --mouse-vid/--mouse-pid/--mouse-version N\n"
         "                          mouse identity (default 0x320f 0x5a1c 0x0102)\n"
         "  --mouse-receiver-vid/--mouse-receiver-pid/--mouse-receiver-version N\n"
         "                          mouse receiver identity (default 0x320f 0x5a1d 0x0100)\n"
         "  --keyboard-off          keyboard switched off behind the receiver\n"
         "  --no-cable              keyboard cable unplugged at start\n"
         "  --battery P --charge S  power record (default 85 %, state 0)\n"
         "  --fault KIND            silent | late:MS | wrong-echo | status:ff | status:fe\n"
         "  --fault-command 0xNN    only requests with this command byte\n"
         "  --fault-count K         only the first K matching requests\n"
         "  --unplug-after N        unplug the device after answering N requests\n";
}

}  // namespace zt640::devsim
