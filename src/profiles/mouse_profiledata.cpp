#include "profiles/mouse_profiledata.h"

#include "profiles/json_access.h"

namespace zt640 {

namespace {

int32_t Int(const Json::Value& group, const char* key) { return JsonInt(MemberOrNull(group, key)); }

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
    const Json::Value& element = stages[i];
    dpi_stages_[i] = DpiStage{static_cast<uint8_t>(Int(element, "StageActive")),
                              static_cast<uint8_t>(Int(element, "StageXY")),
                              static_cast<uint16_t>(Int(element, "StageDPIX")),
                              static_cast<uint16_t>(Int(element, "StageDPIY")),
                              static_cast<uint8_t>(Int(element, "StageColorR")),
                              static_cast<uint8_t>(Int(element, "StageColorG")),
                              static_cast<uint8_t>(Int(element, "StageColorB"))};
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
    element["StageActive"] = stages[i].active;
    element["StageXY"] = stages[i].separate_xy;
    element["StageDPIX"] = stages[i].dpi_x;
    element["StageDPIY"] = stages[i].dpi_y;
    element["StageColorR"] = stages[i].red;
    element["StageColorG"] = stages[i].green;
    element["StageColorB"] = stages[i].blue;
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
  options_.double_click_time = static_cast<uint16_t>(Int(*group, "DoubleClickTime"));
  options_.mouse_speed = static_cast<uint16_t>(Int(*group, "MouseSpeed"));
  options_.pointer_precision = static_cast<uint16_t>(Int(*group, "PointerPrecision"));
  options_.scroll_page = static_cast<uint16_t>(Int(*group, "ScorllPage"));
  options_.wheel_scroll_lines = static_cast<uint16_t>(Int(*group, "WheelScorlllinse"));
  const Json::Value* report = TouchMember(section, "ReportStages");
  if (report != nullptr && report->isObject()) options_.report_stage = static_cast<uint16_t>(Int(*report, "StageActive"));
  return options_;
}

void CMouseProfiledata::SetMouseOptions(const MouseOptions& options) {
  options_ = options;
  Json::Value& group = WritableMember(main_document(), "SystemStages");
  if (!group.isObject()) group = Json::Value(Json::objectValue);
  group["DoubleClickTime"] = options.double_click_time;
  group["MouseSpeed"] = options.mouse_speed;
  group["PointerPrecision"] = options.pointer_precision;
  group["ScorllPage"] = options.scroll_page;
  group["WheelScorlllinse"] = options.wheel_scroll_lines;
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
