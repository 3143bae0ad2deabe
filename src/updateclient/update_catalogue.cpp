#include "updateclient/update_catalogue.h"

#include <exception>
#include <fstream>
#include <sstream>

#include <json/json.h>

#include "platform/paths/program_paths.h"

namespace zt640 {

namespace {

bool IsCapitalOrDigit(char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

bool HasForm(const std::string& text, std::size_t min_length, std::size_t max_length, bool digits) {
  if (text.size() < min_length || text.size() > max_length) return false;
  for (const char c : text) {
    if (!(digits ? IsCapitalOrDigit(c) : (c >= 'A' && c <= 'Z'))) return false;
  }
  return true;
}

bool ReadText(const Json::Value& row, const char* key, std::string& out) {
  const Json::Value& value = row[key];
  if (!value.isString()) return false;
  out = value.asString();
  return true;
}

bool ReadNumber(const Json::Value& row, const char* key, uint32_t& out) {
  const Json::Value& value = row[key];
  if (!value.isUInt()) return false;
  out = value.asUInt();
  return true;
}

/// Empty when the row is well formed, else what is wrong with it.
std::string RowProblem(const UpdateCatalogueRow& row, std::size_t index, const UpdateCatalogueRow& first) {
  const bool application = index == kApplicationRow;
  if (row.IsApplication() != application) {
    return application ? "the last row must have version format 0" : "a firmware row needs a non-zero version format";
  }
  if (!HasForm(row.brand, 1, 32, false)) return "the brand must be one upper-case word";
  if (row.brand != first.brand) return "every row must have the same brand";
  if (row.series == 0 || row.series != first.series) return "every row must have the same positive series";
  if (application ? !HasForm(row.product_code, 3, 3, false) : !HasForm(row.product_code, 8, 8, true)) {
    return application ? "the application code must be three capitals"
                       : "a firmware code must be eight capitals or digits";
  }
  if (!HasForm(row.model, 2, 5, true)) return "a model must be two to five capitals or digits";
  if (row.display_name.empty()) return "a display name must not be empty";
  return {};
}

}  // namespace

std::optional<UpdateCatalogue> LoadUpdateCatalogue(const std::string& path, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = path + ": cannot be read";
    return std::nullopt;
  }
  std::stringstream text;
  text << in.rdbuf();
  Json::Value document;
  Json::CharReaderBuilder builder;
  std::string parse_errors;
  std::istringstream stream(text.str());
  bool parsed = false;
  try {
    parsed = Json::parseFromStream(builder, stream, &document, &parse_errors);
  } catch (const std::exception&) {
    parsed = false;
  }
  if (!parsed || !document.isObject() || !document["UpdateCatalogue"].isArray() ||
      document["UpdateCatalogue"].size() != kUpdateTargetCount) {
    error = path + ": not a JSON object with an \"UpdateCatalogue\" list of four rows";
    return std::nullopt;
  }
  UpdateCatalogue catalogue;
  for (Json::ArrayIndex i = 0; i < kUpdateTargetCount; ++i) {
    const Json::Value& value = document["UpdateCatalogue"][i];
    UpdateCatalogueRow& row = catalogue[i];
    const bool complete = value.isObject() && ReadNumber(value, "VersionFormat", row.version_format) &&
                          ReadNumber(value, "Series", row.series) && ReadText(value, "Brand", row.brand) &&
                          ReadText(value, "ProductCode", row.product_code) && ReadText(value, "Model", row.model) &&
                          ReadText(value, "DisplayName", row.display_name) &&
                          ReadText(value, "VersionText", row.version_text);
    const std::string problem = complete ? RowProblem(row, i, catalogue[0]) : "a key is missing or of the wrong type";
    if (!problem.empty()) {
      error = path + ": row " + std::to_string(i) + ": " + problem;
      return std::nullopt;
    }
  }
  if (catalogue[kApplicationRow].model != catalogue[kApplicationRow - 1].model) {
    error = path + ": the application row must share the last firmware row's model";
    return std::nullopt;
  }
  return catalogue;
}

std::optional<UpdateCatalogue> LoadDefaultUpdateCatalogue(std::string& error) {
  return LoadUpdateCatalogue(platform::ResourceFolder("DefaultData") + "/" + kUpdateCatalogueFileName, error);
}

}  // namespace zt640
