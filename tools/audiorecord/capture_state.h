#pragma once

#include <cstdint>
#include <span>

#include "audio_record_protocol.h"

namespace zt640::audiorecord {

/// What the commands and the style block have asked of the capture process, without
/// any I/O: the process applies it to its capture and sender threads.
class CaptureState {
 public:
  /// Applies one command; returns 1 when the code is known, 0 otherwise (ignored).
  std::int64_t HandleCommand(std::uint64_t code, std::int64_t value);

  /// Applies a copy-data block; returns 1 for a style block it used, 0 otherwise.
  std::int64_t HandleCopyData(std::uint64_t kind, std::span<const std::uint8_t> block);

  /// Handle of the window that receives the blocks; 0 when none was given.
  [[nodiscard]] std::uint64_t target() const { return target_; }
  [[nodiscard]] bool connected() const { return connected_; }
  [[nodiscard]] bool sending() const { return sending_; }
  /// The sound server stream should be open.
  [[nodiscard]] bool capturing() const { return capturing_; }
  [[nodiscard]] const StyleWeights& style() const { return style_; }
  /// Bumped by every reset command, so the analysis can tell it must start afresh.
  [[nodiscard]] std::uint32_t reset_generation() const { return reset_generation_; }

 private:
  std::uint64_t target_ = 0;
  bool connected_ = false;
  bool sending_ = false;
  bool capturing_ = false;  // nothing is recorded before the first start
  StyleWeights style_;
  std::uint32_t reset_generation_ = 0;
};

}  // namespace zt640::audiorecord
