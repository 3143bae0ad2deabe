#include "transport/scripted_device.h"

#include <poll.h>
#include <stdlib.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace zt640::test {

namespace fs = std::filesystem;

namespace {

// Vendor page 0xFF1C, usage 0x92, report id 4, 63 data bytes in and out.
const std::vector<uint8_t> kVendorDescriptor = {
    0x06, 0x1C, 0xFF, 0x09, 0x92, 0xA1, 0x01, 0x85, 0x04, 0x09, 0x01, 0x15, 0x00, 0x26,
    0xFF, 0x00, 0x75, 0x08, 0x95, 0x3F, 0x81, 0x02, 0x09, 0x02, 0x95, 0x3F, 0x91, 0x02, 0xC0};

void WriteText(const fs::path& file, const std::string& text) {
  std::ofstream out(file, std::ios::binary);
  out << text;
}

}  // namespace

ScriptedDevice::ScriptedDevice(Responder responder, std::vector<uint8_t> descriptor)
    : responder_(std::move(responder)) {
  if (descriptor.empty()) descriptor = kVendorDescriptor;
  char templ[] = "/tmp/zt640-scripted-XXXXXX";
  if (mkdtemp(templ) == nullptr) throw std::runtime_error("mkdtemp failed");
  root_ = templ;
  const fs::path usb = fs::path(root_) / "sys/devices/test/usb1/1-1";
  const fs::path intf = usb / "1-1:1.0";
  const fs::path hid = intf / "0003:320F:505B.0001";
  const fs::path cls = hid / "hidraw/hidraw0";
  fs::create_directories(cls);
  fs::create_directories(fs::path(root_) / "sys/class/hidraw");
  fs::create_directories(fs::path(root_) / "dev");
  WriteText(usb / "idVendor", "320f\n");
  WriteText(usb / "idProduct", "505b\n");
  WriteText(usb / "bcdDevice", "0103\n");
  WriteText(usb / "bNumInterfaces", " 1\n");
  WriteText(intf / "bInterfaceNumber", "00\n");
  WriteText(hid / "uevent",
            "HID_ID=0003:0000320F:0000505B\nHID_NAME=Scripted\nHID_PHYS=usb-test-1/input0\n");
  WriteText(hid / "report_descriptor",
            std::string(descriptor.begin(), descriptor.end()));
  fs::create_directory_symlink("../..", cls / "device");
  fs::create_directory_symlink(fs::relative(cls, fs::path(root_) / "sys/class/hidraw"),
                               fs::path(root_) / "sys/class/hidraw/hidraw0");

  const std::string node = root_ + "/dev/hidraw0";
  listen_fd_ = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, node.c_str(), sizeof(address.sun_path) - 1);
  if (bind(listen_fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(listen_fd_, 8) != 0) {
    throw std::runtime_error("socket node failed");
  }
  wake_fd_ = eventfd(0, EFD_CLOEXEC);
  path_ = node + "#vid_320f&pid_505b";
  setenv("ZT640_HID_ROOT", root_.c_str(), 1);
  thread_ = std::thread([this] { Serve(); });
}

ScriptedDevice::~ScriptedDevice() {
  stop_ = true;
  const uint64_t one = 1;
  (void)!write(wake_fd_, &one, sizeof one);
  thread_.join();
  for (int fd : clients_) close(fd);
  close(listen_fd_);
  close(wake_fd_);
  unsetenv("ZT640_HID_ROOT");
  std::error_code ignored;
  fs::remove_all(root_, ignored);
}

std::vector<Report> ScriptedDevice::requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

void ScriptedDevice::Send(const Report& report) {
  std::lock_guard lock(mutex_);
  for (int fd : clients_) (void)!send(fd, report.data(), report.size(), MSG_NOSIGNAL);
}

void ScriptedDevice::DropClients() {
  std::lock_guard lock(mutex_);
  for (int fd : clients_) shutdown(fd, SHUT_RDWR);
}

Report ScriptedDevice::Echo(const Report& request, uint8_t status,
                            const std::vector<uint8_t>& data) {
  Report reply(64, 0);
  reply[0] = 0x04;
  reply[3] = request.size() > 3 ? request[3] : 0;
  reply[4] = request.size() > 4 ? request[4] : 0;
  reply[5] = request.size() > 5 ? request[5] : 0;
  reply[6] = request.size() > 6 ? request[6] : 0;
  reply[7] = status;
  for (size_t i = 0; i < data.size() && 8 + i < reply.size(); ++i) reply[8 + i] = data[i];
  unsigned sum = 0;
  for (size_t i = 3; i < reply.size(); ++i) sum += reply[i];
  reply[1] = static_cast<uint8_t>(sum & 0xFF);
  reply[2] = static_cast<uint8_t>(sum >> 8);
  return reply;
}

void ScriptedDevice::Serve() {
  while (!stop_) {
    std::vector<pollfd> fds = {{listen_fd_, POLLIN, 0}, {wake_fd_, POLLIN, 0}};
    {
      std::lock_guard lock(mutex_);
      for (int fd : clients_) fds.push_back({fd, POLLIN, 0});
    }
    if (poll(fds.data(), fds.size(), -1) < 0) continue;
    if (fds[0].revents & POLLIN) {
      const int client = accept4(listen_fd_, nullptr, nullptr, SOCK_CLOEXEC);
      if (client >= 0) {
        std::lock_guard lock(mutex_);
        clients_.push_back(client);
      }
    }
    for (size_t i = 2; i < fds.size(); ++i) {
      if ((fds[i].revents & (POLLIN | POLLHUP | POLLERR)) == 0) continue;
      uint8_t buffer[256];
      const ssize_t n = recv(fds[i].fd, buffer, sizeof buffer, MSG_DONTWAIT);
      if (n <= 0) {
        std::lock_guard lock(mutex_);
        std::erase(clients_, fds[i].fd);
        close(fds[i].fd);
        continue;
      }
      Report request(buffer, buffer + n);
      {
        std::lock_guard lock(mutex_);
        requests_.push_back(request);
      }
      for (const Report& reply : responder_(request)) Send(reply);
    }
  }
}

}  // namespace zt640::test
