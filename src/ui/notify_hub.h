#pragma once

#include <QObject>
#include <QString>

#include "ui/notification.h"

class QWidget;

namespace zt640::ui {

/// Turns the signals of the named widgets below a root into notifications with the
/// design's event kinds and hands each to one target (the owning window):
///   buttons "click" (checkable ones also "selectchanged", wparam 1 when checked),
///   combos and list rows "itemselect" (wparam new index, lparam previous index),
///   lists "itemclick", "itemactivate", "dbclick",
///   sliders "movevaluechanged" while dragged and "valuechanged" when settled (wparam value),
///   line edits "textchanged", "return", and "killfocus" when they lose the focus.
/// Widgets without an object name, and Qt's own inner parts ("qt_..."), are skipped.
class NotifyHub : public QObject {
  Q_OBJECT
 public:
  explicit NotifyHub(NotifyTarget& target, QObject* parent = nullptr);

  /// Connects `root` and every named widget below it. Safe to call again on a subtree
  /// added later; a widget is never connected twice.
  void Attach(QWidget* root);

  /// Raises a notification for `sender` (custom controls use this for their own kinds).
  void SendNotify(QObject* sender, const QString& kind, qint64 wparam = 0, qint64 lparam = 0);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Connect(QWidget* widget);

  NotifyTarget& target_;
};

}  // namespace zt640::ui
