#include "profiles/light_name_catalogue.h"

#include "profiles/json_access.h"

namespace zt640 {

namespace {

const Json::Value& PageElement(const Json::Value& document, const char* key, int page_type) {
  if (page_type < 0) return ElementOrNull(Json::Value(), 0);
  return ElementOrNull(MemberOrNull(document, key), static_cast<Json::ArrayIndex>(page_type));
}

std::vector<std::string> Names(const Json::Value& list) {
  std::vector<std::string> names;
  if (!list.isArray()) return names;
  for (const Json::Value& entry : list) names.push_back(JsonString(MemberOrNull(entry, "LightName")));
  return names;
}

}  // namespace

std::vector<LightModeName> LightNameCatalogue::DefaultModes(const Json::Value& catalogue, int page_type) {
  std::vector<LightModeName> modes;
  const Json::Value& list = PageElement(catalogue, "DefaultLightName", page_type);
  if (!list.isArray()) return modes;
  for (const Json::Value& entry : list) {
    modes.push_back(LightModeName{JsonString(MemberOrNull(entry, "LightName")), JsonBool(MemberOrNull(entry, "visible")),
                                  JsonInt(MemberOrNull(entry, "value"))});
  }
  return modes;
}

std::vector<std::string> LightNameCatalogue::AreaNames(const Json::Value& catalogue, int page_type) {
  return Names(PageElement(catalogue, "AreaLightName", page_type));
}

std::vector<std::string> LightNameCatalogue::ConfiguredModeNames(const Json::Value& light_config, int page_type) {
  return Names(PageElement(light_config, "LightInfo", page_type));
}

}  // namespace zt640
