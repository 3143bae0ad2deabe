// zt640ctl info: reads the keyboard's information and power records.
#include <cstdio>
#include <string>

#include "ctl_command.h"
#include "interface_finder.h"
#include "profiles/devices_json.h"
#include "transport/command_channel.h"

namespace zt640::ctl {
namespace {

int Fail(const char* what, int code) {
  std::fprintf(stderr, "zt640ctl info: %s failed (result %d)\n", what, code);
  return 1;
}

int RunInfo(const CtlArgs& args) {
  const InterfaceCatalogue catalogue = LoadCatalogue();
  const InterfaceSlot* cable_row = catalogue.FindRow(DeviceKind::kKeyboard, kRoleCommand);
  const InterfaceSlot* receiver_row = catalogue.FindRow(DeviceKind::kKeyboardReceiver, kRoleCommand);
  if (cable_row == nullptr || receiver_row == nullptr) return Fail("finding the keyboard's catalogue rows", 0);
  bool receiver = false;
  InterfaceSlot receiver_key = *receiver_row;
  for (size_t i = 0; i < args.words.size(); ++i) {
    if (args.words[i] == "--receiver") {
      receiver = true;
    } else if (args.words[i] == "--receiver-id" && i + 1 < args.words.size()) {
      if (!ParseUsbId(args.words[++i], &receiver_key)) {
        std::fprintf(stderr, "zt640ctl info: --receiver-id wants VVVV:PPPP in hex\n");
        return 2;
      }
      receiver = true;
    } else {
      std::fprintf(stderr, "zt640ctl info: unknown argument '%s'\n", args.words[i].c_str());
      return 2;
    }
  }

  const InterfaceSlot& key = receiver ? receiver_key : *cable_row;
  if (key.vendor_id == 0) {
    std::fprintf(stderr,
                 "zt640ctl info: the receiver's ids are not known (give them in %s of the user data root, "
                 "or with --receiver-id VVVV:PPPP)\n",
                 std::string(DevicesJson::kFileName).c_str());
    return 1;
  }
  const auto path = FindInterface(key);
  if (!path) {
    std::fprintf(stderr, "zt640ctl info: no %s found (looked for %04x:%04x under %s)\n",
                 receiver ? "receiver" : "keyboard", key.vendor_id, key.product_id,
                 args.hid_root.c_str());
    return 1;
  }

  CommandChannel channel;
  HidDevice& interface = receiver ? channel.receiver_interface() : channel.wired_interface();
  if (interface.Open(*path, true, true, true, false) != HidDevice::kSuccess) {
    std::fprintf(stderr, "zt640ctl info: opening %s failed (result 0)\n", path->c_str());
    return 1;
  }
  channel.SetConnectionType(receiver ? kConnectionReceiver : kConnectionWired);
  channel.set_open(true);

  if (receiver && !channel.QueryReceiverLink()) {
    std::fprintf(stderr, "zt640ctl info: the keyboard behind the receiver is switched off\n");
    return 1;
  }
  int result = channel.BeginConfig();
  if (result != CommandResult::kSuccess) return Fail("begin configuration (0x01)", result);
  DeviceInfoRecord info;
  result = channel.ReadDeviceInfo(&info);
  if (result != CommandResult::kSuccess) return Fail("reading the device information (0x03)", result);
  result = channel.EndConfig();
  if (result != CommandResult::kSuccess) return Fail("end configuration (0x02)", result);
  PowerRecord power;
  result = channel.ReadPowerRecord(&power);
  if (result != CommandResult::kSuccess) return Fail("reading the power record (0x1a)", result);

  std::printf(
      "key_count=%u macro_capacity=%u sensor=0x%04x dpi_step=%u dpi_max=%u dpi_base=%u "
      "battery=%u charge=%u\n",
      info.key_count(), info.macro_capacity_bytes(), info.sensor(), info.dpi_step(),
      info.dpi_max(), info.dpi_base(), power.battery_percent(), power.charge_state());
  return 0;
}

const CtlRegistration registration{
    {"info", "info [--receiver [--receiver-id VVVV:PPPP]]  keyboard information and power records",
     RunInfo}};

}  // namespace
}  // namespace zt640::ctl
