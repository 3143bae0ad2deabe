#pragma once

namespace zt640 {

/// The window scale for a monitor: 144 dots per inch when the monitor is wider than
/// 1500 and taller than 960 pixels, else 96.
[[nodiscard]] int ChooseScale(int monitor_width, int monitor_height);

/// `dpi` when it is one of 48, 72, 96, 120, 144, 168, 192; else 96 (with the trace
/// "MAIN_WND DPI SET ERROR").
[[nodiscard]] int ValidScaleOrDefault(int dpi);

}  // namespace zt640
