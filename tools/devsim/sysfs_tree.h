#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "devsim/path_journal.h"

namespace zt640::devsim {

/// One HID interface of a simulated USB device.
struct HidInterfaceSpec {
  uint8_t number = 0;               ///< bInterfaceNumber
  std::vector<uint8_t> descriptor;  ///< report descriptor
  int hidraw = 0;                   ///< K of hidrawK
};

/// A simulated USB device as the kernel would show it.
struct UsbDeviceSpec {
  uint16_t vendor = 0;
  uint16_t product = 0;
  uint16_t version = 0;  ///< bcdDevice
  int port = 1;          ///< N of the USB path 1-N
  std::string manufacturer;
  std::string name;
  std::vector<HidInterfaceSpec> interfaces;
  /// Interfaces of other classes (a headset's audio interfaces): counted in
  /// bNumInterfaces, no folders written.
  int other_interfaces = 0;
};

/// The sysfs folders of one plugged USB device under a root: the USB device
/// and interface folders, the HID device with uevent and report_descriptor, the
/// hidraw class folder with its `device` symlink and the class symlink in
/// sys/class/hidraw. Removes what it wrote when destroyed.
class SysfsTree {
 public:
  SysfsTree() = default;
  SysfsTree(const SysfsTree&) = delete;
  SysfsTree& operator=(const SysfsTree&) = delete;

  /// Writes the tree; hid_sequence numbers the HID device folders (…​.XXXX) and
  /// is advanced once per interface. False with *error set on failure (what was
  /// written so far is removed).
  [[nodiscard]] bool Write(const std::filesystem::path& root, const UsbDeviceSpec& device,
                           unsigned& hid_sequence, std::string* error);
  void Remove() { journal_.RemoveAll(); }

  /// sys/class/hidraw relative to the root: the folder class symlinks go in.
  [[nodiscard]] static std::filesystem::path ClassFolder(const std::filesystem::path& root);
  /// The USB bus folder the devices hang under.
  [[nodiscard]] static std::filesystem::path BusFolder(const std::filesystem::path& root);

 private:
  PathJournal journal_;
};

}  // namespace zt640::devsim
