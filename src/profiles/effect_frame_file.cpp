#include "profiles/effect_frame_file.h"

#include "profiles/json_access.h"

namespace zt640 {

std::vector<EffectFrame> EffectFrameFile::ReadFrames(const Json::Value& document) {
  const Json::Value& list = MemberOrNull(document, "LEDEffectList");
  std::vector<EffectFrame> frames;
  if (!list.isArray()) return frames;
  frames.resize(list.size());
  for (Json::ArrayIndex i = 0; i < list.size(); ++i) {
    const Json::Value& element = list[i];
    EffectFrame& frame = frames[i];
    const auto byte = [&element](const char* key) { return static_cast<uint8_t>(JsonInt(MemberOrNull(element, key))); };
    frame.effect.mode = byte("LEDREGMode");
    frame.effect.direction = byte("LEDDirection");
    frame.effect.brightness = byte("LEDBrightness");
    frame.effect.speed = byte("LEDSpeed");
    frame.effect.multicolor = byte("LEDMultiColor");
    frame.effect.red = byte("red");
    frame.effect.green = byte("green");
    frame.effect.blue = byte("blue");
    frame.time = JsonInt(MemberOrNull(element, "Time"));
    frame.cycle = JsonInt(MemberOrNull(element, "Cyle"));
  }
  return frames;
}

std::optional<std::string> EffectFrameFile::PathFor(const std::string& folder, std::string_view guid) {
  if (guid.find_first_of(std::string_view("/\\\0", 3)) != std::string_view::npos) return std::nullopt;
  if (guid.find("..") != std::string_view::npos) return std::nullopt;
  std::string path = folder;
  if (!path.empty() && path.back() != '/') path.push_back('/');
  path.append(guid);
  path.append(".light");
  return path;
}

}  // namespace zt640
