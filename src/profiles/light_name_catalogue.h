#pragma once

#include <json/value.h>

#include <cstdint>
#include <string>
#include <vector>

namespace zt640 {

/// File name of the light name catalogue in the defaults folder.
inline constexpr char kDefaultLightFileName[] = "default_light.json";

/// One light mode as the catalogue offers it.
struct LightModeName {
  std::string name;  ///< language key or text shown for the mode
  bool visible = false;  ///< the mode is offered
  int32_t value = 0;  ///< the device's code for the mode
  friend bool operator==(const LightModeName&, const LightModeName&) = default;
};

/// Readers of the light name catalogue ("default_light.json") and of a
/// device's light configuration; both hold one element per device page type
/// (0 keyboard, 1 mouse, 2 mouse pad, 3 headset). Wrongly typed parts read as
/// empty names, false and 0.
class LightNameCatalogue {
 public:
  /// "DefaultLightName"[page_type]: the light modes in mode-number order.
  [[nodiscard]] static std::vector<LightModeName> DefaultModes(const Json::Value& catalogue, int page_type);
  /// "AreaLightName"[page_type]: one name per lighting zone, in zone order.
  [[nodiscard]] static std::vector<std::string> AreaNames(const Json::Value& catalogue, int page_type);
  /// "LightInfo"[page_type] of a light configuration: the mode names.
  [[nodiscard]] static std::vector<std::string> ConfiguredModeNames(const Json::Value& light_config, int page_type);
};

}  // namespace zt640
