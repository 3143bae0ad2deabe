#pragma once

#include <QPointer>
#include <QString>
#include <QtGlobal>

class QObject;

namespace zt640::ui {

/// One UI notification: the event kind ("click", "selectchanged", "timer", ...), the
/// control that raised it (by object and by name) and two parameters whose meaning the
/// kind fixes (the timer id for "timer", the new index for "itemselect", ...).
struct Notification {
  QString kind;
  QPointer<QObject> sender;
  QString sender_name;
  qint64 wparam = 0;
  qint64 lparam = 0;
};

/// Receives the notifications of the controls inside a window or panel.
class NotifyTarget {
 public:
  virtual ~NotifyTarget() = default;
  virtual void Notify(const Notification& notification) = 0;
};

}  // namespace zt640::ui
