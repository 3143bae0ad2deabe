#pragma once

#include <cstddef>

namespace zt640 {

/// What a macro download did. The three outcomes exclude each other: the
/// table went out (or there was nothing to send), an exchange or the table
/// build failed, or the macros do not fit the device's macro memory and
/// nothing was sent.
struct MacroWriteResult {
  enum class Outcome { kWritten, kFailed, kTooLong };

  Outcome outcome = Outcome::kWritten;
  /// kTooLong only: the excess in 4-byte units plus one, the number the user
  /// is told; 0 otherwise.
  std::size_t overflow = 0;
};

}  // namespace zt640
