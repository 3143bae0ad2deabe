#pragma once

#include <string>

#include <json/json.h>

#include "audio/audio_style_set.h"

namespace zt640 {

/// The music styles file "AudioFile.json": the read-only default copy shipped in
/// DefaultData and the user's copy in the user data root. Keeps the file's "Device"
/// object (the style document) for the whole run; setters change only that document,
/// `SaveAudioStyleFile` writes it. Members of the file other than the seventeen style
/// members survive every rewrite. UI thread only.
class AudioStyleFile {
 public:
  static constexpr char kFileName[] = "AudioFile.json";

  /// Start-up: remembers both paths and reads the user copy's "Device". When the user
  /// copy is missing or unusable, the default copy replaces it on disk (a damaged user
  /// copy is first kept aside as ".bak") and its "Device" is used. False when the user
  /// copy could not be written (the styles still read from the default copy).
  bool Open(std::string user_path, std::string default_path);

  /// The style set read from the document (zeros and empty names for anything
  /// missing; numbers cut to 8 bits); also kept as the cache.
  AudioStyleSet LoadAudioStyles();
  /// Puts `styles` into the document in place of its "AudioLightInfo" and the cache.
  /// Nothing is written to disk.
  void StoreAudioStyles(const AudioStyleSet& styles);
  /// Writes the document into the user copy, keeping the file's other members.
  bool SaveAudioStyleFile();
  /// Replaces the user copy by the default copy and reloads the document and cache.
  bool RestoreAudioStyles();

  [[nodiscard]] const AudioStyleSet& Cache() const { return cache_; }
  [[nodiscard]] const Json::Value& Document() const { return document_; }
  [[nodiscard]] const std::string& UserPath() const { return user_path_; }

 private:
  /// The default copy's members laid over `base` become the user copy; the document
  /// becomes its "Device". Without a readable default copy nothing changes.
  bool CopyDefaultToUser(Json::Value base);

  std::string user_path_;
  std::string default_path_;
  Json::Value document_;
  AudioStyleSet cache_;
};

}  // namespace zt640
