#pragma once

// A sysfs and /dev tree of hidraw nodes in a temporary folder, laid out like
// the kernel's, for tests of the enumeration and of HidDevice.

#include <unistd.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace zt640::test {

inline std::vector<uint8_t> HexBytes(const std::string& text) {
  std::vector<uint8_t> bytes;
  size_t pos = 0;
  while (pos < text.size()) {
    if (text[pos] == '#') {
      pos = text.find('\n', pos);
      if (pos == std::string::npos) break;
      continue;
    }
    if (std::isxdigit(static_cast<unsigned char>(text[pos])) && pos + 1 < text.size()) {
      bytes.push_back(static_cast<uint8_t>(std::stoul(text.substr(pos, 2), nullptr, 16)));
      pos += 2;
    } else {
      ++pos;
    }
  }
  return bytes;
}

class FakeHidTree {
 public:
  struct Node {
    int number = 0;
    uint16_t vendor_id = 0x320f;
    uint16_t product_id = 0x505b;
    std::vector<uint8_t> descriptor;
    /// USB parent: interface number and the device's interface count.
    bool usb = true;
    int interface_number = 0;
    int interface_count = 1;
    uint16_t bcd_device = 0x0103;
  };

  FakeHidTree() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zt640-hid-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    root_ = pattern;
  }
  ~FakeHidTree() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }
  FakeHidTree(const FakeHidTree&) = delete;
  FakeHidTree& operator=(const FakeHidTree&) = delete;

  [[nodiscard]] const std::string& root() const { return root_; }
  [[nodiscard]] std::string DevPath(int number) const {
    return root_ + "/dev/hidraw" + std::to_string(number);
  }
  /// The HID device folder of a node (holds uevent and report_descriptor).
  [[nodiscard]] std::string HidFolder(int number) const {
    return root_ + "/sys/class/hidraw/hidraw" + std::to_string(number) + "/device";
  }

  void AddNode(const Node& node) {
    namespace fs = std::filesystem;
    char hid_name[32];
    std::snprintf(hid_name, sizeof hid_name, "%04X:%04X:%04X.%04X", node.usb ? 3u : 5u,
                  unsigned{node.vendor_id}, unsigned{node.product_id}, unsigned(node.number + 1));
    const std::string usb_device = "sys/devices/fake/usb1/1-" + std::to_string(node.number + 1);
    std::string hid_folder;
    if (node.usb) {
      const std::string usb_interface = usb_device + "/1-" + std::to_string(node.number + 1) +
                                        ":1." + std::to_string(node.interface_number);
      hid_folder = usb_interface + "/" + hid_name;
      fs::create_directories(root_ + "/" + hid_folder);
      char text[16];
      std::snprintf(text, sizeof text, "%04x\n", unsigned{node.bcd_device});
      Write(usb_device + "/bcdDevice", text);
      std::snprintf(text, sizeof text, "%2d\n", node.interface_count);
      Write(usb_device + "/bNumInterfaces", text);
      std::snprintf(text, sizeof text, "%02x\n", node.interface_number);
      Write(usb_interface + "/bInterfaceNumber", text);
    } else {
      hid_folder = "sys/devices/virtual/misc/uhid/" + std::string(hid_name);
      fs::create_directories(root_ + "/" + hid_folder);
    }
    char uevent[128];
    std::snprintf(uevent, sizeof uevent, "DRIVER=hid-generic\nHID_ID=%04X:%08X:%08X\nHID_NAME=fake\n",
                  node.usb ? 3u : 5u, unsigned{node.vendor_id}, unsigned{node.product_id});
    Write(hid_folder + "/uevent", uevent);
    Write(hid_folder + "/report_descriptor",
          std::string(node.descriptor.begin(), node.descriptor.end()));
    const std::string name = "hidraw" + std::to_string(node.number);
    const std::string class_device = hid_folder + "/hidraw/" + name;
    fs::create_directories(root_ + "/" + class_device);
    fs::create_directory_symlink("../..", root_ + "/" + class_device + "/device");
    fs::create_directories(root_ + "/sys/class/hidraw");
    fs::create_directory_symlink("../../" + class_device.substr(4),
                                 root_ + "/sys/class/hidraw/" + name);
    fs::create_directories(root_ + "/dev");
  }

  /// Writes (or overwrites) a file below the root.
  void Write(const std::string& relative, const std::string& content) const {
    std::ofstream out(root_ + "/" + relative, std::ios::binary | std::ios::trunc);
    out << content;
  }

 private:
  std::string root_;
};

}  // namespace zt640::test
