#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/hid/hid_collection.h"

namespace zt640::platform {

enum class HidIoResult { kOk, kTimeout, kCancelled, kDeviceGone, kFailed };

/// One open hidraw node seen through one top-level collection. A node that is
/// a Unix SOCK_SEQPACKET socket (a simulated device) is connected to; a
/// character device is opened non-blocking with the access asked for. Every
/// descriptor open on a node sees the reports of all its collections, so reads
/// keep only the reports of this collection.
class HidrawHandle {
 public:
  /// none when the node cannot be opened (missing, no permission, neither a
  /// character device nor a socket). With neither read nor write access only
  /// the node's existence is checked and no descriptor is held.
  [[nodiscard]] static std::unique_ptr<HidrawHandle> Open(const std::string& node_path, bool read,
                                                          bool write,
                                                          const HidCollection& collection);
  ~HidrawHandle();
  HidrawHandle(const HidrawHandle&) = delete;
  HidrawHandle& operator=(const HidrawHandle&) = delete;

  /// Waits for the next input report of this collection (timeout_ms -1: no
  /// limit) or until cancel_fd polls readable (the owner of cancel_fd clears it).
  /// The report is copied with byte 0 = report id (0 when the device numbers
  /// none), zero-padded to the collection's input length and cut to length;
  /// length must be at least the collection's input length.
  [[nodiscard]] HidIoResult Read(uint8_t* buffer, uint32_t length, uint32_t* bytes_read,
                                 int timeout_ms, int cancel_fd);

  /// Sends one output report: length must equal the collection's output length
  /// and byte 0 name one of its output reports; only that report's own length
  /// goes to the device.
  [[nodiscard]] HidIoResult Write(const uint8_t* buffer, uint32_t length, uint32_t* bytes_written,
                                  int timeout_ms, int cancel_fd);

  /// Sends one output report the way a set-output-report request does: byte 0
  /// names one of the collection's output reports and `length` is at least
  /// that report's own length, which is all that goes to the device. On a
  /// hidraw character device it travels through HIDIOCSOUTPUT where the
  /// kernel has it, else as a write; a simulated device gets it as a write.
  [[nodiscard]] HidIoResult SetOutputReport(const uint8_t* buffer, uint32_t length);

 private:
  HidrawHandle(int fd, bool read, bool write, const HidCollection& collection);

  int fd_ = -1;
  bool can_read_ = false;
  bool can_write_ = false;
  bool numbered_reports_ = false;
  uint16_t input_length_ = 0;
  uint16_t output_length_ = 0;
  std::array<uint16_t, 256> input_length_by_id_{};
  std::array<uint16_t, 256> output_length_by_id_{};
  std::vector<uint8_t> scratch_;
  /// How output reports leave this descriptor, found on the first one.
  enum class OutputPath { kUnknown, kSocket, kIoctl, kWrite };
  OutputPath output_path_ = OutputPath::kUnknown;
};

}  // namespace zt640::platform
