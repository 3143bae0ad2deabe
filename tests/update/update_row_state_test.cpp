#include <gtest/gtest.h>

#include <string>

#include "update/update_row_state.h"

namespace {

using zt640::LookOf;
using zt640::UpdateRowState;

TEST(UpdateRowState, EachStateHasItsTextProgressMarkCheckBoxAndColours) {
  struct Expected {
    const char* key;
    bool progress;
    bool done;
    bool check;
    uint32_t normal;
    uint32_t disabled;
  };
  const Expected expected[9] = {
      {"LessUpdateText", false, false, false, 0xFFFFFFFF, 0xFF666666},
      {"NeedUpdateText", false, false, true, 0xFF0099FF, 0xFF0078C8},
      {"NeedUpdateText", false, false, true, 0xFF0099FF, 0xFF0078C8},
      {"DownloadWaitText", false, false, false, 0xFF0099FF, 0xFF0078C8},
      {"DownloadIngText", true, false, false, 0xFF0099FF, 0xFF0078C8},
      {"DownloadOkText", false, true, false, 0xFF0099FF, 0xFF0078C8},
      {"UpdateIngText", true, false, false, 0xFF0099FF, 0xFF0078C8},
      {"UpdateOkText", false, false, false, 0xFFFFFFFF, 0xFF666666},
      {"UpdateFailText", false, false, true, 0xFF0099FF, 0xFF0078C8},
  };
  for (int state = 0; state < 9; ++state) {
    SCOPED_TRACE(state);
    const auto& look = LookOf(static_cast<UpdateRowState>(state));
    EXPECT_EQ(std::string(look.status_text_key), expected[state].key);
    EXPECT_EQ(look.progress_shown, expected[state].progress);
    EXPECT_EQ(look.done_mark, expected[state].done);
    EXPECT_EQ(look.check_enabled, expected[state].check);
    EXPECT_EQ(look.name_colour, expected[state].normal);
    EXPECT_EQ(look.selected_colour, expected[state].normal);
    EXPECT_EQ(look.disabled_colour, expected[state].disabled);
  }
  EXPECT_EQ(std::string(LookOf(static_cast<UpdateRowState>(9)).status_text_key), "UpdateOkText");
  EXPECT_EQ(std::string(LookOf(static_cast<UpdateRowState>(-1)).status_text_key), "UpdateOkText");
}

}  // namespace
