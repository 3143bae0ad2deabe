#pragma once

#include <cstdint>
#include <string>

namespace zt640 {

/// What the service said about one target. The window's rows take these
/// values as their states, so the numbers are fixed.
enum class UpdateStatus : int32_t {
  kUnset = 0,    ///< no usable answer (no service, no JSON, wrong member types, ...)
  kNewer = 1,    ///< the service has a newer version
  kCurrent = 7,  ///< the target is up to date (the service's version is equal or older)
};

/// Why an answer is missing or was trimmed; kNone for a clean answer.
enum class UpdateFault {
  kNone,
  kNoService,       ///< the request could not be sent (name, connection, TLS or certificate)
  kTimedOut,        ///< sent, but no complete reply within the time-outs
  kBrokenReply,     ///< sent, but the connection failed before the reply was complete
  kTooLarge,        ///< the reply exceeded kReplyCapacity and was discarded whole
  kRefusedAddress,  ///< the service address is not https (nor plain http to loopback)
  kNotJson,         ///< the reply is not a JSON object
  kWrongType,       ///< a member of the reply has the wrong type; the reply is not used
  kInsecurePath,    ///< the reply's download "path" is not https; the path was dropped
  kCancelled,       ///< the caller stopped the query
};

/// The name a result carries when the service could not be reached.
inline constexpr const char* kNoLinkServer = "NO_LINK_SERVER";

/// The answer for one update target.
struct UpdateResult {
  UpdateStatus status = UpdateStatus::kUnset;
  int32_t device_id = 0;             ///< "device_id" of the reply
  std::string name;                  ///< "name" of the reply; kNoLinkServer when unreachable
  std::string current_version_text;  ///< "V%04x" (firmware) or "V%d" (application)
  std::string version_name;          ///< "version_name" of the reply
  std::string new_version_text;      ///< firmware: "V" + "version"; application: the version name
  std::string path;                  ///< "path" of the reply: where the new version is fetched
  int64_t size = 0;                  ///< "size" of the reply: the download's length in bytes (0: not given)
  std::string sha256;                ///< "sha256" of the reply: the download's digest, lower case ("": not given)
  std::string spare;                 ///< always empty
  UpdateFault fault = UpdateFault::kNone;
};

/// A short English sentence for a fault, for command-line messages ("" for kNone).
[[nodiscard]] const char* UpdateFaultText(UpdateFault fault);

}  // namespace zt640
