#include "update/update_check_schedule.h"

#include <ctime>
#include <utility>

#include <json/value.h>

#include "profiles/global_utils.h"
#include "profiles/json_access.h"

namespace zt640 {

std::string CalendarDateText(const CalendarDate& date) {
  return std::to_string(date.year) + "-" + std::to_string(date.month) + "-" + std::to_string(date.day);
}

CalendarDate LocalToday() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  ::localtime_r(&now, &local);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

UpdateCheckSchedule::UpdateCheckSchedule(std::string file_path, TodayFunction today)
    : path_(std::move(file_path)), today_(std::move(today)) {}

std::optional<std::string> UpdateCheckSchedule::LastCheckText() const {
  const JsonFileContent content = CGlobalUtils::ReadJsonFile(path_);
  const Json::Value& value = MemberOrNull(MemberOrNull(content.document, "updatelasttime"), "value");
  if (!value.isString() || value.asString().empty()) return std::nullopt;
  return value.asString();
}

std::string UpdateCheckSchedule::EnsureLastCheckText() {
  if (auto stored = LastCheckText()) return *stored;
  return RecordCheck() ? TodayText() : std::string();
}

bool UpdateCheckSchedule::IsCheckDue() const {
  const auto stored = LastCheckText();
  return !stored || *stored != TodayText();
}

bool UpdateCheckSchedule::RecordCheck() {
  Json::Value document(Json::objectValue);
  document["updatelasttime"]["value"] = TodayText();
  return CGlobalUtils::WriteJsonFile(path_, document);
}

}  // namespace zt640
