#include "profiles/keyboard_profiledata.h"

#include <array>

#include "profiles/json_access.h"
#include "profiles/json_field_table.h"

namespace zt640 {

namespace {

/// "SystemStages" of the keyboard.
constexpr auto kOptionFields = std::to_array<JsonField<KeyboardOptions>>({
    {"Repeat", &KeyboardOptions::repeat},
    {"RepeatDelay", &KeyboardOptions::repeat_delay},
    {"Key6Flag", &KeyboardOptions::key6_flag},
    {"PollingRate", &KeyboardOptions::polling_rate},
    {"WFlag", &KeyboardOptions::w_flag},
    {"WinFlag", &KeyboardOptions::win_flag},
    {"MacMode", &KeyboardOptions::mac_mode},
    {"Wheel", &KeyboardOptions::wheel},
});

/// An element of a custom colour group: one key's colour.
constexpr auto kColorFields = std::to_array<JsonField<CustomColor>>({
    {"Red", &CustomColor::red},
    {"Green", &CustomColor::green},
    {"Blue", &CustomColor::blue},
    {"Alpha", &CustomColor::alpha},
});

}  // namespace

KeyboardOptions CKeyboardProfiledata::GetKeyboardOptions() {
  options_ = KeyboardOptions{};
  Json::Value& section = main_document();
  const Json::Value* group = section.isNull() ? nullptr : TouchMember(section, "SystemStages");
  if (group != nullptr && group->isObject()) {
    ReadJsonFields(*group, kOptionFields, options_);
  }
  return options_;
}

void CKeyboardProfiledata::SetKeyboardOptions(const KeyboardOptions& options) {
  options_ = options;
  Json::Value& group = WritableMember(main_document(), "SystemStages");
  if (!group.isObject()) group = Json::Value(Json::objectValue);
  WriteJsonFields(group, kOptionFields, options);
}

std::vector<CustomColor> CKeyboardProfiledata::GetCustomColors(unsigned group, unsigned count) {
  custom_colors_.assign(count, CustomColor{});
  Json::Value* mode = TouchMember(main_document(), "CustomLightMode");
  Json::Value* info = mode != nullptr ? TouchMember(*mode, "LightColorInfo") : nullptr;
  Json::Value* colors = info != nullptr ? TouchElement(*info, group) : nullptr;
  if (colors == nullptr || (!colors->isNull() && !colors->isArray())) return custom_colors_;
  for (unsigned i = 0; i < count; ++i) {
    Json::Value* element = TouchElement(*colors, i);
    if (element == nullptr) break;
    if (element->isNull()) {
      *element = Json::Value(Json::objectValue);
      WriteJsonFields(*element, kColorFields, CustomColor{});
    } else if (element->isObject()) {
      ReadJsonFields(*element, kColorFields, custom_colors_[i]);
    }
  }
  return custom_colors_;
}

void CKeyboardProfiledata::SetCustomColors(const std::vector<CustomColor>& colors, unsigned group) {
  custom_colors_ = colors;
  if (group > kMaxJsonGrowIndex || colors.size() > kMaxJsonGrowIndex) return;
  Json::Value& mode = WritableMember(main_document(), "CustomLightMode");
  Json::Value& info = WritableMember(mode, "LightColorInfo");
  Json::Value& list = WritableElement(info, group);
  for (size_t i = 0; i < colors.size(); ++i) {
    Json::Value& element = WritableElement(list, static_cast<Json::ArrayIndex>(i));
    if (!element.isObject()) element = Json::Value(Json::objectValue);
    WriteJsonFields(element, kColorFields, colors[i]);
  }
}

int32_t CKeyboardProfiledata::GetCustomColorGroup() {
  custom_group_ = 0;
  Json::Value& section = main_document();
  const Json::Value* mode = section.isNull() ? nullptr : TouchMember(section, "CustomLightMode");
  if (mode != nullptr) custom_group_ = JsonInt(MemberOrNull(*mode, "CustomLightModeGroupIndex"));
  return custom_group_;
}

void CKeyboardProfiledata::SetCustomColorGroup(int32_t group) {
  custom_group_ = group;
  WritableMember(WritableMember(main_document(), "CustomLightMode"), "CustomLightModeGroupIndex") = group;
}

}  // namespace zt640
