#pragma once

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QLineEdit>
#include <QPointer>
#include <QRgb>
#include <QString>
#include <QWidget>
#include <array>
#include <optional>
#include <vector>

#include "profiles/mouse_records.h"

namespace zt640 {

/// The mouse's options panel, built from its skin: five DPI stage rows
/// ("DPI_layout_", "DPI_enable_check_", "DPI_select_check_", "DPI_slider_",
/// "DPI_edit_", "DPI_color_option_" plus the stage 0-4), the report rate choices
/// "polling_rate_option_0".."4" and the system controls ("pointer_speed_slider",
/// "double_click_slider", "scroll_speed_slider", "pointer_precision_check",
/// "scrolls_page_check"). It only shows and reads values; every Show call blocks
/// the controls' signals, so showing never looks like a user's choice.
class MouseOptionsPanel : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kStageCount = 5;
  static constexpr int kRateCount = 5;

  /// What one stage row shows.
  struct StageRow {
    bool enabled = false;
    bool box_enabled = true;  ///< the enable box may be used
    int level = 0;
    int dpi = 0;
    QRgb colour = 0xFF000000;
  };

  explicit MouseOptionsPanel(QWidget* parent = nullptr, const QString& skin_file = QStringLiteral("MouseOptions.ui"));

  [[nodiscard]] bool IsBuilt() const { return built_; }

  /// Slider ranges 0 - `level_maximum`; DPI fields accept 0 - `dpi_maximum`.
  void SetRanges(int level_maximum, int dpi_maximum);
  /// Shows every stage row and ticks the current stage's select box; the
  /// current stage's slider is marked (dynamic property "currentStage").
  void ShowStages(const std::array<StageRow, kStageCount>& rows, int current);
  /// Shows one stage's level and DPI text (the other control of a pair).
  void ShowStageLevel(int stage, int level, int dpi);
  /// Ticks the report rate choice (outside 0-4 shows as 0).
  void ShowReportRate(int index);
  void ShowSystem(const MouseOptions& options);

  [[nodiscard]] int SliderLevel(int stage) const;
  /// The typed DPI value; nullopt for a field without a number.
  [[nodiscard]] std::optional<int> TypedDpi(int stage) const;
  [[nodiscard]] bool EnableChecked(int stage) const;
  [[nodiscard]] int PointerSpeed() const;
  [[nodiscard]] int DoubleClick() const;
  [[nodiscard]] int DoubleClickMaximum() const;
  [[nodiscard]] int WheelLines() const;
  [[nodiscard]] bool Precision() const;
  [[nodiscard]] bool ScrollByPage() const;

 private:
  struct Row {
    QPointer<QWidget> layout;
    QPointer<QAbstractButton> enable;
    QPointer<QAbstractButton> select;
    QPointer<QAbstractSlider> slider;
    QPointer<QLineEdit> edit;
    QPointer<QAbstractButton> colour;
  };
  [[nodiscard]] std::vector<QObject*> Controls() const;
  [[nodiscard]] const Row* RowAt(int stage) const;

  std::array<Row, kStageCount> rows_;
  std::array<QPointer<QAbstractButton>, kRateCount> rates_;
  QPointer<QAbstractSlider> pointer_speed_;
  QPointer<QAbstractSlider> double_click_;
  QPointer<QAbstractSlider> wheel_lines_;
  QPointer<QAbstractButton> precision_;
  QPointer<QAbstractButton> scroll_page_;
  bool built_ = false;
};

}  // namespace zt640
