#pragma once

#include <QObject>

#include "platform/input/in_window_event_source.h"

class QEvent;

namespace zt640::ui {

/// The utility's own windows as the keyboard and mouse hook's source when the input
/// devices cannot be read: while the hook is attached, an application-wide event filter
/// hands every key press, auto-repeat and release (by the key's native scan code, which
/// is the Linux key code + 8 under X11 and Wayland) and every mouse button press and
/// release to the hook. Keys the hook swallows never reach the controls; mouse events
/// always do. Registers itself with `CDeviceHook` for its lifetime; one per process.
class InWindowHookSource final : public QObject, public platform::input::InWindowEventSource {
  Q_OBJECT

 public:
  explicit InWindowHookSource(QObject* parent = nullptr);
  ~InWindowHookSource() override;

  void Attach(platform::input::HookEventSink* sink, bool keyboard, bool mouse) override;
  void Detach() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  /// True for an event the filter already handed over (Qt passes an event a control
  /// ignores on to its parents, through the filter again).
  bool SeenBefore(QEvent* event);
  bool OnKey(QEvent* event);
  void OnMouse(QEvent* event);

  platform::input::HookEventSink* sink_ = nullptr;
  bool keyboard_ = false;
  bool mouse_ = false;
  const QEvent* last_event_ = nullptr;
  int last_type_ = 0;
  quint64 last_timestamp_ = 0;
};

}  // namespace zt640::ui
