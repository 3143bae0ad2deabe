#pragma once

#include <QString>

#include "ui/window_impl_base.h"

namespace zt640 {

/// The modal message box: a title and a text (each a language key or plain text), and
/// a button mode: 0 shows only "confirm_btn", 1 also "cancel_btn". "confirm_btn" ends it
/// with 1; "cancel_btn", "closebtn" and closing it any other way with 0.
class CMsgWnd : public ui::WindowImplBase {
  Q_OBJECT
 public:
  enum Mode { kConfirmOnly = 0, kConfirmCancel = 1 };

  explicit CMsgWnd(QWidget* owner);

  /// Builds the box from its skin and fills it; false with `error` when the skin is
  /// missing. An empty title keeps the skin's.
  [[nodiscard]] bool Setup(const QString& title, const QString& text, int dpi, int mode, QString* error);

  /// Shows a message box over `owner` and returns 1 (confirm) or 0. A box that cannot
  /// be built answers 0, so nothing is ever confirmed without the user.
  static int ShowMessage(QWidget* owner, const QString& title, const QString& text, int dpi, int mode);

  void Notify(const ui::Notification& notification) override;
};

}  // namespace zt640
