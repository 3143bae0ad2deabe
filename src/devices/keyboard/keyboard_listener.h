#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "devices/report_listener.h"

namespace zt640 {

/// What one report of the keyboard's synchronisation interface asks for.
struct ListenerEvent {
  enum class Kind { kSync, kReload, kSlot, kKeyDown, kKeyUp };
  Kind kind = Kind::kSync;
  uint16_t usage = 0;
  uint8_t slot = 0;          ///< kSlot: the new active slot (low 4 bits)
  bool has_sub_code = false; ///< kSlot from a 0x11 report
  uint8_t sub_code = 0;      ///< bits 4-7 of the low byte, for settings byte 17
  uint8_t device_key = 0;    ///< kKeyDown / kKeyUp
  friend bool operator==(const ListenerEvent&, const ListenerEvent&) = default;
};

/// Decodes one consumer usage: 0x0401 sync, 0x0402 reload, 0x10nn / 0x11nn
/// slot change, 0x05kk / 0x06kk key down / up. Anything else: nullopt.
[[nodiscard]] std::optional<ListenerEvent> DecodeListenerUsage(uint32_t usage);

/// One listener thread on the keyboard's synchronisation interface (cable
/// kind 1 or receiver kind 9): each report it reads is decoded and handed to
/// the handler on the listener's own thread.
class KeyboardListener {
 public:
  using Handler = std::function<void(const ListenerEvent&)>;
  static constexpr std::chrono::milliseconds kStopWait = ReportListener::kStopWait;

  explicit KeyboardListener(std::string name) : listener_(std::move(name)) {}

  /// Closes and reopens the interface at `path`, then starts the thread.
  /// False when the interface cannot be opened.
  [[nodiscard]] bool Start(const std::string& path, Handler handler);
  /// When open: stops the thread (cutting its read short) and closes the interface.
  WorkerThread::StopOutcome Stop() { return listener_.Stop(); }
  [[nodiscard]] bool IsOpen() const { return listener_.IsOpen(); }

 private:
  ReportListener listener_;
};

}  // namespace zt640
