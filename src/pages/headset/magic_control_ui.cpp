#include "pages/headset/magic_control_ui.h"

#include <QSignalBlocker>

#include "ui/embedded_skin.h"
#include "ui/resource_manager.h"

namespace zt640 {

CMagicControlUI::CMagicControlUI(QWidget* parent, const QString& skin_file) : QWidget(parent) {
  setProperty("controlClass", QStringLiteral("CMagicControlUI"));
  QWidget* skin = ui::EmbedSkin(this, skin_file, "headset voice changer panel");
  if (skin == nullptr) return;
  enable_ = skin->findChild<QAbstractButton*>(QStringLiteral("magic_enable_option"));
  if (enable_) enable_->setCheckable(true);
  layout_ = skin->findChild<QWidget*>(QStringLiteral("magic_option_layout"));
  for (int effect = 1; effect <= kEffectCount; ++effect) {
    QAbstractButton* button = skin->findChild<QAbstractButton*>(QStringLiteral("magic_option_%1").arg(effect));
    effects_[static_cast<size_t>(effect - 1)] = button;
    if (button != nullptr) {
      button->setCheckable(true);
      button->setAutoExclusive(true);
    }
  }
  ui::ResourceManager::Instance().Language().Bind(skin);
  built_ = true;
}

void CMagicControlUI::ShowVoice(bool on, int effect, bool available) {
  if (enable_) {
    const QSignalBlocker quiet(enable_);
    enable_->setChecked(on);
    enable_->setEnabled(available);
  }
  if (layout_) {
    layout_->setVisible(on);
    layout_->setEnabled(available);
  }
  for (int i = 1; i <= kEffectCount; ++i) {
    QAbstractButton* button = effects_[static_cast<size_t>(i - 1)];
    if (button == nullptr) continue;
    const QSignalBlocker quiet(button);
    button->setAutoExclusive(false);
    button->setChecked(i == effect);
    button->setAutoExclusive(true);
  }
}

}  // namespace zt640
