#include "profiles/import_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "profiles/global_utils.h"

namespace zt640 {

namespace {

bool IsIntegral(const Json::Value& value) { return value.isIntegral() && !value.isBool(); }

bool IsDigitString(const Json::Value& value) {
  if (!value.isString()) return false;
  const std::string text = value.asString();
  if (text.empty() || text.size() > 10) return false;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

/// True when `key` is absent or satisfies `check`.
template <typename Check>
bool OptionalMember(const Json::Value& object, const char* key, Check check) {
  return !object.isMember(key) || check(object[key]);
}

bool IsMacroEvent(const Json::Value& event) {
  if (!event.isObject()) return false;
  return IsIntegral(event["Type"]) && IsIntegral(event["Button"]) &&
         (IsDigitString(event["Delay"]) || (IsIntegral(event["Delay"]) && event["Delay"].asLargestInt() >= 0)) &&
         OptionalMember(event, "Action", [](const Json::Value& v) { return v.isString(); });
}

bool IsShootEvent(const Json::Value& event) {
  if (event.isNull()) return true;
  if (!event.isObject()) return false;
  return OptionalMember(event, "Type", IsIntegral) && OptionalMember(event, "Button", IsIntegral) &&
         OptionalMember(event, "Delay", IsIntegral) &&
         OptionalMember(event, "Action", [](const Json::Value& v) { return v.isString(); });
}

}  // namespace

std::optional<ImportedFile> ImportFile::ReadObject(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  struct stat info {};
  std::string bytes;
  bool complete = false;
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && static_cast<size_t>(info.st_size) <= kMaxBytes) {
    bytes.resize(static_cast<size_t>(info.st_size));
    size_t filled = 0;
    while (filled < bytes.size()) {
      const ssize_t got = ::read(fd, bytes.data() + filled, bytes.size() - filled);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) break;
      filled += static_cast<size_t>(got);
    }
    complete = filled == bytes.size();
  }
  ::close(fd);
  if (!complete || bytes.find('\0') != std::string::npos) return std::nullopt;
  std::optional<Json::Value> document = CGlobalUtils::ParseJsonText(bytes);
  if (!document || !document->isObject()) return std::nullopt;
  return ImportedFile{std::move(bytes), std::move(*document)};
}

bool ImportFile::IsProfileDocument(const Json::Value& document) {
  if (!document.isObject() || !document["profilename"].isString() || !document["profileUUID"].isString()) return false;
  if (!document.isMember("Device")) return true;
  const Json::Value& devices = document["Device"];
  if (!devices.isArray()) return false;
  for (const Json::Value& section : devices) {
    if (!section.isObject() && !section.isNull()) return false;
  }
  return true;
}

bool ImportFile::IsMacroDocument(const Json::Value& document) {
  if (!document.isObject()) return false;
  const Json::Value& events = document["Events"];
  if (!events.isArray() || events.size() > kMaxMacroEvents) return false;
  for (const Json::Value& event : events) {
    if (!IsMacroEvent(event)) return false;
  }
  return true;
}

bool ImportFile::IsShootDocument(const Json::Value& document) {
  if (!document.isObject()) return false;
  const Json::Value& events = document["Events"];
  if (!events.isArray() || events.size() > kShootEvents) return false;
  for (const Json::Value& event : events) {
    if (!IsShootEvent(event)) return false;
  }
  return true;
}

std::optional<ImportedFile> ImportFile::ReadProfile(const std::string& path) {
  std::optional<ImportedFile> file = ReadObject(path);
  if (!file || !IsProfileDocument(file->document)) return std::nullopt;
  return file;
}

std::optional<ImportedFile> ImportFile::ReadMacro(const std::string& path) {
  std::optional<ImportedFile> file = ReadObject(path);
  if (!file || !IsMacroDocument(file->document)) return std::nullopt;
  return file;
}

std::optional<ImportedFile> ImportFile::ReadShoot(const std::string& path) {
  std::optional<ImportedFile> file = ReadObject(path);
  if (!file || !IsShootDocument(file->document)) return std::nullopt;
  return file;
}

}  // namespace zt640
