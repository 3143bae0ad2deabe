#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zt640::platform {

/// What a frame asks of the receiving window.
enum class IpcFrameKind : std::uint8_t {
  kSend = 1,   ///< run the message and answer with a reply frame
  kPost = 2,   ///< queue the message; no answer
  kReply = 3,  ///< the answer to a send: status in wparam, handler result in lparam
};

/// Status carried by a reply frame.
enum class IpcReplyStatus : std::uint64_t {
  kHandled = 0,  ///< the window ran the message; lparam holds its result
  kClosed = 1,   ///< the window is closing and did not run it
  kUnknown = 2,  ///< the message name is not registered by the receiving process
  kBusy = 3,     ///< the window holds as many connections as it serves, all waiting on it
};

/// One message on a window socket. A registered message travels by its name (ids are
/// private to each process); a fixed-number message by its number with an empty name.
///
/// Wire layout, little-endian, a 48-byte header then the name then the payload:
///   0 magic "ZTM1"   4 version (1)      6 kind          7 flags (0)
///   8 message        12 name length     14 reserved (0)
///   16 wparam        24 lparam          32 payload length  36 reserved (0)
///   40 copy-data kind
struct IpcFrame {
  IpcFrameKind kind = IpcFrameKind::kPost;
  std::uint32_t message = 0;  ///< fixed number; 0 when `name` is set
  std::string name;           ///< registered message name; empty for fixed numbers
  std::uint64_t wparam = 0;
  std::int64_t lparam = 0;
  std::uint64_t copy_data_kind = 0;
  std::vector<std::uint8_t> payload;  ///< copy-data block (sends of kWmCopyData only)
};

namespace ipc_frame_layout {
inline constexpr std::uint32_t kMagic = 0x314D545A;  // "ZTM1"
inline constexpr std::uint16_t kVersion = 1;
inline constexpr std::size_t kHeaderSize = 48;
inline constexpr std::size_t kMagicOffset = 0;
inline constexpr std::size_t kVersionOffset = 4;
inline constexpr std::size_t kKindOffset = 6;
inline constexpr std::size_t kFlagsOffset = 7;
inline constexpr std::size_t kMessageOffset = 8;
inline constexpr std::size_t kNameLengthOffset = 12;
inline constexpr std::size_t kReserved1Offset = 14;
inline constexpr std::size_t kWparamOffset = 16;
inline constexpr std::size_t kLparamOffset = 24;
inline constexpr std::size_t kPayloadLengthOffset = 32;
inline constexpr std::size_t kReserved2Offset = 36;
inline constexpr std::size_t kCopyDataKindOffset = 40;
}  // namespace ipc_frame_layout

/// The fixed part of a frame, validated on its own so a receiver knows how much follows
/// before reading it.
struct IpcFrameHeader {
  IpcFrameKind kind = IpcFrameKind::kPost;
  std::uint32_t message = 0;
  std::uint16_t name_length = 0;
  std::uint64_t wparam = 0;
  std::int64_t lparam = 0;
  std::uint32_t payload_length = 0;
  std::uint64_t copy_data_kind = 0;

  [[nodiscard]] std::size_t BodySize() const { return std::size_t{name_length} + payload_length; }
};

/// Encodes a frame; nothing when it breaks the rules `DecodeIpcFrame` checks.
[[nodiscard]] std::optional<std::vector<std::uint8_t>> EncodeIpcFrame(const IpcFrame& frame);

/// Decodes and checks the 48-byte header: magic, version, kind, zero flags and reserved
/// fields, name length, payload only on a copy-data send and within the size limit,
/// exactly one of message number and name. `reason` gets a readable cause on failure.
[[nodiscard]] std::optional<IpcFrameHeader> DecodeIpcFrameHeader(std::span<const std::uint8_t> bytes,
                                                                 std::string* reason = nullptr);

/// Decodes a whole frame (header, name, payload; no trailing bytes allowed).
[[nodiscard]] std::optional<IpcFrame> DecodeIpcFrame(std::span<const std::uint8_t> bytes,
                                                     std::string* reason = nullptr);

}  // namespace zt640::platform
