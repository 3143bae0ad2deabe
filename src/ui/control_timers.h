#pragma once

#include <QHash>
#include <QObject>
#include <QPair>
#include <QPointer>

class QTimer;

namespace zt640::ui {

class NotifyHub;

/// Control timers by numeric id: a timer set on a control repeats until killed and
/// arrives at the hub's target as a "timer" notification from that control with the id
/// as wparam. Setting an id again restarts it with the new period. A control's timers
/// die with it.
class ControlTimers : public QObject {
  Q_OBJECT
 public:
  explicit ControlTimers(NotifyHub& hub, QObject* parent = nullptr);

  /// Starts (or restarts) timer `id` of `control` with `period_ms`; false for a null
  /// control or a negative period.
  [[nodiscard]] bool SetTimer(QObject* control, int id, int period_ms);

  /// Stops timer `id` of `control`; false when it was not running.
  bool KillTimer(QObject* control, int id);

  void KillAllTimers(QObject* control);

  [[nodiscard]] bool IsRunning(QObject* control, int id) const;
  /// Milliseconds until timer `id` of `control` fires next; -1 when it is not
  /// running. Lets tests check a delay without waiting it out.
  [[nodiscard]] int RemainingMs(QObject* control, int id) const;

 private:
  using Key = QPair<QObject*, int>;

  NotifyHub& hub_;
  QHash<Key, QTimer*> timers_;
};

}  // namespace zt640::ui
