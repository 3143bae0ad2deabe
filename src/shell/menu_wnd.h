#pragma once

#include <QPoint>
#include <QPointer>
#include <cstdint>

#include "ui/window_impl_base.h"

namespace zt640 {

/// A popup menu built from a skin: every button in it is an item. Choosing one closes the
/// menu and posts message 1145 to the owner window with the item's name as the message's
/// data block (UTF-8). Clicking outside closes it.
class CMenuWnd : public ui::WindowImplBase {
  Q_OBJECT
 public:
  static constexpr std::uint32_t kMenuItemChosenMessage = 1145;

  CMenuWnd(ui::WindowImplBase* owner, QString skin);

  /// Builds the menu and opens it so that its lower right corner is at `anchor` (up and
  /// to the left of the cursor), kept on the screen.
  [[nodiscard]] bool Open(const QPoint& anchor, QString* error);

  void Notify(const ui::Notification& notification) override;

 private:
  QPointer<ui::WindowImplBase> owner_;
};

/// The item name carried by a menu message, or empty.
[[nodiscard]] QString MenuItemName(const platform::WindowMessage& message);

}  // namespace zt640
