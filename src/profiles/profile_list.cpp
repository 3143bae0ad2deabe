#include "profiles/profile_list.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <set>

#include "profiles/damaged_files.h"
#include "profiles/display_name.h"
#include "profiles/file_identity.h"
#include "profiles/global_utils.h"
#include "profiles/import_file.h"
#include "profiles/json_access.h"
#include "profiles/profile_folders.h"

namespace zt640 {

namespace {

constexpr char kProfileFileExtension[] = ".Json";

std::string Formatted(const char* format, int k) {
  char text[32];
  std::snprintf(text, sizeof text, format, k);
  return text;
}

bool FileExists(const std::string& path) {
  std::error_code error;
  return std::filesystem::exists(std::filesystem::symlink_status(path, error));
}

std::string WithSlash(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder.push_back('/');
  return folder;
}

}  // namespace

void ProfileList::SetProfileFolders(const std::string& device_data_folder, const std::string& default_profile_path) {
  folder_ = WithSlash(device_data_folder);
  default_path_ = default_profile_path;
}

std::string ProfileList::NewUuid() const {
  return FileIdentity::MakeUnique([this](const std::string& name) {
    for (const ProfileEntry& entry : entries_) {
      if (entry.uuid == name) return true;
    }
    return FileExists(ProfileFilePath(folder_, name));
  });
}

bool ProfileList::NameUsed(const std::string& name, int except) const {
  for (size_t i = 0; i < entries_.size(); ++i) {
    if (static_cast<int>(i) != except && CGlobalUtils::EqualsIgnoreCase(entries_[i].name, name)) return true;
  }
  return false;
}

Json::Value ProfileList::DefaultProfileDocument() const {
  Json::Value document = CGlobalUtils::ParseJsonFile(default_path_);
  if (!document.isObject()) document = Json::Value(Json::objectValue);
  return document;
}

bool ProfileList::WriteProfileFile(const std::string& uuid, Json::Value document, const std::string& name) const {
  if (!document.isObject()) document = Json::Value(Json::objectValue);
  document["profilename"] = name;
  document["profileUUID"] = uuid;
  return CGlobalUtils::WriteJsonFile(ProfileFilePath(folder_, uuid), document);
}

bool ProfileList::WriteList() {
  Json::Value document = other_members_;
  Json::Value& list = document["profilelist"] = Json::Value(Json::arrayValue);
  for (const ProfileEntry& entry : entries_) {
    Json::Value element(Json::objectValue);
    element["profilename"] = entry.name;
    element["profileUUID"] = entry.uuid;
    element["profileislink"] = 0;
    element["profilelinkmame"] = "";
    list.append(element);
  }
  document["profileselect"] = profile_select_;
  return CGlobalUtils::WriteJsonFile(ListFilePath(), document);
}

bool ProfileList::ReadList() {
  if (folder_.empty()) return false;
  const std::string path = ListFilePath();
  const JsonFileContent content = CGlobalUtils::ReadJsonFile(path);
  const Json::Value& document = content.document;
  other_members_ = Json::Value(Json::objectValue);
  if (document.isObject()) {
    for (const std::string& key : document.getMemberNames()) {
      if (key != "profilelist" && key != "profileselect") other_members_[key] = document[key];
    }
  }
  entries_.clear();
  const Json::Value& list = MemberOrNull(document, "profilelist");
  bool damaged = content.state == JsonFileState::kDamaged;
  if (content.state == JsonFileState::kParsed && (!document.isObject() || (!list.isArray() && !list.isNull()))) {
    damaged = true;
    DamagedFiles::Record(path);
  }
  // Repairs stay in memory until the list is next written, except a profile
  // that needs a new identity: that is written at once (with its file), so
  // the identity stays the same on every read; the list is kept aside first.
  bool identity_repaired = false;
  std::vector<size_t> without_file;  // entries given a new identity, whose file is still to be made
  for (const Json::Value& element : list.isArray() ? list : Json::Value::nullSingleton()) {
    if (!element.isObject()) {
      DamagedFiles::Record(path);
      continue;
    }
    ProfileEntry entry;
    entry.uuid = JsonString(element["profileUUID"]);
    bool unique = true;
    for (const ProfileEntry& earlier : entries_) unique = unique && earlier.uuid != entry.uuid;
    if (!FileIdentity::IsSafe(entry.uuid) || !unique) {
      entry.uuid = NewUuid();
      without_file.push_back(entries_.size());
      identity_repaired = true;
    }
    AddEntryNamed(std::move(entry), JsonString(element["profilename"]));
  }
  // A list that did not read is rebuilt from the profile files beside it, so
  // no profile is lost.
  if (damaged && entries_.empty()) RebuildFromProfileFiles();

  if (entries_.empty()) {
    // A missing, invalid or empty list starts over with one profile.
    ProfileEntry first{"profile1", NewUuid()};
    entries_.push_back(first);
    profile_select_ = 0;
    if (!WriteList()) return false;
    return WriteProfileFile(first.uuid, DefaultProfileDocument(), first.name);
  }

  const Json::Value& select = MemberOrNull(document, "profileselect");
  profile_select_ = JsonInt(select);
  if (damaged || !select.isIntegral() || profile_select_ < 0 || profile_select_ >= static_cast<int>(entries_.size())) {
    profile_select_ = 0;
  }
  bool written = true;
  if (identity_repaired) {
    DamagedFiles::Record(path);
    for (const size_t index : without_file) {
      written = WriteProfileFile(entries_[index].uuid, DefaultProfileDocument(), entries_[index].name) && written;
    }
    written = WriteList() && written;
  }
  ClampSelection();
  return written;
}

void ProfileList::AddEntryNamed(ProfileEntry entry, const std::string& name) {
  entry.name = DisplayName::Repaired(name);
  if (DisplayName::IsBlank(entry.name)) {
    entry.name = DisplayName::FirstFree([this](const std::string& n) { return NameUsed(n, -1); },
                                        [](int k) { return Formatted("profile%d", k); }, 1);
  } else if (NameUsed(entry.name, -1)) {
    const std::string base = entry.name;
    entry.name = DisplayName::FirstFree([this](const std::string& n) { return NameUsed(n, -1); },
                                        [&base](int k) { return base + Formatted("(%d)", k); }, 1);
  }
  entries_.push_back(std::move(entry));
}

void ProfileList::RebuildFromProfileFiles() {
  // Profile identities are time-stamp names, so name order is creation order.
  std::set<std::string> uuids;
  std::error_code error;
  for (std::filesystem::directory_iterator it(folder_, error), end; !error && it != end; it.increment(error)) {
    const std::filesystem::path& file = it->path();
    const std::string uuid = file.stem().string();
    std::error_code kind_error;
    if (file.extension() == kProfileFileExtension && FileIdentity::IsSafe(uuid) && it->is_regular_file(kind_error)) {
      uuids.insert(uuid);
    }
  }
  for (const std::string& uuid : uuids) {
    if (entries_.size() >= kMaxProfiles) break;
    const Json::Value document = CGlobalUtils::ParseJsonFile(ProfileFilePath(folder_, uuid));
    if (!document.isObject()) continue;
    // Other JSON files may share the folder: a profile names itself or holds devices.
    const bool names_itself = JsonString(MemberOrNull(document, "profileUUID")) == uuid;
    if (!names_itself && !MemberOrNull(document, "Device").isArray()) continue;
    AddEntryNamed(ProfileEntry{{}, uuid}, JsonString(MemberOrNull(document, "profilename")));
  }
}

void ProfileList::ClampSelection() {
  if (entries_.empty()) {
    selected_ = -1;
  } else if (selected_ >= static_cast<int>(entries_.size())) {
    selected_ = static_cast<int>(entries_.size()) - 1;
  }
}

PanelResult ProfileList::LoadProfileList() {
  if (folder_.empty()) return PanelResult::Unchanged(message_key::kReadFailed);
  const bool read = ReadList();
  if (entries_.empty()) return PanelResult::Failed();
  const PanelResult selected = SelectProfile(profile_select_);
  return read ? selected : PanelResult::Failed();
}

void ProfileList::ChooseEntry(int position) {
  if (position < 0 || position >= static_cast<int>(entries_.size())) return;
  selected_ = position;
  name_edit_ = entries_[static_cast<size_t>(position)].name;
}

PanelResult ProfileList::SelectProfile(int position) {
  if (!ReadList() && entries_.empty()) return PanelResult::Failed();
  if (position < 0 || position >= static_cast<int>(entries_.size())) position = 0;
  ChooseEntry(position);
  active_uuid_ = entries_[static_cast<size_t>(position)].uuid;
  if (profile_select_ == position) return PanelResult::Done();
  profile_select_ = position;
  return WriteList() ? PanelResult::Done() : PanelResult::Failed();
}

int ProfileList::GetProfileCount() {
  // A list that could not be repaired on disk still counts what it holds in memory.
  (void)ReadList();
  return static_cast<int>(entries_.size());
}

std::string ProfileList::GetProfilePathAt(int position) const {
  if (position < 0 || position >= static_cast<int>(entries_.size())) return {};
  return ProfileFilePath(folder_, entries_[static_cast<size_t>(position)].uuid);
}

PanelResult ProfileList::Append(const std::string& name, Json::Value document, bool record_select) {
  const std::string uuid = NewUuid();
  if (!WriteProfileFile(uuid, std::move(document), name)) return PanelResult::Failed();
  const int old_select = profile_select_;
  entries_.push_back(ProfileEntry{name, uuid});
  if (record_select) profile_select_ = static_cast<int>(entries_.size()) - 1;
  if (!WriteList()) {
    entries_.pop_back();
    profile_select_ = old_select;
    std::error_code error;
    std::filesystem::remove(ProfileFilePath(folder_, uuid), error);
    return PanelResult::Failed();
  }
  return PanelResult::Done(name);
}

PanelResult ProfileList::AddProfile() {
  if (!ReadList()) return PanelResult::Failed();
  if (entries_.size() >= kMaxProfiles) return PanelResult::Refused(message_key::kProfileLimit);
  const std::string name = DisplayName::FirstFree([this](const std::string& n) { return NameUsed(n, -1); },
                                                  [](int k) { return Formatted("profile%d", k); }, 1);
  return Append(name, DefaultProfileDocument(), true);
}

PanelResult ProfileList::CopyProfile() {
  if (!ReadList()) return PanelResult::Failed();
  if (entries_.size() >= kMaxProfiles) return PanelResult::Refused(message_key::kProfileLimit);
  if (selected_ < 0) return PanelResult::Unchanged(message_key::kNoSelection);
  std::string name = entries_[static_cast<size_t>(selected_)].name + " copy";
  while (NameUsed(name, -1)) name += " copy";
  Json::Value source = CGlobalUtils::ParseJsonFile(GetProfilePathAt(selected_));
  return Append(name, std::move(source), false);
}

PanelResult ProfileList::DeleteProfile() {
  if (!ReadList()) return PanelResult::Failed();
  if (selected_ < 0) return PanelResult::Unchanged(message_key::kNoSelection);
  if (entries_.size() < 2) return PanelResult::Unchanged(message_key::kLastProfile);
  const auto position = static_cast<size_t>(selected_);
  const std::vector<ProfileEntry> before = entries_;
  const int old_select = profile_select_;
  const std::string doomed = GetProfilePathAt(selected_);
  entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(position));
  profile_select_ = position == 0 ? 0 : static_cast<int>(position) - 1;
  if (!WriteList()) {
    entries_ = before;
    profile_select_ = old_select;
    return PanelResult::Failed();
  }
  // The list no longer names the file, so a failed removal leaves only an
  // unused file behind.
  std::error_code error;
  std::filesystem::remove(doomed, error);
  selected_ = profile_select_;
  name_edit_ = entries_[static_cast<size_t>(selected_)].name;
  active_uuid_ = entries_[static_cast<size_t>(selected_)].uuid;
  return PanelResult::Done();
}

