#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <span>

#include "transport/command_packet.h"
#include "transport/command_result.h"
#include "transport/device_info_record.h"
#include "transport/hid_device.h"
#include "transport/power_record.h"
#include "transport/streamed_frame_memory.h"

namespace zt640 {

/// How a device is reached; any value other than kReceiver means wired.
enum ConnectionType : int { kConnectionWired = 1, kConnectionReceiver = 2 };

/// The per-device command channel: frames every exchange with the firmware as
/// one 64-byte report and its 64-byte reply, over the device's own interface or
/// the receiver's. Command functions return the codes of CommandResult.
///
/// Locks: the command lock or the light lock is taken first (never both), then
/// the I/O lock, which is held around each single write and each read phase.
class CommandChannel {
 public:
  static constexpr uint16_t kMaxBlockSize = 512;
  static constexpr uint8_t kWiredChunkSize = 56;
  static constexpr uint8_t kReceiverChunkSize = 24;
  static constexpr uint8_t kShootChunkSize = 56;
  static constexpr int kWiredTimeoutMs = 1000;
  static constexpr int kReceiverTimeoutMs = 5000;
  static constexpr uint16_t kLightPageSize = 512;
  static constexpr uint16_t kKeyLayerSize = 512;

  CommandChannel() = default;
  CommandChannel(const CommandChannel&) = delete;
  CommandChannel& operator=(const CommandChannel&) = delete;

  /// 2 selects the receiver interface, 24-byte chunks and 5000 ms per transfer;
  /// anything else the wired interface, 56-byte chunks and 1000 ms.
  void SetConnectionType(int type);
  /// Stores the key table size; refuses (0) a size above 512 and keeps the old one.
  [[nodiscard]] int SetBlockSize(uint16_t size);

  /// The framed exchange: pads or cuts the request to 64 bytes, writes it and
  /// reads at most two replies until one echoes the request's command byte.
  /// The reply buffer keeps what the last read left in it.
  [[nodiscard]] int Transact(const uint8_t* request, size_t request_length, uint8_t* reply,
                             size_t reply_length, uint32_t* bytes_read);
  /// Transact without the diagnostic dumps (used by the lighting stream).
  [[nodiscard]] int TransactQuiet(const uint8_t* request, size_t request_length, uint8_t* reply,
                                  size_t reply_length, uint32_t* bytes_read);
  /// One write and one read on the wired interface, reply discarded; no busy
  /// flag, no echo matching, no status check. 1 when the read succeeded.
  [[nodiscard]] int ExchangeWired(const uint8_t* request, size_t request_length);

  // The device command set. Each returns a CommandResult code unless stated.
  [[nodiscard]] int BeginConfig();                                           // 0x01
  [[nodiscard]] int EndConfig();                                             // 0x02
  /// Copies into *record only when all chunks arrived; else *record is kept.
  [[nodiscard]] int ReadDeviceInfo(DeviceInfoRecord* record);                // 0x03
  [[nodiscard]] int ReadSettings(uint16_t offset, std::span<uint8_t> out);   // 0x05
  [[nodiscard]] int WriteSettings(uint16_t offset, std::span<const uint8_t> data);  // 0x06
  /// Reads block-size bytes; `out` must hold at least that many.
  [[nodiscard]] int ReadKeyTable(std::span<uint8_t> out);                    // 0x07
  /// Writes block-size bytes of `table` at layer * 512; only layer 0 exists.
  [[nodiscard]] int WriteKeyTable(int layer, std::span<const uint8_t> table);  // 0x09
  [[nodiscard]] int ReadLightMemory(int slot, std::span<uint8_t> out);       // 0x0A
  [[nodiscard]] int WriteLightMemory(int slot, std::span<const uint8_t> data);  // 0x0B
  /// Factory reset over the wired interface; the reply is not inspected.
  [[nodiscard]] int ResetToDefaults();                                       // 0x0D
  /// Streams a live frame; packets due while the channel is busy are dropped, and
  /// packets the device already holds unchanged are not sent again. The packets
  /// go out back to back and their replies are read after the last one, all
  /// under the I/O lock: the device takes a frame without waiting on each reply,
  /// and no other exchange's reply falls among them.
  [[nodiscard]] int StreamLightFrame(std::span<const uint8_t> frame);        // 0x12
  [[nodiscard]] int WriteMacroArea(std::span<const uint8_t> table);          // 0x15
  /// Takes no lock and always uses 56-byte chunks.
  [[nodiscard]] int WriteShootData(std::span<const uint8_t> data);           // 0x17
  /// One packet of at most 56 bytes; copies exactly out.size() bytes on success.
  [[nodiscard]] int ReadStatus(uint16_t offset, std::span<uint8_t> out);     // 0x1A
  [[nodiscard]] int ReadPowerRecord(PowerRecord* record);                    // 0x1A, 6 bytes
  /// Reads block size / 3 bytes; `out` must hold at least that many.
  [[nodiscard]] int ReadKeyLightMap(std::span<uint8_t> out);                 // 0x1B
  [[nodiscard]] int EnableHostLighting();                                    // 0x1C
  /// One HID output report (report id first) to the wired interface, under
  /// the light lock; no reply is read. kSuccess, or kFailed when the channel
  /// is closed, reached through the receiver or the report is refused.
  [[nodiscard]] int SendOutputReport(std::span<const uint8_t> report);
  /// Whether the device behind the receiver answers; always true when wired
  /// (nothing is sent then).
  [[nodiscard]] bool QueryReceiverLink();                                    // 0xAA

