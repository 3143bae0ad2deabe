#include "shell/msg_wnd.h"

#include <QLabel>
#include <QPushButton>

#include "platform/diag/debug_output.h"
#include "ui/resource_manager.h"

namespace zt640 {

CMsgWnd::CMsgWnd(QWidget* owner) : WindowImplBase(QStringLiteral("XML_MSG"), QStringLiteral("MsgWnd"), owner) {
  setWindowFlag(Qt::Dialog, true);
}

bool CMsgWnd::Setup(const QString& title, const QString& text, int dpi, int mode, QString* error) {
  const double scale = dpi > 0 ? dpi / 96.0 : 1.0;
  if (!Create(QStringLiteral("msgwnd"), static_cast<int>(420 * scale), static_cast<int>(220 * scale), error)) {
    return false;
  }
  const ui::LanguageManager& language = ui::ResourceManager::Instance().Language();
  if (auto* label = FindControl<QLabel>(QStringLiteral("MessageTitle")); label != nullptr && !title.isEmpty()) {
    label->setProperty("textKey", QVariant());
    label->setText(language.Text(title));
  }
  if (auto* label = FindControl<QLabel>(QStringLiteral("MessageText"))) {
    label->setProperty("textKey", QVariant());
    label->setText(language.Text(text));
  }
  if (QWidget* cancel = FindControl(QStringLiteral("cancel_btn"))) cancel->setVisible(mode == kConfirmCancel);
  return true;
}

int CMsgWnd::ShowMessage(QWidget* owner, const QString& title, const QString& text, int dpi, int mode) {
  CMsgWnd box(owner);
  QString error;
  if (!box.Setup(title, text, dpi, mode, &error)) {
    platform::DebugOutput("message box not shown: " + error.toStdString());
    return 0;
  }
  return box.ShowModal();
}

void CMsgWnd::Notify(const ui::Notification& notification) {
  if (notification.kind != QLatin1String("click")) return;
  if (notification.sender_name == QLatin1String("confirm_btn")) {
    Close(1);
  } else if (notification.sender_name == QLatin1String("cancel_btn") ||
             notification.sender_name == QLatin1String("closebtn")) {
    Close(0);
  }
}

}  // namespace zt640
