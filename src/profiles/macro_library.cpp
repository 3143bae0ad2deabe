#include "profiles/macro_library.h"

#include <cstdio>
#include <filesystem>

#include "platform/diag/debug_output.h"
#include "profiles/damaged_files.h"
#include "profiles/display_name.h"
#include "profiles/file_identity.h"
#include "profiles/global_utils.h"
#include "profiles/import_file.h"
#include "profiles/json_access.h"

namespace zt640 {

namespace {

bool FileExists(const std::string& path) {
  std::error_code error;
  return std::filesystem::exists(std::filesystem::symlink_status(path, error));
}

std::string NumberedName(const std::string& base, int k) {
  char number[16];
  std::snprintf(number, sizeof number, "_%d", k);
  return base + number;
}

}  // namespace

void MacroLibrary::SetMacroFolder(const std::string& folder, const std::string& library_file_name) {
  folder_ = folder;
  if (!folder_.empty() && folder_.back() != '/') folder_.push_back('/');
  library_file_name_ = library_file_name;
}

bool MacroLibrary::NameUsed(const std::string& name) const {
  for (const MacroEntry& entry : entries_) {
    if (CGlobalUtils::EqualsIgnoreCase(entry.name, name)) return true;
  }
  return false;
}

std::string MacroLibrary::NewGuid() const {
  return FileIdentity::MakeUnique([this](const std::string& guid) {
    for (const MacroEntry& entry : entries_) {
      if (entry.guid == guid) return true;
    }
    return FileExists(MacroFilePath(guid));
  });
}

bool MacroLibrary::WriteLibrary() {
  Json::Value document = other_members_;
  Json::Value& info = document["MacroInfo"] = Json::Value(Json::arrayValue);
  for (const MacroEntry& entry : entries_) {
    Json::Value element(Json::objectValue);
    element["MacroName"] = entry.name;
    element["Guid"] = entry.guid;
    info.append(element);
  }
  return CGlobalUtils::WriteJsonFile(LibraryFilePath(), document);
}

bool MacroLibrary::ReadLibrary() {
  entries_.clear();
  other_members_ = Json::Value(Json::objectValue);
  if (folder_.empty()) return false;
  const std::string path = LibraryFilePath();
  const JsonFileContent content = CGlobalUtils::ReadJsonFile(path);
  const Json::Value& document = content.document;
  if (document.isObject()) {
    for (const std::string& key : document.getMemberNames()) {
      if (key != "MacroInfo") other_members_[key] = document[key];
    }
  }
  const Json::Value& info = MemberOrNull(document, "MacroInfo");
  // A document whose macros cannot be listed reads as an empty library; the
  // next write keeps it aside first.
  if (content.state == JsonFileState::kParsed && (!document.isObject() || (!info.isArray() && !info.isNull()))) {
    DamagedFiles::Record(path);
  }
  // Names are repaired in memory only. A macro that needs a new identity is
  // written at once (with its events copied), so the identity stays the same
  // on every read; the file is kept aside first.
  bool identity_repaired = false;
  bool copied = true;
  // Every element keeps its position: key assignments name macros by position.
  for (const Json::Value& element : info.isArray() ? info : Json::Value::nullSingleton()) {
    MacroEntry entry;
    const std::string guid = JsonString(MemberOrNull(element, "Guid"));
    const std::string name = JsonString(MemberOrNull(element, "MacroName"));
    entry.guid = guid;
    bool shared = false;
    for (const MacroEntry& earlier : entries_) shared = shared || earlier.guid == guid;
    if (!FileIdentity::IsSafe(guid) || shared) {
      entry.guid = NewGuid();
      identity_repaired = true;
      // A Guid named twice gives the later macro a copy of the events.
      if (shared && FileExists(MacroFilePath(guid))) {
        copied = CGlobalUtils::WriteFileAtomic(MacroFilePath(entry.guid),
                                               CGlobalUtils::readjsonFile(MacroFilePath(guid))) &&
                 copied;
      }
    }
    entry.name = DisplayName::Repaired(name);
    if (DisplayName::IsBlank(entry.name)) {
      entry.name = DisplayName::FirstFree([this](const std::string& n) { return NameUsed(n); },
                                          [](int k) { return NumberedName("macro", k); }, 1);
    } else if (NameUsed(entry.name)) {
      const std::string base = entry.name;
      entry.name = DisplayName::FirstFree([this](const std::string& n) { return NameUsed(n); },
                                          [&base](int k) { return NumberedName(base, k); }, 2);
    }
    entries_.push_back(std::move(entry));
  }
  if (selected_ >= static_cast<int>(entries_.size())) selected_ = entries_.empty() ? -1 : 0;
  if (identity_repaired) {
    DamagedFiles::Record(path);
    return WriteLibrary() && copied;
  }
  return copied;
}

PanelResult MacroLibrary::LoadMacroList() {
  if (folder_.empty()) return PanelResult::Unchanged(message_key::kReadFailed);
  const bool read = ReadLibrary();
  return read ? PanelResult::Done() : PanelResult::Failed();
}

int MacroLibrary::GetSelectedMacro() const {
  if (entries_.empty() || selected_ < 0 || selected_ >= static_cast<int>(entries_.size())) return -1;
  return selected_;
}

void MacroLibrary::SelectMacro(int position) {
  if (position < 0 || position >= static_cast<int>(entries_.size())) return;
  selected_ = position;
  ShowSelectedMacro();
}

void MacroLibrary::ShowSelectedMacro() {
  const int selected = GetSelectedMacro();
  if (selected < 0) {
    events_.clear();
    return;
  }
  LoadMacroFile(MacroFilePath(entries_[static_cast<size_t>(selected)].guid));
}

PanelResult MacroLibrary::Append(const std::string& name) {
  MacroEntry entry{name, NewGuid()};
  entries_.push_back(entry);
  if (!WriteLibrary()) {
    entries_.pop_back();
    return PanelResult::Failed();
  }
  SelectMacro(static_cast<int>(entries_.size()) - 1);
  return PanelResult::Done(name);
}

PanelResult MacroLibrary::AddMacro() {
  if (folder_.empty()) return PanelResult::Unchanged(message_key::kReadFailed);
  if (!ReadLibrary()) return PanelResult::Failed();
  if (entries_.size() >= kMaxMacros) return PanelResult::Unchanged(message_key::kMacroLibraryFull);
  const std::string name = DisplayName::FirstFree([this](const std::string& n) { return NameUsed(n); },
                                                  [](int k) { return NumberedName("macro", k); }, 1);
  return Append(name);
}

PanelResult MacroLibrary::AddMacroFromFile(const std::string& path) {
  if (folder_.empty()) return PanelResult::Unchanged(message_key::kReadFailed);
  if (!ReadLibrary()) return PanelResult::Failed();
  if (entries_.size() >= kMaxMacros) return PanelResult::Unchanged(message_key::kMacroLibraryFull);
  // Room is left for the "_<k>" a taken title gets.
  std::string title = DisplayName::Truncated(DisplayName::Repaired(CGlobalUtils::FileTitle(path)),
                                             DisplayName::kMaxLength - 4);
  title = DisplayName::Repaired(title);
  if (DisplayName::IsBlank(title)) title = "macro";
  std::string name = title;
  for (int k = 2; NameUsed(name); ++k) name = NumberedName(title, k);
  return Append(name);
}

PanelResult MacroLibrary::ImportMacro(const std::string& path) {
  if (path.empty()) return PanelResult::Unchanged(message_key::kNoSelection);
  const std::optional<ImportedFile> file = ImportFile::ReadMacro(path);
  if (!file) return PanelResult::Refused(message_key::kInvalidMacroFile);
  PanelResult added = AddMacroFromFile(path);
  if (!added.done()) return added;
  const MacroEntry entry = entries_.back();
  if (!CGlobalUtils::WriteFileAtomic(MacroFilePath(entry.guid), file->bytes)) {
    // Take the new entry out again so the library does not name a macro
    // whose events never arrived.
    entries_.pop_back();
    // The import is reported as failed either way.
    if (!WriteLibrary()) platform::DebugOutput("macro library not rewritten after a failed import");
    selected_ = entries_.empty() ? -1 : 0;
    ShowSelectedMacro();
    return PanelResult::Failed();
  }
  ShowSelectedMacro();
  return added;
}

PanelResult MacroLibrary::ExportMacro(const std::string& path) {
  if (path.empty()) return PanelResult::Unchanged(message_key::kNoSelection);
  const int selected = GetSelectedMacro();
  if (selected < 0) return PanelResult::Unchanged(message_key::kNoSelection);
  const std::string source = MacroFilePath(entries_[static_cast<size_t>(selected)].guid);
  std::string bytes;
  if (FileExists(source)) {
    bytes = CGlobalUtils::readjsonFile(source);
    if (bytes.empty()) return PanelResult::Failed(message_key::kReadFailed);
  }
  return CGlobalUtils::WriteFileAtomic(path, bytes) ? PanelResult::Done() : PanelResult::Failed();
}

PanelResult MacroLibrary::RenameMacro() {
  if (GetSelectedMacro() < 0) return PanelResult::Unchanged(message_key::kNoSelection);
  const std::string name = DisplayName::Sanitised(name_edit_);
  if (DisplayName::IsBlank(name)) return PanelResult::Unchanged(message_key::kNameBlank);
  if (DisplayName::ContainsAmpersand(name)) return PanelResult::Refused(message_key::kNameAmpersand);
  if (DisplayName::ContainsControl(name)) return PanelResult::Refused(message_key::kNameInvalid);
  if (DisplayName::Length(name) > DisplayName::kMaxLength) return PanelResult::Refused(message_key::kNameTooLong);
  const int position = selected_;
  if (!ReadLibrary()) return PanelResult::Failed();
  if (position >= static_cast<int>(entries_.size())) return PanelResult::Unchanged(message_key::kNoSelection);
  selected_ = position;
  // The selected macro's own name counts too, so a change of case alone is refused.
  if (NameUsed(name)) return PanelResult::Refused(message_key::kNameUsed);
  MacroEntry& entry = entries_[static_cast<size_t>(position)];
  const std::string old_name = entry.name;
  entry.name = name;
  if (!WriteLibrary()) {
    entry.name = old_name;
    return PanelResult::Failed();
  }
  name_edit_.clear();
  return PanelResult::Done(name);
}

int MacroLibrary::DeleteMacro(PanelResult* result) {
  PanelResult outcome = PanelResult::Unchanged(message_key::kNoSelection);
  int deleted = -1;
  const int position = GetSelectedMacro();
  if (position >= 0 && ReadLibrary() && position < static_cast<int>(entries_.size())) {
    const std::vector<MacroEntry> before = entries_;
    const std::string doomed = MacroFilePath(entries_[static_cast<size_t>(position)].guid);
    entries_.erase(entries_.begin() + position);
    if (WriteLibrary()) {
      // The library no longer names the file; a failed removal only leaves an unused file.
      std::error_code error;
      std::filesystem::remove(doomed, error);
      events_.clear();
      selected_ = entries_.empty() ? -1 : 0;
      ShowSelectedMacro();
      deleted = position;
      outcome = PanelResult::Done(before[static_cast<size_t>(position)].name);
    } else {
      entries_ = before;
      outcome = PanelResult::Failed();
    }
  } else if (position >= 0) {
    outcome = PanelResult::Failed();
  }
  if (result != nullptr) *result = outcome;
  return deleted;
}

void MacroLibrary::LoadMacroFile(const std::string& path) { events_ = MacroFile::Load(path); }

PanelResult MacroLibrary::SaveMacroFile(const std::string& path) {
  if (events_.size() > MacroFile::kMaxSavedEvents) {
    events_.clear();
    return PanelResult::Refused(message_key::kTooManyEvents);
  }
  const int selected = GetSelectedMacro();
  if (selected < 0) return PanelResult::Unchanged(message_key::kNoSelection);
  const MacroEntry& entry = entries_[static_cast<size_t>(selected)];
  const Json::Value document = MacroFile::Build(events_, entry.name, entry.guid);
  return CGlobalUtils::WriteJsonFile(path, document) ? PanelResult::Done() : PanelResult::Failed();
}

PanelResult MacroLibrary::SaveSelectedMacro() {
  const int selected = GetSelectedMacro();
  if (selected < 0) return PanelResult::Unchanged(message_key::kNoSelection);
  return SaveMacroFile(MacroFilePath(entries_[static_cast<size_t>(selected)].guid));
}

}  // namespace zt640
