#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "catalogue/interface_catalogue.h"

namespace zt640 {

/// The optional "devices.json" of the user data root: real vendor and product
/// ids for catalogue rows 2 to 10, so that the receiver keyboard, the mouse,
/// the mouse pad and the headset can be found.
///
///   { "Interfaces": [ { "Row": 6, "VendorId": "0x320F", "ProductId": "0x221D" }, ... ] }
///
/// Ids are numbers or hexadecimal strings ("0x" prefix) from 0 to 0xFFFF. An
/// entry that is not an object, names a row outside 2..10 or carries a bad id
/// is skipped and reported; the other entries still apply.
class DevicesJson {
 public:
  static constexpr std::string_view kFileName = "devices.json";

  struct Result {
    bool file_present = false;      ///< the file existed and was read
    bool parsed = false;            ///< its text was a JSON document of the expected shape
    std::size_t rows_applied = 0;   ///< entries that changed a row
    std::vector<std::string> problems;  ///< one line per skipped entry or parse failure
  };

  /// Applies the entries of `text` to `catalogue`, in file order.
  [[nodiscard]] static Result ApplyText(std::string_view text, InterfaceCatalogue& catalogue);
  /// Reads `path` and applies it; a missing file changes nothing and is no problem.
  /// A present file that does not read as the expected document is recorded
  /// with DamagedFiles, so the user is told once.
  [[nodiscard]] static Result ApplyFile(const std::string& path, InterfaceCatalogue& catalogue);
  /// Applies the file of that name in `user_data_root` (a folder path ending in '/').
  [[nodiscard]] static Result ApplyFromDataRoot(const std::string& user_data_root, InterfaceCatalogue& catalogue) {
    return ApplyFile(user_data_root + std::string(kFileName), catalogue);
  }
};

}  // namespace zt640
