#include "profiles/keyboard_profiledata.h"

#include "profiles/json_access.h"

namespace zt640 {

namespace {

uint16_t Word(const Json::Value& group, const char* key) {
  return static_cast<uint16_t>(JsonInt(MemberOrNull(group, key)));
}

void WriteZeroColor(Json::Value& element) {
  element["Red"] = 0;
  element["Green"] = 0;
  element["Blue"] = 0;
  element["Alpha"] = 0;
}

}  // namespace

KeyboardOptions CKeyboardProfiledata::GetKeyboardOptions() {
  options_ = KeyboardOptions{};
  Json::Value& section = main_document();
  const Json::Value* group = section.isNull() ? nullptr : TouchMember(section, "SystemStages");
  if (group != nullptr && group->isObject()) {
    options_.repeat = Word(*group, "Repeat");
    options_.repeat_delay = Word(*group, "RepeatDelay");
    options_.key6_flag = Word(*group, "Key6Flag");
    options_.polling_rate = Word(*group, "PollingRate");
    options_.w_flag = Word(*group, "WFlag");
    options_.win_flag = Word(*group, "WinFlag");
    options_.mac_mode = Word(*group, "MacMode");
    options_.wheel = Word(*group, "Wheel");
  }
  return options_;
}

void CKeyboardProfiledata::SetKeyboardOptions(const KeyboardOptions& options) {
  options_ = options;
  Json::Value& group = WritableMember(main_document(), "SystemStages");
  if (!group.isObject()) group = Json::Value(Json::objectValue);
  group["Repeat"] = options.repeat;
  group["RepeatDelay"] = options.repeat_delay;
  group["Key6Flag"] = options.key6_flag;
  group["PollingRate"] = options.polling_rate;
  group["WFlag"] = options.w_flag;
  group["WinFlag"] = options.win_flag;
  group["MacMode"] = options.mac_mode;
  group["Wheel"] = options.wheel;
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
      WriteZeroColor(*element);
    } else if (element->isObject()) {
      custom_colors_[i] = CustomColor{static_cast<uint8_t>(JsonInt(MemberOrNull(*element, "Red"))),
                                      static_cast<uint8_t>(JsonInt(MemberOrNull(*element, "Green"))),
                                      static_cast<uint8_t>(JsonInt(MemberOrNull(*element, "Blue"))),
                                      static_cast<uint8_t>(JsonInt(MemberOrNull(*element, "Alpha")))};
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
    element["Red"] = colors[i].red;
    element["Green"] = colors[i].green;
    element["Blue"] = colors[i].blue;
    element["Alpha"] = colors[i].alpha;
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