PanelResult ProfileList::ResetProfile() {
  if (!ReadList()) return PanelResult::Failed();
  if (selected_ < 0) return PanelResult::Unchanged(message_key::kNoSelection);
  const ProfileEntry entry = entries_[static_cast<size_t>(selected_)];
  Json::Value document = DefaultProfileDocument();
  if (kind_ == kHeadsetKind) {
    const Json::Value current = CGlobalUtils::ParseJsonFile(GetProfilePathAt(selected_));
    const Json::Value& section = ElementOrNull(MemberOrNull(current, "Device"), 0);
    for (const char* key : {"CustomEQNameInfo", "CustomEQHzValueInfo"}) {
      const Json::Value& kept = MemberOrNull(section, key);
      if (kept.isNull()) continue;
      Json::Value& target = WritableElement(WritableMember(document, "Device"), 0);
      if (!target.isObject()) target = Json::Value(Json::objectValue);
      target[key] = kept;
    }
  }
  if (!WriteProfileFile(entry.uuid, std::move(document), entry.name)) return PanelResult::Failed();
  return PanelResult::Done(entry.name);
}

PanelResult ProfileList::RenameProfile(const std::string& given) {
  if (!ReadList()) return PanelResult::Failed();
  if (selected_ < 0) return PanelResult::Unchanged(message_key::kNoSelection);
  const std::string name = DisplayName::Sanitised(given);
  if (DisplayName::ContainsAmpersand(name)) return PanelResult::Refused(message_key::kNameAmpersand);
  if (DisplayName::IsBlank(name)) return PanelResult::Refused(message_key::kNameBlank);
  if (DisplayName::ContainsControl(name)) return PanelResult::Refused(message_key::kNameInvalid);
  if (DisplayName::Length(name) > DisplayName::kMaxLength) return PanelResult::Refused(message_key::kNameTooLong);
  if (NameUsed(name, selected_)) return PanelResult::Refused(message_key::kNameUsed);

  ProfileEntry& entry = entries_[static_cast<size_t>(selected_)];
  const std::string old_name = entry.name;
  entry.name = name;
  if (!WriteList()) {
    entry.name = old_name;
    return PanelResult::Failed();
  }
  name_edit_ = name;
  const Json::Value document = CGlobalUtils::ParseJsonFile(GetProfilePathAt(selected_));
  if (!WriteProfileFile(entry.uuid, document, name)) return PanelResult::Failed();
  return PanelResult::Done(name);
}

