#include "ui/control_timers.h"

#include <QTimer>
#include <QVariant>

#include "ui/notify_hub.h"

namespace zt640::ui {

ControlTimers::ControlTimers(NotifyHub& hub, QObject* parent) : QObject(parent), hub_(hub) {}

bool ControlTimers::SetTimer(QObject* control, int id, int period_ms) {
  if (control == nullptr || period_ms < 0) return false;
  const Key key(control, id);
  QTimer* timer = timers_.value(key, nullptr);
  if (timer == nullptr) {
    timer = new QTimer(this);
    timers_.insert(key, timer);
    QPointer<QObject> guarded(control);
    connect(timer, &QTimer::timeout, this, [this, guarded, id] {
      if (guarded) hub_.SendNotify(guarded, QStringLiteral("timer"), id);
    });
    if (!control->property("_zt640_timers_watched").toBool()) {
      control->setProperty("_zt640_timers_watched", true);
      connect(control, &QObject::destroyed, this, [this, control] { KillAllTimers(control); });
    }
  }
  timer->start(period_ms);
  return true;
}

bool ControlTimers::KillTimer(QObject* control, int id) {
  QTimer* timer = timers_.take(Key(control, id));
  if (timer == nullptr) return false;
  timer->stop();
  timer->deleteLater();
  return true;
}

void ControlTimers::KillAllTimers(QObject* control) {
  for (auto it = timers_.begin(); it != timers_.end();) {
    if (it.key().first == control) {
      it.value()->stop();
      it.value()->deleteLater();
      it = timers_.erase(it);
    } else {
      ++it;
    }
  }
}

bool ControlTimers::IsRunning(QObject* control, int id) const {
  const QTimer* timer = timers_.value(Key(control, id), nullptr);
  return timer != nullptr && timer->isActive();
}

int ControlTimers::RemainingMs(QObject* control, int id) const {
  const QTimer* timer = timers_.value(Key(control, id), nullptr);
  return timer != nullptr && timer->isActive() ? timer->remainingTime() : -1;
}

}  // namespace zt640::ui
