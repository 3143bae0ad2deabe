#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/input/input_device.h"
#include "platform/input/lock_key_injector.h"
#include "platform/input/recorded_input_device.h"

namespace zt640::test {

/// What happened to the fake devices, in order: "grab NAME", "ungrab NAME",
/// "close NAME", "inject CODE VALUE"; waits on it end on the entry, not on time.
class DeviceLog {
 public:
  void Add(std::string entry) {
    {
      std::lock_guard lock(mutex_);
      entries_.push_back(std::move(entry));
    }
    changed_.notify_all();
  }
  [[nodiscard]] bool WaitFor(const std::string& entry) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(10), [&] { return HasLocked(entry); });
  }
  [[nodiscard]] bool Has(const std::string& entry) {
    std::lock_guard lock(mutex_);
    return HasLocked(entry);
  }
  [[nodiscard]] std::vector<std::string> Entries() {
    std::lock_guard lock(mutex_);
    return entries_;
  }

 private:
  bool HasLocked(const std::string& entry) const {
    for (const std::string& e : entries_) {
      if (e == entry) return true;
    }
    return false;
  }
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::string> entries_;
};

/// The write end of a fake device: raw input events, as the kernel delivers them.
class EventPipe {
 public:
  explicit EventPipe(int fd) : fd_(fd) {}
  EventPipe(EventPipe&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  ~EventPipe() { Close(); }
  void Write(std::uint16_t type, std::uint16_t code, std::int32_t value, std::uint64_t time_us = 0) {
    input_event event{};
    event.input_event_sec = static_cast<decltype(event.input_event_sec)>(time_us / 1000000u);
    event.input_event_usec = static_cast<decltype(event.input_event_usec)>(time_us % 1000000u);
    event.type = type;
    event.code = code;
    event.value = value;
    [[maybe_unused]] const ssize_t written = ::write(fd_, &event, sizeof event);
  }
  /// The device vanishes: its reader sees the end of the stream.
  void Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_;
};

/// A keyboard and/or mouse fed through a pipe, logging grabs and its closing.
class FakeInputDevice final : public platform::input::InputDevice {
 public:
  FakeInputDevice(int read_fd, std::string name, bool keyboard, bool mouse, std::shared_ptr<DeviceLog> log)
      : stream_(platform::UniqueFd(read_fd), name), name_(std::move(name)), keyboard_(keyboard), mouse_(mouse),
        log_(std::move(log)) {}
  ~FakeInputDevice() override { log_->Add("close " + name_); }
  int Fd() const override { return stream_.Fd(); }
  const std::string& Name() const override { return name_; }
  bool IsKeyboard() const override { return keyboard_; }
  bool IsMouse() const override { return mouse_; }
  bool SetGrab(bool grab) override {
    log_->Add((grab ? "grab " : "ungrab ") + name_);
    return true;
  }
  platform::input::InputReadStatus Read(input_event* event, std::uint32_t* time_ms) override {
    return stream_.Read(event, time_ms);
  }

 private:
  platform::input::RecordedInputDevice stream_;
  std::string name_;
  bool keyboard_;
  bool mouse_;
  std::shared_ptr<DeviceLog> log_;
};

/// Hands out the fake devices made for it, once.
class FakeDeviceSource final : public platform::input::InputDeviceSource {
 public:
  explicit FakeDeviceSource(std::shared_ptr<DeviceLog> log) : log_(std::move(log)) {}

  EventPipe Add(const std::string& name, bool keyboard, bool mouse) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) return EventPipe(-1);
    devices_.push_back(std::make_unique<FakeInputDevice>(fds[0], name, keyboard, mouse, log_));
    return EventPipe(fds[1]);
  }
  std::vector<std::unique_ptr<platform::input::InputDevice>> OpenAll(std::string* error) override {
    if (devices_.empty() && error != nullptr) *error = "no devices";
    return std::exchange(devices_, {});
  }

 private:
  std::shared_ptr<DeviceLog> log_;
  std::vector<std::unique_ptr<platform::input::InputDevice>> devices_;
};

class FakeInjector final : public platform::input::LockKeyInjector {
 public:
  explicit FakeInjector(std::shared_ptr<DeviceLog> log) : log_(std::move(log)) {}
  bool Inject(std::uint16_t code, std::int32_t value) override {
    log_->Add("inject " + std::to_string(code) + " " + std::to_string(value));
    return true;
  }

 private:
  std::shared_ptr<DeviceLog> log_;
};

}  // namespace zt640::test
