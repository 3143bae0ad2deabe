#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zt640 {

/// The last complete match of UI keys to device keys, remembered per device
/// model in the device's data folder, so a key whose value was reassigned on
/// the device (and so no longer shows its factory value) keeps its device key
/// on the next connect. The file is a cache the program alone writes: a
/// missing or damaged file reads as "nothing remembered".
///
/// File layout: {"Models": [{"ProductId": P, "KeyCount": N, "DeviceKeys":
/// [k0, k1, ...]}]}, one element per model, one device key per UI key (255:
/// none).
class KeyMatchFile {
 public:
  static constexpr char kFileName[] = "KeyMatch.json";
  static constexpr uint8_t kNone = 255;
  /// UI keys (or buttons) one entry may hold; longer lists are damaged.
  static constexpr size_t kMaxUiKeys = 256;

  /// A device model: the interface's product id and the device's key count.
  struct Model {
    uint16_t product_id = 0;
    unsigned key_count = 0;
  };

  /// The remembered device key of each of the first `ui_keys` UI keys of
  /// `model`; empty when the text is damaged or holds no entry for the model.
  /// Values that are no device key below the model's key count read as kNone.
  [[nodiscard]] static std::vector<uint8_t> Parse(std::string_view text, Model model, size_t ui_keys);

  /// Parse of the file in `folder` (a folder path ending in "/").
  [[nodiscard]] static std::vector<uint8_t> Load(const std::string& folder, Model model, size_t ui_keys);

  /// Remembers `device_keys` for `model`, keeping the other models' entries.
  /// Writes only when the entry changes; a damaged file is first kept as
  /// ".bak". False when the file could not be written.
  [[nodiscard]] static bool Save(const std::string& folder, Model model, std::span<const uint8_t> device_keys);
};

}  // namespace zt640
