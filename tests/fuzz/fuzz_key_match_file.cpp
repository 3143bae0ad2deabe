// Feeds arbitrary bytes as the remembered key match file: parsing it for a
// model, matching a key table with what it gave, and saving a match over it,
// which must read back exactly.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "devices/key_match_file.h"
#include "devices/keyboard/keyboard_key_matcher.h"

namespace {

const std::string& Folder() {
  static const std::string folder = [] {
    std::string pattern = "/tmp/zt640-fuzz-key-match-XXXXXX";
    return std::string(::mkdtemp(pattern.data()) != nullptr ? pattern : "/tmp/zt640-fuzz-key-match") + "/";
  }();
  return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using zt640::KeyboardKeyMatcher;
  using zt640::KeyMatchFile;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  // The simulated keyboard's model: 132 keys behind product 0x505B.
  constexpr unsigned key_count = 132;
  constexpr KeyMatchFile::Model model{0x505B, key_count};

  const std::vector<uint8_t> remembered = KeyMatchFile::Parse(text, model, KeyboardKeyMatcher::kUiKeyCount);
  if (!remembered.empty() && remembered.size() != KeyboardKeyMatcher::kUiKeyCount) std::abort();
  for (const uint8_t k : remembered) {
    if (k != KeyMatchFile::kNone && k >= key_count) std::abort();
  }

  // The input's bytes as a key table: keys matched with the memory must stay
  // below the key count, and keys of different factory values never share one.
  std::vector<uint8_t> table(512, 0);
  for (size_t i = 0; i < table.size() && i < size; ++i) table[i] = data[i];
  KeyboardKeyMatcher::KeyMap device_keys{};
  KeyboardKeyMatcher::KeyMap light_positions{};
  KeyboardKeyMatcher::Match(table, table, key_count, &device_keys, &light_positions, remembered);
  const auto& factory = KeyboardKeyMatcher::FactoryValues();
  for (size_t j = 0; j < KeyboardKeyMatcher::kUiKeyCount; ++j) {
    if (device_keys[j] == KeyboardKeyMatcher::kNone) continue;
    if (device_keys[j] >= key_count) std::abort();
    for (size_t other = 0; other < j; ++other) {
      if (device_keys[other] == device_keys[j] && !(factory[other] == factory[j])) std::abort();
    }
  }

  {
    std::ofstream out(Folder() + KeyMatchFile::kFileName, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
  }
  const std::vector<uint8_t> saved(device_keys.begin(), device_keys.begin() + KeyboardKeyMatcher::kUiKeyCount);
  if (!KeyMatchFile::Save(Folder(), model, saved)) std::abort();
  if (KeyMatchFile::Load(Folder(), model, saved.size()) != saved) std::abort();
  return 0;
}
