#pragma once

namespace zt640 {

/// The program: start-up, message loop and shut-down. Returns the exit code, which is 0
/// on every path (a second instance, a missing skin, a failed start included) but an
/// unknown command-line option (2). "--hidden" starts in the tray.
[[nodiscard]] int RunApplication(int argc, char** argv);

}  // namespace zt640
