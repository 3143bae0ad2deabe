#pragma once

#include <QLabel>
#include <array>
#include <cstdint>

namespace zt640 {

/// The audio level display: 500 values drawn as one-pixel columns two pixels apart,
/// standing on the bottom edge, full height at 8192. It shows a fixed ramp (0 to 255
/// over its first 256 columns).
class CAudioRecordUI : public QLabel {
  Q_OBJECT
 public:
  static constexpr std::size_t kValueCount = 500;
  static constexpr int kFullScale = 8192;
  static constexpr int kColumnPitch = 2;

  explicit CAudioRecordUI(QWidget* parent = nullptr);

  [[nodiscard]] const std::array<std::int32_t, kValueCount>& Values() const { return values_; }

  /// The top of column `k` in a control `height` pixels high (0 at the top edge).
  [[nodiscard]] static int ColumnTop(std::int32_t value, int height);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::array<std::int32_t, kValueCount> values_{};
};

}  // namespace zt640
