#include "interface_finder.h"

#include <cstdio>
#include <cstdlib>

#include "profiles/devices_json.h"
#include "profiles/profile_folders.h"
#include "transport/device_path.h"
#include "transport/hid_device.h"

namespace zt640::ctl {

InterfaceCatalogue LoadCatalogue() {
  InterfaceCatalogue catalogue;
  const DevicesJson::Result ids = DevicesJson::ApplyFromDataRoot(LocateProfileFolders().user_data_root, catalogue);
  for (const std::string& problem : ids.problems) std::fprintf(stderr, "zt640ctl: %s\n", problem.c_str());
  return catalogue;
}

std::optional<std::string> FindInterface(const InterfaceSlot& key) {
  HidDevice enumerator;
  if (enumerator.EnumerateInterfaces() != HidDevice::kSuccess) return std::nullopt;
  HidDevice probe;
  while (auto path = enumerator.NextInterfacePath()) {
    const std::string candidate(*path);
    if (DevicePath::ParseVid(candidate) != key.vendor_id ||
        DevicePath::ParsePid(candidate) != key.product_id ||
        DevicePath::ParseInterfaceNumber(candidate) != key.interface_number ||
        DevicePath::ParseCollectionNumber(candidate) != key.collection_number) {
      continue;
    }
    if (probe.Open(candidate, true, false, true, false) != HidDevice::kSuccess) continue;
    const bool match = probe.Caps().usage_page == key.usage_page && probe.Caps().usage == key.usage;
    probe.Close();
    if (match) return candidate;
  }
  return std::nullopt;
}

std::optional<std::string> FindCatalogueInterface(const InterfaceCatalogue& catalogue, DeviceKind kind,
                                                  uint16_t role) {
  const InterfaceSlot* row = catalogue.FindRow(kind, role);
  // A row without a vendor id is never claimed in the window either.
  if (row == nullptr || row->vendor_id == 0) return std::nullopt;
  return FindInterface(*row);
}

bool ParseUsbId(const std::string& text, InterfaceSlot* key) {
  const size_t colon = text.find(':');
  if (colon == std::string::npos || colon == 0 || colon + 1 >= text.size()) return false;
  char* end = nullptr;
  const unsigned long vendor = std::strtoul(text.c_str(), &end, 16);
  if (end != text.c_str() + colon || vendor > 0xFFFF) return false;
  const unsigned long product = std::strtoul(text.c_str() + colon + 1, &end, 16);
  if (*end != '\0' || product > 0xFFFF) return false;
  key->vendor_id = static_cast<uint16_t>(vendor);
  key->product_id = static_cast<uint16_t>(product);
  return true;
}

}  // namespace zt640::ctl
