#pragma once

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <array>
#include <string>
#include <vector>

#include "profiles/headset_options.h"
#include "profiles/hs6533_profiledata.h"

namespace zt640 {

/// The headset's sound panel, built from its skin: the equaliser options
/// "6533_eq_option_1".."13" (12 presets and custom), the ten band sliders
/// "6533_eq_hz_slider_0".."9", the custom panel "custom_eq_option_layout" with
/// "custom_eq_name_combo", "custom_eq_name_edit", "hs_EQ_btn_save" and
/// "hs_EQ_btn_delete", and the microphone and monitor boxes and sliders
/// ("6533_MicIn_option", "6533_MicIn_slider", "6533_MicMoniter_option",
/// "6533_MicMoniter_slider") with their decibel labels. It only shows and reads
/// values; every Show call blocks the controls' signals, so showing never looks
/// like a user's choice.
class CVoice6533ControlUI : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kOptionCount = 13;
  /// Band gains run from -kGainLimit to kGainLimit.
  static constexpr int kGainLimit = 20;
  /// Height of the custom curve list's rows in pixels.
  static constexpr int kCurveRowHeight = 30;

  explicit CVoice6533ControlUI(QWidget* parent = nullptr,
                               const QString& skin_file = QStringLiteral("Voice6533Control.ui"));

  [[nodiscard]] bool IsBuilt() const { return built_; }

  /// Boxes, sliders and the equaliser option; the custom panel shows only for
  /// the custom type. `available` false shows that sound settings cannot be
  /// changed (no audio layer); `monitor` false disables the monitor controls.
  void ShowSound(const HeadsetOptions& options, bool available, bool monitor);
  void ShowBands(const EqBands& bands);
  /// The curve names and the selected one (-1 none); the name field is emptied.
  void ShowCurves(const std::vector<std::string>& names, int selected);
  /// A decibel value read back after a volume change.
  void ShowDecibels(bool monitor, double decibels);

  [[nodiscard]] QString CurveName() const;
  [[nodiscard]] int BandValue(int band) const;

 private:
  std::array<QPointer<QAbstractButton>, kOptionCount> options_;
  std::array<QPointer<QAbstractSlider>, kEqBandCount> bands_;
  QPointer<QWidget> custom_layout_;
  QPointer<QComboBox> curves_;
  QPointer<QLineEdit> curve_name_;
  QPointer<QAbstractButton> mic_box_;
  QPointer<QAbstractSlider> mic_slider_;
  QPointer<QLabel> mic_decibels_;
  QPointer<QAbstractButton> monitor_box_;
  QPointer<QAbstractSlider> monitor_slider_;
  QPointer<QLabel> monitor_decibels_;
  QPointer<QWidget> unavailable_;
  bool built_ = false;
};

}  // namespace zt640
