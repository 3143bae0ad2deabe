#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "devsim/devsim_server.h"

namespace zt640::devsim {

/// The command line of zt640-devsim.
class DevsimOptions {
 public:
  struct Result {
    std::optional<DevsimConfig> config;  ///< set when the line is valid
    bool help = false;                   ///< --help was given
    std::string error;                   ///< why the line is invalid
  };

  /// Parses the arguments after the program name.
  [[nodiscard]] static Result Parse(std::span<const std::string_view> args);
  [[nodiscard]] static std::string Usage();
};

}  // namespace zt640::devsim
