#include "profiles/shoot_data.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include "profiles/damaged_files.h"
#include "profiles/global_utils.h"
#include "profiles/import_file.h"
#include "profiles/json_access.h"

namespace zt640 {

namespace {

std::string WithSlash(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder.push_back('/');
  return folder;
}

/// A field's text as a number in [0, limit]; text that is no number is 0.
int FieldValue(const std::string& text, int limit) {
  errno = 0;
  char* end = nullptr;
  const long long value = std::strtoll(text.c_str(), &end, 10);
  if (end == text.c_str()) return 0;
  if (errno == ERANGE) return value < 0 ? 0 : limit;
  return static_cast<int>(std::clamp<long long>(value, 0, limit));
}

Json::Value Event(const char* action, int button, int delay, int type) {
  Json::Value event(Json::objectValue);
  event["Action"] = action;
  event["Button"] = button;
  event["Delay"] = delay;
  event["Type"] = type;
  return event;
}

bool IsDown(const Json::Value& event) {
  const Json::Value& action = MemberOrNull(event, "Action");
  return action.isString() && action.asString() == "down";
}

}  // namespace

void ShootData::SetShootFolders(const std::string& device_data_folder, const std::string& defaults_folder) {
  folder_ = WithSlash(device_data_folder);
  defaults_ = WithSlash(defaults_folder);
}

std::string ShootData::GunFilePath(int gun) const {
  return folder_ + "ShootData_" + std::to_string(std::clamp(gun, 0, kGunCount - 1)) + ".Shoot";
}

std::string ShootData::DefaultGunFilePath(int gun) const {
  return defaults_ + "ShootData_" + std::to_string(std::clamp(gun, 0, kGunCount - 1)) + ".Shoot";
}

PanelResult ShootData::InitShootData() {
  if (folder_.empty()) return PanelResult::Unchanged(message_key::kReadFailed);
  bool written = true;
  for (int gun = 0; gun < kGunCount; ++gun) {
    const JsonFileContent content = CGlobalUtils::ReadJsonFile(GunFilePath(gun));
    if (content.state != JsonFileState::kDamaged && content.document.isNull()) {
      written = ResetGun(gun).done() && written;
    }
  }
  return written ? PanelResult::Done() : PanelResult::Failed();
}

Json::Value ShootData::GunDocument(int gun) const {
  const std::string path = GunFilePath(gun);
  JsonFileContent content = CGlobalUtils::ReadJsonFile(path);
  const Json::Value& events = MemberOrNull(content.document, "Events");
  if (content.state == JsonFileState::kParsed && !content.document.isNull() &&
      (!content.document.isObject() || (!events.isArray() && !events.isNull()))) {
    DamagedFiles::Record(path);
    content.state = JsonFileState::kDamaged;
  }
  if (content.state == JsonFileState::kDamaged) return CGlobalUtils::ParseJsonFile(DefaultGunFilePath(gun));
  return std::move(content.document);
}

void ShootData::SelectGun(int gun) {
  gun_ = std::clamp(gun, 0, kGunCount - 1);
  if (bullet_ < 0) bullet_ = 0;
  ShowBullet();
}

void ShootData::SelectBullet(int bullet) {
  bullet_ = std::clamp(bullet, 0, kBulletCount - 1);
  ShowBullet();
}

void ShootData::ShowBullet() {
  fields_ = BulletFields{};
  const int bullet = std::max(bullet_, 0);
  const Json::Value document = GunDocument(gun_);
  const Json::Value& events = MemberOrNull(document, "Events");
  const auto first = static_cast<Json::ArrayIndex>(bullet * kEventsPerBullet);
  const Json::Value& x_move = ElementOrNull(events, first + 2);
  const Json::Value& y_move = ElementOrNull(events, first + 3);
  fields_.x_left = IsDown(x_move);
  fields_.y_up = IsDown(y_move);
  fields_.x_text = std::to_string(JsonInt(MemberOrNull(x_move, "Button")));
  fields_.y_text = std::to_string(JsonInt(MemberOrNull(y_move, "Button")));
  fields_.delay_text = std::to_string(JsonInt(MemberOrNull(y_move, "Delay")));
}

Json::Value ShootData::BulletEvents(bool x_left, int x, bool y_up, int y, int delay) {
  const char* x_action = x_left ? "down" : "up";
  const char* y_action = y_up ? "down" : "up";
  Json::Value events(Json::arrayValue);
  events.append(Event("down", 1, 10, 1));
  events.append(Event("up", 1, 0, 1));
  events.append(Event(x_action, x, 5, 4));
  events.append(Event(y_action, y, delay, 5));
  events.append(Event(x_action, 0, 0, 4));
  events.append(Event(y_action, 0, 0, 5));
  return events;
}

PanelResult ShootData::SaveBullet() {
  if (folder_.empty()) return PanelResult::Unchanged(message_key::kReadFailed);
  if (bullet_ < 0) return PanelResult::Unchanged(message_key::kNoSelection);
  const int x = FieldValue(fields_.x_text, kMaxDistance);
  const int y = FieldValue(fields_.y_text, kMaxDistance);
  const int delay = FieldValue(fields_.delay_text, kMaxDelay);
  Json::Value document = GunDocument(gun_);
  if (!document.isObject()) document = Json::Value(Json::objectValue);
  Json::Value& events = document["Events"];
  if (!events.isArray()) events = Json::Value(Json::arrayValue);
  const Json::Value bullet = BulletEvents(fields_.x_left, x, fields_.y_up, y, delay);
  const auto first = static_cast<Json::ArrayIndex>(bullet_ * kEventsPerBullet);
  for (Json::ArrayIndex i = 0; i < static_cast<Json::ArrayIndex>(kEventsPerBullet); ++i) events[first + i] = bullet[i];
  fields_.x_text = std::to_string(x);
  fields_.y_text = std::to_string(y);
  fields_.delay_text = std::to_string(delay);
  return CGlobalUtils::WriteJsonFile(GunFilePath(gun_), document) ? PanelResult::Done() : PanelResult::Failed();
}

PanelResult ShootData::ResetGun(int gun) {
  if (folder_.empty()) return PanelResult::Unchanged(message_key::kReadFailed);
  gun = std::clamp(gun, 0, kGunCount - 1);
  const std::string bytes = CGlobalUtils::readjsonFile(DefaultGunFilePath(gun));
  if (!CGlobalUtils::WriteFileAtomic(GunFilePath(gun), bytes)) return PanelResult::Failed();
  if (gun == gun_ && bullet_ >= 0) ShowBullet();
  return PanelResult::Done();
}

PanelResult ShootData::ImportGun(const std::string& path) {
  if (path.empty() || folder_.empty()) return PanelResult::Unchanged(message_key::kNoSelection);
  const std::optional<ImportedFile> file = ImportFile::ReadShoot(path);
  if (!file) return PanelResult::Refused(message_key::kInvalidShootFile);
  if (!CGlobalUtils::WriteFileAtomic(GunFilePath(gun_), file->bytes)) return PanelResult::Failed();
  if (bullet_ >= 0) ShowBullet();
  return PanelResult::Done();
}

PanelResult ShootData::ExportGun(const std::string& path) {
  if (path.empty() || folder_.empty()) return PanelResult::Unchanged(message_key::kNoSelection);
  std::error_code error;
  std::string bytes;
  if (std::filesystem::exists(GunFilePath(gun_), error)) {
    bytes = CGlobalUtils::readjsonFile(GunFilePath(gun_));
    if (bytes.empty() && std::filesystem::file_size(GunFilePath(gun_), error) != 0) {
      return PanelResult::Failed(message_key::kReadFailed);
    }
  }
  return CGlobalUtils::WriteFileAtomic(path, bytes) ? PanelResult::Done() : PanelResult::Failed();
}

const char* ShootData::XLabelKey() const {
  return fields_.x_left ? "mouse_move_to_left_text" : "mouse_move_to_right_text";
}

const char* ShootData::YLabelKey() const {
  return fields_.y_up ? "mouse_move_to_up_text" : "mouse_move_to_down_text";
}

}  // namespace zt640
