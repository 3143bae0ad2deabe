#pragma once

#include <json/value.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "profiles/light_effect.h"

namespace zt640 {

/// The frame file of a light mode (Guid + ".light"): "LEDEffectList", an
/// array of frames in play order.
class EffectFrameFile {
 public:
  /// The frames of a parsed frame file; elements that are not objects and
  /// values of the wrong type read as zero.
  [[nodiscard]] static std::vector<EffectFrame> ReadFrames(const Json::Value& document);

  /// The file of `guid` inside `folder`, or nullopt when the name could reach
  /// outside the folder (a path separator, "..", a zero byte).
  [[nodiscard]] static std::optional<std::string> PathFor(const std::string& folder, std::string_view guid);
};

}  // namespace zt640
