#include "shell/in_window_hook.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWindow>
#include <optional>

#include "editors/qt_key_record.h"
#include "platform/ipc/message_queue.h"
#include "platform/ipc/registered_messages.h"

namespace zt640 {

namespace input = platform::input;

namespace {

/// Press and release message ids of a mouse button, and the extra-button number.
struct ButtonMessages {
  std::uint32_t press;
  std::uint32_t release;
  std::uint16_t extra;
};

std::optional<ButtonMessages> MessagesOf(Qt::MouseButton button) {
  switch (button) {
    case Qt::LeftButton: return ButtonMessages{input::kLeftButtonDown, input::kLeftButtonUp, 0};
    case Qt::RightButton: return ButtonMessages{input::kRightButtonDown, input::kRightButtonUp, 0};
    case Qt::MiddleButton: return ButtonMessages{input::kMiddleButtonDown, input::kMiddleButtonUp, 0};
    case Qt::BackButton: return ButtonMessages{input::kExtraButtonDown, input::kExtraButtonUp, input::kExtraButtonBack};
    case Qt::ForwardButton:
      return ButtonMessages{input::kExtraButtonDown, input::kExtraButtonUp, input::kExtraButtonForward};
    default: return std::nullopt;
  }
}

bool PassesThrough(std::uint32_t virtual_key) {
  return virtual_key == input::kVirtualKeyCapsLock || virtual_key == input::kVirtualKeyNumLock ||
         virtual_key == input::kVirtualKeyScrollLock;
}

}  // namespace

InWindowHook::InWindowHook(platform::MessageQueue& queue) : queue_(queue) {}

InWindowHook::~InWindowHook() { Stop(); }

int InWindowHook::Start(input::HookMode mode, bool keyboard, bool mouse) {
  Stop();
  if (QCoreApplication::instance() == nullptr) return 0;
  mode_ = mode;
  keyboard_ = keyboard && !input::KeyboardMessageName(mode).empty();
  mouse_ = mouse && !input::MouseMessageName(mode).empty();
  QCoreApplication::instance()->installEventFilter(this);
  installed_ = true;
  return 1;
}

void InWindowHook::Stop() {
  if (installed_ && QCoreApplication::instance() != nullptr) QCoreApplication::instance()->removeEventFilter(this);
  installed_ = false;
  mode_ = input::HookMode::kNone;
  keyboard_ = mouse_ = false;
}

bool InWindowHook::IsDelivering(std::int64_t lparam) const {
  return delivering_ != nullptr && lparam == reinterpret_cast<std::int64_t>(delivering_);
}

void InWindowHook::Send(std::uint32_t message, std::uint32_t id, const void* record) {
  if (message == 0) return;
  platform::WindowMessage hook_message;
  hook_message.message = message;
  hook_message.wparam = id;
  hook_message.lparam = reinterpret_cast<std::int64_t>(record);
  delivering_ = record;
  (void)queue_.Send(std::move(hook_message));
  delivering_ = nullptr;
}

bool InWindowHook::eventFilter(QObject* watched, QEvent* event) {
  // Input reaches a window first and its widgets after; taking it at the window sees
  // each event once.
  if (!watched->isWindowType()) return false;
  const QEvent::Type type = event->type();
  if (keyboard_ && (type == QEvent::KeyPress || type == QEvent::KeyRelease)) {
    const auto* key = static_cast<QKeyEvent*>(event);
    const std::optional<input::KeyHookRecord> record =
        KeyRecordFromQtKey(key->key(), key->modifiers(), key->nativeVirtualKey());
    if (record && !key->isAutoRepeat()) {
      input::KeyHookRecord sent = *record;
      sent.time_ms = static_cast<std::uint32_t>(key->timestamp());
      Send(platform::RegisterWindowMessage(input::KeyboardMessageName(mode_)),
           type == QEvent::KeyPress ? input::kKeyDownMessage : input::kKeyUpMessage, &sent);
      return !PassesThrough(sent.virtual_key);
    }
    return record.has_value() && !PassesThrough(record->virtual_key);
  }
  if (mouse_ && (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease)) {
    const auto* press = static_cast<QMouseEvent*>(event);
    if (const std::optional<ButtonMessages> messages = MessagesOf(press->button())) {
      input::MouseHookRecord record;
      record.x = static_cast<std::int32_t>(press->globalPosition().x());
      record.y = static_cast<std::int32_t>(press->globalPosition().y());
      record.mouse_data_high = messages->extra;
      record.time_ms = static_cast<std::uint32_t>(press->timestamp());
      Send(platform::RegisterWindowMessage(input::MouseMessageName(mode_)),
           type == QEvent::MouseButtonPress ? messages->press : messages->release, &record);
    }
  }
  return false;
}

}  // namespace zt640
