#include "platform/hid/hidraw_enumerator.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "platform/hid/hid_root.h"
#include "platform/hid/report_descriptor_parser.h"

namespace zt640::platform {

namespace {

constexpr size_t kMaxAttributeBytes = 4096;
constexpr std::string_view kNodePrefix = "hidraw";

// Whole content of a small sysfs file, at most max_bytes; none when unreadable
// or longer than that.
std::optional<std::string> ReadSmallFile(const std::string& path, size_t max_bytes) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  std::string content;
  char chunk[1024];
  bool ok = true;
  while (true) {
    const ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n < 0) {
      if (errno == EINTR) continue;
      ok = false;
      break;
    }
    if (n == 0) break;
    content.append(chunk, static_cast<size_t>(n));
    if (content.size() > max_bytes) {
      ok = false;
      break;
    }
  }
  ::close(fd);
  if (!ok) return std::nullopt;
  return content;
}

// Parses a whole hexadecimal (or decimal) attribute such as "0103\n" or " 2\n".
std::optional<unsigned long> ParseNumber(const std::optional<std::string>& text, int base) {
  if (!text) return std::nullopt;
  const char* begin = text->c_str();
  char* end = nullptr;
  errno = 0;
  const unsigned long value = std::strtoul(begin, &end, base);
  if (end == begin || errno != 0) return std::nullopt;
  for (; *end != '\0'; ++end) {
    if (*end != '\n' && *end != ' ') return std::nullopt;
  }
  return value;
}

// HID_ID=bus:vendor:product (hex, eight digits each) from a uevent file.
bool ParseHidId(const std::string& uevent, HidrawNode* node) {
  size_t pos = 0;
  while (pos < uevent.size()) {
    size_t end = uevent.find('\n', pos);
    if (end == std::string::npos) end = uevent.size();
    const std::string_view line(uevent.data() + pos, end - pos);
    pos = end + 1;
    constexpr std::string_view kKey = "HID_ID=";
    if (line.substr(0, kKey.size()) != kKey) continue;
    unsigned bus = 0;
    unsigned vendor = 0;
    unsigned product = 0;
    const std::string value(line.substr(kKey.size()));
    if (std::sscanf(value.c_str(), "%x:%x:%x", &bus, &vendor, &product) != 3) return false;
    node->bus = static_cast<uint16_t>(bus);
    node->vendor_id = static_cast<uint16_t>(vendor);
    node->product_id = static_cast<uint16_t>(product);
    return true;
  }
  return false;
}

std::string ParentFolder(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos || slash == 0) return "/";
  return path.substr(0, slash);
}

std::optional<unsigned long> NodeNumber(const std::string& name) {
  if (name.size() <= kNodePrefix.size() || name.compare(0, kNodePrefix.size(), kNodePrefix) != 0) {
    return std::nullopt;
  }
  const std::string digits = name.substr(kNodePrefix.size());
  if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return std::nullopt;
  }
  if (digits.size() > 9) return std::nullopt;
  return std::strtoul(digits.c_str(), nullptr, 10);
}

}  // namespace

std::optional<HidrawNode> HidrawEnumerator::DescribeNode(const std::string& root,
                                                         const std::string& name) {
  if (!NodeNumber(name)) return std::nullopt;
  HidrawNode node;
  node.name = name;
  node.node_path = JoinHidRoot(root, "/dev/" + name);
  const std::string device = JoinHidRoot(root, "/sys/class/hidraw/" + name + "/device");

  const std::optional<std::string> uevent = ReadSmallFile(device + "/uevent", kMaxAttributeBytes);
  if (!uevent || !ParseHidId(*uevent, &node)) return std::nullopt;
  const std::optional<std::string> descriptor =
      ReadSmallFile(device + "/report_descriptor", ReportDescriptorParser::kMaxDescriptorBytes);
  if (!descriptor) return std::nullopt;
  node.descriptor.assign(descriptor->begin(), descriptor->end());
  ReportDescriptorParseResult parsed = ReportDescriptorParser::Parse(node.descriptor);
  if (!parsed.ok || parsed.collections.empty()) return std::nullopt;
  node.collections = std::move(parsed.collections);

  // The USB interface and device folders are found through the symlink.
  std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(device.c_str(), nullptr),
                                                       &std::free);
  if (resolved) {
    const std::string usb_interface = ParentFolder(resolved.get());
    const std::string usb_device = ParentFolder(usb_interface);
    const auto interface_number =
        ParseNumber(ReadSmallFile(usb_interface + "/bInterfaceNumber", kMaxAttributeBytes), 16);
    const auto interface_count =
        ParseNumber(ReadSmallFile(usb_device + "/bNumInterfaces", kMaxAttributeBytes), 10);
    const auto bcd_device =
        ParseNumber(ReadSmallFile(usb_device + "/bcdDevice", kMaxAttributeBytes), 16);
    if (bcd_device) node.version = static_cast<uint16_t>(*bcd_device);
    if (interface_number && interface_count && *interface_count > 1 && *interface_number <= 0xFF) {
      node.interface_number = static_cast<uint8_t>(*interface_number);
    }
  }
  return node;
}

bool HidrawEnumerator::Enumerate(const std::string& root, std::vector<HidrawNode>* nodes) {
  nodes->clear();
  const std::string folder = JoinHidRoot(root, "/sys/class/hidraw");
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return errno == ENOENT || errno == ENOTDIR;
  struct DirCloser {
    void operator()(DIR* d) const { ::closedir(d); }
  };
  const std::unique_ptr<DIR, DirCloser> closer(dir);
  std::vector<std::pair<unsigned long, std::string>> names;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (const auto number = NodeNumber(name)) names.emplace_back(*number, name);
  }
  std::sort(names.begin(), names.end());
  for (const auto& [number, name] : names) {
    if (std::optional<HidrawNode> node = DescribeNode(root, name)) {
      nodes->push_back(std::move(*node));
    }
  }
  return true;
}

bool HidrawEnumerator::SplitInterfacePath(const std::string& path, std::string* root,
                                          std::string* name) {
  const std::string node_path = path.substr(0, path.find('#'));
  const size_t slash = node_path.find_last_of('/');
  if (slash == std::string::npos) return false;
  *name = node_path.substr(slash + 1);
  if (!NodeNumber(*name)) return false;
  constexpr std::string_view kDev = "/dev";
  if (slash < kDev.size() || node_path.compare(slash - kDev.size(), kDev.size(), kDev) != 0) {
    return false;
  }
  const std::string_view prefix = std::string_view(node_path).substr(0, slash - kDev.size());
  root->assign(prefix.empty() ? std::string_view("/") : prefix);
  return true;
}

}  // namespace zt640::platform
