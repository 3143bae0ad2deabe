#include "platform/settings/registry_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <exception>
#include <fstream>
#include <sstream>

#include <json/json.h>

#include "platform/diag/debug_output.h"
#include "platform/paths/program_paths.h"

namespace zt640::platform {

namespace {
bool MakeParentFolders(const std::string& file_path) {
  const std::size_t slash = file_path.rfind('/');
  if (slash == std::string::npos || slash == 0) return true;
  const std::string folder = file_path.substr(0, slash);
  for (std::size_t pos = 1; pos <= folder.size(); ++pos) {
    if (pos != folder.size() && folder[pos] != '/') continue;
    if (::mkdir(folder.substr(0, pos).c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  return true;
}
}  // namespace

RegistryStore::RegistryStore(std::string file_path) : path_(std::move(file_path)) {}

std::string RegistryStore::DefaultPath() { return UserConfigFolder() + "/registry.json"; }

bool RegistryStore::Load(Json::Value& root) const {
  root = Json::Value(Json::objectValue);
  std::ifstream in(path_, std::ios::binary);
  if (!in) return false;
  std::stringstream text;
  text << in.rdbuf();
  Json::CharReaderBuilder builder;
  std::string errors;
  Json::Value parsed;
  std::istringstream stream(text.str());
  bool readable = false;
  try {
    readable = Json::parseFromStream(builder, stream, &parsed, &errors) && parsed.isObject();
  } catch (const std::exception&) {
    readable = false;  // nesting beyond the reader's stack limit
  }
  if (!readable) {
    DebugOutput("settings store " + path_ + " is unreadable; treated as empty");
    return false;
  }
  root = parsed;
  return true;
}

SettingsResult RegistryStore::Store(const Json::Value& root) const {
  if (!MakeParentFolders(path_)) return SettingsResult::kIoError;
  const std::string temporary = path_ + ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) return SettingsResult::kIoError;
    Json::StyledStreamWriter writer("   ");
    writer.write(out, root);
    out.flush();
    if (!out) return SettingsResult::kIoError;
  }
  if (std::rename(temporary.c_str(), path_.c_str()) != 0) {
    std::remove(temporary.c_str());
    return SettingsResult::kIoError;
  }
  return SettingsResult::kOk;
}

bool RegistryStore::KeyExists(std::string_view key) const {
  Json::Value root;
  (void)Load(root);  // a missing or unreadable store (logged inside) holds no key
  return root.isMember(std::string(key)) && root[std::string(key)].isObject();
}

SettingsResult RegistryStore::CreateKey(std::string_view key) {
  Json::Value root;
  (void)Load(root);  // a missing or unreadable store (logged inside) starts empty
  const std::string name(key);
  if (root.isMember(name) && root[name].isObject()) return SettingsResult::kOk;
  root[name] = Json::Value(Json::objectValue);
  return Store(root);
}

std::optional<std::uint32_t> RegistryStore::ReadDword(std::string_view key, std::string_view name) const {
  Json::Value root;
  if (!Load(root)) return std::nullopt;
  const Json::Value& entry = root[std::string(key)];
  if (!entry.isObject()) return std::nullopt;
  const Json::Value& value = entry[std::string(name)];
  if (!value.isUInt()) return std::nullopt;
  return value.asUInt();
}

std::optional<std::string> RegistryStore::ReadString(std::string_view key, std::string_view name) const {
  Json::Value root;
  if (!Load(root)) return std::nullopt;
  const Json::Value& entry = root[std::string(key)];
  if (!entry.isObject()) return std::nullopt;
  const Json::Value& value = entry[std::string(name)];
  if (!value.isString()) return std::nullopt;
  return value.asString();
}

SettingsResult RegistryStore::WriteValue(std::string_view key, std::string_view name, const Json::Value& value) {
  Json::Value root;
  (void)Load(root);  // a missing or unreadable store (logged inside) starts empty
  const std::string key_name(key);
  if (!root.isMember(key_name) || !root[key_name].isObject()) return SettingsResult::kNoKey;
  root[key_name][std::string(name)] = value;
  return Store(root);
}

SettingsResult RegistryStore::WriteDword(std::string_view key, std::string_view name, std::uint32_t value) {
  return WriteValue(key, name, Json::Value(value));
}

SettingsResult RegistryStore::WriteString(std::string_view key, std::string_view name, std::string_view value) {
  return WriteValue(key, name, Json::Value(std::string(value)));
}

}  // namespace zt640::platform
