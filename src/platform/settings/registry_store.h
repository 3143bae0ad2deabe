#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace Json {
class Value;
}

namespace zt640::platform {

enum class SettingsResult {
  kOk,
  kNoKey,    ///< the key was never created (the design opens keys, it does not create them)
  kIoError,  ///< the store file could not be written
};

/// The registry stand-in: a small JSON file mapping key paths (as the design spells them,
/// e.g. "SOFTWARE\\<product>") to named values, each a 32-bit number or a text. Every call
/// reads the file whole; every change writes it whole through a temporary file renamed
/// over the old one. A missing or unreadable file reads as an empty store.
class RegistryStore {
 public:
  explicit RegistryStore(std::string file_path);

  /// `UserConfigFolder()` + "/registry.json".
  [[nodiscard]] static std::string DefaultPath();

  [[nodiscard]] bool KeyExists(std::string_view key) const;
  [[nodiscard]] SettingsResult CreateKey(std::string_view key);

  [[nodiscard]] std::optional<std::uint32_t> ReadDword(std::string_view key, std::string_view name) const;
  [[nodiscard]] std::optional<std::string> ReadString(std::string_view key, std::string_view name) const;

  /// Sets a value under an existing key; kNoKey when the key does not exist.
  [[nodiscard]] SettingsResult WriteDword(std::string_view key, std::string_view name, std::uint32_t value);
  [[nodiscard]] SettingsResult WriteString(std::string_view key, std::string_view name, std::string_view value);

  [[nodiscard]] const std::string& path() const { return path_; }

 private:
  [[nodiscard]] bool Load(Json::Value& root) const;
  [[nodiscard]] SettingsResult Store(const Json::Value& root) const;
  [[nodiscard]] SettingsResult WriteValue(std::string_view key, std::string_view name, const Json::Value& value);

  std::string path_;
};

}  // namespace zt640::platform
