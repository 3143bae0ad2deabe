#pragma once

#include <QString>

#include "audio/audio_style_set.h"
#include "ui/window_impl_base.h"

namespace zt640 {

/// The music settings window: four style tabs, each style's name and its red, green
/// and blue weights (0-9). It edits a copy of the style set; nothing reaches the file
/// or the capture process from here. "okbtn" closes it with 1, "closebtn" with 0.
class MusicWnd : public ui::WindowImplBase {
  Q_OBJECT
 public:
  static constexpr int kWidth = 369;
  static constexpr int kHeight = 276;

  explicit MusicWnd(QWidget* owner);

  /// The set the window starts from; call before `Setup`.
  void SetAudioStyles(const AudioStyleSet& styles) { styles_ = styles; }
  /// The window's set, with the names as the edits show them.
  [[nodiscard]] AudioStyleSet GetAudioStyles() const;

  /// Builds the window at `dpi` (48 to 192 in steps of 24; anything else is taken as
  /// 96), shows the set and centres it. False with `error` when the skin is missing.
  [[nodiscard]] bool Setup(int dpi, QString* error);

  /// The name a style takes when its edit is left empty.
  [[nodiscard]] static QString DefaultName(int style);

  void Notify(const ui::Notification& notification) override;

 private:
  /// The style of the checked tab; 0 when none is checked.
  [[nodiscard]] int CheckedStyle() const;
  void ShowStyleValues(int style);
  void TakeName(int style);

  AudioStyleSet styles_;
};

}  // namespace zt640
