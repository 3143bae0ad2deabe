#include "devices/key_match_file.h"

#include <json/value.h>

#include <optional>

#include "profiles/damaged_files.h"
#include "profiles/global_utils.h"
#include "profiles/json_access.h"

namespace zt640 {
namespace {

constexpr char kModels[] = "Models";
constexpr char kProductId[] = "ProductId";
constexpr char kKeyCount[] = "KeyCount";
constexpr char kDeviceKeys[] = "DeviceKeys";
/// Models one file keeps; the oldest entry gives way beyond this.
constexpr Json::ArrayIndex kMaxModels = 32;

/// An integer member, or nullopt when it is absent or not an integer.
std::optional<int> IntMember(const Json::Value& object, const char* key) {
  const Json::Value& value = MemberOrNull(object, key);
  if (!value.isInt()) return std::nullopt;
  return value.asInt();
}

bool IsEntryOf(const Json::Value& entry, KeyMatchFile::Model model) {
  return IntMember(entry, kProductId) == static_cast<int>(model.product_id) &&
         IntMember(entry, kKeyCount) == static_cast<int>(model.key_count);
}

/// Whether `entry` lists exactly `device_keys` (numbers of any JSON number type).
bool HoldsKeys(const Json::Value& entry, std::span<const uint8_t> device_keys) {
  const Json::Value& keys = MemberOrNull(entry, kDeviceKeys);
  if (!keys.isArray() || keys.size() != device_keys.size()) return false;
  for (Json::ArrayIndex j = 0; j < keys.size(); ++j) {
    if (!keys[j].isInt() || keys[j].asInt() != device_keys[j]) return false;
  }
  return true;
}

/// The document of a readable, well-formed file; nullopt for a damaged one.
/// A missing or empty file gives an empty object.
std::optional<Json::Value> ReadDocument(const std::string& path) {
  const std::string text = CGlobalUtils::readjsonFile(path);
  if (text.empty()) return Json::Value(Json::objectValue);
  std::optional<Json::Value> document = CGlobalUtils::ParseJsonText(text);
  if (!document || !document->isObject()) return std::nullopt;
  const Json::Value& models = MemberOrNull(*document, kModels);
  if (!models.isArray() && !models.isNull()) return std::nullopt;
  return document;
}

}  // namespace

std::vector<uint8_t> KeyMatchFile::Parse(std::string_view text, Model model, size_t ui_keys) {
  const std::optional<Json::Value> document = CGlobalUtils::ParseJsonText(text);
  if (!document || !document->isObject() || ui_keys > kMaxUiKeys) return {};
  const Json::Value& models = MemberOrNull(*document, kModels);
  if (!models.isArray()) return {};
  for (Json::ArrayIndex i = 0; i < models.size(); ++i) {
    const Json::Value& entry = ElementOrNull(models, i);
    if (!IsEntryOf(entry, model)) continue;
    const Json::Value& keys = MemberOrNull(entry, kDeviceKeys);
    if (!keys.isArray() || keys.size() > kMaxUiKeys) return {};
    std::vector<uint8_t> device_keys(ui_keys, kNone);
    for (Json::ArrayIndex j = 0; j < keys.size() && j < ui_keys; ++j) {
      const Json::Value& key = ElementOrNull(keys, j);
      if (!key.isInt()) continue;
      const int k = key.asInt();
      if (k >= 0 && k < kNone && static_cast<unsigned>(k) < model.key_count) device_keys[j] = static_cast<uint8_t>(k);
    }
    return device_keys;
  }
  return {};
}

std::vector<uint8_t> KeyMatchFile::Load(const std::string& folder, Model model, size_t ui_keys) {
  const std::string text = CGlobalUtils::readjsonFile(folder + kFileName);
  if (text.empty()) return {};
  return Parse(text, model, ui_keys);
}

bool KeyMatchFile::Save(const std::string& folder, Model model, std::span<const uint8_t> device_keys) {
  if (device_keys.size() > kMaxUiKeys) return false;
  const std::string path = folder + kFileName;
  std::optional<Json::Value> document = ReadDocument(path);
  if (!document) {
    // The write below keeps the damaged file aside as ".bak" and the user is told.
    DamagedFiles::Record(path);
    document = Json::Value(Json::objectValue);
  }

  Json::Value entry(Json::objectValue);
  entry[kProductId] = static_cast<int>(model.product_id);
  entry[kKeyCount] = static_cast<int>(model.key_count);
  Json::Value& keys = entry[kDeviceKeys] = Json::Value(Json::arrayValue);
  for (const uint8_t k : device_keys) keys.append(static_cast<int>(k));

  Json::Value& models = WritableMember(*document, kModels);
  if (!models.isArray()) models = Json::Value(Json::arrayValue);
  std::vector<Json::ArrayIndex> others;
  for (Json::ArrayIndex i = 0; i < models.size(); ++i) {
    if (!IsEntryOf(models[i], model)) {
      others.push_back(i);
    } else if (HoldsKeys(models[i], device_keys)) {
      return true;
    }
  }
  // The model's entry goes last, so the oldest entries are the first to go.
  const size_t dropped = others.size() >= kMaxModels ? others.size() - kMaxModels + 1 : 0;
  Json::Value kept(Json::arrayValue);
  for (size_t i = dropped; i < others.size(); ++i) kept.append(models[others[i]]);
  kept.append(entry);
  models = kept;
  return CGlobalUtils::WriteJsonFile(path, *document);
}

}  // namespace zt640
