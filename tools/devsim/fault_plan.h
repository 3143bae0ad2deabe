#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace zt640::devsim {

enum class FaultKind {
  kNone,
  kSilent,     ///< the request is lost: not executed, never answered
  kLate,       ///< executed, answered after a delay
  kWrongEcho,  ///< executed, the reply's command byte differs from the request's
  kStatus,     ///< refused with the given status byte, not executed
};

struct FaultSettings {
  FaultKind kind = FaultKind::kNone;
  uint32_t late_ms = 0;
  uint8_t status = 0xFF;
  std::optional<uint8_t> command;          ///< only requests with this command byte
  std::optional<uint32_t> count;           ///< only the first count matching requests
  std::optional<uint32_t> unplug_after;    ///< unplug once this many requests were handled
};

/// Parses "silent", "late:MS", "wrong-echo", "status:ff", "status:fe".
[[nodiscard]] std::optional<FaultSettings> ParseFaultKind(std::string_view text,
                                                          FaultSettings base);

/// Decides, request by request, which fault applies. Thread-safe (mutex_).
class FaultPlan {
 public:
  struct Decision {
    FaultKind kind = FaultKind::kNone;
    uint32_t late_ms = 0;
    uint8_t status = 0;
    bool unplug_after_reply = false;  ///< this request is the last before the device goes
  };

  explicit FaultPlan(FaultSettings settings = {}) : settings_(settings) {}

  /// Replaces the settings and restarts every count.
  void Reset(const FaultSettings& settings);
  /// Counts one request with this command byte and says what to do with it.
  [[nodiscard]] Decision Next(uint8_t command);

 private:
  std::mutex mutex_;
  FaultSettings settings_;     ///< guarded by mutex_
  uint32_t matched_ = 0;       ///< requests the fault has applied to; guarded by mutex_
  uint32_t requests_ = 0;      ///< every request; guarded by mutex_
};

}  // namespace zt640::devsim
