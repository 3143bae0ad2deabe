#include "ui/tray_icon.h"

#include <QPointer>
#include <QSystemTrayIcon>

#include "ui/window_impl_base.h"

namespace zt640::ui {

TrayIcon::TrayIcon(QObject* parent) : QObject(parent) {}

TrayIcon::~TrayIcon() { DeleteTrayIcon(); }

bool TrayIcon::IsAvailable() { return QSystemTrayIcon::isSystemTrayAvailable(); }

bool TrayIcon::CreateTrayIcon(WindowImplBase* owner, const QIcon& icon, const QString& tooltip,
                              std::uint32_t message) {
  DeleteTrayIcon();
  if (!IsAvailable() || owner == nullptr) return false;
  icon_ = new QSystemTrayIcon(icon, this);
  icon_->setToolTip(tooltip);
  QPointer<WindowImplBase> target(owner);
  connect(icon_, &QSystemTrayIcon::activated, this, [target, message](QSystemTrayIcon::ActivationReason reason) {
    if (!target) return;
    platform::WindowMessage posted;
    posted.message = message;
    if (reason == QSystemTrayIcon::Trigger) {
      posted.lparam = kLeftButtonUp;
    } else if (reason == QSystemTrayIcon::Context) {
      posted.lparam = kRightButtonUp;
    } else {
      return;
    }
    (void)target->messages().Post(std::move(posted));  // a closed queue: the window is going away
  });
  icon_->show();
  return true;
}

void TrayIcon::DeleteTrayIcon() {
  if (icon_ == nullptr) return;
  icon_->hide();
  delete icon_;
  icon_ = nullptr;
}

bool TrayIcon::IsShown() const { return icon_ != nullptr && icon_->isVisible(); }

}  // namespace zt640::ui
