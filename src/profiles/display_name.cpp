#include "profiles/display_name.h"

#include "profiles/global_utils.h"

namespace zt640 {

namespace {

/// Length of the UTF-8 sequence starting with `lead` (1 for continuation bytes).
size_t SequenceLength(unsigned char lead) {
  if (lead < 0xC0) return 1;
  if (lead < 0xE0) return 2;
  if (lead < 0xF0) return 3;
  return 4;
}

}  // namespace

std::string DisplayName::Sanitised(std::string_view text) {
  return CGlobalUtils::Utf8FromWide(CGlobalUtils::WideFromUtf8(text));
}

bool DisplayName::IsBlank(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f') {
      ++i;
    } else if (text.substr(i, 2) == "\xC2\xA0") {
      i += 2;
    } else if (text.substr(i, 3) == "\xE3\x80\x80") {
      i += 3;
    } else {
      return false;
    }
  }
  return true;
}

bool DisplayName::ContainsControl(std::string_view text) {
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) return true;
  }
  return false;
}

size_t DisplayName::Length(std::string_view text) {
  size_t count = 0;
  for (const char c : text) {
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
  }
  return count;
}

std::string DisplayName::Truncated(std::string_view text, size_t count) {
  size_t i = 0;
  for (size_t taken = 0; i < text.size() && taken < count; ++taken) {
    i += SequenceLength(static_cast<unsigned char>(text[i]));
  }
  return std::string(text.substr(0, std::min(i, text.size())));
}

std::string DisplayName::Repaired(std::string_view text) {
  std::string clean;
  for (const char c : Sanitised(text)) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte != 0x7F) clean.push_back(c);
  }
  return Truncated(clean, kMaxLength);
}

std::string DisplayName::FirstFree(const std::function<bool(const std::string&)>& used,
                                   const std::function<std::string(int)>& make, int first) {
  int k = first;
  std::string candidate = make(k);
  while (used(candidate)) candidate = make(++k);
  return candidate;
}

}  // namespace zt640
