#pragma once
// CONTRACT DRAFT (to be completed by the platform/hid + HidDevice work):
// the signatures below are what CommandChannel and the listeners call and must
// stay as they are; fields, caps types and the remaining operations of the
// interface are added beside them.

#include <cstdint>
#include <string>

namespace zt640 {

class HidDevice {
 public:
  HidDevice();
  ~HidDevice();
  HidDevice(const HidDevice&) = delete;
  HidDevice& operator=(const HidDevice&) = delete;

  /// Stores the flags and the path, then Reopen(). 1 on success, 0 on failure
  /// (the object is then closed). A path longer than 259 bytes fails.
  [[nodiscard]] int Open(const std::string& path, bool read, bool write, bool overlapped,
                         bool exclusive);
  [[nodiscard]] int Reopen();
  /// Cuts a waiting read or write short, releases the caps data, closes the handle.
  /// Safe to call from another thread while ReadReport/WriteReport waits.
  void Close();
  [[nodiscard]] bool IsOpen() const;

  /// One report; timeout_ms -1 waits until a report arrives or Close() cancels.
  /// 1 on success with *bytes_read set, 0 on failure, time-out or cancel.
  [[nodiscard]] int ReadReport(uint8_t* buffer, uint32_t length, uint32_t* bytes_read,
                               int timeout_ms);
  [[nodiscard]] int WriteReport(const uint8_t* buffer, uint32_t length, uint32_t* bytes_written,
                                int timeout_ms);
};

}  // namespace zt640
