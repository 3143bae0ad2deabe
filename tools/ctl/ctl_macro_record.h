#pragma once

#include <string>
#include <vector>

#include "ctl_device_data.h"
#include "profiles/macro_library.h"

namespace zt640::ctl {

/// `zt640ctl macro record NAME [--timing real|fixed MS|none] [--seconds N]`: records the
/// live keyboard and mouse into the macro NAME (created when the library has none of
/// that name) until Ctrl+C, SIGTERM, the time is up or every input device is gone, then
/// saves it as the macro panel does. `words` are the words after "record".
[[nodiscard]] int RecordMacro(const CtlDataOptions& options, MacroLibrary& library,
                              const std::vector<std::string>& words);

}  // namespace zt640::ctl
