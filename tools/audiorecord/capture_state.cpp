#include "capture_state.h"

#include <algorithm>

namespace zt640::audiorecord {

namespace {
std::int32_t Weight(std::int64_t value) { return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, 0, kMaxStyleWeight)); }
}  // namespace

std::int64_t CaptureState::HandleCommand(std::uint64_t code, std::int64_t value) {
  if (code > kLastCommand) return 0;
  switch (static_cast<CaptureCommand>(code)) {
    case CaptureCommand::kConnect:
      // A new receiver starts quiet until it asks for blocks.
      target_ = static_cast<std::uint64_t>(value);
      connected_ = true;
      sending_ = false;
      break;
    case CaptureCommand::kStartSending:
      sending_ = true;
      capturing_ = true;
      break;
    case CaptureCommand::kStopSending: sending_ = false; break;
    case CaptureCommand::kResetAnalysis: ++reset_generation_; break;
    case CaptureCommand::kStopCapture: capturing_ = false; break;
    case CaptureCommand::kForgetWindow:
      target_ = 0;
      connected_ = false;
      sending_ = false;
      break;
    case CaptureCommand::kStyleRed: style_.red = Weight(value); break;
    case CaptureCommand::kStyleGreen: style_.green = Weight(value); break;
    case CaptureCommand::kStyleBlue: style_.blue = Weight(value); break;
  }
  return 1;
}

std::int64_t CaptureState::HandleCopyData(std::uint64_t kind, std::span<const std::uint8_t> block) {
  if (kind != static_cast<std::uint64_t>(BlockKind::kStyle)) return 0;
  return ApplyStyleBlock(block, style_) ? 1 : 0;
}

}  // namespace zt640::audiorecord
