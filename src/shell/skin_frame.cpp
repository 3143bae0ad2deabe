#include "shell/skin_frame.h"

#include <QPushButton>
#include <QStackedWidget>

#include "platform/diag/debug_output.h"
#include "ui/resource_manager.h"

namespace zt640 {

namespace {
constexpr int kImagePage = 0;
constexpr int kColourPage = 1;
constexpr char kCustomFilter[] = "(*.png);;(*.*)";
}  // namespace

CSkinFrame::CSkinFrame(QWidget* owner, SkinChoiceFile file, Observer observer, ui::PanelPrompts prompts)
    : WindowImplBase(QStringLiteral("XML_SKIN"), QStringLiteral("UISkinFrame"), owner),
      file_(std::move(file)),
      observer_(std::move(observer)),
      prompts_(std::move(prompts)) {
  // A popup closes by itself when the user clicks elsewhere.
  setWindowFlags(Qt::Popup | Qt::FramelessWindowHint);
  setAttribute(Qt::WA_DeleteOnClose);
}

bool CSkinFrame::Open(const QRect& anchor, int dpi, QString* error) {
  const double scale = dpi > 0 ? dpi / 96.0 : 1.0;
  if (!Create(QStringLiteral("skinframe"), static_cast<int>(kWidth * scale), static_cast<int>(kHeight * scale), error)) {
    return false;
  }
  ShowPage(kImagePage);
  // Each image button shows its own picture.
  const QString skin_folder = ui::ResourceManager::Instance().ResourcePath();
  for (QPushButton* button : findChildren<QPushButton*>(QStringLiteral("skin_image_btn"))) {
    button->setStyleSheet(StretchedImageStyle(SkinImageFile(skin_folder, button->property("image").toString())));
  }
  move(anchor.right() + 1 - width(), anchor.bottom() + 1);
  show();
  return true;
}

void CSkinFrame::ShowPage(int page) {
  if (auto* tab = FindControl<QStackedWidget>(QStringLiteral("skin_tab"))) tab->setCurrentIndex(page);
}

void CSkinFrame::Choose(const SkinChoice& choice) {
  if (observer_) observer_(choice);
}

void CSkinFrame::Notify(const ui::Notification& notification) {
  if (notification.kind != QLatin1String("click")) return;
  const QString& name = notification.sender_name;
  const QObject* sender = notification.sender.data();
  if (name == QLatin1String("skin_image")) {
    ShowPage(kImagePage);
  } else if (name == QLatin1String("skin_color")) {
    ShowPage(kColourPage);
  } else if (name == QLatin1String("skin_image_btn") && sender != nullptr) {
    const QString image = sender->property("image").toString();
    if (image.isEmpty()) return;
    Choose(SkinChoice::Image(image));
    if (!file_.WriteImage(image)) platform::DebugOutput("skin choice not recorded in main.ini");
  } else if (name == QLatin1String("skin_color_btn") && sender != nullptr) {
    const QColor colour(sender->property("bkcolor").toString());
    if (colour.isValid()) Choose(SkinChoice::Colour(colour));
  } else if (name == QLatin1String("skin_reset")) {
    Choose(SkinChoice::Default());
    if (!file_.WriteDefault()) platform::DebugOutput("skin choice not recorded in main.ini");
  } else if (name == QLatin1String("skin_Custom")) {
    // The dialog takes the focus, which would close the popup under it.
    hide();
    const QString picked = prompts_.File(QString::fromLatin1(kCustomFilter), false, QStringLiteral("*.png"));
    if (!picked.isEmpty()) Choose(SkinChoice::Image(picked));
    close();
  }
}

}  // namespace zt640
