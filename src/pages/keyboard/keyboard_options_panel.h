#pragma once

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QLabel>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <array>

#include "profiles/keyboard_records.h"

namespace zt640 {

/// The keyboard's options panel, built from its skin: the lock flags
/// ("winlockflag_option" "WinFlag", "wflag_option" "WFlag", "6flag_option"
/// "Key6Flag"), the repeat rate slider ("Repeat"), the repeat delay choices
/// "repeat_delay_check_0".."3" ("RepeatDelay", shown as 250 + 250 x choice ms on
/// "repeat_delay_time_label1"), the polling rate choices "polling_rate_option_0"..
/// "3" ("PollingRate") and "reset_repeat_btn". User changes reach the window
/// through its notify hub like any other control.
class KeyboardOptionsPanel : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kChoiceCount = 4;

  explicit KeyboardOptionsPanel(QWidget* parent = nullptr,
                                const QString& skin_file = QStringLiteral("KeyboardOptions.ui"));

  /// False when the skin could not be built (the panel is then empty).
  [[nodiscard]] bool IsBuilt() const { return built_; }

  /// Shows the options without raising any notification. A repeat delay or polling
  /// rate choice outside 0-3 shows as 0; a repeat rate outside the slider's range
  /// shows at its nearest end.
  void ShowOptions(const KeyboardOptions& options);

  /// `base` with the values the panel shows written over it. A choice group with
  /// nothing chosen leaves its value as in `base`.
  [[nodiscard]] KeyboardOptions ReadOptions(const KeyboardOptions& base) const;

  /// True for the names of this panel's controls; the indexed ones are split at
  /// their last "_" and need an index of 0-3.
  [[nodiscard]] static bool IsOptionControl(const QString& name);

  /// The delay a repeat delay choice stands for.
  [[nodiscard]] static int RepeatDelayMs(int choice) { return 250 + 250 * choice; }

 private:
  void ShowDelayTime();
  [[nodiscard]] static int CheckedIndex(const std::array<QPointer<QAbstractButton>, kChoiceCount>& group);

  QPointer<QAbstractButton> win_lock_;
  QPointer<QAbstractButton> w_flag_;
  QPointer<QAbstractButton> six_flag_;
  QPointer<QAbstractSlider> repeat_rate_;
  std::array<QPointer<QAbstractButton>, kChoiceCount> repeat_delay_;
  std::array<QPointer<QAbstractButton>, kChoiceCount> polling_rate_;
  QPointer<QLabel> delay_time_;
  QPointer<QAbstractButton> reset_repeat_;
  bool built_ = false;
};

}  // namespace zt640
