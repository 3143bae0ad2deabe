#pragma once

#include <cstdint>
#include <memory>
#include <string>

struct libevdev_uinput;

namespace zt640::platform::input {

/// Hands Caps Lock, Num Lock and Scroll Lock back to the system while the keyboards are
/// grabbed, through a virtual keyboard made with uinput, so the lock states still toggle.
class LockKeyInjector {
 public:
  virtual ~LockKeyInjector() = default;
  /// Repeats the key event on the virtual keyboard; false when it could not.
  [[nodiscard]] virtual bool Inject(std::uint16_t code, std::int32_t value) = 0;
};

/// The uinput virtual keyboard; null when `<root>dev/uinput` cannot be used (the lock
/// keys are then recorded but the system does not see them while the grab lasts).
[[nodiscard]] std::unique_ptr<LockKeyInjector> OpenUinputLockKeyInjector(const std::string& root);

}  // namespace zt640::platform::input
