#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "devsim/devsim_server.h"

namespace zt640::devsim {

/// One line of the simulator's standard input:
///   unplug [DEVICE]   plug [DEVICE]   (keyboard, receiver, mouse, mouse-receiver, pad, headset)
///   power off|on [keyboard|mouse]   (device behind its receiver)
///   sync | reload | slot N | key down K | key up K   (keyboard notifications)
///   battery P [S]                (keyboard power record: percent, charge state)
///   mouse sync | mouse react | mouse slot N | mouse stage N | mouse report U
///   mouse battery P [S]
///   pad sync | pad report U | headset sync | headset report U
///   quit
class ConsoleCommand {
 public:
  enum class Kind {
    kUnplug,
    kPlug,
    kPower,
    kSync,
    kReload,
    kSlot,
    kKey,
    kBattery,
    kMouseReport,
    kMouseSlot,
    kMouseStage,
    kMouseBattery,
    kLightingDeviceReport,  ///< a report of the pad or the headset (device_)
    kQuit,
  };

  struct Outcome {
    bool ok = false;
    std::string message;  ///< "ok ..." or "error: ..."
  };

  /// Parses one line (surrounding blanks ignored); nullopt with *error set
  /// when the line is not a command.
  [[nodiscard]] static std::optional<ConsoleCommand> Parse(std::string_view line,
                                                           std::string* error);
  /// Carries the command out on the server (quit does nothing here).
  [[nodiscard]] Outcome Apply(DevsimServer& server) const;

  [[nodiscard]] Kind kind() const { return kind_; }

 private:
  Kind kind_ = Kind::kSync;
  SimDeviceId device_ = SimDeviceId::kKeyboard;
  bool flag_ = false;  ///< power on / key pressed
  unsigned first_ = 0;
  unsigned second_ = 0;
  std::string text_;
};

}  // namespace zt640::devsim
