#pragma once

#include <json/value.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "profiles/file_stamp.h"
#include "profiles/key_assignment.h"
#include "profiles/light_effect.h"

namespace zt640 {

/// The profile data every device object owns: the device section of the
/// active profile as a JSON document, read into fixed records by the getters
/// and changed by the setters. Getters and setters work on memory only; the
/// owner calls Save to write the file. Paths are UTF-8 file names.
/// No lock: the owning device object and its panels call it on one thread.
class CBasicProfiledata {
 public:
  CBasicProfiledata() = default;
  virtual ~CBasicProfiledata() = default;
  CBasicProfiledata(const CBasicProfiledata&) = default;
  CBasicProfiledata& operator=(const CBasicProfiledata&) = default;

  /// Sets the file Save writes, unless `path` is empty.
  void SetProfilePath(const std::string& path);
  [[nodiscard]] const std::string& GetProfilePath() const { return profile_path_; }
  /// Sets the file LoadProfile falls back to, unless `path` is empty.
  void SetDefaultProfilePath(const std::string& path);
  [[nodiscard]] const std::string& GetDefaultProfilePath() const { return default_profile_path_; }
  void SetLightConfigPath(const std::string& path) { light_config_path_ = path; }
  [[nodiscard]] const std::string& GetLightConfigPath() const { return light_config_path_; }
  /// Selects the element of the file's "Device" array this object works on.
  void SetDeviceSlot(int32_t slot) { device_slot_ = slot; }
  [[nodiscard]] int32_t GetDeviceSlot() const { return device_slot_; }

  /// Loads the device section of `path` into the main document and returns a
  /// copy. A missing section is taken from the default profile and written
  /// back into the file (other members and slots are kept). A damaged file
  /// reads as the default section and is left as it is: the next save keeps
  /// it as `path` + ".bak" before replacing it.
  Json::Value LoadProfile(const std::string& path);
  /// The same for the side document (another profile being edited).
  Json::Value LoadSideProfile(const std::string& path);

  /// Writes the main document as the device section of the profile file.
  /// False when the file could not be written; the old file then stays.
  [[nodiscard]] virtual bool Save();
  /// Stores `section` as the device section of the file at `path`, keeping the
  /// file's other members and device slots.
  [[nodiscard]] virtual bool SaveSection(const Json::Value& section, const std::string& path);
  [[nodiscard]] virtual bool SaveSideProfile(const std::string& path);
  /// Replaces the whole file at `path` with `document`.
  [[nodiscard]] virtual bool WriteDocument(const Json::Value& document, const std::string& path);

  [[nodiscard]] const Json::Value& MainDocument() const { return main_document_; }
  [[nodiscard]] const Json::Value& SideDocument() const { return side_document_; }

  LightEffect GetLightInfo();
  void SetLightInfo(const LightEffect& effect);
  [[nodiscard]] const LightEffect& CurrentLight() const { return current_light_; }
  AudioLightSetting GetAudioLightInfo();
  void SetAudioLightInfo(const AudioLightSetting& setting);
  /// One effect per lighting zone; elements found in the file have `present` 1.
  std::vector<LightEffect> GetLightList();

  /// Parses the light configuration file; frame files are looked for in the
  /// same folder.
  Json::Value LoadLightConfig(const std::string& path);
  /// Reads the frame file of the current light's mode.
  std::vector<EffectFrame> LoadEffectFrames();
  [[nodiscard]] const std::vector<EffectFrame>& EffectFrames() const { return frames_; }

  std::vector<KeyListEntry> GetKeyList();
  /// Writes the current assignment of every entry into "KeyList".
  void SetKeyList(const std::vector<KeyListEntry>& list);
  std::vector<KeyListEntry> GetSideKeyList();
  void SetSideKeyList(const std::vector<KeyListEntry>& list);

 protected:
  /// The main document, for the derived classes' groups.
  Json::Value& main_document() { return main_document_; }

 private:
  /// A file as this object last wrote it. The document's own section may be
  /// stale: every save puts the current one in.
  struct WrittenFile {
    std::string path;
    FileStamp stamp;
    Json::Value document;
  };

  Json::Value LoadSection(const std::string& path, Json::Value& section);
  /// Writes `section` as this device's section of the file at path, keeping
  /// every other section; `section` is unchanged on return.
  [[nodiscard]] bool SaveSwapped(Json::Value& section, const std::string& path);
  static std::vector<KeyListEntry> ReadKeyList(Json::Value& section);
  static void WriteKeyList(Json::Value& section, const std::vector<KeyListEntry>& list);

  std::string profile_path_;
  std::string default_profile_path_;
  LightEffect current_light_;
  AudioLightSetting audio_light_;
  std::vector<LightEffect> zone_list_;
  Json::Value main_document_;
  Json::Value side_document_;
  std::string light_config_path_;
  std::vector<EffectFrame> frames_;
  Json::Value light_config_;
  std::string frame_folder_;  ///< folder of the last loaded light configuration
  std::vector<KeyListEntry> key_list_;
  std::vector<KeyListEntry> side_key_list_;
  int32_t device_slot_ = 0;
  std::optional<WrittenFile> written_file_;
};

}  // namespace zt640
