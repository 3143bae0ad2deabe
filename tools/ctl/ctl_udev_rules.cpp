// zt640ctl udev-rules: prints the udev rules that give the logged-in user access to the
// hidraw nodes of every catalogue device with known ids (built-in and devices.json).
#include <cstdio>
#include <string>
#include <vector>

#include "ctl_command.h"
#include "interface_finder.h"
#include "profiles/devices_json.h"

namespace zt640::ctl {
namespace {

/// What a rule line or the "without ids" note calls a kind.
const char* KindLabel(DeviceKind kind) {
  switch (kind) {
    case DeviceKind::kKeyboard:
      return "keyboard";
    case DeviceKind::kKeyboardReceiver:
      return "keyboard receiver";
    case DeviceKind::kMouse:
      return "mouse";
    case DeviceKind::kMouseReceiver:
      return "mouse receiver";
    case DeviceKind::kMousePad:
      return "mouse pad";
    case DeviceKind::kHeadset:
    case DeviceKind::kOtherHeadset:
      return "headset";
    case DeviceKind::kHub:
      return "hub";
    case DeviceKind::kNone:
      break;
  }
  return "device";
}

/// One USB device (vendor and product id) and the kinds the catalogue finds on it.
struct RuleDevice {
  uint16_t vendor_id = 0;
  uint16_t product_id = 0;
  std::vector<DeviceKind> kinds;
};

void AddKind(std::vector<DeviceKind>& kinds, DeviceKind kind) {
  for (const DeviceKind known : kinds) {
    if (known == kind) return;
  }
  kinds.push_back(kind);
}

std::string KindList(const std::vector<DeviceKind>& kinds) {
  std::string text;
  for (const DeviceKind kind : kinds) {
    if (!text.empty()) text += ", ";
    text += KindLabel(kind);
  }
  return text;
}

int RunUdevRules(const CtlArgs& args) {
  if (!args.words.empty()) {
    std::fprintf(stderr, "zt640ctl udev-rules: unknown argument '%s'\nusage: zt640ctl udev-rules\n",
                 args.words.front().c_str());
    return 2;
  }
  const InterfaceCatalogue catalogue = LoadCatalogue();
  // The rule matches the USB device, so every interface row of one id pair shares a line;
  // a row with vendor id 0 has no ids yet and is never claimed, so it gets none.
  std::vector<RuleDevice> devices;
  std::vector<DeviceKind> without_ids;
  for (const InterfaceSlot& row : catalogue.Rows()) {
    if (row.vendor_id == 0) {
      AddKind(without_ids, row.kind);
      continue;
    }
    RuleDevice* device = nullptr;
    for (RuleDevice& known : devices) {
      if (known.vendor_id == row.vendor_id && known.product_id == row.product_id) device = &known;
    }
    if (device == nullptr) device = &devices.emplace_back(RuleDevice{row.vendor_id, row.product_id, {}});
    AddKind(device->kinds, row.kind);
  }

  std::printf(
      "# zt640: lets the logged-in user open the hidraw nodes of these devices.\n"
      "# \"zt640ctl udev-rules\" prints these rules with the ids of %s added.\n",
      std::string(DevicesJson::kFileName).c_str());
  for (const RuleDevice& device : devices) {
    std::printf("# %s\n", KindList(device.kinds).c_str());
    std::printf(
        "KERNEL==\"hidraw*\", SUBSYSTEM==\"hidraw\", ATTRS{idVendor}==\"%04x\", ATTRS{idProduct}==\"%04x\", "
        "TAG+=\"uaccess\"\n",
        device.vendor_id, device.product_id);
  }
  if (!without_ids.empty()) {
    std::printf("# not covered until their ids are given in %s: %s\n", std::string(DevicesJson::kFileName).c_str(),
                KindList(without_ids).c_str());
  }
  return 0;
}

const CtlRegistration registration{
    {"udev-rules", "udev-rules  print udev rules for the built-in and devices.json ids", RunUdevRules}};

}  // namespace
}  // namespace zt640::ctl
