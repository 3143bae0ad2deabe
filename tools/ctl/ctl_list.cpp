// zt640ctl list: one line per HID interface present.
#include <cstdio>

#include "ctl_command.h"
#include "transport/hid_device.h"

namespace zt640::ctl {
namespace {

int RunList(const CtlArgs& args) {
  if (!args.words.empty()) {
    std::fprintf(stderr, "zt640ctl list: takes no arguments\n");
    return 2;
  }
  HidDevice enumerator;
  if (enumerator.EnumerateInterfaces() != HidDevice::kSuccess) {
    std::fprintf(stderr, "zt640ctl list: enumerating the HID interfaces failed\n");
    return 1;
  }
  HidDevice probe;
  while (auto path = enumerator.NextInterfacePath()) {
    const std::string interface_path(*path);
    if (probe.Open(interface_path, true, false, true, false) != HidDevice::kSuccess) {
      std::printf("%s (cannot be opened)\n", interface_path.c_str());
      continue;
    }
    const auto& attributes = probe.Attributes();
    const auto& caps = probe.Caps();
    std::printf("%s vid=%04x pid=%04x mi=%d col=%d page=%04x usage=%04x in=%u out=%u feat=%u\n",
                interface_path.c_str(), attributes.vendor_id, attributes.product_id,
                probe.InterfaceNumber(), probe.CollectionNumber(), caps.usage_page, caps.usage,
                caps.input_report_byte_length, caps.output_report_byte_length,
                caps.feature_report_byte_length);
    probe.Close();
  }
  return 0;
}

const CtlRegistration registration{{"list", "list                      every HID interface present", RunList}};

}  // namespace
}  // namespace zt640::ctl
