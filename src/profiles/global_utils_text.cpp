#include <climits>

#include "profiles/global_utils.h"

namespace zt640 {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsScalarValue(char32_t c) { return c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF); }

/// Decodes one code point at `pos` and advances it; a malformed sequence
/// (overlong, surrogate, truncated, stray continuation) gives U+FFFD and
/// consumes one byte.
char32_t NextCodePoint(std::string_view text, size_t& pos) {
  const auto lead = static_cast<unsigned char>(text[pos]);
  if (lead < 0x80) {
    ++pos;
    return lead;
  }
  int length = 0;
  char32_t c = 0;
  char32_t minimum = 0;
  if ((lead & 0xE0) == 0xC0) {
    length = 2, c = lead & 0x1F, minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, c = lead & 0x0F, minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, c = lead & 0x07, minimum = 0x10000;
  } else {
    ++pos;
    return kReplacement;
  }
  if (pos + static_cast<size_t>(length) > text.size()) {
    ++pos;
    return kReplacement;
  }
  for (int i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(text[pos + static_cast<size_t>(i)]);
    if ((next & 0xC0) != 0x80) {
      ++pos;
      return kReplacement;
    }
    c = (c << 6) | (next & 0x3F);
  }
  if (c < minimum || !IsScalarValue(c)) {
    ++pos;
    return kReplacement;
  }
  pos += static_cast<size_t>(length);
  return c;
}

/// Simple case folding of one code point for the scripts with case that
/// names in this system are written in.
char32_t FoldCodePoint(char32_t c) {
  if (c < 0x80) return (c >= 'A' && c <= 'Z') ? c + 32 : c;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;
  if (c == 0xB5) return 0x3BC;
  if (c == 0x178) return 0xFF;
  if (c == 0x17F) return 's';
  if (c == 0x130) return 'i';
  if ((c >= 0x100 && c <= 0x12F) || (c >= 0x132 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) return c | 1;
  if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return (c & 1) ? c + 1 : c;
  if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 32;
  if (c == 0x386) return 0x3AC;
  if (c >= 0x388 && c <= 0x38A) return c + 37;
  if (c == 0x38C) return 0x3CC;
  if (c == 0x38E || c == 0x38F) return c + 63;
  if (c == 0x3C2) return 0x3C3;
  if (c >= 0x400 && c <= 0x40F) return c + 80;
  if (c >= 0x410 && c <= 0x42F) return c + 32;
  if ((c >= 0x460 && c <= 0x481) || (c >= 0x48A && c <= 0x4BF) || (c >= 0x4D0 && c <= 0x52F)) return c | 1;
  if (c == 0x4C0) return 0x4CF;
  if (c >= 0x4C1 && c <= 0x4CE) return (c & 1) ? c + 1 : c;
  if (c >= 0x531 && c <= 0x556) return c + 48;
  if ((c >= 0x1E00 && c <= 0x1E95) || (c >= 0x1EA0 && c <= 0x1EFF)) return c | 1;
  if (c == 0x1E9E) return 0xDF;
  if (c >= 0xFF21 && c <= 0xFF3A) return c + 32;
  return c;
}

}  // namespace

void CGlobalUtils::AppendUtf8(std::string& out, char32_t c) {
  if (!IsScalarValue(c)) c = kReplacement;
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

std::string CGlobalUtils::Utf8FromWide(std::wstring_view text) {
  std::string out;
  out.reserve(text.size());
  for (const wchar_t c : text) CGlobalUtils::AppendUtf8(out, static_cast<char32_t>(c));
  return out;
}

std::wstring CGlobalUtils::WideFromUtf8(std::string_view text) {
  std::wstring out;
  out.reserve(text.size());
  for (size_t pos = 0; pos < text.size();) out.push_back(static_cast<wchar_t>(NextCodePoint(text, pos)));
  return out;
}

std::string CGlobalUtils::FileTitle(std::string_view path) {
  const size_t slash = path.find_last_of('/');
  std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  const size_t dot = name.find_last_of('.');
  if (dot != std::string_view::npos) name = name.substr(0, dot);
  return std::string(name);
}

std::optional<NameNumber> CGlobalUtils::SplitNameNumber(std::string_view text) {
  const size_t underscore = text.find_last_of('_');
  if (underscore == std::string_view::npos) return std::nullopt;
  NameNumber result{std::string(text.substr(0, underscore + 1)), 0};
  // Leading decimal digits with an optional sign, like the C library's atoi,
  // clamped to the int range.
  std::string_view rest = text.substr(underscore + 1);
  size_t pos = 0;
  while (pos < rest.size() && (rest[pos] == ' ' || rest[pos] == '\t')) ++pos;
  bool negative = false;
  if (pos < rest.size() && (rest[pos] == '+' || rest[pos] == '-')) negative = rest[pos++] == '-';
  long long value = 0;
  for (; pos < rest.size() && rest[pos] >= '0' && rest[pos] <= '9'; ++pos) {
    value = value * 10 + (rest[pos] - '0');
    if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
  }
  if (negative) value = -value;
  result.number = static_cast<int>(value > INT_MAX ? INT_MAX : value);
  return result;
}

std::string CGlobalUtils::FoldCase(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t pos = 0; pos < text.size();) CGlobalUtils::AppendUtf8(out, FoldCodePoint(NextCodePoint(text, pos)));
  return out;
}

bool CGlobalUtils::EqualsIgnoreCase(std::string_view a, std::string_view b) {
  size_t pa = 0;
  size_t pb = 0;
  while (pa < a.size() && pb < b.size()) {
    if (FoldCodePoint(NextCodePoint(a, pa)) != FoldCodePoint(NextCodePoint(b, pb))) return false;
  }
  return pa == a.size() && pb == b.size();
}

}  // namespace zt640
