#include "devices/mouse/mouse_settings_record.h"

#include <algorithm>

#include "transport/byte_order.h"

namespace zt640 {

MouseSettingsRecord MouseSettingsRecord::Build(const MouseSettingsInput& input) {
  MouseSettingsRecord record;
  auto& b = record.bytes;
  b[kSlot] = input.slot_byte;
  b[kModeCode] = input.mode_code;
  b[kBrightness] = input.light.brightness;
  b[kInverseSpeed] = static_cast<uint8_t>(4 - std::min<uint8_t>(input.light.speed, 4));
  b[kDirection] = input.light.direction;
  b[kMulticolour] = input.light.multicolor;
  b[kRed] = input.light.red;
  b[kGreen] = input.light.green;
  b[kBlue] = input.light.blue;
  b[kReportRate] = input.report_rate < kReportRates ? static_cast<uint8_t>(input.report_rate) : 0;
  const bool stage_valid = input.current_stage >= 0 && input.current_stage < static_cast<int32_t>(kStageCount);
  b[kCurrentStage] = stage_valid ? static_cast<uint8_t>(input.current_stage) : 0;
  for (size_t i = 0; i < std::min(input.stages.size(), kStageCount); ++i) {
    const auto stage = input.stages[i].ToBytes();
    std::copy(stage.begin(), stage.end(), b.begin() + static_cast<ptrdiff_t>(kStages + i * DpiStage::kSize));
  }
  b[kByte59] = input.byte59;
  StoreLe16(&b[kScreenWidth], input.screen_width);
  StoreLe16(&b[kScreenHeight], input.screen_height);
  b[kCorrectMinSq] = input.correct_min_sq;
  b[kCorrectPixThresh] = input.correct_pix_thresh;
  return record;
}

void MouseSettingsRecord::ApplyLightTo(LightEffect* effect) const {
  effect->brightness = bytes[kBrightness];
  effect->speed = static_cast<uint8_t>(4 - std::min<uint8_t>(bytes[kInverseSpeed], 4));
  effect->multicolor = bytes[kMulticolour];
  effect->red = bytes[kRed];
  effect->green = bytes[kGreen];
  effect->blue = bytes[kBlue];
}

DpiStage MouseSettingsRecord::Stage(size_t index) const {
  std::array<uint8_t, DpiStage::kSize> image{};
  if (index < kStageCount) {
    std::copy_n(bytes.begin() + static_cast<ptrdiff_t>(kStages + index * DpiStage::kSize), DpiStage::kSize,
                image.begin());
  }
  return DpiStage::FromBytes(image);
}

const CorrectEntry* SelectedCorrection(const std::vector<CorrectEntry>& list) {
  const auto found = std::find_if(list.begin(), list.end(), [](const CorrectEntry& e) { return e.selected != 0; });
  return found == list.end() ? nullptr : &*found;
}

}  // namespace zt640
