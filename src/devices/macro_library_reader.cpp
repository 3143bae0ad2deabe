#include "devices/macro_library_reader.h"

#include "profiles/global_utils.h"
#include "profiles/json_access.h"

namespace zt640 {

std::optional<MacroLibraryReader> MacroLibraryReader::Load(const std::string& data_folder, const std::string& file_name) {
  const Json::Value document = CGlobalUtils::ParseJsonFile(data_folder + file_name);
  if (!document.isObject()) return std::nullopt;
  MacroLibraryReader reader;
  reader.folder_ = data_folder;
  const Json::Value& list = MemberOrNull(document, "MacroInfo");
  if (list.isArray()) {
    for (Json::ArrayIndex i = 0; i < list.size(); ++i) {
      reader.names_.push_back(JsonString(MemberOrNull(list[i], "MacroName")));
      reader.guids_.push_back(JsonString(MemberOrNull(list[i], "Guid")));
    }
  }
  return reader;
}

std::vector<MacroDeviceEvent> MacroLibraryReader::Events(size_t number) const {
  if (number >= guids_.size()) return {};
  const std::string& guid = guids_[number];
  // A Guid naming another folder would read a file outside the library.
  if (guid.empty() || guid.find('/') != std::string::npos || guid.find("..") != std::string::npos) return {};
  const Json::Value macro = CGlobalUtils::ParseJsonFile(folder_ + guid + ".mac");
  return MacroTable::EventsFromJson(MemberOrNull(macro, "Events"));
}

}  // namespace zt640
