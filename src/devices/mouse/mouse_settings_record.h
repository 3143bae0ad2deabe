#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "profiles/light_effect.h"
#include "profiles/mouse_records.h"

namespace zt640 {

/// What the mouse's settings record is built from.
struct MouseSettingsInput {
  uint8_t slot_byte = 0;  ///< byte 0, written as 0 by every caller
  uint8_t mode_code = 0;  ///< the device code of the light state's mode
  LightEffect light;      ///< brightness, speed, direction, multicolour, colour
  uint16_t report_rate = 0;
  int32_t current_stage = 0;
  std::vector<DpiStage> stages;  ///< stages beyond 5 are not sent
  uint8_t byte59 = 1;
  uint16_t screen_width = 0;
  uint16_t screen_height = 0;
  uint8_t correct_min_sq = 0;
  uint8_t correct_pix_thresh = 0;
};

/// The mouse's settings record at slot x 128 of its settings area: the host
/// writes the first 66 bytes and reads 71.
struct MouseSettingsRecord {
  static constexpr size_t kReadSize = 71;
  static constexpr size_t kWriteSize = 66;
  static constexpr uint16_t kSlotStride = 128;
  static constexpr size_t kStageCount = 5;
  static constexpr int kReportRates = 5;

  static constexpr size_t kSlot = 0;
  static constexpr size_t kModeCode = 1;
  static constexpr size_t kBrightness = 2;
  static constexpr size_t kInverseSpeed = 3;  ///< 4 - speed level
  static constexpr size_t kDirection = 4;
  static constexpr size_t kMulticolour = 5;
  static constexpr size_t kRed = 6;
  static constexpr size_t kGreen = 7;
  static constexpr size_t kBlue = 8;
  static constexpr size_t kReportRate = 11;
  static constexpr size_t kCurrentStage = 12;
  static constexpr size_t kStages = 14;  ///< 5 x 9 bytes
  static constexpr size_t kByte59 = 59;
  static constexpr size_t kScreenWidth = 60;   ///< little-endian
  static constexpr size_t kScreenHeight = 62;  ///< little-endian
  static constexpr size_t kCorrectMinSq = 64;
  static constexpr size_t kCorrectPixThresh = 65;

  std::array<uint8_t, kReadSize> bytes{};

  /// The record to write. A report rate or current stage out of range is
  /// written as 0, the value the panel shows for it.
  [[nodiscard]] static MouseSettingsRecord Build(const MouseSettingsInput& input);
  /// The part the host writes.
  [[nodiscard]] std::span<const uint8_t> WriteBytes() const { return std::span(bytes).first(kWriteSize); }

  [[nodiscard]] uint8_t slot() const { return bytes[kSlot]; }
  [[nodiscard]] uint8_t mode_code() const { return bytes[kModeCode]; }
  [[nodiscard]] uint8_t current_stage() const { return bytes[kCurrentStage]; }
  [[nodiscard]] uint8_t report_rate() const { return bytes[kReportRate]; }
  /// Brightness, speed (4 - byte 3, limited to 0-4), multicolour and colour
  /// into `effect`; its mode is the caller's and its direction stays the
  /// profile's.
  void ApplyLightTo(LightEffect* effect) const;
  [[nodiscard]] DpiStage Stage(size_t index) const;
};
static_assert(sizeof(MouseSettingsRecord) == MouseSettingsRecord::kReadSize);

/// The correction preset the mouse is sent: the first selected entry; both
/// values 0 when none is selected.
[[nodiscard]] const CorrectEntry* SelectedCorrection(const std::vector<CorrectEntry>& list);

}  // namespace zt640
