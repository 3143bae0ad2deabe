#include "platform/input/evdev_hook_backend.h"

#include <poll.h>

#include <cerrno>

#include "platform/diag/debug_output.h"

namespace zt640::platform::input {

namespace {

bool IsMouseButton(std::uint16_t code) { return code >= BTN_MOUSE && code < BTN_JOYSTICK; }
bool IsKeyboardKey(std::uint16_t code) { return code < BTN_MISC; }

}  // namespace

EvdevHookBackend::EvdevHookBackend(std::shared_ptr<InputDeviceSource> source, InjectorFactory injectors)
    : source_(std::move(source)), injectors_(std::move(injectors)) {}

EvdevHookBackend::~EvdevHookBackend() { End({}); }

bool EvdevHookBackend::Begin(HookEventSink* sink, bool keyboard, bool mouse, std::string* error) {
  End({});
  if (source_ == nullptr || sink == nullptr || !stop_.IsValid() || !finished_.IsValid()) {
    if (error != nullptr) *error = "input devices cannot be watched";
    return false;
  }
  std::string problem;
  std::vector<std::unique_ptr<InputDevice>> found = source_->OpenAll(&problem);
  devices_.clear();
  bool any_grabbed = false;
  for (auto& device : found) {
    const bool wanted = (keyboard && device->IsKeyboard()) || (mouse && device->IsMouse());
    if (!wanted) continue;  // closed here, never grabbed
    OpenDevice open{std::move(device), false};
    if (keyboard && open.device->IsKeyboard()) {
      // A device some other program holds cannot be grabbed; it is still read.
      open.grabbed = open.device->SetGrab(true);
      any_grabbed = any_grabbed || open.grabbed;
    }
    devices_.push_back(std::move(open));
  }
  if (devices_.empty()) {
    if (error != nullptr) {
      *error = problem.empty() ? "no keyboard or mouse among the input devices" : problem;
    }
    return false;
  }
  injector_ = any_grabbed && injectors_ ? injectors_() : nullptr;
  sink_ = sink;
  keyboard_ = keyboard;
  mouse_ = mouse;
  stopping_ = false;
  stop_.Reset();
  finished_.Reset();
  open_count_ = devices_.size();
  reader_ = std::thread([this] { Run(); });
  return true;
}

void EvdevHookBackend::End(const StopPump& pump) {
  if (!reader_.joinable()) return;
  stopping_ = true;
  stop_.Set();
  // The reader may be blocked in a send to the window whose thread is this one: keep
  // running that window's messages until the reader has finished.
  while (pump.dispatch && pump.wake_fd >= 0) {
    pollfd fds[2] = {{finished_.fd(), POLLIN, 0}, {pump.wake_fd, POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0 && errno != EINTR) break;
    if ((fds[0].revents & POLLIN) != 0) break;
    if ((fds[1].revents & POLLIN) != 0) pump.dispatch();
  }
  reader_.join();
  injector_.reset();
  sink_ = nullptr;
}

void EvdevHookBackend::Run() {
  try {
    std::vector<pollfd> fds;
    while (!stopping_ && !devices_.empty()) {
      fds.assign(1, pollfd{stop_.fd(), POLLIN, 0});
      for (const OpenDevice& open : devices_) fds.push_back(pollfd{open.device->Fd(), POLLIN, 0});
      if (::poll(fds.data(), fds.size(), -1) < 0) {
        if (errno == EINTR) continue;
        break;
      }
      if ((fds[0].revents & POLLIN) != 0) break;
      for (size_t i = devices_.size(); i-- > 0;) {
        if (fds[i + 1].revents == 0) continue;
        if (Drain(devices_[i])) continue;
        DebugOutput("input device gone: " + devices_[i].device->Name());
        open_count_ = devices_.size() - 1;
        Release(devices_[i]);
        devices_.erase(devices_.begin() + static_cast<std::ptrdiff_t>(i));
      }
    }
  } catch (...) {
    DebugOutput("input hook reader failed; every device is given back");
  }
  open_count_ = 0;
  for (OpenDevice& open : devices_) Release(open);
  devices_.clear();
  finished_.Set();
}

bool EvdevHookBackend::Drain(OpenDevice& open) {
  input_event event{};
  std::uint32_t time_ms = 0;
  while (!stopping_) {
    switch (open.device->Read(&event, &time_ms)) {
      case InputReadStatus::kEvent: Handle(event, time_ms, open); break;
      case InputReadStatus::kAgain: return true;
      case InputReadStatus::kGone: return false;
    }
  }
  return true;
}

void EvdevHookBackend::Handle(const input_event& event, std::uint32_t time_ms, const OpenDevice& open) {
  if (event.type != EV_KEY) return;
  if (IsMouseButton(event.code)) {
    if (!mouse_ || event.value == kKeyRepeated) return;
    ButtonInput button;
    button.code = event.code;
    button.press = event.value != kKeyReleased;
    button.time_ms = time_ms;
    sink_->OnButton(button);
    return;
  }
  if (!IsKeyboardKey(event.code) || !keyboard_) return;
  const KeyDisposition disposition = sink_->OnKey(KeyInput{event.code, event.value, time_ms});
  if (disposition == KeyDisposition::kPassOn && open.grabbed && injector_ != nullptr &&
      !injector_->Inject(event.code, event.value)) {
    DebugOutput("lock key could not be handed back to the system");
  }
}

void EvdevHookBackend::Release(OpenDevice& open) {
  if (open.grabbed && !open.device->SetGrab(false)) {
    DebugOutput("input device grab release failed; closing the device releases it: " + open.device->Name());
  }
  open.grabbed = false;
  open.device.reset();
}

}  // namespace zt640::platform::input
