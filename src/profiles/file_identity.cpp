#include "profiles/file_identity.h"

#include <chrono>
#include <thread>

#include "profiles/global_utils.h"

namespace zt640 {

bool FileIdentity::IsSafe(std::string_view identity) {
  if (identity.empty() || identity.size() > kMaxLength || identity.front() == '.') return false;
  if (identity.find("..") != std::string_view::npos) return false;
  for (const char c : identity) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte >= 0x7F || c == '/' || c == '\\') return false;
  }
  return true;
}

std::string FileIdentity::MakeUnique(const std::function<bool(const std::string&)>& taken) {
  std::string name = CGlobalUtils::MakeTimeStampName();
  // A clock stepped backwards could repeat names for a while; the suffix
  // keeps the loop finite in that case.
  for (int attempt = 0; taken(name); ++attempt) {
    if (attempt < 2000) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
      name = CGlobalUtils::MakeTimeStampName();
    } else {
      name = CGlobalUtils::MakeTimeStampName() + "_" + std::to_string(attempt);
    }
  }
  return name;
}

}  // namespace zt640
