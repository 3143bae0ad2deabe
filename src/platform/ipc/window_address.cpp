#include "platform/ipc/window_address.h"

#include "platform/paths/name_hash.h"

namespace zt640::platform {

namespace {
constexpr std::string_view kPrefix = "w-";
constexpr std::string_view kSuffix = ".sock";
constexpr std::size_t kHashDigits = 16;

bool IsHex(std::string_view text) {
  for (const char c : text) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  }
  return true;
}
}  // namespace

std::string WindowSocketName(std::string_view class_name, std::string_view title) {
  return std::string(kPrefix) + NameHashHex(class_name) + "-" + NameHashHex(title) + std::string(kSuffix);
}

bool ParseWindowSocketName(std::string_view file_name, std::string* class_hash, std::string* title_hash) {
  const std::size_t expected = kPrefix.size() + kHashDigits + 1 + kHashDigits + kSuffix.size();
  if (file_name.size() != expected || !file_name.starts_with(kPrefix) || !file_name.ends_with(kSuffix)) return false;
  const std::string_view klass = file_name.substr(kPrefix.size(), kHashDigits);
  const std::string_view title = file_name.substr(kPrefix.size() + kHashDigits + 1, kHashDigits);
  if (file_name[kPrefix.size() + kHashDigits] != '-' || !IsHex(klass) || !IsHex(title)) return false;
  if (class_hash != nullptr) *class_hash = klass;
  if (title_hash != nullptr) *title_hash = title;
  return true;
}

}  // namespace zt640::platform
