#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace zt640 {

/// Version format of the application row; every other value is a firmware format.
inline constexpr uint32_t kApplicationVersionFormat = 0;

/// One row of the update catalogue: the pieces of the target's key and what the
/// update list shows for it.
struct UpdateCatalogueRow {
  uint32_t version_format = 0;  ///< 0: application (decimal versions); else firmware (hexadecimal)
  uint32_t series = 0;
  std::string brand;          ///< one upper-case word, the same in every row
  std::string product_code;   ///< firmware: eight capitals or digits; application: three capitals
  std::string model;          ///< two to five capitals or digits
  std::string display_name;
  std::string version_text;   ///< shown as the application's current version ("" for firmware)

  [[nodiscard]] bool IsApplication() const { return version_format == kApplicationVersionFormat; }
};

/// The four targets in order: the firmware of the first three device selector
/// entries (mouse, keyboard, then the next device type), then the application.
inline constexpr std::size_t kUpdateTargetCount = 4;
inline constexpr std::size_t kApplicationRow = 3;
using UpdateCatalogue = std::array<UpdateCatalogueRow, kUpdateTargetCount>;

/// The catalogue file's name in the defaults folder.
inline constexpr const char* kUpdateCatalogueFileName = "update_catalogue.json";

/// Reads the catalogue from a JSON file {"UpdateCatalogue": [row, row, row, row]}
/// with the keys "VersionFormat", "Series", "Brand", "ProductCode", "Model",
/// "DisplayName", "VersionText". The values must keep the forms the service
/// expects (see UpdateCatalogueRow); a missing, damaged or ill-formed file gives
/// none and a one-line reason in `error`.
[[nodiscard]] std::optional<UpdateCatalogue> LoadUpdateCatalogue(const std::string& path, std::string& error);

/// LoadUpdateCatalogue of the file in the program's "DefaultData" folder.
[[nodiscard]] std::optional<UpdateCatalogue> LoadDefaultUpdateCatalogue(std::string& error);

}  // namespace zt640
