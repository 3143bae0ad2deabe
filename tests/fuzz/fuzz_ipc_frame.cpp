// Window-socket frames come from any process of the user: decoding must never crash and
// anything it accepts must encode back to the same bytes.
#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <cstdlib>
#include <span>

#include "platform/ipc/ipc_frame.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  (void)zt640::platform::DecodeIpcFrameHeader(bytes);
  const auto frame = zt640::platform::DecodeIpcFrame(bytes);
  if (frame) {
    const auto again = zt640::platform::EncodeIpcFrame(*frame);
    if (!again || again->size() != size || !std::equal(again->begin(), again->end(), data)) std::abort();
  }
  return 0;
}
