#pragma once

#include <json/value.h>

#include <string>
#include <vector>

#include "catalogue/device_kind.h"
#include "profiles/panel_result.h"

namespace zt640 {

/// One entry of the profile drop-down list.
struct ProfileEntry {
  std::string name;  ///< UTF-8 name shown to the user
  std::string uuid;  ///< time-stamp identity; the profile file is folder + uuid + ".Json"
  friend bool operator==(const ProfileEntry&, const ProfileEntry&) = default;
};

/// The profiles of one device: the list file "ProfileList.ini" in the device
/// data folder and the profile files it names. Holds what the profile panel
/// shows (entries in list order, the drop-down selection, the name edit
/// field) and the active profile's UUID. Every operation re-reads the list
/// file, repairs what a damaged file holds, changes it and writes it at once
/// (atomically), so nothing is kept unsaved. Reading writes nothing unless
/// there is no list yet or a profile needs a new identity; a list that did
/// not read intact is kept as ".bak" before it is replaced (DamagedFiles). No file outside the device data
/// folder is read, written or deleted except the file an import or export
/// names. No lock: the owner calls it on one thread.
class ProfileList {
 public:
  static constexpr int kMaxProfiles = 50;
  static constexpr char kListFileName[] = "ProfileList.ini";
  /// Device kind of the headset, whose reset keeps the custom equaliser presets.
  static constexpr DeviceKind kHeadsetKind = DeviceKind::kHeadset;

  void SetDeviceKind(DeviceKind kind) { kind_ = kind; }
  [[nodiscard]] DeviceKind GetDeviceKind() const { return kind_; }
  /// Sets the device data folder and the default profile file.
  void SetProfileFolders(const std::string& device_data_folder, const std::string& default_profile_path);
  [[nodiscard]] const std::string& DeviceDataFolder() const { return folder_; }
  [[nodiscard]] std::string ListFilePath() const { return folder_ + kListFileName; }

  /// Reads the list file, creating it with "profile1" (from the default
  /// profile) when it is missing or empty, and selects the profile
  /// "profileselect" names (the first one when it names none). A damaged list
  /// is rebuilt in memory from the profile files of the folder ("profilename",
  /// identity from the file name) and the first one selected.
  PanelResult LoadProfileList();
  /// Selects entry `position` (the first when out of range), records it as
  /// "profileselect" and makes its UUID the active one.
  PanelResult SelectProfile(int position);
  /// The user picks an entry in the drop-down list: selection and name edit
  /// field follow; the active profile changes with the next SelectProfile.
  void ChooseEntry(int position);
  /// Position of the selected entry; -1 when there is none.
  [[nodiscard]] int GetSelectedProfile() const { return selected_; }
  [[nodiscard]] const std::string& GetActiveProfileUuid() const { return active_uuid_; }
  /// Number of profiles, re-reading the list file.
  [[nodiscard]] int GetProfileCount();
  /// Folder + UUID of entry `position` + ".Json"; empty when out of range.
  [[nodiscard]] std::string GetProfilePathAt(int position) const;
  [[nodiscard]] const std::vector<ProfileEntry>& Entries() const { return entries_; }
  /// "profileselect" as last read or written.
  [[nodiscard]] int RecordedSelection() const { return profile_select_; }
  [[nodiscard]] const std::string& NameEditText() const { return name_edit_; }

  /// New profile "profile<k>" from the default profile; it becomes
  /// "profileselect" while the active profile stays.
  PanelResult AddProfile();
  /// New profile "<name> copy" holding the selected profile's settings.
  PanelResult CopyProfile();
  /// Deletes the selected profile (never the last one) and selects the one
  /// before it, or the new first one.
  PanelResult DeleteProfile();
  /// Replaces the selected profile's settings with the defaults; the headset
  /// keeps its custom equaliser names and bands. The caller confirms first.
  PanelResult ResetProfile();
  /// Renames the selected profile.
  PanelResult RenameProfile(const std::string& name);
  /// New profile from a profile file, named after the file.
  PanelResult ImportProfile(const std::string& path);
  /// Writes the selected profile's file to `path`.
  PanelResult ExportProfile(const std::string& path);

 private:
  /// Re-reads and repairs the list file into entries_ and profile_select_;
  /// a missing or empty list is created with "profile1", a damaged one is
  /// rebuilt from the profile files in the folder. False when a needed write
  /// failed.
  bool ReadList();
  /// Appends `entry` under `name`, repaired and made unique.
  void AddEntryNamed(ProfileEntry entry, const std::string& name);
  /// Entries for the profile files of the folder, in identity order.
  void RebuildFromProfileFiles();
  [[nodiscard]] bool WriteList();
  [[nodiscard]] Json::Value DefaultProfileDocument() const;
  [[nodiscard]] bool WriteProfileFile(const std::string& uuid, Json::Value document, const std::string& name) const;
  [[nodiscard]] std::string NewUuid() const;
  [[nodiscard]] bool NameUsed(const std::string& name, int except) const;
  /// Adds a profile holding `document`; `record_select` also makes it "profileselect".
  PanelResult Append(const std::string& name, Json::Value document, bool record_select);
  void ClampSelection();

  DeviceKind kind_ = DeviceKind::kNone;
  std::string folder_;
  std::string default_path_;
  Json::Value other_members_{Json::objectValue};  ///< members of the list file this class does not own
  std::vector<ProfileEntry> entries_;
  int profile_select_ = 0;
  int selected_ = -1;
  std::string active_uuid_;
  std::string name_edit_;
};

}  // namespace zt640
