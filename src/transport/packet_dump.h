#pragma once

#include <cstdint>
#include <string>

namespace zt640 {

/// The diagnostic dump of a 64-byte packet: two lines of 32 bytes, two-digit
/// hex, grouped in fours (three spaces between the first four groups, two
/// between the last four). `packet` must hold 64 bytes.
[[nodiscard]] std::string FormatPacketDump(const uint8_t* packet);

/// Writes `title` and the packet's two dump lines to the diagnostic output.
void DumpPacket(const char* title, const uint8_t* packet);

}  // namespace zt640