PanelResult ProfileList::ImportProfile(const std::string& path) {
  if (path.empty()) return PanelResult::Unchanged(message_key::kNoSelection);
  std::optional<ImportedFile> file = ImportFile::ReadProfile(path);
  if (!file) return PanelResult::Refused(message_key::kInvalidProfileFile);
  if (!ReadList()) return PanelResult::Failed();
  if (entries_.size() >= kMaxProfiles) return PanelResult::Refused(message_key::kProfileLimit);
  std::string name = DisplayName::Repaired(CGlobalUtils::FileTitle(path));
  if (DisplayName::IsBlank(name)) name = "profile";
  for (int k = 1; NameUsed(name, -1); ++k) name += Formatted("(%d)", k);
  return Append(name, std::move(file->document), false);
}

PanelResult ProfileList::ExportProfile(const std::string& path) {
  if (path.empty()) return PanelResult::Unchanged(message_key::kNoSelection);
  if (!ReadList()) return PanelResult::Failed();
  if (selected_ < 0) return PanelResult::Unchanged(message_key::kNoSelection);
  const Json::Value document = CGlobalUtils::ParseJsonFile(GetProfilePathAt(selected_));
  if (!document.isObject()) return PanelResult::Failed(message_key::kReadFailed);
  return CGlobalUtils::WriteJsonFile(path, document) ? PanelResult::Done() : PanelResult::Failed();
}

}  // namespace zt640
