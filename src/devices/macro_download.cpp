#include "devices/macro_download.h"

#include "devices/macro_library_reader.h"
#include "devices/macro_table.h"

namespace zt640 {

MacroDownload PrepareMacroDownload(const std::string& data_folder, const std::vector<int>& macros,
                                   std::size_t capacity) {
  using Outcome = MacroWriteResult::Outcome;
  const auto library = MacroLibraryReader::Load(data_folder);
  // Without a library no key can use a macro: there is nothing to send.
  if (!library || macros.empty()) return {{}, MacroWriteResult{Outcome::kWritten}};
  std::vector<std::vector<MacroDeviceEvent>> blocks;
  blocks.reserve(macros.size());
  for (int number : macros) {
    blocks.push_back(number >= 0 ? library->Events(static_cast<size_t>(number)) : std::vector<MacroDeviceEvent>{});
  }
  const size_t total = MacroTable::TotalSize(blocks);
  if (total > capacity) return {{}, MacroWriteResult{Outcome::kTooLong, (total - capacity) / 4 + 1}};
  MacroDownload download;
  download.table = MacroTable::Build(blocks);
  if (download.table.empty()) download.done = MacroWriteResult{Outcome::kFailed};
  return download;
}

}  // namespace zt640
