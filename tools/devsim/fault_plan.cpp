#include "devsim/fault_plan.h"

#include <charconv>

namespace zt640::devsim {

std::optional<FaultSettings> ParseFaultKind(std::string_view text, FaultSettings base) {
  const auto parse_number = [](std::string_view digits, int radix, uint32_t& out) {
    const char* end = digits.data() + digits.size();
    const auto result = std::from_chars(digits.data(), end, out, radix);
    return !digits.empty() && result.ec == std::errc() && result.ptr == end;
  };
  if (text == "silent") {
    base.kind = FaultKind::kSilent;
  } else if (text == "wrong-echo") {
    base.kind = FaultKind::kWrongEcho;
  } else if (text.starts_with("late:")) {
    uint32_t ms = 0;
    if (!parse_number(text.substr(5), 10, ms)) return std::nullopt;
    base.kind = FaultKind::kLate;
    base.late_ms = ms;
  } else if (text == "status:ff" || text == "status:fe") {
    base.kind = FaultKind::kStatus;
    base.status = text == "status:ff" ? 0xFF : 0xFE;
  } else {
    return std::nullopt;
  }
  return base;
}

void FaultPlan::Reset(const FaultSettings& settings) {
  std::lock_guard lock(mutex_);
  settings_ = settings;
  matched_ = 0;
  requests_ = 0;
}

FaultPlan::Decision FaultPlan::Next(uint8_t command) {
  std::lock_guard lock(mutex_);
  Decision decision;
  ++requests_;
  decision.unplug_after_reply = settings_.unplug_after && requests_ == *settings_.unplug_after;
  const bool command_matches = !settings_.command || *settings_.command == command;
  const bool within_count = !settings_.count || matched_ < *settings_.count;
  if (settings_.kind != FaultKind::kNone && command_matches && within_count) {
    ++matched_;
    decision.kind = settings_.kind;
    decision.late_ms = settings_.late_ms;
    decision.status = settings_.status;
  }
  return decision;
}

}  // namespace zt640::devsim
