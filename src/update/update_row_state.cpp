#include "update/update_row_state.h"

#include <array>

namespace zt640 {

namespace {

constexpr uint32_t kPlain = 0xFFFFFFFF;
constexpr uint32_t kPlainDisabled = 0xFF666666;
constexpr uint32_t kAction = 0xFF0099FF;
constexpr uint32_t kActionDisabled = 0xFF0078C8;

/// Indexed by the state's number.
constexpr std::array<UpdateRowLook, 9> kLooks = {{
    {"LessUpdateText", false, false, false, kPlain, kPlain, kPlainDisabled},
    {"NeedUpdateText", false, false, true, kAction, kAction, kActionDisabled},
    {"NeedUpdateText", false, false, true, kAction, kAction, kActionDisabled},
    {"DownloadWaitText", false, false, false, kAction, kAction, kActionDisabled},
    {"DownloadIngText", true, false, false, kAction, kAction, kActionDisabled},
    {"DownloadOkText", false, true, false, kAction, kAction, kActionDisabled},
    {"UpdateIngText", true, false, false, kAction, kAction, kActionDisabled},
    {"UpdateOkText", false, false, false, kPlain, kPlain, kPlainDisabled},
    {"UpdateFailText", false, false, true, kAction, kAction, kActionDisabled},
}};

}  // namespace

const UpdateRowLook& LookOf(UpdateRowState state) {
  const auto index = static_cast<std::size_t>(state);
  return index < kLooks.size() ? kLooks[index] : kLooks[static_cast<std::size_t>(UpdateRowState::kUpToDate)];
}

}  // namespace zt640
