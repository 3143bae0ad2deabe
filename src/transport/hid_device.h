#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/hid/hid_collection.h"
#include "platform/hid/hid_types.h"
#include "platform/hid/pollable_event.h"
#include "transport/hid_data_item.h"

namespace zt640 {

namespace platform {
class HidrawHandle;
}

using platform::HidReportType;

/// One HID interface (one top-level collection of a hidraw node): enumeration
/// of the interfaces present, open/close by interface path, identity and
/// capabilities, and timed single-report transfers that Close() from another
/// thread cuts short.
///
/// The object has no lock: callers serialise its use. The only cross-thread
/// case supported is Close() while ReadReport()/WriteReport() waits; the
/// reading/writing flags and the cancel event exist for it.
class HidDevice {
 public:
  /// Longest interface path accepted, in bytes (the path field holds 260
  /// characters including the terminator).
  static constexpr size_t kMaxPathLength = 259;
  /// What the calls below that report success or failure as an integer return.
  static constexpr int kSuccess = 1;
  static constexpr int kFailed = 0;

  HidDevice();
  ~HidDevice();
  HidDevice(const HidDevice&) = delete;
  HidDevice& operator=(const HidDevice&) = delete;

  /// Resets the cursor and replaces the interface list with the interfaces
  /// present now (one per top-level collection of every hidraw node under
  /// ZT640_HID_ROOT). 1 on success (also with no interface), 0 on failure
  /// (the list is then empty).
  [[nodiscard]] int EnumerateInterfaces();
  /// The path at the cursor, advancing it; none when the list is exhausted.
  /// The text stays valid until the next enumeration or FreeInterfaceList().
  [[nodiscard]] std::optional<std::string_view> NextInterfacePath();
  void FreeInterfaceList();
  [[nodiscard]] int InterfaceCount() const { return interface_count_; }

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

  /// HID output report `buffer` (report id first), at least that report's own
  /// length, sent as a set-output-report request. 1 on success, 0 on failure.
  [[nodiscard]] int SetOutputReport(const uint8_t* buffer, uint32_t length);

  /// Fills the items whose report id equals byte 0 of report from that report:
  /// button items get the usages of their page that are on and inside their
  /// range (then zeros), value items their raw and scaled value. 0 when an
  /// argument is missing or a raw value cannot be read, else 1.
  [[nodiscard]] static int UnpackReport(const uint8_t* report, uint32_t report_length,
                                        HidReportType report_type, HidDataItem* items,
                                        uint32_t item_count,
                                        const platform::HidCollection* descriptor_data);

  [[nodiscard]] const std::string& DevicePath() const { return device_path_; }
  [[nodiscard]] const platform::HIDD_ATTRIBUTES& Attributes() const { return attributes_; }
  [[nodiscard]] const platform::HIDP_CAPS& Caps() const { return caps_; }
  /// The open collection's parsed descriptor; null when closed.
  [[nodiscard]] const platform::HidCollection* DescriptorData() const {
    return descriptor_data_.get();
  }
  [[nodiscard]] int32_t InterfaceNumber() const { return interface_number_; }
  [[nodiscard]] int32_t CollectionNumber() const { return collection_number_; }

  [[nodiscard]] std::vector<uint8_t>& ReportBuffer(HidReportType type) {
    return report_[Index(type)].buffer;
  }
  [[nodiscard]] std::vector<HidDataItem>& Items(HidReportType type) {
    return report_[Index(type)].items;
  }
  [[nodiscard]] uint32_t ItemCount(HidReportType type) const {
    return static_cast<uint32_t>(report_[Index(type)].items.size());
  }
  [[nodiscard]] const std::vector<platform::HIDP_BUTTON_CAPS>& ButtonCaps(
      HidReportType type) const {
    return report_[Index(type)].button_caps;
  }
  [[nodiscard]] const std::vector<platform::HIDP_VALUE_CAPS>& ValueCaps(
      HidReportType type) const {
    return report_[Index(type)].value_caps;
  }

  /// Bound on the usage slots of all button items of one open interface.
  static constexpr size_t kMaxUsageSlots = size_t{1} << 20;

 private:
  /// What one report type of the open interface carries.
  struct ReportData {
    std::vector<uint8_t> buffer;
    std::vector<HidDataItem> items;
    std::vector<platform::HIDP_BUTTON_CAPS> button_caps;
    std::vector<platform::HIDP_VALUE_CAPS> value_caps;
  };

  static constexpr int Index(HidReportType type) { return platform::ReportTypeIndex(type); }
  [[nodiscard]] bool BuildReportData(HidReportType type);
  void ReleaseCapsData();
  /// Waits until no ReadReport/WriteReport is inside its transfer.
  void WaitForTransfersToLeave();

  std::vector<std::string> interface_list_;
  int32_t interface_count_ = 0;
  uint32_t interface_cursor_ = 0;

  bool open_for_read_ = false;
  bool open_for_write_ = false;
  /// Kept for the callers' sake: every transfer is poll-based and timed.
  bool open_overlapped_ = false;
  /// Kept for the callers' sake: hidraw has no exclusive open.
  bool open_exclusive_ = false;

  /// Owns the open handle; handle_ mirrors it for the transfer calls, which
  /// may race with Close() on another thread.
  std::unique_ptr<platform::HidrawHandle> handle_owner_;
  std::atomic<platform::HidrawHandle*> handle_{nullptr};

  std::string device_path_;
  std::unique_ptr<platform::HidCollection> descriptor_data_;
  platform::HIDP_CAPS caps_{};
  platform::HIDD_ATTRIBUTES attributes_{};
  std::array<ReportData, platform::kHidReportTypeCount> report_;
  int32_t interface_number_ = 0;
  int32_t collection_number_ = 0;

  /// Set by Close() while a transfer waits; cleared once the transfer left.
  platform::PollableEvent cancel_event_;
  /// 1 while ReadReport / WriteReport is inside its transfer.
  std::atomic<int> reading_{0};
  std::atomic<int> writing_{0};
};

}  // namespace zt640
