// zt640ctl update check [--url URL]: asks the update service about the firmware of
// every device present and about this program, one line per target.
#include <cstdio>
#include <optional>
#include <string>

#include "ctl_command.h"
#include "interface_finder.h"
#include "platform/settings/registry_store.h"
#include "transport/hid_device.h"
#include "updateclient/curl_library.h"
#include "updateclient/installed_version.h"
#include "updateclient/update_address.h"
#include "updateclient/update_catalogue.h"
#include "updateclient/update_client.h"
#include "updateclient/update_target.h"

namespace zt640::ctl {
namespace {

constexpr const char* kUsage = "usage: zt640ctl update check [--url URL]";

/// The device kind whose wired interface gives the firmware version of catalogue
/// rows 0 to 2, in the order of the window's device selector.
constexpr DeviceKind kFirmwareRowKinds[] = {DeviceKind::kMouse, DeviceKind::kKeyboard, DeviceKind::kMousePad};

/// The USB version of the kind's wired command interface; 0 when it is absent.
uint32_t PresentDeviceVersion(const InterfaceCatalogue& catalogue, DeviceKind kind) {
  const auto path = FindCatalogueInterface(catalogue, kind, kRoleCommand);
  if (!path) return 0;
  HidDevice device;
  if (device.Open(*path, true, false, true, false) != HidDevice::kSuccess) return 0;
  const uint32_t version = device.Attributes().version_number;
  device.Close();
  return version;
}

/// A field of the output line: control characters (and, outside the last field,
/// blanks) would break the one-line-per-target format, so they become "?".
std::string LineField(const std::string& text, bool last) {
  std::string field = text;
  for (char& c : field) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F || (!last && c == ' ')) c = '?';
  }
  return field;
}

int RunUpdate(const CtlArgs& args) {
  std::optional<std::string> url;
  bool check = false;
  for (std::size_t i = 0; i < args.words.size(); ++i) {
    const std::string& word = args.words[i];
    if (word == "check" && !check) {
      check = true;
    } else if (word == "--url" && i + 1 < args.words.size() && !url) {
      url = args.words[++i];
    } else {
      std::fprintf(stderr, "zt640ctl update: unexpected '%s'\n%s\n", word.c_str(), kUsage);
      return 2;
    }
  }
  if (!check) {
    std::fprintf(stderr, "%s\n", kUsage);
    return 2;
  }

  std::string error;
  const auto rows = LoadDefaultUpdateCatalogue(error);
  if (!rows) {
    std::fprintf(stderr, "zt640ctl update: %s\n", error.c_str());
    return 1;
  }
  std::string base_url;
  if (url) {
    base_url = *url;
    if (base_url.empty() || base_url.back() != '/') base_url += '/';
  } else {
    base_url = ResolveUpdateBaseUrl(platform::RegistryStore(platform::RegistryStore::DefaultPath())).base_url;
  }
  if (!IsAcceptedUpdateAddress(base_url)) {
    std::fprintf(stderr, "zt640ctl update: %s: %s\n", base_url.c_str(),
                 UpdateFaultText(UpdateFault::kRefusedAddress));
    return 1;
  }

  // Without the library every exchange would only report an unreachable service.
  if (CurlLibrary::Shared() == nullptr) {
    std::fprintf(stderr, "zt640ctl update: %s could not be loaded (package libcurl4): no update service can be asked\n",
                 CurlLibrary::kFileName);
    return 1;
  }
  const InterfaceCatalogue catalogue = LoadCatalogue();
  const UpdateClient client({base_url, ExchangeTimeouts{}});
  bool every_target_answered = true;
  for (std::size_t index = 0; index < kUpdateTargetCount; ++index) {
    UpdateTarget target{(*rows)[index], 0};
    target.current_version = index == kApplicationRow ? ReadInstalledVersion()
                                                      : PresentDeviceVersion(catalogue, kFirmwareRowKinds[index]);
    // As in the update window: only present devices and the program itself are asked about.
    if (target.current_version == 0) continue;
    const uint32_t format = target.row.version_format;
    const UpdateResult result = client.QueryUpdate(BuildUpdateKey(target), target.current_version, format);
    if (result.status == UpdateStatus::kUnset) every_target_answered = false;
    if (result.fault != UpdateFault::kNone) {
      std::fprintf(stderr, "zt640ctl update: target %zu: %s\n", index, UpdateFaultText(result.fault));
    }
    const std::string current =
        result.current_version_text.empty() ? VersionText(target.current_version, format) : result.current_version_text;
    std::printf("target=%zu status=%d current=%s new=%s name=%s\n", index, static_cast<int>(result.status),
                LineField(current, false).c_str(), LineField(result.new_version_text, false).c_str(),
                LineField(result.name, true).c_str());
  }
  return every_target_answered ? 0 : 1;
}

const CtlRegistration registration{
    {"update", "update check [--url URL]  ask the update service about the devices present and this program",
     RunUpdate}};

}  // namespace
}  // namespace zt640::ctl
