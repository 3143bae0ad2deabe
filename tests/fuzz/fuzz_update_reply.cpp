// Feeds arbitrary bytes as an update service reply. The first byte chooses the
// version format (even: application, odd: firmware), the next four give the
// target's current version (little-endian), the rest is the reply. Checks that
// a parsed result is consistent: a status only with versions, never with a
// refused reply, and a download path only when it is an accepted address.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "updateclient/update_address.h"
#include "updateclient/update_reply.h"
#include "updateclient/update_target.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zt640;
  if (size < 5) return 0;
  const uint32_t format = (data[0] & 1) != 0 ? 1 : kApplicationVersionFormat;
  const uint32_t current = static_cast<uint32_t>(data[1]) | static_cast<uint32_t>(data[2]) << 8 |
                           static_cast<uint32_t>(data[3]) << 16 | static_cast<uint32_t>(data[4]) << 24;
  const std::string_view reply(reinterpret_cast<const char*>(data + 5), size - 5);

  UpdateResult result;
  ParseUpdateReply(reply, current, format, result);
  if (result.fault == UpdateFault::kNotJson || result.fault == UpdateFault::kWrongType) {
    if (result.status != UpdateStatus::kUnset || !result.current_version_text.empty() || !result.path.empty()) {
      std::abort();
    }
    return 0;
  }
  if (result.status != UpdateStatus::kNewer && result.status != UpdateStatus::kCurrent) std::abort();
  if (result.current_version_text != VersionText(current, format)) std::abort();
  if (!result.path.empty() && !IsAcceptedUpdateAddress(result.path)) std::abort();
  if (format != kApplicationVersionFormat && result.new_version_text.rfind('V', 0) != 0) std::abort();
  if (!result.spare.empty()) std::abort();
  return 0;
}
