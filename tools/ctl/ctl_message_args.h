#pragma once

#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/ipc/registered_messages.h"
#include "platform/ipc/window_message.h"

namespace zt640::ctl {

/// Parses NAME [WPARAM [LPARAM]] for the message subcommands. NAME is a registered
/// message name (registered here so it travels by name); a plain number below 0xC000 is
/// sent as that fixed message number. Parameters are decimal or 0x-prefixed hex.
[[nodiscard]] inline bool ParseMessageArgs(const std::vector<std::string>& words, platform::WindowMessage& message,
                                           std::string& error) {
  if (words.empty() || words.size() > 3) {
    error = "expected NAME [WPARAM [LPARAM]]";
    return false;
  }
  const std::string& name = words[0];
  char* end = nullptr;
  errno = 0;
  const unsigned long number = std::strtoul(name.c_str(), &end, 0);
  if (!name.empty() && *end == '\0' && errno == 0 && name[0] >= '0' && name[0] <= '9') {
    if (number == 0 || number >= platform::kFirstRegisteredMessage) {
      error = "a message number must lie between 1 and 0xBFFF";
      return false;
    }
    message.message = static_cast<std::uint32_t>(number);
  } else {
    message.message = platform::RegisterWindowMessage(name);
    if (message.message == 0) {
      error = "invalid message name";
      return false;
    }
  }
  for (std::size_t i = 1; i < words.size(); ++i) {
    errno = 0;
    const long long value = std::strtoll(words[i].c_str(), &end, 0);
    if (words[i].empty() || *end != '\0' || errno != 0) {
      error = "not a number: " + words[i];
      return false;
    }
    if (i == 1) {
      message.wparam = static_cast<std::uint64_t>(value);
    } else {
      message.lparam = value;
    }
  }
  return true;
}

}  // namespace zt640::ctl
