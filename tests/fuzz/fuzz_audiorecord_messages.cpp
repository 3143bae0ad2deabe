// Feeds the capture process's message handling arbitrary commands and copy-data blocks:
// each step takes a tag byte, then either a command (wParam, lParam) or a block kind and
// a length-prefixed block. The state must stay within its documented ranges.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>

#include "audio_record_protocol.h"
#include "capture_state.h"

namespace {

template <typename T>
bool Take(std::span<const std::uint8_t>& data, T& value) {
  if (data.size() < sizeof(T)) return false;
  std::memcpy(&value, data.data(), sizeof(T));
  data = data.subspan(sizeof(T));
  return true;
}

bool InRange(std::int32_t weight) { return weight >= 0 && weight <= zt640::audiorecord::kMaxStyleWeight; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  using namespace zt640::audiorecord;
  std::span<const std::uint8_t> data(bytes, size);
  CaptureState state;
  std::uint8_t tag = 0;
  while (Take(data, tag)) {
    if ((tag & 1) == 0) {
      std::uint64_t code = 0;
      std::int64_t value = 0;
      if (!Take(data, code) || !Take(data, value)) break;
      const std::int64_t result = state.HandleCommand(code, value);
      if (result != (code <= kLastCommand ? 1 : 0)) std::abort();
    } else {
      std::uint16_t length = 0;
      if (!Take(data, length)) break;
      const std::span<const std::uint8_t> block = data.first(std::min<std::size_t>(length, data.size()));
      data = data.subspan(block.size());
      const std::uint64_t kind = tag >> 1;
      const std::int64_t result = state.HandleCopyData(kind, block);
      if (result == 1 && (kind != static_cast<std::uint64_t>(BlockKind::kStyle) || block.size() < kValueBytes)) std::abort();
      LevelBlock levels{};
      if (DecodeValues(block, levels) != std::min(block.size() / kValueBytes, levels.size())) std::abort();
    }
    const StyleWeights& style = state.style();
    if (!InRange(style.red) || !InRange(style.green) || !InRange(style.blue)) std::abort();
    if (!state.connected() && state.target() != 0) std::abort();
  }
  return 0;
}
