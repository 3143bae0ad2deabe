#include "platform/sync/event.h"

#include <chrono>

namespace zt640::platform {

Event::Event(Mode mode, bool initially_set) : mode_(mode), signalled_(initially_set) {}

void Event::Set() {
  {
    std::lock_guard lock(mutex_);
    signalled_ = true;
  }
  if (mode_ == Mode::kManualReset) {
    changed_.notify_all();
  } else {
    changed_.notify_one();
  }
}

void Event::Reset() {
  std::lock_guard lock(mutex_);
  signalled_ = false;
}

bool Event::Wait(std::int64_t timeout_ms) const {
  std::unique_lock lock(mutex_);
  const auto ready = [this] { return signalled_; };
  if (timeout_ms < 0) {
    changed_.wait(lock, ready);
  } else if (!changed_.wait_for(lock, std::chrono::milliseconds(timeout_ms), ready)) {
    return false;
  }
  if (mode_ == Mode::kAutoReset) signalled_ = false;
  return true;
}

bool Event::IsSet() const {
  std::lock_guard lock(mutex_);
  return signalled_;
}

}  // namespace zt640::platform