  HidDevice& wired_interface() { return wired_; }
  HidDevice& receiver_interface() { return receiver_; }

  void set_open(bool open) {
    open_.store(open ? 1 : 0);
    streamed_.Forget();
  }
  [[nodiscard]] bool is_open() const { return open_.load() != 0; }
  void set_lighting_paused(bool paused) { lighting_paused_.store(paused ? 1 : 0); }
  [[nodiscard]] bool lighting_paused() const { return lighting_paused_.load() != 0; }
  [[nodiscard]] bool busy() const { return busy_.load() > 0; }
  [[nodiscard]] bool via_receiver() const { return via_receiver_.load() != 0; }
  [[nodiscard]] uint8_t chunk_size() const { return chunk_size_.load(); }
  [[nodiscard]] uint16_t block_size() const { return block_size_.load(); }

 private:
  enum class OuterLock { kCommand, kLight, kNone };

  [[nodiscard]] int Exchange(const uint8_t* request, size_t request_length, uint8_t* reply,
                             size_t reply_length, uint32_t* bytes_read, bool dump);
  /// The read phase of an exchange, under the I/O lock: up to two reads for a
  /// reply that echoes `command`.
  [[nodiscard]] int ReadReply(HidDevice& device, uint8_t command, uint8_t* reply, size_t reply_length,
                              uint32_t* count);
  /// One request/reply under the chosen outer lock, with the status mapping.
  /// On success the reply's data is in `reply`.
  [[nodiscard]] int Command(OuterLock lock, const CommandPacket& request, CommandPacket* reply,
                            bool quiet = false);
  [[nodiscard]] int SimpleCommand(CommandCode command);
  [[nodiscard]] int ChunkedRead(CommandCode command, uint16_t base, std::span<uint8_t> out,
                                OuterLock lock);
  [[nodiscard]] int ChunkedWrite(CommandCode command, uint16_t base, std::span<const uint8_t> data,
                                 OuterLock lock, uint8_t chunk);
  std::mutex& OuterMutex(OuterLock lock);
  HidDevice& ActiveInterface() { return via_receiver() ? receiver_ : wired_; }
  int ActiveTimeoutMs() const { return via_receiver() ? kReceiverTimeoutMs : kWiredTimeoutMs; }

  std::atomic<uint16_t> block_size_{kMaxBlockSize};
  /// Number of exchanges in progress; "busy" while above zero, so two
  /// interleaving exchanges cannot clear each other's flag.
  std::atomic<int> busy_{0};
  std::atomic<int> open_{0};
  std::atomic<int> lighting_paused_{0};
  HidDevice wired_;
  HidDevice receiver_;
  std::mutex io_mutex_;       ///< guards each write and each read phase on either interface
  std::mutex command_mutex_;  ///< guards each configuration request/reply
  std::mutex light_mutex_;    ///< guards each lighting memory or stream packet
  std::atomic<int> via_receiver_{0};
  std::atomic<uint8_t> chunk_size_{kReceiverChunkSize};
  StreamedFrameMemory streamed_;  ///< under the light lock
};

}  // namespace zt640
