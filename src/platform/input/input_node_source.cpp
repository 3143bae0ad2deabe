#include "platform/input/input_node_source.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "platform/input/evdev_input_device.h"
#include "platform/input/recorded_input_device.h"

namespace zt640::platform::input {

namespace {

std::string WithSlash(std::string root) {
  if (root.empty()) root = "/";
  if (root.back() != '/') root += '/';
  return root;
}

std::string RootFromEnvironment() {
  const char* root = std::getenv("ZT640_INPUT_ROOT");
  return root != nullptr ? root : "/";
}

}  // namespace

InputNodeSource::InputNodeSource() : InputNodeSource(RootFromEnvironment()) {}

InputNodeSource::InputNodeSource(std::string root) : root_(WithSlash(std::move(root))) {}

std::string InputNodeSource::NodeFolder() const { return root_ + "dev/input"; }

std::vector<std::unique_ptr<InputDevice>> InputNodeSource::OpenAll(std::string* error) {
  std::vector<std::unique_ptr<InputDevice>> devices;
  std::vector<std::string> paths;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(NodeFolder(), ec)) {
    if (entry.path().filename().string().rfind("event", 0) == 0) paths.push_back(entry.path().string());
  }
  std::sort(paths.begin(), paths.end());
  std::string last_problem = ec ? NodeFolder() + ": " + ec.message() : NodeFolder() + ": no input event nodes";
  for (const std::string& path : paths) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
      last_problem = path + ": " + std::strerror(errno);
      continue;
    }
    UniqueFd owned(fd);
    struct stat info {};
    if (::fstat(fd, &info) != 0) continue;
    if (S_ISCHR(info.st_mode)) {
      std::string problem;
      auto device = EvdevInputDevice::FromFd(std::move(owned), &problem);
      if (device == nullptr) {
        last_problem = path + ": " + problem;
        continue;
      }
      devices.push_back(std::move(device));
    } else if (S_ISFIFO(info.st_mode) || S_ISREG(info.st_mode)) {
      devices.push_back(std::make_unique<RecordedInputDevice>(std::move(owned), path));
    }
  }
  if (devices.empty() && error != nullptr) *error = last_problem;
  return devices;
}

}  // namespace zt640::platform::input
