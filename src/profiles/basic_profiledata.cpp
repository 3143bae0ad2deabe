#include "profiles/basic_profiledata.h"

#include "profiles/file_stamp.h"

#include <array>
#include <filesystem>

#include "platform/diag/debug_output.h"
#include "profiles/damaged_files.h"
#include "profiles/effect_frame_file.h"
#include "profiles/global_utils.h"
#include "profiles/json_access.h"
#include "profiles/json_field_table.h"

namespace zt640 {

namespace {

/// A profile file as read from disk, and whether it held something that a
/// rewrite would throw away (text that is no JSON object, or a "Device" member
/// that is no array). A damaged file is recorded, so the write that replaces
/// it keeps it as ".bak" first.
struct ProfileFile {
  Json::Value document;
  bool damaged = false;
};

ProfileFile ReadProfileFile(const std::string& path) {
  ProfileFile file;
  JsonFileContent content = CGlobalUtils::ReadJsonFile(path);
  if (content.state == JsonFileState::kDamaged) {
    file.damaged = true;
    return file;
  }
  file.document = std::move(content.document);
  const Json::Value& devices = MemberOrNull(file.document, "Device");
  if ((!file.document.isObject() && !file.document.isNull()) || (!devices.isArray() && !devices.isNull())) {
    file.damaged = true;
    DamagedFiles::Record(path);
  }
  return file;
}

/// Puts `section` at Device[slot] of `file`, making the file an object and
/// "Device" an array where they are not. False for a slot out of range.
bool PlaceSection(Json::Value& file, int32_t slot, const Json::Value& section) {
  if (slot < 0 || static_cast<Json::ArrayIndex>(slot) > kMaxJsonGrowIndex) return false;
  Json::Value& devices = WritableMember(file, "Device");
  WritableElement(devices, static_cast<Json::ArrayIndex>(slot)) = section;
  return true;
}

const Json::Value& DeviceSection(const Json::Value& file, int32_t slot) {
  static const Json::Value null;
  if (slot < 0) return null;
  return ElementOrNull(MemberOrNull(file, "Device"), static_cast<Json::ArrayIndex>(slot));
}

/// Device[slot] of a file document when it exists, for taking it over.
Json::Value* SectionIn(Json::Value& file, int32_t slot) {
  if (slot < 0 || !file.isObject() || !file.isMember("Device")) return nullptr;
  Json::Value& devices = file["Device"];
  if (!devices.isArray() || static_cast<Json::ArrayIndex>(slot) >= devices.size()) return nullptr;
  return &devices[static_cast<Json::ArrayIndex>(slot)];
}

/// "LightInfo": the current effect.
constexpr auto kLightInfoFields = std::to_array<JsonField<LightEffect>>({
    {"SelectItem", &LightEffect::mode},
    {"Light", &LightEffect::brightness},
    {"Speed", &LightEffect::speed},
    {"Fx", &LightEffect::direction},
    {"MultiColor", &LightEffect::multicolor, JsonFieldForm::kBit},
    {"Red", &LightEffect::red},
    {"Green", &LightEffect::green},
    {"Blue", &LightEffect::blue},
    {"ZZCCLedMode", &LightEffect::zzcc_led_mode},
    {"CustomGroup", &LightEffect::custom_group},
    {"OldLedmode", &LightEffect::previous_mode},
});

/// An element of "LightList": one zone's effect (read only).
constexpr auto kZoneFields = std::to_array<JsonField<LightEffect>>({
    {"LEDREGMode", &LightEffect::mode},
    {"LEDBrightness", &LightEffect::brightness},
    {"LEDSpeed", &LightEffect::speed},
    {"LEDDirection", &LightEffect::direction, JsonFieldForm::kFlag},
    {"LEDMultiColor", &LightEffect::multicolor, JsonFieldForm::kFlag},
    {"red", &LightEffect::red},
    {"green", &LightEffect::green},
    {"blue", &LightEffect::blue},
});

/// "AudioLightInfo". The colour type flag is written but not read: a stored
/// setting always comes back with it set.
constexpr auto kAudioLightFields = std::to_array<JsonField<AudioLightSetting>>({
    {"AudioMode", &AudioLightSetting::audio_mode},
    {"BkColorR", &AudioLightSetting::background_red},
    {"BkColorG", &AudioLightSetting::background_green},
    {"BkColorB", &AudioLightSetting::background_blue},
    {"FgColorR", &AudioLightSetting::foreground_red},
    {"FgColorG", &AudioLightSetting::foreground_green},
    {"FgColorB", &AudioLightSetting::foreground_blue},
    {"7ColorFlags", &AudioLightSetting::seven_color, JsonFieldForm::kFlag},
    {"ColorTypeFlags", &AudioLightSetting::color_type, JsonFieldForm::kWriteOnly},
});

/// The group `key` of a section for reading: nullptr when the section is null
/// or of another type, or when the group is absent, null or not an object.
/// An absent key is left behind as null, as the files have always recorded it.
const Json::Value* ReadGroup(Json::Value& section, const char* key) {
  if (section.isNull()) return nullptr;
  const Json::Value* group = TouchMember(section, key);
  return (group != nullptr && group->isObject()) ? group : nullptr;
}

}  // namespace

void CBasicProfiledata::SetProfilePath(const std::string& path) {
  if (!path.empty()) profile_path_ = path;
}

void CBasicProfiledata::SetDefaultProfilePath(const std::string& path) {
  if (!path.empty()) default_profile_path_ = path;
}

Json::Value CBasicProfiledata::LoadProfile(const std::string& path) { return LoadSection(path, main_document_); }

Json::Value CBasicProfiledata::LoadSideProfile(const std::string& path) { return LoadSection(path, side_document_); }

Json::Value CBasicProfiledata::LoadSection(const std::string& path, Json::Value& section) {
  ProfileFile file = ReadProfileFile(path);
  if (Json::Value* found = SectionIn(file.document, device_slot_); found != nullptr && !found->isNull()) {
    // The file document is dropped here, so its section is taken, not copied.
    section.swap(*found);
    return section;
  }
  section = DeviceSection(CGlobalUtils::ParseJsonFile(default_profile_path_), device_slot_);
  // A missing file or section is written at once; a damaged file is only
  // read here and replaced (kept aside first) by the next save.
  if (file.damaged) return section;
  if (!PlaceSection(file.document, device_slot_, section) || !CGlobalUtils::WriteJsonFile(path, file.document)) {
    platform::DebugOutput("profile not rewritten: " + path);
  }
  return section;
}

bool CBasicProfiledata::Save() { return SaveSwapped(main_document_, profile_path_); }

bool CBasicProfiledata::SaveSection(const Json::Value& section, const std::string& path) {
  Json::Value copy = section;
  return SaveSwapped(copy, path);
}

bool CBasicProfiledata::SaveSideProfile(const std::string& path) { return SaveSwapped(side_document_, path); }

bool CBasicProfiledata::SaveSwapped(Json::Value& section, const std::string& path) {
  if (device_slot_ < 0 || static_cast<Json::ArrayIndex>(device_slot_) > kMaxJsonGrowIndex) return false;
  // The file holds other devices' sections too, so they are taken from the
  // file as it is now; when nobody changed it since this object wrote it, the
  // document kept from that write is the same and the file need not be read.
  const std::optional<FileStamp> stamp = StampOf(path);
  const bool cached = written_file_.has_value() && written_file_->path == path && stamp.has_value() &&
                      written_file_->stamp == *stamp;
  Json::Value document;
  if (cached) {
    document.swap(written_file_->document);
  } else {
    ProfileFile file = ReadProfileFile(path);
    document.swap(file.document);
  }
  written_file_.reset();
  if (!PlaceSection(document, device_slot_, Json::Value())) return false;
  // Swapped in and out rather than copied: the section can be large.
  Json::Value* slot = SectionIn(document, device_slot_);
  slot->swap(section);
  const bool written = WriteDocument(document, path);
  slot->swap(section);
  if (written) {
    if (const std::optional<FileStamp> new_stamp = StampOf(path)) {
      written_file_ = WrittenFile{path, *new_stamp, std::move(document)};
    }
  }
  return written;
}

bool CBasicProfiledata::WriteDocument(const Json::Value& document, const std::string& path) {
  return CGlobalUtils::WriteJsonFile(path, document);
}

LightEffect CBasicProfiledata::GetLightInfo() {
  current_light_ = LightEffect{};
  if (const Json::Value* group = ReadGroup(main_document_, "LightInfo")) {
    ReadJsonFields(*group, kLightInfoFields, current_light_);
  }
  return current_light_;
}

void CBasicProfiledata::SetLightInfo(const LightEffect& effect) {
  current_light_ = effect;
  Json::Value& group = WritableMember(main_document_, "LightInfo");
  if (!group.isObject()) group = Json::Value(Json::objectValue);
  WriteJsonFields(group, kLightInfoFields, effect);
}

AudioLightSetting CBasicProfiledata::GetAudioLightInfo() {
  audio_light_ = AudioLightSetting{};
  if (const Json::Value* group = ReadGroup(main_document_, "AudioLightInfo")) {
    ReadJsonFields(*group, kAudioLightFields, audio_light_);
    // A stored setting always comes back with the colour type flag set.
    audio_light_.color_type = 1;
  }
  return audio_light_;
}

void CBasicProfiledata::SetAudioLightInfo(const AudioLightSetting& setting) {
  audio_light_ = setting;
  Json::Value& group = WritableMember(main_document_, "AudioLightInfo");
  if (!group.isObject()) group = Json::Value(Json::objectValue);
  WriteJsonFields(group, kAudioLightFields, setting);
}

std::vector<LightEffect> CBasicProfiledata::GetLightList() {
  zone_list_.clear();
  const Json::Value* list = main_document_.isNull() ? nullptr : TouchMember(main_document_, "LightList");
  if (list != nullptr && list->isArray()) {
    zone_list_.resize(list->size());
    for (Json::ArrayIndex i = 0; i < list->size(); ++i) {
      const Json::Value& element = (*list)[i];
      if (!element.isObject()) continue;
      LightEffect& zone = zone_list_[i];
      ReadJsonFields(element, kZoneFields, zone);
      zone.present = 1;
    }
  }
  return zone_list_;
}

Json::Value CBasicProfiledata::LoadLightConfig(const std::string& path) {
  light_config_ = CGlobalUtils::ParseJsonFile(path);
  frame_folder_ = std::filesystem::path(path).parent_path().string();
  return light_config_;
}

std::vector<EffectFrame> CBasicProfiledata::LoadEffectFrames() {
  frames_.clear();
  if (light_config_.isNull() || device_slot_ < 0) return frames_;
  const Json::Value& modes =
      ElementOrNull(MemberOrNull(light_config_, "LightInfo"), static_cast<Json::ArrayIndex>(device_slot_));
  const std::string guid = JsonString(MemberOrNull(ElementOrNull(modes, current_light_.mode), "Guid"));
  const std::optional<std::string> path = EffectFrameFile::PathFor(frame_folder_, guid);
  if (!path) {
    platform::DebugOutput("light frame name refused: " + guid);
    return frames_;
  }
  frames_ = EffectFrameFile::ReadFrames(CGlobalUtils::ParseJsonFile(*path));
  return frames_;
}

std::vector<KeyListEntry> CBasicProfiledata::ReadKeyList(Json::Value& section) {
  std::vector<KeyListEntry> entries;
  const Json::Value* list = section.isNull() ? nullptr : TouchMember(section, "KeyList");
  if (list == nullptr || !list->isArray()) return entries;
  entries.resize(list->size());
  for (Json::ArrayIndex i = 0; i < list->size(); ++i) {
    const Json::Value& element = (*list)[i];
    KeyListEntry& entry = entries[i];
    entry.current.key_index = static_cast<uint16_t>(i);
    entry.defaults.key_index = static_cast<uint16_t>(i);
    entry.current.assignment = KeyAssignment::Unpack(JsonInt(MemberOrNull(element, "Assignment")));
    entry.defaults.assignment = KeyAssignment::Unpack(JsonInt(MemberOrNull(element, "DefaultAssignment")));
  }
  return entries;
}

void CBasicProfiledata::WriteKeyList(Json::Value& section, const std::vector<KeyListEntry>& list) {
  Json::Value& keys = WritableMember(section, "KeyList");
  for (size_t i = 0; i < list.size(); ++i) {
    Json::Value& element = WritableElement(keys, static_cast<Json::ArrayIndex>(i));
    if (!element.isObject()) element = Json::Value(Json::objectValue);
    element["Assignment"] = list[i].current.assignment.Pack();
  }
}

std::vector<KeyListEntry> CBasicProfiledata::GetKeyList() {
  key_list_ = ReadKeyList(main_document_);
  return key_list_;
}

void CBasicProfiledata::SetKeyList(const std::vector<KeyListEntry>& list) {
  key_list_ = list;
  WriteKeyList(main_document_, list);
}

std::vector<KeyListEntry> CBasicProfiledata::GetSideKeyList() {
  side_key_list_ = ReadKeyList(side_document_);
  return side_key_list_;
}

void CBasicProfiledata::SetSideKeyList(const std::vector<KeyListEntry>& list) {
  side_key_list_ = list;
  WriteKeyList(side_document_, list);
}

}  // namespace zt640
