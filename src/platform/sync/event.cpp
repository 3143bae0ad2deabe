#include "platform/sync/event.h"

#include <chrono>
#include <utility>

namespace zt640::platform {

Event::Event(Mode mode, bool initially_set) : mode_(mode), signalled_(initially_set) {}

void Event::Set() {
  {
    std::lock_guard lock(mutex_);
    signalled_ = true;
    for (const auto& [id, waker] : wakers_) waker();
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

Event::WakerLink Event::LinkWaker(std::function<void()> waker) const {
  std::lock_guard lock(mutex_);
  if (signalled_) waker();
  const std::uint64_t id = next_waker_++;
  wakers_.emplace(id, std::move(waker));
  return WakerLink(this, id);
}

Event::WakerLink::WakerLink(WakerLink&& other) noexcept
    : event_(std::exchange(other.event_, nullptr)), id_(other.id_) {}

Event::WakerLink::~WakerLink() {
  if (event_ == nullptr) return;
  std::lock_guard lock(event_->mutex_);
  event_->wakers_.erase(id_);
}

}  // namespace zt640::platform
