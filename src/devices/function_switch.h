#pragma once

#include <cstdint>

namespace zt640 {

/// The function tab a device page shows, as SetFunctionSwitch stores it: what
/// a click on a key of the device's picture does depends on it.
struct FunctionSwitch {
  static constexpr int32_t kNone = 0;      ///< no function tab
  static constexpr int32_t kLighting = 1;  ///< "deng_Op_tab": a key click paints custom colours
  static constexpr int32_t kKeys = 2;      ///< "key_Op_tab": a key click selects it for assignment
  static constexpr int32_t kMacros = 3;    ///< "macro_Op_tab"
  static constexpr int32_t kOther = 4;     ///< any other function tab of the page
};

}  // namespace zt640
