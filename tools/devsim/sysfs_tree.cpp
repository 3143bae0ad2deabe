#include "devsim/sysfs_tree.h"

#include <cstdio>

namespace zt640::devsim {
namespace fs = std::filesystem;

namespace {

template <typename... Args>
std::string Format(const char* format, Args... args) {
  char buffer[160];
  std::snprintf(buffer, sizeof(buffer), format, args...);
  return buffer;
}

}  // namespace

fs::path SysfsTree::ClassFolder(const fs::path& root) { return root / "sys/class/hidraw"; }

fs::path SysfsTree::BusFolder(const fs::path& root) {
  return root / "sys/devices/zt640sim/usb1";
}

bool SysfsTree::Write(const fs::path& root, const UsbDeviceSpec& device, unsigned& hid_sequence,
                      std::string* error) {
  const std::string usb_name = Format("1-%d", device.port);
  const fs::path usb = BusFolder(root) / usb_name;
  bool ok = journal_.MakeDirectories(usb) &&
            journal_.WriteFile(usb / "idVendor", Format("%04x\n", device.vendor)) &&
            journal_.WriteFile(usb / "idProduct", Format("%04x\n", device.product)) &&
            journal_.WriteFile(usb / "bcdDevice", Format("%04x\n", device.version)) &&
            journal_.WriteFile(usb / "bNumInterfaces",
                               Format("%2d\n", static_cast<int>(device.interfaces.size()) + device.other_interfaces)) &&
            journal_.WriteFile(usb / "manufacturer", device.manufacturer + "\n") &&
            journal_.WriteFile(usb / "product", device.name + "\n");

  for (const HidInterfaceSpec& interface : device.interfaces) {
    if (!ok) break;
    const fs::path usb_interface =
        usb / Format("%s:1.%d", usb_name.c_str(), static_cast<int>(interface.number));
    const fs::path hid = usb_interface / Format("0003:%04X:%04X.%04X", device.vendor,
                                                device.product, ++hid_sequence & 0xFFFF);
    const std::string hidraw_name = Format("hidraw%d", interface.hidraw);
    const fs::path class_folder = hid / "hidraw" / hidraw_name;
    const std::string uevent =
        "DRIVER=hid-generic\n" +
        Format("HID_ID=0003:%08X:%08X\n", device.vendor, device.product) +
        "HID_NAME=" + device.manufacturer + " " + device.name + "\n" +
        Format("HID_PHYS=usb-zt640sim-%d/input%d\n", device.port,
               static_cast<int>(interface.number)) +
        "HID_UNIQ=\n" +
        Format("MODALIAS=hid:b0003g0001v%08Xp%08X\n", device.vendor, device.product);
    const std::string descriptor(interface.descriptor.begin(), interface.descriptor.end());
    ok = journal_.MakeDirectories(usb_interface) &&
         journal_.WriteFile(usb_interface / "bInterfaceNumber",
                            Format("%02x\n", static_cast<int>(interface.number))) &&
         journal_.WriteFile(usb_interface / "bInterfaceClass", "03\n") &&
         journal_.MakeDirectories(hid) && journal_.WriteFile(hid / "uevent", uevent) &&
         journal_.WriteFile(hid / "report_descriptor", descriptor) &&
         journal_.MakeDirectories(class_folder) &&
         journal_.WriteFile(class_folder / "dev", Format("244:%d\n", interface.hidraw)) &&
         journal_.WriteFile(class_folder / "uevent",
                            Format("MAJOR=244\nMINOR=%d\nDEVNAME=%s\n", interface.hidraw,
                                   hidraw_name.c_str())) &&
         journal_.MakeSymlink("../..", class_folder / "device") &&
         journal_.MakeDirectories(ClassFolder(root)) &&
         journal_.MakeSymlink(fs::path("../../devices") / class_folder.lexically_relative(
                                                              root / "sys/devices"),
                              ClassFolder(root) / hidraw_name);
  }
  if (!ok) {
    if (error) *error = journal_.Error();
    journal_.RemoveAll();
  }
  return ok;
}

}  // namespace zt640::devsim
