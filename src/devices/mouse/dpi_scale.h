#pragma once

#include <cstdint>
#include <optional>

#include "transport/device_info_record.h"

namespace zt640 {

/// The mouse's DPI arithmetic from its information record: stages store
/// levels, the panel shows DPI values. A level shows as level x step + base;
/// sensor 0x3325 runs in 200-DPI steps above level 48.
class DpiScale {
 public:
  static constexpr uint16_t kTwoSlopeSensor = 0x3325;
  static constexpr int kKneeLevel = 48;
  static constexpr int kUpperStep = 200;

  DpiScale() = default;
  DpiScale(uint16_t sensor, int step, int level_maximum, int base)
      : sensor_(sensor), step_(step), level_maximum_(level_maximum), base_(base) {}
  [[nodiscard]] static DpiScale FromDeviceInfo(const DeviceInfoRecord& info) {
    return DpiScale(info.sensor(), info.dpi_step(), info.dpi_max(), info.dpi_base());
  }

  /// The DPI value level `level` shows.
  [[nodiscard]] int LevelToDpi(int level) const;
  /// The level of a typed DPI value: a value some level shows gives that
  /// level; a value between two levels gives the lower one; a value below the
  /// base counts as the base; the result is limited to the level maximum.
  /// nullopt when the record gives no usable scale (step or maximum 0).
  [[nodiscard]] std::optional<int> DpiToLevel(int dpi) const;
  /// A slider level kept within 0 - level maximum (any level that is not
  /// negative while the maximum is unknown).
  [[nodiscard]] int ClampLevel(int level) const;

  [[nodiscard]] bool Usable() const { return step_ > 0 && level_maximum_ > 0; }
  [[nodiscard]] int LevelMaximum() const { return level_maximum_; }
  /// The largest value the DPI fields accept: level maximum x step.
  [[nodiscard]] int DpiFieldMaximum() const { return level_maximum_ * step_; }

 private:
  [[nodiscard]] bool TwoSlope() const { return sensor_ == kTwoSlopeSensor; }

  uint16_t sensor_ = 0;
  int step_ = 0;
  int level_maximum_ = 0;
  int base_ = 0;
};

}  // namespace zt640
