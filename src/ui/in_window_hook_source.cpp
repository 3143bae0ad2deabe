#include "ui/in_window_hook_source.h"

#include <linux/input-event-codes.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>

#include "platform/input/device_hook.h"
#include "platform/sync/tick_count.h"

namespace zt640::ui {

namespace {

/// X11 and Wayland key codes are the Linux key codes moved up by 8.
constexpr quint32 kNativeKeyCodeOffset = 8;

std::uint16_t ButtonCode(Qt::MouseButton button) {
  switch (button) {
    case Qt::LeftButton: return BTN_LEFT;
    case Qt::RightButton: return BTN_RIGHT;
    case Qt::MiddleButton: return BTN_MIDDLE;
    case Qt::BackButton: return BTN_SIDE;
    case Qt::ForwardButton: return BTN_EXTRA;
    default: return 0;
  }
}

}  // namespace

InWindowHookSource::InWindowHookSource(QObject* parent) : QObject(parent) {
  platform::input::CDeviceHook::SetInWindowSource(this);
}

InWindowHookSource::~InWindowHookSource() {
  Detach();
  platform::input::CDeviceHook::SetInWindowSource(nullptr);
}

void InWindowHookSource::Attach(platform::input::HookEventSink* sink, bool keyboard, bool mouse) {
  Detach();
  sink_ = sink;
  keyboard_ = keyboard;
  mouse_ = mouse;
  last_event_ = nullptr;
  if (qApp != nullptr) qApp->installEventFilter(this);
}

void InWindowHookSource::Detach() {
  if (sink_ == nullptr) return;
  if (qApp != nullptr) qApp->removeEventFilter(this);
  sink_ = nullptr;
}

bool InWindowHookSource::SeenBefore(QEvent* event) {
  const auto* input = static_cast<const QInputEvent*>(event);
  const bool seen = event == last_event_ && static_cast<int>(event->type()) == last_type_ &&
                    input->timestamp() == last_timestamp_;
  last_event_ = event;
  last_type_ = static_cast<int>(event->type());
  last_timestamp_ = input->timestamp();
  return seen;
}

bool InWindowHookSource::eventFilter(QObject* watched, QEvent* event) {
  if (sink_ == nullptr || !watched->isWidgetType()) return false;
  switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: return keyboard_ && OnKey(event);
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease:
      if (mouse_) OnMouse(event);
      return false;
    default: return false;
  }
}

bool InWindowHookSource::OnKey(QEvent* event) {
  auto* key = static_cast<QKeyEvent*>(event);
  if (SeenBefore(event)) return true;  // a swallowed key goes no further; a passed-on one was handed over already
  if (key->nativeScanCode() <= kNativeKeyCodeOffset) return false;  // no key code to name the key by
  platform::input::KeyInput input;
  input.code = static_cast<std::uint16_t>(key->nativeScanCode() - kNativeKeyCodeOffset);
  input.value = event->type() == QEvent::KeyRelease ? platform::input::kKeyReleased
                : key->isAutoRepeat()                ? platform::input::kKeyRepeated
                                                     : platform::input::kKeyPressed;
  input.time_ms = platform::GetTickCount();
  return sink_->OnKey(input) == platform::input::KeyDisposition::kSwallow;
}

void InWindowHookSource::OnMouse(QEvent* event) {
  auto* mouse = static_cast<QMouseEvent*>(event);
  if (SeenBefore(event)) return;
  const std::uint16_t code = ButtonCode(mouse->button());
  if (code == 0) return;
  const QPoint position = mouse->globalPosition().toPoint();
  sink_->OnButton(platform::input::ButtonInput{code, event->type() != QEvent::MouseButtonRelease, position.x(),
                                               position.y(), platform::GetTickCount()});
}

}  // namespace zt640::ui
