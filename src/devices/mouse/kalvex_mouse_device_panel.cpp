#include <algorithm>

#include "devices/mouse/kalvex_mouse_device.h"
#include "platform/diag/debug_output.h"

namespace zt640 {
namespace {

bool ValidStage(int stage) { return stage >= 0 && stage < static_cast<int>(CKalvexMouseDevice::kStageCount); }

}  // namespace

int CKalvexMouseDevice::SaveAndWriteSettings() {
  if (!SaveProfileData()) platform::DebugOutput("mouse profile not saved: " + profile_.GetProfilePath());
  return WriteSettingsRecord(0, 0, 1, screen_width_, screen_height_);
}

void CKalvexMouseDevice::GrowStages(size_t count) {
  if (stages_.size() < count) stages_.resize(count);
}

int CKalvexMouseDevice::StageLevel(int stage) const {
  if (!ValidStage(stage) || static_cast<size_t>(stage) >= stages_.size()) return 0;
  return stages_[static_cast<size_t>(stage)].dpi_x;
}

bool CKalvexMouseDevice::StageBoxEnabled(int stage) const {
  if (!ValidStage(stage) || stage == current_stage_) return false;
  const auto enabled = static_cast<size_t>(std::count_if(
      stages_.begin(), stages_.begin() + static_cast<ptrdiff_t>(std::min(stages_.size(), kStageCount)),
      [](const DpiStage& s) { return s.active != 0; }));
  const bool is_enabled = static_cast<size_t>(stage) < stages_.size() && stages_[static_cast<size_t>(stage)].active != 0;
  return !(is_enabled && enabled <= 1);
}

int CKalvexMouseDevice::SetStageEnabled(int stage, bool enabled) {
  if (!ValidStage(stage)) return kActionRefused;
  // The current stage and the last enabled one cannot be switched off.
  if (!enabled && !StageBoxEnabled(stage)) return kActionRefused;
  GrowStages(static_cast<size_t>(stage) + 1);
  stages_[static_cast<size_t>(stage)].active = enabled ? 1 : 0;
  profile_.SetDpiStages(stages_);
  return SaveAndWriteSettings();
}

int CKalvexMouseDevice::SelectStage(int stage) {
  if (!ValidStage(stage)) return kActionRefused;
  GrowStages(kStageCount);
  // The sliders show the stages' X levels: copying them back keeps each level
  // within the slider's range.
  const DpiScale scale = Scale();
  for (DpiStage& s : stages_) s.dpi_x = static_cast<uint16_t>(scale.ClampLevel(s.dpi_x));
  current_stage_ = stage;
  profile_.SetDpiStages(stages_);
  profile_.SetActiveDpiStage(stage);
  return SaveAndWriteSettings();
}

int CKalvexMouseDevice::SetStageLevel(int stage, int level) {
  if (!ValidStage(stage)) return kActionRefused;
  GrowStages(static_cast<size_t>(stage) + 1);
  stages_[static_cast<size_t>(stage)].dpi_x = static_cast<uint16_t>(Scale().ClampLevel(level));
  profile_.SetDpiStages(stages_);
  return SaveAndWriteSettings();
}

int CKalvexMouseDevice::SetStageDpi(int stage, int dpi) {
  const auto level = Scale().DpiToLevel(dpi);
  if (!level) return kActionRefused;
  return SetStageLevel(stage, *level);
}

int CKalvexMouseDevice::SetReportRate(int index) {
  if (index < 0 || index >= kReportRates) return kActionRefused;
  options_.report_stage = static_cast<uint16_t>(index);
  profile_.SetMouseOptions(options_);
  return SaveAndWriteSettings();
}

int CKalvexMouseDevice::ReportRateShown() const {
  return options_.report_stage < kReportRates ? options_.report_stage : 0;
}

void CKalvexMouseDevice::SetPointerSpeed(uint16_t value) {
  options_.mouse_speed = value;
  profile_.SetMouseOptions(options_);
}

void CKalvexMouseDevice::SetDoubleClick(uint16_t value) {
  options_.double_click_time = value;
  profile_.SetMouseOptions(options_);
}

void CKalvexMouseDevice::SetWheelLines(uint16_t value) {
  options_.scroll_page = 0;
  options_.wheel_scroll_lines = value;
  profile_.SetMouseOptions(options_);
}

void CKalvexMouseDevice::SetScrollByPage(bool on, uint16_t wheel_lines) {
  options_.scroll_page = on ? 1 : 0;
  options_.wheel_scroll_lines = wheel_lines;
  profile_.SetMouseOptions(options_);
}

void CKalvexMouseDevice::SetPointerPrecision(bool on) {
  options_.pointer_precision = on ? 1 : 0;
  profile_.SetMouseOptions(options_);
}

}  // namespace zt640
