// zt640ctl pad: the mouse pad's lighting through the device operations the window uses.
#include <cstdio>
#include <string>
#include <vector>

#include "ctl_command.h"
#include "ctl_lighting_device.h"
#include "devices/pad/kalvex_mouse_pad_device.h"
#include "interface_finder.h"

namespace zt640::ctl {
namespace {

constexpr char kCommand[] = "pad";

int Usage() {
  std::fprintf(stderr,
               "usage: zt640ctl pad show | light --mode N [--brightness B] [--speed S] [--direction D] "
               "[--multicolour 0|1] [--colour RRGGBB]\n");
  return 2;
}

int RunPad(const CtlArgs& args) {
  if (args.words.empty()) return Usage();
  const std::string& verb = args.words[0];
  if (verb != "show" && verb != "light") return Usage();
  if (verb == "show" ? args.words.size() != 1 : !LightOptionsValid(args.words)) return Usage();
  const InterfaceCatalogue catalogue = LoadCatalogue();
  const DeviceTypeInfo type =
      DeviceTypeInfo::FromRow(catalogue.Types()[static_cast<std::size_t>(InterfaceCatalogue::kMousePadType)]);
  CKalvexMousePadDevice device(LocateProfileFolders(), type.folder_name);
  if (!PrepareLightingDevice(device, catalogue, InterfaceCatalogue::kMousePadType, DeviceKind::kMousePad, kCommand)) {
    return 1;
  }
  if (!OpenLightingDevice(device, catalogue, DeviceKind::kMousePad, kCommand)) return 1;
  if (verb == "show") {
    PrintLightLine(device);
    return 0;
  }
  return RunLightVerb(device, args.words, kCommand, Usage);
}

const CtlRegistration registration{{"pad", "pad show|light  the mouse pad's lighting and its active profile", RunPad}};

}  // namespace
}  // namespace zt640::ctl
