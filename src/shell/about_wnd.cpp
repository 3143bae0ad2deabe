#include "shell/about_wnd.h"

#include <QLabel>

#include "ui/resource_manager.h"

namespace zt640 {

CAboutWnd::CAboutWnd(QWidget* owner) : WindowImplBase(QStringLiteral("XML_ABOUT"), QStringLiteral("AboutWnd"), owner) {
  setWindowFlag(Qt::Dialog, true);
  connect(&ui::ResourceManager::Instance().Language(), &ui::LanguageManager::LanguageChanged, this,
          [this] { ShowVersion(); });
}

QString CAboutWnd::VersionText() { return QStringLiteral("V" ZT640_VERSION_TEXT); }

bool CAboutWnd::Setup(int dpi, QString* error) {
  const double scale = dpi > 0 ? dpi / 96.0 : 1.0;
  if (!Create(QStringLiteral("  "), static_cast<int>(kWidth * scale), static_cast<int>(kHeight * scale), error)) {
    return false;
  }
  ShowVersion();
  CenterWindow();
  return true;
}

void CAboutWnd::ShowVersion() {
  auto* label = FindControl<QLabel>(QStringLiteral("software_ver_label"));
  if (label == nullptr) return;
  const QString prefix = ui::ResourceManager::Instance().Language().Text(QStringLiteral("software_rev_text"));
  label->setText(prefix + VersionText());
}

void CAboutWnd::Notify(const ui::Notification& notification) {
  if (notification.kind != QLatin1String("click")) return;
  const QString& name = notification.sender_name;
  if (name == QLatin1String("closebtn")) {
    Close(0);
  } else {
    HandleCaptionButton(name);
  }
}

}  // namespace zt640
