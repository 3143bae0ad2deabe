#include "profiles/language_texts.h"

#include <cstdint>
#include <optional>

#include "profiles/global_utils.h"

namespace zt640 {

namespace {

/// An attribute value with the XML entities resolved.
std::string Unescaped(std::string_view raw) {
  std::string out;
  for (size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] != '&') {
      out.push_back(raw[i]);
      continue;
    }
    const size_t end = raw.find(';', i);
    if (end == std::string_view::npos || end - i > 10) {
      out.push_back('&');
      continue;
    }
    const std::string_view entity = raw.substr(i + 1, end - i - 1);
    if (entity == "amp") out.push_back('&');
    else if (entity == "lt") out.push_back('<');
    else if (entity == "gt") out.push_back('>');
    else if (entity == "quot") out.push_back('"');
    else if (entity == "apos") out.push_back('\'');
    else if (entity.size() > 1 && entity[0] == '#') {
      uint32_t cp = 0;
      const bool hex = entity[1] == 'x' || entity[1] == 'X';
      bool valid = entity.size() > (hex ? 2u : 1u);
      for (size_t k = hex ? 2 : 1; k < entity.size() && valid && cp <= 0x10FFFF; ++k) {
        const char c = entity[k];
        if (c >= '0' && c <= '9') cp = cp * (hex ? 16 : 10) + static_cast<uint32_t>(c - '0');
        else if (hex && c >= 'a' && c <= 'f') cp = cp * 16 + static_cast<uint32_t>(c - 'a' + 10);
        else if (hex && c >= 'A' && c <= 'F') cp = cp * 16 + static_cast<uint32_t>(c - 'A' + 10);
        else valid = false;
      }
      if (!valid) {
        out.push_back('&');
        continue;
      }
      // "&#0;" would cut the text short where it is used as a C string.
      CGlobalUtils::AppendUtf8(out, cp == 0 ? 0xFFFD : cp);
    } else {
      out.push_back('&');
      continue;
    }
    i = end;
  }
  return out;
}

/// The value of attribute `name` inside one tag's text.
std::optional<std::string> Attribute(std::string_view tag, std::string_view name) {
  size_t pos = 0;
  while ((pos = tag.find(name, pos)) != std::string_view::npos) {
    const bool starts = pos > 0 && (tag[pos - 1] == ' ' || tag[pos - 1] == '\t' || tag[pos - 1] == '\n' ||
                                    tag[pos - 1] == '\r');
    size_t i = pos + name.size();
    while (i < tag.size() && (tag[i] == ' ' || tag[i] == '\t')) ++i;
    if (starts && i < tag.size() && tag[i] == '=') {
      ++i;
      while (i < tag.size() && (tag[i] == ' ' || tag[i] == '\t')) ++i;
      if (i < tag.size() && (tag[i] == '"' || tag[i] == '\'')) {
        const char quote = tag[i];
        const size_t end = tag.find(quote, i + 1);
        if (end == std::string_view::npos) return std::nullopt;
        return Unescaped(tag.substr(i + 1, end - i - 1));
      }
    }
    pos += name.size();
  }
  return std::nullopt;
}

}  // namespace

bool LanguageTexts::Load(const std::string& path) { return Parse(CGlobalUtils::readjsonFile(path)); }

bool LanguageTexts::Parse(std::string_view xml) {
  size_t pos = 0;
  while ((pos = xml.find("<Text", pos)) != std::string_view::npos) {
    const size_t end = xml.find('>', pos);
    if (end == std::string_view::npos) break;
    const std::string_view tag = xml.substr(pos + 5, end - pos - 5);
    pos = end + 1;
    if (!tag.empty() && tag[0] != ' ' && tag[0] != '\t' && tag[0] != '\n' && tag[0] != '\r') continue;
    std::optional<std::string> key = Attribute(tag, "key");
    std::optional<std::string> value = Attribute(tag, "value");
    if (key && value) texts_[*key] = *value;
  }
  return !texts_.empty();
}

std::string LanguageTexts::Text(std::string_view key) const {
  const auto found = texts_.find(key);
  return found != texts_.end() ? found->second : std::string(key);
}

}  // namespace zt640
