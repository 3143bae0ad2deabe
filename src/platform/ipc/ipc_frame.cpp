#include "platform/ipc/ipc_frame.h"

#include <algorithm>

#include "platform/ipc/registered_messages.h"
#include "platform/ipc/window_message.h"

namespace zt640::platform {

namespace {
namespace layout = ipc_frame_layout;

template <typename T>
void PutLittleEndian(std::uint8_t* out, T value) {
  const auto bits = static_cast<std::uint64_t>(value);
  for (std::size_t i = 0; i < sizeof(T); ++i) out[i] = static_cast<std::uint8_t>(bits >> (8 * i));
}

template <typename T>
T GetLittleEndian(const std::uint8_t* in) {
  std::uint64_t bits = 0;
  for (std::size_t i = 0; i < sizeof(T); ++i) bits |= std::uint64_t{in[i]} << (8 * i);
  return static_cast<T>(bits);
}

bool Fail(std::string* reason, const char* text) {
  if (reason != nullptr) *reason = text;
  return false;
}

/// The rules shared by encoder and decoder.
bool CheckShape(IpcFrameKind kind, std::uint32_t message, std::size_t name_length, std::size_t payload_length,
                std::string* reason) {
  if (kind != IpcFrameKind::kSend && kind != IpcFrameKind::kPost && kind != IpcFrameKind::kReply)
    return Fail(reason, "unknown frame kind");
  if (name_length > kMaxMessageNameBytes) return Fail(reason, "message name too long");
  if (payload_length > kMaxCopyDataBytes) return Fail(reason, "copy-data block too large");
  if (kind == IpcFrameKind::kReply) {
    if (message != 0 || name_length != 0 || payload_length != 0) return Fail(reason, "reply with a message body");
    return true;
  }
  if ((message == 0) == (name_length == 0)) return Fail(reason, "need exactly one of message number and name");
  if (message >= kFirstRegisteredMessage) return Fail(reason, "registered message sent by number");
  if (payload_length != 0 && !(kind == IpcFrameKind::kSend && message == kWmCopyData))
    return Fail(reason, "payload on a message that is not a copy-data send");
  return true;
}
}  // namespace

std::optional<std::vector<std::uint8_t>> EncodeIpcFrame(const IpcFrame& frame) {
  if (!CheckShape(frame.kind, frame.message, frame.name.size(), frame.payload.size(), nullptr)) return std::nullopt;
  if (frame.name.find('\0') != std::string::npos) return std::nullopt;
  std::vector<std::uint8_t> bytes(layout::kHeaderSize + frame.name.size() + frame.payload.size(), 0);
  std::uint8_t* out = bytes.data();
  PutLittleEndian<std::uint32_t>(out + layout::kMagicOffset, layout::kMagic);
  PutLittleEndian<std::uint16_t>(out + layout::kVersionOffset, layout::kVersion);
  out[layout::kKindOffset] = static_cast<std::uint8_t>(frame.kind);
  out[layout::kFlagsOffset] = 0;
  PutLittleEndian<std::uint32_t>(out + layout::kMessageOffset, frame.message);
  PutLittleEndian<std::uint16_t>(out + layout::kNameLengthOffset, static_cast<std::uint16_t>(frame.name.size()));
  PutLittleEndian<std::uint64_t>(out + layout::kWparamOffset, frame.wparam);
  PutLittleEndian<std::int64_t>(out + layout::kLparamOffset, frame.lparam);
  PutLittleEndian<std::uint32_t>(out + layout::kPayloadLengthOffset, static_cast<std::uint32_t>(frame.payload.size()));
  PutLittleEndian<std::uint64_t>(out + layout::kCopyDataKindOffset, frame.copy_data_kind);
  std::copy(frame.name.begin(), frame.name.end(), out + layout::kHeaderSize);
  std::copy(frame.payload.begin(), frame.payload.end(), out + layout::kHeaderSize + frame.name.size());
  return bytes;
}

std::optional<IpcFrameHeader> DecodeIpcFrameHeader(std::span<const std::uint8_t> bytes, std::string* reason) {
  if (bytes.size() < layout::kHeaderSize) {
    Fail(reason, "short frame header");
    return std::nullopt;
  }
  const std::uint8_t* in = bytes.data();
  if (GetLittleEndian<std::uint32_t>(in + layout::kMagicOffset) != layout::kMagic) {
    Fail(reason, "bad magic");
    return std::nullopt;
  }
  if (GetLittleEndian<std::uint16_t>(in + layout::kVersionOffset) != layout::kVersion) {
    Fail(reason, "unsupported version");
    return std::nullopt;
  }
  if (in[layout::kFlagsOffset] != 0 || GetLittleEndian<std::uint16_t>(in + layout::kReserved1Offset) != 0 ||
      GetLittleEndian<std::uint32_t>(in + layout::kReserved2Offset) != 0) {
    Fail(reason, "reserved field set");
    return std::nullopt;
  }
  IpcFrameHeader header;
  header.kind = static_cast<IpcFrameKind>(in[layout::kKindOffset]);
  header.message = GetLittleEndian<std::uint32_t>(in + layout::kMessageOffset);
  header.name_length = GetLittleEndian<std::uint16_t>(in + layout::kNameLengthOffset);
  header.wparam = GetLittleEndian<std::uint64_t>(in + layout::kWparamOffset);
  header.lparam = GetLittleEndian<std::int64_t>(in + layout::kLparamOffset);
  header.payload_length = GetLittleEndian<std::uint32_t>(in + layout::kPayloadLengthOffset);
  header.copy_data_kind = GetLittleEndian<std::uint64_t>(in + layout::kCopyDataKindOffset);
  if (!CheckShape(header.kind, header.message, header.name_length, header.payload_length, reason)) return std::nullopt;
  return header;
}

std::optional<IpcFrame> DecodeIpcFrame(std::span<const std::uint8_t> bytes, std::string* reason) {
  const std::optional<IpcFrameHeader> header = DecodeIpcFrameHeader(bytes, reason);
  if (!header) return std::nullopt;
  if (bytes.size() != layout::kHeaderSize + header->BodySize()) {
    Fail(reason, "frame length does not match its header");
    return std::nullopt;
  }
  IpcFrame frame;
  frame.kind = header->kind;
  frame.message = header->message;
  frame.wparam = header->wparam;
  frame.lparam = header->lparam;
  frame.copy_data_kind = header->copy_data_kind;
  const std::uint8_t* body = bytes.data() + layout::kHeaderSize;
  frame.name.assign(reinterpret_cast<const char*>(body), header->name_length);
  if (frame.name.find('\0') != std::string::npos) {
    Fail(reason, "NUL in message name");
    return std::nullopt;
  }
  frame.payload.assign(body + header->name_length, body + header->BodySize());
  return frame;
}

}  // namespace zt640::platform
