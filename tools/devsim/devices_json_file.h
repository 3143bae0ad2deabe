#pragma once

#include <filesystem>
#include <string>

#include "devsim/devsim_server.h"

namespace zt640::devsim {

/// The "devices.json" that lets the utility find the simulated devices beyond
/// the keyboard's cable: one entry per catalogue row of a simulated device,
/// with that device's USB ids (keyboard receiver rows 2-3, mouse rows 4-5,
/// mouse receiver rows 6-7, pad rows 8-9; command row first, consumer-control
/// row second; the headset's single row 10).
class DevicesJsonFile {
 public:
  static constexpr int kKeyboardReceiverRow = 2;
  static constexpr int kMouseRow = 4;
  static constexpr int kMouseReceiverRow = 6;
  static constexpr int kPadRow = 8;
  static constexpr int kHeadsetRow = 10;

  /// The document for this configuration; an empty "Interfaces" list when only
  /// the keyboard's cable is simulated.
  [[nodiscard]] static std::string Text(const DevsimConfig& config);
  /// Writes Text(config) to path, replacing the file whole (written beside it,
  /// then renamed). False with *error set when it cannot.
  [[nodiscard]] static bool Write(const std::filesystem::path& path, const DevsimConfig& config,
                                  std::string* error);
};

}  // namespace zt640::devsim
