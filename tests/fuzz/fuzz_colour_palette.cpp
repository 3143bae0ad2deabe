// Feeds arbitrary bytes as a palette document, then checks that whatever was
// taken over survives the program's own write and read unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "profiles/colour_palette_file.h"
#include "profiles/global_utils.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using zt640::CGlobalUtils;
  using zt640::ColourPaletteFile;
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  // Colour text: whatever parses is written back as the same text.
  if (const auto colour = ColourPaletteFile::ParseColourText(text)) {
    if (ColourPaletteFile::ColourText(*colour) != text) std::abort();
  }

  const auto document = CGlobalUtils::ParseJsonText(text);
  if (!document) return 0;
  ColourPaletteFile palette;
  (void)palette.FromJson(*document);

  const std::string written = CGlobalUtils::StyledJsonText(palette.ToJson());
  const auto reread = CGlobalUtils::ParseJsonText(written);
  if (!reread) std::abort();
  ColourPaletteFile copy;
  if (!copy.FromJson(*reread)) std::abort();
  for (int i = 0; i < ColourPaletteFile::kSlotCount; ++i) {
    if (copy.Preset(i) != palette.Preset(i) || !(copy.Collected(i) == palette.Collected(i))) std::abort();
  }
  if (copy.PresetSelection() != palette.PresetSelection() ||
      copy.CollectedSelection() != palette.CollectedSelection()) {
    std::abort();
  }
  if (CGlobalUtils::StyledJsonText(copy.ToJson()) != written) std::abort();
  return 0;
}
