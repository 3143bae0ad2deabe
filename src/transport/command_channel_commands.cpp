// The device command set: one function per command code, each a framed
// exchange (or a chunked series of them) on the channel.
#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

#include "platform/diag/debug_output.h"
#include "transport/command_channel.h"

namespace zt640 {

namespace {

constexpr auto kEndConfigPause = std::chrono::milliseconds(10);
constexpr uint8_t kLinkUp = 0xFF;

/// Maps the status byte of a reply that echoed its request.
int MapStatus(const CommandPacket& reply) {
  switch (reply.status()) {
    case CommandPacket::kStatusRejected:
      return CommandResult::kRejected;
    case CommandPacket::kStatusRefusedForNow:
      return CommandResult::kRefusedForNow;
    default:
      return CommandResult::kSuccess;
  }
}

}  // namespace

std::mutex& CommandChannel::OuterMutex(OuterLock lock) {
  return lock == OuterLock::kLight ? light_mutex_ : command_mutex_;
}

int CommandChannel::Command(OuterLock lock, const CommandPacket& request, CommandPacket* reply,
                            bool quiet) {
  uint32_t read = 0;
  int result;
  if (lock == OuterLock::kNone) {
    result = Exchange(request.bytes.data(), request.bytes.size(), reply->bytes.data(),
                      reply->bytes.size(), &read, !quiet);
  } else {
    std::lock_guard outer(OuterMutex(lock));
    result = Exchange(request.bytes.data(), request.bytes.size(), reply->bytes.data(),
                      reply->bytes.size(), &read, !quiet);
  }
  return result == CommandResult::kSuccess ? MapStatus(*reply) : result;
}

int CommandChannel::SimpleCommand(CommandCode command) {
  CommandPacket reply;
  return Command(OuterLock::kCommand, CommandPacket::Request(command), &reply);
}

int CommandChannel::ChunkedRead(CommandCode command, uint16_t base, std::span<uint8_t> out,
                                OuterLock lock) {
  const size_t chunk = chunk_size();
  for (size_t position = 0; position < out.size(); position += chunk) {
    const size_t count = std::min(chunk, out.size() - position);
    const auto request = CommandPacket::Request(command, static_cast<uint8_t>(count),
                                                static_cast<uint16_t>(base + position));
    CommandPacket reply;
    const int result = Command(lock, request, &reply);
    if (result != CommandResult::kSuccess) return result;
    std::copy_n(reply.data().begin(), count, out.begin() + static_cast<ptrdiff_t>(position));
  }
  return CommandResult::kSuccess;
}

int CommandChannel::ChunkedWrite(CommandCode command, uint16_t base, std::span<const uint8_t> data,
                                 OuterLock lock, uint8_t chunk) {
  for (size_t position = 0; position < data.size(); position += chunk) {
    const size_t count = std::min<size_t>(chunk, data.size() - position);
    auto request = CommandPacket::Request(command, static_cast<uint8_t>(count),
                                          static_cast<uint16_t>(base + position));
    std::copy_n(data.begin() + static_cast<ptrdiff_t>(position), count, request.data().begin());
    request.UpdateChecksum();
    CommandPacket reply;
    const int result = Command(lock, request, &reply);
    if (result != CommandResult::kSuccess) return result;
  }
  return CommandResult::kSuccess;
}

int CommandChannel::BeginConfig() { return SimpleCommand(CommandCode::kBeginConfig); }

int CommandChannel::EndConfig() {
  std::this_thread::sleep_for(kEndConfigPause);
  return SimpleCommand(CommandCode::kEndConfig);
}

int CommandChannel::EnableHostLighting() { return SimpleCommand(CommandCode::kEnableHostLighting); }

int CommandChannel::ReadDeviceInfo(DeviceInfoRecord* record) {
  DeviceInfoRecord scratch;
  const int result =
      ChunkedRead(CommandCode::kReadDeviceInfo, 0, scratch.bytes, OuterLock::kCommand);
  if (result == CommandResult::kSuccess && record != nullptr) *record = scratch;
  return result;
}

int CommandChannel::ReadSettings(uint16_t offset, std::span<uint8_t> out) {
  return ChunkedRead(CommandCode::kReadSettings, offset, out, OuterLock::kCommand);
}

int CommandChannel::WriteSettings(uint16_t offset, std::span<const uint8_t> data) {
  return ChunkedWrite(CommandCode::kWriteSettings, offset, data, OuterLock::kCommand, chunk_size());
}

int CommandChannel::ReadKeyTable(std::span<uint8_t> out) {
  const uint16_t size = block_size();
  if (out.size() < size) return CommandResult::kFailed;
  return ChunkedRead(CommandCode::kReadKeyTable, 0, out.first(size), OuterLock::kCommand);
}

int CommandChannel::WriteKeyTable(int layer, std::span<const uint8_t> table) {
  if (layer != 0) return CommandResult::kBadLayer;
  const uint16_t size = block_size();
  if (table.size() < size) return CommandResult::kFailed;
  return ChunkedWrite(CommandCode::kWriteKeyTable, static_cast<uint16_t>(layer * kKeyLayerSize),
                      table.first(size), OuterLock::kCommand, chunk_size());
}

int CommandChannel::ReadKeyLightMap(std::span<uint8_t> out) {
  const uint16_t size = block_size() / 3;
  if (out.size() < size) return CommandResult::kFailed;
  return ChunkedRead(CommandCode::kReadKeyLightMap, 0, out.first(size), OuterLock::kCommand);
}

int CommandChannel::ReadLightMemory(int slot, std::span<uint8_t> out) {
  if (slot < 0 || slot * kLightPageSize + out.size() > UINT16_MAX + 1u) {
    return CommandResult::kFailed;
  }
  return ChunkedRead(CommandCode::kReadLightMemory, static_cast<uint16_t>(slot * kLightPageSize), out,
                     OuterLock::kLight);
}

int CommandChannel::WriteLightMemory(int slot, std::span<const uint8_t> data) {
  if (slot < 0 || slot * kLightPageSize + data.size() > UINT16_MAX + 1u) {
    return CommandResult::kFailed;
  }
  return ChunkedWrite(CommandCode::kWriteLightMemory, static_cast<uint16_t>(slot * kLightPageSize), data,
                      OuterLock::kLight, chunk_size());
}

int CommandChannel::ResetToDefaults() {
  CommandPacket request = CommandPacket::Request(CommandCode::kResetToDefaults);
  // This exchange goes out with its checksum bytes left 0.
  request.bytes[CommandPacket::kChecksumOffset] = 0;
  request.bytes[CommandPacket::kChecksumOffset + 1] = 0;
  std::lock_guard outer(command_mutex_);
  return ExchangeWired(request.bytes.data(), request.bytes.size());
}

int CommandChannel::StreamLightFrame(std::span<const uint8_t> frame) {
  struct Sent {
    size_t position;
    std::span<const uint8_t> bytes;
  };
  const size_t chunk = chunk_size();
  std::vector<Sent> sent;
  sent.reserve(frame.size() / chunk + 1);
  int result = CommandResult::kSuccess;
  std::lock_guard light(light_mutex_);
  streamed_.BeginFrame(StreamedFrameMemory::Clock::now());
  HidDevice& device = ActiveInterface();
  // Another exchange raises busy before it takes the I/O lock and keeps it up
  // until its reply is read, so while this holds the lock and sees no busy
  // flag no other request or reply is on its way. The lock is taken with the
  // first packet to send, so a frame due while the channel is busy drops
  // without waiting.
  std::unique_lock io(io_mutex_, std::defer_lock);
  const auto dropped = [] { platform::DebugOutput("放弃灯光数据"); };
  for (size_t position = 0; position < frame.size(); position += chunk) {
    const size_t count = std::min(chunk, frame.size() - position);
    const std::span<const uint8_t> bytes = frame.subspan(position, count);
    if (busy()) {
      dropped();
      continue;
    }
    // The device still shows these bytes: most frames change only a few keys.
    if (streamed_.Holds(position, bytes)) continue;
    if (!io.owns_lock()) {
      io.lock();
      if (busy()) {  // an exchange began while this waited
        dropped();
        continue;
      }
    }
    if (!is_open()) {
      result = CommandResult::kFailed;
      break;
    }
    auto request = CommandPacket::Request(CommandCode::kStreamLightFrame, static_cast<uint8_t>(count),
                                          static_cast<uint16_t>(position));
    std::copy(bytes.begin(), bytes.end(), request.data().begin());
    request.UpdateChecksum();
    uint32_t written = 0;
    if (device.WriteReport(request.bytes.data(), static_cast<uint32_t>(request.bytes.size()), &written,
                           ActiveTimeoutMs()) != HidDevice::kSuccess) {
      streamed_.Unknown(position, count);
      result = CommandResult::kWriteFailed;
      break;
    }
    sent.push_back({position, bytes});
  }
  bool replies_lost = false;
  for (const Sent& packet : sent) {
    int status = CommandResult::kFailed;
    if (!replies_lost) {
      CommandPacket reply;
      uint32_t read = 0;
      status = ReadReply(device, CommandByte(CommandCode::kStreamLightFrame), reply.bytes.data(),
                         reply.bytes.size(), &read);
      // Without a reply the ones after it cannot be told apart: none counts as held.
      replies_lost = status != CommandResult::kSuccess;
      if (!replies_lost) status = MapStatus(reply);
    }
    if (status == CommandResult::kSuccess) {
      streamed_.Acknowledged(packet.position, packet.bytes);
      continue;
    }
    streamed_.Unknown(packet.position, packet.bytes.size());
    if (result == CommandResult::kSuccess) result = status;
  }
  return result;
}

int CommandChannel::WriteMacroArea(std::span<const uint8_t> table) {
  return ChunkedWrite(CommandCode::kWriteMacroArea, 0, table, OuterLock::kCommand, chunk_size());
}

int CommandChannel::WriteShootData(std::span<const uint8_t> data) {
  return ChunkedWrite(CommandCode::kWriteShootData, 0, data, OuterLock::kNone, kShootChunkSize);
}

int CommandChannel::ReadStatus(uint16_t offset, std::span<uint8_t> out) {
  if (out.size() > CommandPacket::kMaxData) return CommandResult::kFailed;
  const auto request =
      CommandPacket::Request(CommandCode::kReadStatus, static_cast<uint8_t>(out.size()), offset);
  CommandPacket reply;
  const int result = Command(OuterLock::kCommand, request, &reply);
  if (result == CommandResult::kSuccess) std::copy_n(reply.data().begin(), out.size(), out.begin());
  return result;
}

int CommandChannel::ReadPowerRecord(PowerRecord* record) {
  PowerRecord scratch;
  const int result = ReadStatus(0, scratch.bytes);
  if (result == CommandResult::kSuccess && record != nullptr) *record = scratch;
  return result;
}

bool CommandChannel::QueryReceiverLink() {
  if (!via_receiver()) return true;
  CommandPacket reply;
  uint32_t read = 0;
  const auto request = CommandPacket::Request(CommandCode::kQueryReceiverLink);
  int result;
  {
    std::lock_guard outer(command_mutex_);
    result = Exchange(request.bytes.data(), request.bytes.size(), reply.bytes.data(),
                      reply.bytes.size(), &read, true);
  }
  return result == CommandResult::kSuccess && reply.data()[0] == kLinkUp &&
         reply.status() != CommandPacket::kStatusRejected &&
         reply.status() != CommandPacket::kStatusRefusedForNow;
}

int CommandChannel::SendOutputReport(std::span<const uint8_t> report) {
  if (!is_open() || via_receiver() || report.empty()) return CommandResult::kFailed;
  std::lock_guard outer(light_mutex_);
  std::lock_guard io(io_mutex_);
  return wired_.SetOutputReport(report.data(), static_cast<uint32_t>(report.size())) == HidDevice::kSuccess
             ? CommandResult::kSuccess
             : CommandResult::kFailed;
}

}  // namespace zt640
