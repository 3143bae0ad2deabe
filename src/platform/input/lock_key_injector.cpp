#include "platform/input/lock_key_injector.h"

#include <fcntl.h>
#include <libevdev/libevdev-uinput.h>
#include <libevdev/libevdev.h>

#include "platform/ipc/unique_fd.h"

namespace zt640::platform::input {

namespace {

constexpr char kVirtualKeyboardName[] = "zt640 lock keys";

class UinputLockKeyInjector final : public LockKeyInjector {
 public:
  UinputLockKeyInjector(UniqueFd fd, libevdev_uinput* uinput) : fd_(std::move(fd)), uinput_(uinput) {}
  ~UinputLockKeyInjector() override { libevdev_uinput_destroy(uinput_); }

  bool Inject(std::uint16_t code, std::int32_t value) override {
    return libevdev_uinput_write_event(uinput_, EV_KEY, code, value) == 0 &&
           libevdev_uinput_write_event(uinput_, EV_SYN, SYN_REPORT, 0) == 0;
  }

 private:
  UniqueFd fd_;  ///< the uinput node; outlives the virtual device made on it
  libevdev_uinput* uinput_;
};

}  // namespace

std::unique_ptr<LockKeyInjector> OpenUinputLockKeyInjector(const std::string& root) {
  std::string path = root.empty() ? "/" : root;
  if (path.back() != '/') path += '/';
  path += "dev/uinput";
  UniqueFd fd(::open(path.c_str(), O_RDWR | O_CLOEXEC));
  if (!fd.valid()) return nullptr;
  libevdev* prototype = libevdev_new();
  if (prototype == nullptr) return nullptr;
  libevdev_set_name(prototype, kVirtualKeyboardName);
  const int has_keys = libevdev_enable_event_type(prototype, EV_KEY) == 0 &&
                       libevdev_enable_event_code(prototype, EV_KEY, KEY_CAPSLOCK, nullptr) == 0 &&
                       libevdev_enable_event_code(prototype, EV_KEY, KEY_NUMLOCK, nullptr) == 0 &&
                       libevdev_enable_event_code(prototype, EV_KEY, KEY_SCROLLLOCK, nullptr) == 0;
  libevdev_uinput* uinput = nullptr;
  const int rc = has_keys ? libevdev_uinput_create_from_device(prototype, fd.get(), &uinput) : -1;
  libevdev_free(prototype);
  if (rc != 0) return nullptr;
  return std::make_unique<UinputLockKeyInjector>(std::move(fd), uinput);
}

}  // namespace zt640::platform::input
