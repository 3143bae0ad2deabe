#pragma once

#include <QString>
#include <QtGlobal>
#include <functional>

class QObject;

namespace zt640::ui {

/// A custom control that raises notifications of its own kinds ("click_select_end",
/// "dbclick", ...). The notify hub of the window that holds it installs the handler
/// when it attaches the control; until then notifications go nowhere.
class NotifyingControl {
 public:
  using Handler = std::function<void(QObject* sender, const QString& kind, qint64 wparam, qint64 lparam)>;

  virtual ~NotifyingControl() = default;

  void SetNotifyHandler(Handler handler) { handler_ = std::move(handler); }

 protected:
  /// Sends `kind` with this control as its sender.
  void SendControlNotify(QObject* self, const QString& kind, qint64 wparam = 0, qint64 lparam = 0) const {
    if (handler_) handler_(self, kind, wparam, lparam);
  }

 private:
  Handler handler_;
};

}  // namespace zt640::ui
