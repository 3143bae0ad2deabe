#pragma once

#include <QObject>
#include <QPointer>
#include <cstdint>

#include "editors/hook_control.h"

namespace zt640 {

namespace platform {
class MessageQueue;
}

/// The hook for when the input devices cannot be read: the key and mouse button
/// events of this program's own windows, sent to the main window as the hook
/// messages of the running mode, synchronously, just as the system-wide hook sends
/// them. Key events are taken from the windows while the keyboard side runs (Caps
/// Lock, Num Lock and Scroll Lock pass on), mouse events are only watched. UI thread
/// only.
class InWindowHook : public QObject, public HookControl {
  Q_OBJECT
 public:
  /// `queue` is the main window's message queue; it must outlive the hook.
  explicit InWindowHook(platform::MessageQueue& queue);
  ~InWindowHook() override;

  int Start(platform::input::HookMode mode, bool keyboard, bool mouse) override;
  void Stop() override;
  [[nodiscard]] bool IsSystemWide() const override { return false; }
  [[nodiscard]] bool IsDelivering(std::int64_t lparam) const override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  /// Sends one event's message with `record` vouched for during the send.
  void Send(std::uint32_t message, std::uint32_t id, const void* record);

  platform::MessageQueue& queue_;
  platform::input::HookMode mode_ = platform::input::HookMode::kNone;
  bool keyboard_ = false;
  bool mouse_ = false;
  bool installed_ = false;
  const void* delivering_ = nullptr;
};

}  // namespace zt640
