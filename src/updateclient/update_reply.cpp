#include "updateclient/update_reply.h"

#include <cctype>
#include <exception>
#include <memory>
#include <string>

#include <json/json.h>

#include "updateclient/update_address.h"
#include "updateclient/sha256.h"
#include "updateclient/update_catalogue.h"
#include "updateclient/update_target.h"

namespace zt640 {

namespace {

/// Replies nest no deeper than this; deeper documents are no reply of the service.
constexpr int kReplyNestingLimit = 16;

bool ParseObject(std::string_view reply, Json::Value& document) {
  Json::CharReaderBuilder builder;
  builder["stackLimit"] = kReplyNestingLimit;
  builder["allowComments"] = true;
  builder["failIfExtra"] = true;
  const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
  std::string errors;
  try {
    if (!reader->parse(reply.data(), reply.data() + reply.size(), &document, &errors)) return false;
  } catch (const std::exception&) {
    return false;
  }
  return document.isObject();
}

/// A text member: absent or null reads as "", another type is refused.
bool ReadText(const Json::Value& object, const char* key, std::string& out) {
  const Json::Value* value = object.find(key, key + std::char_traits<char>::length(key));
  if (value == nullptr || value->isNull()) {
    out.clear();
    return true;
  }
  if (!value->isString()) return false;
  out = value->asString();
  return true;
}

bool ReadInteger(const Json::Value& object, const char* key, int32_t& out) {
  const Json::Value* value = object.find(key, key + std::char_traits<char>::length(key));
  if (value == nullptr || value->isNull()) {
    out = 0;
    return true;
  }
  if (!value->isInt()) return false;
  out = value->asInt();
  return true;
}

/// A byte count: absent or null reads as 0, a negative number or another type is refused.
bool ReadSize(const Json::Value& object, const char* key, int64_t& out) {
  const Json::Value* value = object.find(key, key + std::char_traits<char>::length(key));
  if (value == nullptr || value->isNull()) {
    out = 0;
    return true;
  }
  if (!value->isInt64() || value->asInt64() < 0) return false;
  out = value->asInt64();
  return true;
}

/// A digest: absent, null or "" reads as "", anything but 64 hexadecimal digits is refused.
bool ReadDigest(const Json::Value& object, const char* key, std::string& out) {
  if (!ReadText(object, key, out)) return false;
  if (out.empty()) return true;
  if (!IsSha256Hex(out)) return false;
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return true;
}

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 99;
}

}  // namespace

uint32_t ReadServiceVersion(std::string_view text, int base) {
  std::size_t at = 0;
  while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
  uint64_t value = 0;
  for (; at < text.size(); ++at) {
    const int digit = DigitValue(text[at]);
    if (digit >= base) break;
    value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
    if (value > UINT32_MAX) return UINT32_MAX;
  }
  return static_cast<uint32_t>(value);
}

void ParseUpdateReply(std::string_view reply, uint32_t current_version, uint32_t version_format,
                      UpdateResult& result) {
  Json::Value document;
  if (!ParseObject(reply, document)) {
    result.fault = UpdateFault::kNotJson;
    return;
  }
  std::string path;
  std::string name;
  std::string version_name;
  std::string version;
  int32_t device_id = 0;
  int64_t size = 0;
  std::string sha256;
  if (!ReadText(document, "path", path) || !ReadText(document, "name", name) ||
      !ReadText(document, "version_name", version_name) || !ReadText(document, "version", version) ||
      !ReadInteger(document, "device_id", device_id) || !ReadSize(document, "size", size) ||
      !ReadDigest(document, "sha256", sha256)) {
    result.fault = UpdateFault::kWrongType;
    return;
  }
  const bool application = version_format == kApplicationVersionFormat;
  if (!path.empty() && !IsAcceptedUpdateAddress(path)) {
    result.fault = UpdateFault::kInsecurePath;
    path.clear();
  }
  result.path = path;
  result.size = size;
  result.sha256 = sha256;
  result.name = name;
  result.version_name = version_name;
  result.device_id = device_id;
  result.current_version_text = VersionText(current_version, version_format);
  result.new_version_text = application ? version_name : "V" + version;
  const uint32_t service_version = ReadServiceVersion(version, application ? 10 : 16);
  result.status = static_cast<int32_t>(service_version) > static_cast<int32_t>(current_version)
                      ? UpdateStatus::kNewer
                      : UpdateStatus::kCurrent;
}

}  // namespace zt640
