#pragma once

#include <json/json.h>

#include <string>

#include "devices/keyboard/keyboard_key_matcher.h"
#include "profiles/global_utils.h"

namespace zt640::test {

/// Writes a keyboard default profile whose key list holds the factory
/// assignments (as the simulated keyboard's table does) and whose lighting is in
/// `mode`. False when the file cannot be written.
[[nodiscard]] inline bool WriteFactoryKeyboardProfile(const std::string& path, int mode) {
  Json::Value keys(Json::arrayValue);
  for (const KeyAssignment& value : KeyboardKeyMatcher::FactoryValues()) {
    Json::Value key;
    key["Assignment"] = value.Pack();
    key["DefaultAssignment"] = value.Pack();
    keys.append(key);
  }
  Json::Value document;
  document["Device"][0]["KeyList"] = keys;
  document["Device"][0]["LightInfo"]["SelectItem"] = mode;
  document["Device"][0]["LightInfo"]["Light"] = 4;
  return CGlobalUtils::WriteJsonFile(path, document);
}

}  // namespace zt640::test
