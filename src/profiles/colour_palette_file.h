#pragma once

#include <json/value.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zt640 {

/// One collected colour slot of the palette dialog.
struct CollectedColour {
  uint32_t colour = 0xFFFFFFFF;  ///< 0xAARRGGBB
  bool used = false;             ///< "UserData" "1": the slot holds a colour the user chose
  friend bool operator==(const CollectedColour&, const CollectedColour&) = default;
};

/// The palette document ("color_option_info.config"): twenty preset colours, twenty
/// collected slots and the two selections the dialog restores.
///
/// Loading only overwrites what the file states correctly: a malformed colour, a
/// missing entry or an out-of-range selection keeps the value the object held before,
/// so callers set their own defaults first. Colours are written as eight upper-case
/// hexadecimal digits, alpha first ("FF123456").
class ColourPaletteFile {
 public:
  static constexpr int kSlotCount = 20;
  static constexpr uint32_t kWhite = 0xFFFFFFFF;

  enum class LoadResult {
    kLoaded,          ///< the palette file itself
    kLoadedDefaults,  ///< the palette file was missing, empty or unreadable; the defaults file was used
    kNotLoaded,       ///< neither file could be read; nothing changed
  };

  /// All presets white, all collected slots unused and white, both selections 0.
  ColourPaletteFile();

  /// Reads `path`; when it is missing, empty or holds no palette document, reads
  /// `defaults_path` instead. A present file that holds no palette is recorded
  /// as damaged, so the next Save keeps it as ".bak" before replacing it.
  [[nodiscard]] LoadResult Load(const std::string& path, const std::string& defaults_path);

  /// Replaces `path` with the document (atomically); false when it cannot be written.
  [[nodiscard]] bool Save(const std::string& path) const;

  /// Takes over what `document` states correctly; false (and nothing changed) when it
  /// is no object holding "coloroptioninfo".
  bool FromJson(const Json::Value& document);
  [[nodiscard]] Json::Value ToJson() const;

  /// Indices outside 0-19 read as white (unused) and are ignored by the setters.
  [[nodiscard]] uint32_t Preset(int index) const;
  void SetPreset(int index, uint32_t colour);
  [[nodiscard]] CollectedColour Collected(int index) const;
  /// Puts `colour` into the slot and marks it used.
  void SetCollected(int index, uint32_t colour);
  void ClearCollected(int index);

  /// The selections: 0-19, or -1 for none. Other values are ignored by the setters.
  [[nodiscard]] int PresetSelection() const { return preset_selection_; }
  [[nodiscard]] int CollectedSelection() const { return collected_selection_; }
  void SetPresetSelection(int index);
  void SetCollectedSelection(int index);

  /// Eight upper-case hexadecimal digits, most significant first.
  [[nodiscard]] static std::string ColourText(uint32_t colour);
  /// The colour of text written by ColourText: exactly eight digits 0-9 / A-F; any
  /// other text gives nullopt.
  [[nodiscard]] static std::optional<uint32_t> ParseColourText(std::string_view text);

 private:
  [[nodiscard]] static bool IsSlot(int index) { return index >= 0 && index < kSlotCount; }

  std::array<uint32_t, kSlotCount> presets_{};
  std::array<CollectedColour, kSlotCount> collected_{};
  int preset_selection_ = 0;
  int collected_selection_ = 0;
};

}  // namespace zt640
