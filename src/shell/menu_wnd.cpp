#include "shell/menu_wnd.h"

#include <QAbstractButton>
#include <QGuiApplication>
#include <QScreen>

namespace zt640 {

CMenuWnd::CMenuWnd(ui::WindowImplBase* owner, QString skin)
    : WindowImplBase(std::move(skin), QStringLiteral("MenuWnd"), nullptr), owner_(owner) {
  setWindowFlags(Qt::Popup | Qt::FramelessWindowHint);
  setAttribute(Qt::WA_DeleteOnClose, true);
}

bool CMenuWnd::Open(const QPoint& anchor, QString* error) {
  if (!Create(QStringLiteral("menu"), 0, 0, error)) return false;
  adjustSize();
  QPoint top_left = anchor - QPoint(width(), height());
  if (const QScreen* screen = QGuiApplication::screenAt(anchor)) {
    const QRect area = screen->availableGeometry();
    top_left.setX(qBound(area.left(), top_left.x(), area.right() - width()));
    top_left.setY(qBound(area.top(), top_left.y(), area.bottom() - height()));
  }
  move(top_left);
  show();
  return true;
}

void CMenuWnd::Notify(const ui::Notification& notification) {
  if (notification.kind != QLatin1String("click") || qobject_cast<QAbstractButton*>(notification.sender) == nullptr) {
    return;
  }
  if (owner_) {
    platform::WindowMessage chosen;
    chosen.message = kMenuItemChosenMessage;
    const QByteArray name = notification.sender_name.toUtf8();
    chosen.copy_data.assign(name.begin(), name.end());
    (void)owner_->messages().Post(std::move(chosen));  // closed only while the window goes away
  }
  close();
}

QString MenuItemName(const platform::WindowMessage& message) {
  return QString::fromUtf8(reinterpret_cast<const char*>(message.copy_data.data()),
                           static_cast<qsizetype>(message.copy_data.size()));
}

}  // namespace zt640
