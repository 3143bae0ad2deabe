#include "profiles/mouse_profiledata.h"

#include <array>

#include "profiles/json_access.h"
#include "profiles/json_field_table.h"

namespace zt640 {

namespace {

int32_t Int(const Json::Value& group, const char* key) { return JsonInt(MemberOrNull(group, key)); }

/// An element of "StageDPIs": one DPI stage.
constexpr auto kStageFields = std::to_array<JsonField<DpiStage>>({
    {"StageActive", &DpiStage::active},
    {"StageXY", &DpiStage::separate_xy},
    {"StageDPIX", &DpiStage::dpi_x},
    {"StageDPIY", &DpiStage::dpi_y},
    {"StageColorR", &DpiStage::red},
    {"StageColorG", &DpiStage::green},
    {"StageColorB", &DpiStage::blue},
});

/// "SystemStages" of the mouse; the report stage lives in its own group.
constexpr auto kOptionFields = std::to_array<JsonField<MouseOptions>>({
    {"DoubleClickTime", &MouseOptions::double_click_time},
    {"MouseSpeed", &MouseOptions::mouse_speed},
    {"PointerPrecision", &MouseOptions::pointer_precision},
    {"ScorllPage", &MouseOptions::scroll_page},
    {"WheelScorlllinse", &MouseOptions::wheel_scroll_lines},
});

}  // namespace

std::vector<DpiStage> CMouseProfiledata::GetDpiStages() {
  Json::Value& section = main_document();
  const Json::Value* group = section.isNull() ? nullptr : TouchMember(section, "DPIStages");
  if (group == nullptr || !group->isObject()) return dpi_stages_;
  active_dpi_stage_ = Int(*group, "StageActive");
  const Json::Value& stages = MemberOrNull(*group, "StageDPIs");
  if (!stages.isArray()) return dpi_stages_;
  if (dpi_stages_.size() < stages.size()) dpi_stages_.resize(stages.size());
  for (Json::ArrayIndex i = 0; i < stages.size(); ++i) {
    DpiStage stage;
    ReadJsonFields(stages[i], kStageFields, stage);
    dpi_stages_[i] = stage;
  }
  return dpi_stages_;
}

void CMouseProfiledata::SetDpiStages(const std::vector<DpiStage>& stages) {
  dpi_stages_ = stages;
  if (stages.size() > kMaxJsonGrowIndex) return;
  Json::Value& list = WritableMember(WritableMember(main_document(), "DPIStages"), "StageDPIs");
  for (size_t i = 0; i < stages.size(); ++i) {
    Json::Value& element = WritableElement(list, static_cast<Json::ArrayIndex>(i));
    if (!element.isObject()) element = Json::Value(Json::objectValue);
    WriteJsonFields(element, kStageFields, stages[i]);
  }
}

void CMouseProfiledata::SetActiveDpiStage(int32_t stage) {
  active_dpi_stage_ = stage;
  WritableMember(WritableMember(main_document(), "DPIStages"), "StageActive") = stage;
}

MouseOptions CMouseProfiledata::GetMouseOptions() {
  options_ = MouseOptions{};
  Json::Value& section = main_document();
  const Json::Value* group = section.isNull() ? nullptr : TouchMember(section, "SystemStages");
  if (group == nullptr || !group->isObject()) return options_;
  ReadJsonFields(*group, kOptionFields, options_);
  const Json::Value* report = TouchMember(section, "ReportStages");
  if (report != nullptr && report->isObject()) options_.report_stage = static_cast<uint16_t>(Int(*report, "StageActive"));
  return options_;
}

void CMouseProfiledata::SetMouseOptions(const MouseOptions& options) {
  options_ = options;
  Json::Value& group = WritableMember(main_document(), "SystemStages");
  if (!group.isObject()) group = Json::Value(Json::objectValue);
  WriteJsonFields(group, kOptionFields, options);
  WritableMember(WritableMember(main_document(), "ReportStages"), "StageActive") = options.report_stage;
}

std::vector<CorrectEntry> CMouseProfiledata::GetCorrectList() {
  correct_list_.clear();
  Json::Value& section = main_document();
  const Json::Value* list = section.isNull() ? nullptr : TouchMember(section, "CorrectInfo");
  if (list == nullptr || !list->isArray()) return correct_list_;
  correct_list_.reserve(list->size());
  for (const Json::Value& element : *list) {
    correct_list_.push_back(CorrectEntry{static_cast<uint8_t>(Int(element, "CorrectPixThresh")),
                                         static_cast<uint8_t>(Int(element, "CorrectMinSq")),
                                         static_cast<uint8_t>(Int(element, "CorrectSelect")),
                                         JsonString(MemberOrNull(element, "CorrectName"))});
  }
  return correct_list_;
}

}  // namespace zt640
