#include "profiles/devices_json.h"

#include <json/json.h>

#include <charconv>
#include <fstream>
#include <optional>
#include <sstream>

#include "profiles/damaged_files.h"
#include "profiles/global_utils.h"

namespace zt640 {

namespace {
/// A 16-bit id from a JSON number or a "0x"-prefixed hexadecimal string.
std::optional<uint16_t> ParseId(const Json::Value& value) {
  if (value.isInt() || value.isUInt()) {
    const Json::Int64 number = value.asInt64();
    if (number < 0 || number > 0xFFFF) return std::nullopt;
    return static_cast<uint16_t>(number);
  }
  if (!value.isString()) return std::nullopt;
  const std::string text = value.asString();
  if (text.size() < 3 || text.size() > 6 || text[0] != '0' || (text[1] != 'x' && text[1] != 'X')) return std::nullopt;
  unsigned parsed = 0;
  const char* first = text.data() + 2;
  const char* last = text.data() + text.size();
  const auto [end, error] = std::from_chars(first, last, parsed, 16);
  if (error != std::errc() || end != last) return std::nullopt;
  return static_cast<uint16_t>(parsed);
}
}  // namespace

DevicesJson::Result DevicesJson::ApplyText(std::string_view text, InterfaceCatalogue& catalogue) {
  Result result;
  const std::optional<Json::Value> parsed = CGlobalUtils::ParseJsonText(text);
  const Json::Value root = parsed.value_or(Json::Value());
  if (!root.isObject()) {
    result.problems.push_back(std::string(kFileName) + ": not a JSON object");
    return result;
  }
  const Json::Value& list = root["Interfaces"];
  if (!list.isArray()) {
    result.problems.push_back(std::string(kFileName) + ": \"Interfaces\" is not a list");
    return result;
  }
  result.parsed = true;
  for (Json::ArrayIndex i = 0; i < list.size(); ++i) {
    const Json::Value& entry = list[i];
    const std::string where = std::string(kFileName) + " entry " + std::to_string(i) + ": ";
    if (!entry.isObject()) {
      result.problems.push_back(where + "not an object");
      continue;
    }
    const Json::Value& row = entry["Row"];
    if (!(row.isInt() || row.isUInt()) || row.asInt64() < static_cast<Json::Int64>(InterfaceCatalogue::kFirstConfigurableRow) ||
        row.asInt64() >= static_cast<Json::Int64>(InterfaceCatalogue::kInterfaceRows)) {
      result.problems.push_back(where + "\"Row\" must be a number from 2 to 10");
      continue;
    }
    const std::optional<uint16_t> vendor = ParseId(entry["VendorId"]);
    const std::optional<uint16_t> product = ParseId(entry["ProductId"]);
    if (!vendor || !product) {
      result.problems.push_back(where + "\"VendorId\" and \"ProductId\" must be ids from 0 to 0xFFFF");
      continue;
    }
    if (catalogue.SetRowIds(static_cast<std::size_t>(row.asInt64()), *vendor, *product)) ++result.rows_applied;
  }
  return result;
}

DevicesJson::Result DevicesJson::ApplyFile(const std::string& path, InterfaceCatalogue& catalogue) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return Result{};
  std::ostringstream text;
  text << file.rdbuf();
  Result result = ApplyText(text.str(), catalogue);
  result.file_present = true;
  // Only read, never written; a file that does not read is still told to the user once.
  if (!result.parsed && !text.str().empty()) DamagedFiles::Record(path);
  return result;
}

}  // namespace zt640
