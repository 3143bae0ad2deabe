#include "profiles/colour_palette_file.h"

#include "profiles/damaged_files.h"
#include "profiles/global_utils.h"
#include "profiles/json_access.h"

namespace zt640 {

namespace {

constexpr const char* kRootKey = "coloroptioninfo";
constexpr const char* kPresetsKey = "palletDialogcoloroption";
constexpr const char* kPresetSelectionKey = "palletDialogcoloroption_selectitem";
constexpr const char* kCollectedKey = "palletDialogcollectcoloroption";
constexpr const char* kCollectedSelectionKey = "palletDialogcollectcoloroption_selectitem";
constexpr const char* kColourKey = "color";
constexpr const char* kUsedKey = "UserData";

/// A selection as stored: an integer from -1 to 19.
std::optional<int> SelectionValue(const Json::Value& value) {
  if (!value.isInt()) return std::nullopt;
  const int index = value.asInt();
  if (index < -1 || index >= ColourPaletteFile::kSlotCount) return std::nullopt;
  return index;
}

std::optional<uint32_t> EntryColour(const Json::Value& entry) {
  const Json::Value& text = MemberOrNull(entry, kColourKey);
  if (!text.isString()) return std::nullopt;
  return ColourPaletteFile::ParseColourText(text.asString());
}

}  // namespace

ColourPaletteFile::ColourPaletteFile() { presets_.fill(kWhite); }

ColourPaletteFile::LoadResult ColourPaletteFile::Load(const std::string& path, const std::string& defaults_path) {
  const JsonFileContent content = CGlobalUtils::ReadJsonFile(path);
  if (FromJson(content.document)) return LoadResult::kLoaded;
  // A document that holds no palette is kept aside before a save replaces it.
  if (content.state == JsonFileState::kParsed && !content.document.isNull()) DamagedFiles::Record(path);
  if (FromJson(CGlobalUtils::ParseJsonFile(defaults_path))) return LoadResult::kLoadedDefaults;
  return LoadResult::kNotLoaded;
}

bool ColourPaletteFile::Save(const std::string& path) const { return CGlobalUtils::WriteJsonFile(path, ToJson()); }

bool ColourPaletteFile::FromJson(const Json::Value& document) {
  const Json::Value& root = MemberOrNull(document, kRootKey);
  if (!root.isObject()) return false;

  const Json::Value& presets = MemberOrNull(root, kPresetsKey);
  for (int i = 0; i < kSlotCount; ++i) {
    if (const auto colour = EntryColour(ElementOrNull(presets, static_cast<Json::ArrayIndex>(i)))) presets_[i] = *colour;
  }

  const Json::Value& collected = MemberOrNull(root, kCollectedKey);
  for (int i = 0; i < kSlotCount; ++i) {
    const Json::Value& entry = ElementOrNull(collected, static_cast<Json::ArrayIndex>(i));
    if (!entry.isObject()) continue;
    if (const auto colour = EntryColour(entry)) collected_[i].colour = *colour;
    const Json::Value& used = MemberOrNull(entry, kUsedKey);
    collected_[i].used = used.isString() && used.asString() == "1";
  }

  if (const auto index = SelectionValue(MemberOrNull(root, kPresetSelectionKey))) preset_selection_ = *index;
  if (const auto index = SelectionValue(MemberOrNull(root, kCollectedSelectionKey))) collected_selection_ = *index;
  return true;
}

Json::Value ColourPaletteFile::ToJson() const {
  Json::Value presets(Json::arrayValue);
  Json::Value collected(Json::arrayValue);
  for (int i = 0; i < kSlotCount; ++i) {
    Json::Value preset(Json::objectValue);
    preset[kColourKey] = ColourText(presets_[i]);
    presets.append(preset);

    Json::Value slot(Json::objectValue);
    slot[kColourKey] = ColourText(collected_[i].colour);
    slot[kUsedKey] = collected_[i].used ? "1" : "0";
    collected.append(slot);
  }
  Json::Value root(Json::objectValue);
  root[kPresetsKey] = presets;
  root[kPresetSelectionKey] = preset_selection_;
  root[kCollectedKey] = collected;
  root[kCollectedSelectionKey] = collected_selection_;
  Json::Value document(Json::objectValue);
  document[kRootKey] = root;
  return document;
}

uint32_t ColourPaletteFile::Preset(int index) const { return IsSlot(index) ? presets_[index] : kWhite; }

void ColourPaletteFile::SetPreset(int index, uint32_t colour) {
  if (IsSlot(index)) presets_[index] = colour;
}

CollectedColour ColourPaletteFile::Collected(int index) const { return IsSlot(index) ? collected_[index] : CollectedColour{}; }

void ColourPaletteFile::SetCollected(int index, uint32_t colour) {
  if (IsSlot(index)) collected_[index] = CollectedColour{colour, true};
}

void ColourPaletteFile::ClearCollected(int index) {
  if (IsSlot(index)) collected_[index] = CollectedColour{};
}

void ColourPaletteFile::SetPresetSelection(int index) {
  if (index >= -1 && index < kSlotCount) preset_selection_ = index;
}

void ColourPaletteFile::SetCollectedSelection(int index) {
  if (index >= -1 && index < kSlotCount) collected_selection_ = index;
}

std::string ColourPaletteFile::ColourText(uint32_t colour) { return CGlobalUtils::HexWord(colour); }

std::optional<uint32_t> ColourPaletteFile::ParseColourText(std::string_view text) {
  if (text.size() != 8) return std::nullopt;
  uint32_t value = 0;
  for (const char c : text) {
    uint32_t digit = 0;
    if (c >= '0' && c <= '9') {
      digit = static_cast<uint32_t>(c - '0');
    } else if (c >= 'A' && c <= 'F') {
      digit = static_cast<uint32_t>(c - 'A' + 10);
    } else {
      return std::nullopt;
    }
    value = value << 4 | digit;
  }
  return value;
}

}  // namespace zt640
