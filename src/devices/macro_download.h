#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "devices/macro_write_result.h"

namespace zt640 {

/// The on-device macro table for a download, built from the data folder's
/// macro library: one block per listed macro, in list order.
struct MacroDownload {
  std::vector<uint8_t> table;            ///< the table to send; empty when `done` is set
  std::optional<MacroWriteResult> done;  ///< set when the download ends before anything is sent
};

/// Builds the table for `macros` (library positions; a negative number stands
/// for an empty block). Without a library or with no macros there is nothing
/// to send (done: written); a table above `capacity` bytes is not built (done:
/// too long, with the overflow); a table that cannot be built fails.
[[nodiscard]] MacroDownload PrepareMacroDownload(const std::string& data_folder, const std::vector<int>& macros,
                                                 std::size_t capacity);

}  // namespace zt640
