#pragma once

#include <cstdint>
#include <string_view>

#include "updateclient/update_result.h"

namespace zt640 {

/// Fills `result` from the service's reply for a target at `current_version`:
/// "path", "name", "version_name", "version" (texts), "device_id" (an
/// integer) and, when the service gives them, the download's "size" (a byte
/// count) and "sha256" (64 hexadecimal digits) when the reply is a JSON object; the version texts and the status
/// by comparing the service's "version" (hexadecimal for a firmware format,
/// decimal for the application, read up to the first character that is no
/// digit) with the current version as signed 32-bit numbers.
/// A reply that is no JSON object, or whose members have other types, leaves
/// the result as it was apart from its fault (kNotJson, kWrongType). A "path"
/// that is not an accepted address (https, or plain http to loopback) is
/// dropped with the fault kInsecurePath; the versions still count.
/// Absent members read as empty, so a reply of "{}" says "up to date".
void ParseUpdateReply(std::string_view reply, uint32_t current_version, uint32_t version_format,
                      UpdateResult& result);

/// The service's "version" text as a number: optional leading blanks, then digits
/// of the base (16 or 10) up to the first other character; saturates at 0xFFFFFFFF.
[[nodiscard]] uint32_t ReadServiceVersion(std::string_view text, int base);

}  // namespace zt640
