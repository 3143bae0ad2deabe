#pragma once

#include <optional>
#include <string>
#include <vector>

#include "devices/macro_table.h"

namespace zt640 {

/// Read-only view of a device data folder's macro library ("macro.config")
/// as the device objects need it: how many macros, their names, and one
/// macro's events from its own file (Guid + ".mac").
class MacroLibraryReader {
 public:
  static constexpr char kDefaultFileName[] = "macro.config";
  /// Reads the library file (by default "macro.config") from `data_folder`
  /// (ending in "/"); nullopt when it is missing or unreadable.
  [[nodiscard]] static std::optional<MacroLibraryReader> Load(const std::string& data_folder,
                                                              const std::string& file_name = kDefaultFileName);

  [[nodiscard]] size_t Count() const { return guids_.size(); }
  [[nodiscard]] const std::vector<std::string>& Names() const { return names_; }
  /// The events of macro `number`; a missing or unreadable file gives none.
  [[nodiscard]] std::vector<MacroDeviceEvent> Events(size_t number) const;

 private:
  std::string folder_;
  std::vector<std::string> names_;
  std::vector<std::string> guids_;
};

}  // namespace zt640
