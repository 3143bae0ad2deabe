#include "shell/scale_choice.h"

#include "platform/diag/debug_output.h"

namespace zt640 {

int ChooseScale(int monitor_width, int monitor_height) {
  return (monitor_width > 1500 && monitor_height > 960) ? 144 : 96;
}

int ValidScaleOrDefault(int dpi) {
  switch (dpi) {
    case 48:
    case 72:
    case 96:
    case 120:
    case 144:
    case 168:
    case 192: return dpi;
    default: platform::DebugOutput("MAIN_WND DPI SET ERROR"); return 96;
  }
}

}  // namespace zt640
