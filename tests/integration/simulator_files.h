#pragma once

#include <gtest/gtest.h>
#include <json/json.h>

#include <cstdint>
#include <functional>
#include <string>

#include "profiles/global_utils.h"
#include "transport/device_path.h"
#include "transport/hid_device.h"

namespace zt640::test {

/// Path of interface 1 with `collection` of the device `product` among the
/// interfaces present, or "".
inline std::string SimulatedInterfacePath(uint16_t product, int collection) {
  HidDevice enumerator;
  if (enumerator.EnumerateInterfaces() != HidDevice::kSuccess) return {};
  while (auto path = enumerator.NextInterfacePath()) {
    const std::string candidate(*path);
    if (DevicePath::ParsePid(candidate) == product && DevicePath::ParseInterfaceNumber(candidate) == 1 &&
        DevicePath::ParseCollectionNumber(candidate) == collection) {
      return candidate;
    }
  }
  return {};
}

/// Writes a macro library of `count` macros into `folder` ("macro.config" and
/// one "guid<i>.mac" each, named "macro<i>"); `events(i)` gives macro i's
/// "Events" list.
inline void WriteMacroLibrary(const std::string& folder, int count, const std::function<Json::Value(int)>& events) {
  Json::Value library;
  for (int i = 0; i < count; ++i) {
    Json::Value info;
    info["MacroName"] = "macro" + std::to_string(i);
    info["Guid"] = "guid" + std::to_string(i);
    library["MacroInfo"].append(info);
    Json::Value macro;
    macro["Events"] = events(i);
    ASSERT_TRUE(CGlobalUtils::WriteJsonFile(folder + "guid" + std::to_string(i) + ".mac", macro));
  }
  ASSERT_TRUE(CGlobalUtils::WriteJsonFile(folder + "macro.config", library));
}

}  // namespace zt640::test
