#include "transport/command_channel.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "transport/packet_dump.h"

namespace zt640 {

namespace {

/// Keeps the busy count raised for the lifetime of one exchange.
class BusyScope {
 public:
  explicit BusyScope(std::atomic<int>& count) : count_(count) { count_.fetch_add(1); }
  ~BusyScope() { count_.fetch_sub(1); }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  std::atomic<int>& count_;
};

std::array<uint8_t, CommandPacket::kSize> PadRequest(const uint8_t* request, size_t length) {
  std::array<uint8_t, CommandPacket::kSize> packet{};
  if (request != nullptr) std::memcpy(packet.data(), request, std::min(length, packet.size()));
  return packet;
}

}  // namespace

void CommandChannel::SetConnectionType(int type) {
  const bool receiver = (type == kConnectionReceiver);
  via_receiver_.store(receiver ? 1 : 0);
  chunk_size_.store(receiver ? kReceiverChunkSize : kWiredChunkSize);
  streamed_.Forget();
}

int CommandChannel::SetBlockSize(uint16_t size) {
  if (size > kMaxBlockSize) return CommandResult::kFailed;
  block_size_.store(size);
  return CommandResult::kSuccess;
}

int CommandChannel::Transact(const uint8_t* request, size_t request_length, uint8_t* reply,
                             size_t reply_length, uint32_t* bytes_read) {
  return Exchange(request, request_length, reply, reply_length, bytes_read, true);
}

int CommandChannel::TransactQuiet(const uint8_t* request, size_t request_length, uint8_t* reply,
                                  size_t reply_length, uint32_t* bytes_read) {
  return Exchange(request, request_length, reply, reply_length, bytes_read, false);
}

int CommandChannel::Exchange(const uint8_t* request, size_t request_length, uint8_t* reply,
                             size_t reply_length, uint32_t* bytes_read, bool dump) {
  BusyScope busy(busy_);
  // Only the lighting stream runs quiet; any other exchange may change what the
  // device shows, so the next frame goes out whole.
  if (dump) streamed_.Forget();
  uint32_t ignored = 0;
  uint32_t* count = bytes_read != nullptr ? bytes_read : &ignored;
  *count = 0;
  if (!is_open() || reply == nullptr || reply_length > UINT32_MAX) return CommandResult::kFailed;

  const auto packet = PadRequest(request, request_length);
  if (dump) DumpPacket("命令", packet.data());

  const bool receiver = via_receiver();
  HidDevice& device = receiver ? receiver_ : wired_;
  const int timeout = receiver ? kReceiverTimeoutMs : kWiredTimeoutMs;
  {
    std::lock_guard io(io_mutex_);
    uint32_t written = 0;
    if (device.WriteReport(packet.data(), static_cast<uint32_t>(packet.size()), &written,
                           timeout) != HidDevice::kSuccess) {
      return CommandResult::kWriteFailed;
    }
  }

  int result = CommandResult::kFailed;
  {
    std::lock_guard io(io_mutex_);
    result = ReadReply(device, packet[CommandPacket::kCommandOffset], reply, reply_length, count);
  }
  if (dump && reply_length >= CommandPacket::kSize) DumpPacket("返回", reply);
  return result;
}

int CommandChannel::ReadReply(HidDevice& device, uint8_t command, uint8_t* reply, size_t reply_length,
                              uint32_t* count) {
  const bool receiver = &device == &receiver_;
  const int timeout = receiver ? kReceiverTimeoutMs : kWiredTimeoutMs;
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (device.ReadReport(reply, static_cast<uint32_t>(reply_length), count, timeout) != HidDevice::kSuccess) {
      return CommandResult::kFailed;
    }
    const uint8_t echo = *count > CommandPacket::kCommandOffset ? reply[CommandPacket::kCommandOffset]
                                                                : static_cast<uint8_t>(~command);
    if (echo == command) return CommandResult::kSuccess;
    if (receiver && echo == CommandPacket::kReceiverNoDeviceEcho) return CommandResult::kReceiverNoDevice;
  }
  // A second reply that still does not echo the command belongs to another
  // exchange: reading its status or data would be wrong, so it fails.
  return CommandResult::kFailed;
}

int CommandChannel::ExchangeWired(const uint8_t* request, size_t request_length) {
  if (!is_open()) return CommandResult::kFailed;
  streamed_.Forget();
  const auto packet = PadRequest(request, request_length);
  {
    std::lock_guard io(io_mutex_);
    uint32_t written = 0;
    if (wired_.WriteReport(packet.data(), static_cast<uint32_t>(packet.size()), &written,
                           kWiredTimeoutMs) != HidDevice::kSuccess) {
      return CommandResult::kFailed;
    }
  }
  std::array<uint8_t, CommandPacket::kSize> scratch{};
  std::lock_guard io(io_mutex_);
  uint32_t read = 0;
  return wired_.ReadReport(scratch.data(), static_cast<uint32_t>(scratch.size()), &read,
                           kWiredTimeoutMs) == HidDevice::kSuccess
             ? CommandResult::kSuccess
             : CommandResult::kFailed;
}

}  // namespace zt640
