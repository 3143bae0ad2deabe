#pragma once

#include <QString>
#include <functional>

#include "shell/skin_choice.h"
#include "ui/panel_prompts.h"
#include "ui/window_impl_base.h"

namespace zt640 {

/// The skin frame: a popup under the skin button with an image page and a colour page.
/// An image button or "skin_reset" gives the main window a new background and records
/// it in "main.ini"; a colour button or a picked file ("skin_Custom") gives one for this
/// run only. It closes when it loses the focus.
class CSkinFrame : public ui::WindowImplBase {
  Q_OBJECT
 public:
  /// Where a new background goes (the main window's skin observer).
  using Observer = std::function<void(const SkinChoice&)>;

  static constexpr int kWidth = 360;
  static constexpr int kHeight = 260;

  CSkinFrame(QWidget* owner, SkinChoiceFile file, Observer observer, ui::PanelPrompts prompts);

  /// Builds the frame and places its right edge at `anchor`'s right edge, its top at
  /// `anchor`'s bottom (global coordinates). False with `error` when the skin is missing.
  [[nodiscard]] bool Open(const QRect& anchor, int dpi, QString* error);

  void Notify(const ui::Notification& notification) override;

 private:
  void ShowPage(int page);
  void Choose(const SkinChoice& choice);

  SkinChoiceFile file_;
  Observer observer_;
  ui::PanelPrompts prompts_;
};

}  // namespace zt640
