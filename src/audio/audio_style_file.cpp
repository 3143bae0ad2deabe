#include "audio/audio_style_file.h"

#include <utility>

#include "platform/diag/debug_output.h"
#include "profiles/global_utils.h"

namespace zt640 {

namespace {
constexpr char kDeviceKey[] = "Device";
constexpr char kInfoKey[] = "AudioLightInfo";
constexpr char kSelectedKey[] = "nAudioStyle";

std::string NameKey(int style) { return "nStyleName" + std::to_string(style + 1); }
std::string ValueKey(char colour, int style) { return std::string("nStyle") + colour + std::to_string(style); }

/// An integer member cut to 8 bits; a missing or non-numeric member reads as 0.
std::uint8_t ByteOf(const Json::Value& info, const std::string& key) {
  const Json::Value& value = info[key];
  if (!value.isNumeric()) return 0;
  return static_cast<std::uint8_t>(value.asLargestInt() & 0xFF);
}
}  // namespace

bool AudioStyleFile::Open(std::string user_path, std::string default_path) {
  user_path_ = std::move(user_path);
  default_path_ = std::move(default_path);
  // ReadJsonFile records a damaged copy, so the rewrite below keeps it as ".bak".
  const Json::Value user = CGlobalUtils::ReadJsonFile(user_path_).document;
  document_ = user.isObject() ? user[kDeviceKey] : Json::Value();
  if (!document_.isNull()) return true;
  // A readable copy without styles keeps its other members; anything else is
  // replaced whole (a damaged one was kept aside by the read above).
  return CopyDefaultToUser(user.isObject() ? user : Json::Value(Json::objectValue));
}

bool AudioStyleFile::CopyDefaultToUser(Json::Value base) {
  const Json::Value defaults = CGlobalUtils::ParseJsonFile(default_path_);
  if (!defaults.isObject()) {
    // Writing nothing useful would only replace one unusable file by another.
    platform::DebugOutput("music styles: no default copy at " + default_path_);
    return false;
  }
  for (const std::string& key : defaults.getMemberNames()) base[key] = defaults[key];
  document_ = base[kDeviceKey];
  if (!CGlobalUtils::WriteJsonFile(user_path_, base)) {
    platform::DebugOutput("music styles: cannot write " + user_path_);
    return false;
  }
  return true;
}

AudioStyleSet AudioStyleFile::LoadAudioStyles() {
  AudioStyleSet styles;
  const Json::Value& info = document_.isObject() ? document_[kInfoKey] : Json::Value::nullSingleton();
  if (info.isObject()) {
    styles.selected = ByteOf(info, kSelectedKey);
    for (int s = 0; s < AudioStyleSet::kStyleCount; ++s) {
      const Json::Value& name = info[NameKey(s)];
      if (name.isString()) styles.names[static_cast<std::size_t>(s)] = CGlobalUtils::WideFromUtf8(name.asString());
      styles.Red(s) = ByteOf(info, ValueKey('R', s));
      styles.Green(s) = ByteOf(info, ValueKey('G', s));
      styles.Blue(s) = ByteOf(info, ValueKey('B', s));
    }
  }
  cache_ = styles;
  return styles;
}

void AudioStyleFile::StoreAudioStyles(const AudioStyleSet& styles) {
  cache_ = styles;
  Json::Value info(Json::objectValue);
  info[kSelectedKey] = styles.selected;
  for (int s = 0; s < AudioStyleSet::kStyleCount; ++s) {
    info[NameKey(s)] = CGlobalUtils::Utf8FromWide(styles.names[static_cast<std::size_t>(s)]);
    info[ValueKey('R', s)] = styles.Red(s);
    info[ValueKey('G', s)] = styles.Green(s);
    info[ValueKey('B', s)] = styles.Blue(s);
  }
  if (!document_.isObject()) document_ = Json::Value(Json::objectValue);
  document_[kInfoKey] = std::move(info);
}

bool AudioStyleFile::SaveAudioStyleFile() {
  Json::Value file = CGlobalUtils::ReadJsonFile(user_path_).document;
  if (!file.isObject()) file = Json::Value(Json::objectValue);
  file[kDeviceKey] = document_;
  return CGlobalUtils::WriteJsonFile(user_path_, file);
}

bool AudioStyleFile::RestoreAudioStyles() {
  const bool written = CopyDefaultToUser(Json::Value(Json::objectValue));
  LoadAudioStyles();
  return written;
}

}  // namespace zt640
