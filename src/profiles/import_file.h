#pragma once

#include <json/value.h>

#include <optional>
#include <string>

namespace zt640 {

/// A file chosen for import, read whole, with its parsed document.
struct ImportedFile {
  std::string bytes;     ///< the file exactly as read
  Json::Value document;  ///< its JSON document (always an object)
};

/// Checks of files brought in from outside the data folders. Imported files
/// are copied in byte for byte and later written to a device, so only files
/// of the expected shape and of a sane size are taken.
class ImportFile {
 public:
  /// Files larger than this are refused without being read.
  static constexpr size_t kMaxBytes = 1024 * 1024;
  /// Most events a macro file may hold.
  static constexpr size_t kMaxMacroEvents = 250;
  /// Events of a complete shoot data file (30 bullets of 6 events).
  static constexpr size_t kShootEvents = 180;

  /// The file when it is a regular file of at most kMaxBytes holding a JSON
  /// object; nullopt otherwise.
  [[nodiscard]] static std::optional<ImportedFile> ReadObject(const std::string& path);

  /// A profile: string "profilename" and "profileUUID"; "Device", when
  /// present, an array whose elements are objects or null.
  [[nodiscard]] static bool IsProfileDocument(const Json::Value& document);
  /// A macro file: "Events" an array of at most kMaxMacroEvents event objects
  /// (integer "Type" and "Button", "Delay" a string of digits or a
  /// non-negative integer, "Action" a string when present).
  [[nodiscard]] static bool IsMacroDocument(const Json::Value& document);
  /// A shoot data file: "Events" an array of at most kShootEvents elements,
  /// each null or an event object with integer "Type", "Button" and "Delay"
  /// and a string "Action" where present.
  [[nodiscard]] static bool IsShootDocument(const Json::Value& document);

  /// ReadObject followed by the matching shape check.
  [[nodiscard]] static std::optional<ImportedFile> ReadProfile(const std::string& path);
  [[nodiscard]] static std::optional<ImportedFile> ReadMacro(const std::string& path);
  [[nodiscard]] static std::optional<ImportedFile> ReadShoot(const std::string& path);
};

}  // namespace zt640
