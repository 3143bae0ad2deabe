#include "profiles/hs6533_profiledata.h"

#include <array>
#include <optional>

#include "profiles/json_access.h"
#include "profiles/json_field_table.h"

namespace zt640 {

namespace {

/// The preset a type reads: 0 and types above 13 stand for preset 1; the
/// custom type has no preset here.
std::optional<Json::ArrayIndex> PresetOf(int32_t type) {
  if (type == kCustomEqType) return std::nullopt;
  if (type <= 0 || type > kCustomEqType) return 1;
  return static_cast<Json::ArrayIndex>(type);
}

/// Reads preset `index` of the array group `key`. When the group or the
/// preset is null, ten zero bands are written into it first.
std::vector<int32_t> ReadBands(Json::Value& section, const char* key, int32_t index) {
  std::vector<int32_t> bands(kEqBandCount, 0);
  if (index < 0) return bands;
  Json::Value* group = TouchMember(section, key);
  if (group == nullptr || (!group->isNull() && !group->isArray())) return bands;
  if (group->isNull() || ElementOrNull(*group, static_cast<Json::ArrayIndex>(index)).isNull()) {
    Json::Value* preset = TouchElement(*group, static_cast<Json::ArrayIndex>(index));
    if (preset == nullptr) return bands;
    for (Json::ArrayIndex b = 0; b < kEqBandCount; ++b) (*preset)[b]["value"] = 0;
    return bands;
  }
  const Json::Value& preset = ElementOrNull(*group, static_cast<Json::ArrayIndex>(index));
  for (Json::ArrayIndex b = 0; b < kEqBandCount; ++b) {
    bands[b] = JsonInt(MemberOrNull(ElementOrNull(preset, b), "value"));
  }
  return bands;
}

void WriteBands(Json::Value& section, const char* key, int32_t index, const EqBands& values) {
  if (index < 0 || static_cast<Json::ArrayIndex>(index) > kMaxJsonGrowIndex) return;
  Json::Value& preset = WritableElement(WritableMember(section, key), static_cast<Json::ArrayIndex>(index));
  for (Json::ArrayIndex b = 0; b < kEqBandCount; ++b) WritableMember(WritableElement(preset, b), "value") = values[b];
}

/// "SystemSetStages": the effect, equaliser and microphone settings.
constexpr auto kOptionFields = std::to_array<JsonField<HeadsetOptions>>({
    {"MagicEnable", &HeadsetOptions::magic_enable},
    {"MagicType", &HeadsetOptions::magic_type},
    {"EqType", &HeadsetOptions::eq_type},
    {"CustomEqSeletIndex", &HeadsetOptions::custom_eq_index},
    {"MicInSelect", &HeadsetOptions::mic_in_select},
    {"MicInValue", &HeadsetOptions::mic_in_value},
    {"MicMoniterSelect", &HeadsetOptions::mic_monitor_select},
    {"MicMoniterValue", &HeadsetOptions::mic_monitor_value},
});

}  // namespace

HeadsetOptions CHs6533Profiledata::GetHeadsetOptions() {
  options_ = HeadsetOptions{};
  Json::Value& section = main_document();
  const Json::Value* group = section.isNull() ? nullptr : TouchMember(section, "SystemSetStages");
  if (group == nullptr || !group->isObject()) return options_;
  ReadJsonFields(*group, kOptionFields, options_);
  return options_;
}

void CHs6533Profiledata::SetHeadsetOptions(const HeadsetOptions& options) {
  Json::Value& group = WritableMember(main_document(), "SystemSetStages");
  if (!group.isObject()) group = Json::Value(Json::objectValue);
  WriteJsonFields(group, kOptionFields, options);
  options_ = options;
}

std::vector<int32_t> CHs6533Profiledata::GetEqValues(int32_t type) {
  const std::optional<Json::ArrayIndex> preset = PresetOf(type);
  if (!preset) return {};
  return ReadBands(main_document(), "EQHzValueInfo", static_cast<int32_t>(*preset));
}

void CHs6533Profiledata::SetEqValues(int32_t type, const EqBands& values) {
  const std::optional<Json::ArrayIndex> preset = PresetOf(type);
  if (preset) WriteBands(main_document(), "EQHzValueInfo", static_cast<int32_t>(*preset), values);
}

std::vector<std::string> CHs6533Profiledata::GetCustomEqNames() {
  std::vector<std::string> names;
  Json::Value& section = main_document();
  const Json::Value* list = section.isNull() ? nullptr : TouchMember(section, "CustomEQNameInfo");
  if (list == nullptr || !list->isArray()) return names;
  for (const Json::Value& element : *list) names.push_back(JsonString(MemberOrNull(element, "Name")));
  return names;
}

void CHs6533Profiledata::SetCustomEqNames(const std::vector<std::string>& names) {
  Json::Value list(Json::arrayValue);
  for (const std::string& name : names) {
    Json::Value element(Json::objectValue);
    element["Name"] = name;
    list.append(std::move(element));
  }
  WritableMember(main_document(), "CustomEQNameInfo") = std::move(list);
}

std::vector<int32_t> CHs6533Profiledata::GetCustomEqValues(int32_t position) {
  return ReadBands(main_document(), "CustomEQHzValueInfo", position);
}

void CHs6533Profiledata::SetCustomEqValues(int32_t position, const EqBands& values) {
  WriteBands(main_document(), "CustomEQHzValueInfo", position, values);
}

}  // namespace zt640
