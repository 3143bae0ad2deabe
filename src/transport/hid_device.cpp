#include "transport/hid_device.h"

#include <algorithm>
#include <new>
#include <span>

#include "platform/hid/hid_report_decoder.h"
#include "platform/hid/hid_root.h"
#include "platform/hid/hidraw_enumerator.h"
#include "platform/hid/hidraw_handle.h"
#include "transport/device_path.h"

namespace zt640 {

using platform::HidCollection;
using platform::HidIoResult;
using platform::HidReportDecoder;
using platform::HidrawEnumerator;
using platform::HidrawHandle;
using platform::HidrawNode;

namespace {

constexpr HidReportType kReportTypes[] = {HidReportType::kInput, HidReportType::kOutput,
                                          HidReportType::kFeature};
constexpr size_t kInitialListCapacity = 8;

// Clears a flag and wakes a Close() waiting for it.
void LeaveTransfer(std::atomic<int>& flag) {
  flag.store(0);
  flag.notify_all();
}

}  // namespace

HidDevice::HidDevice() = default;

HidDevice::~HidDevice() {
  Close();
  FreeInterfaceList();
}

int HidDevice::EnumerateInterfaces() {
  interface_cursor_ = 0;
  try {
    std::vector<HidrawNode> nodes;
    if (!HidrawEnumerator::Enumerate(platform::HidRoot(), &nodes)) {
      FreeInterfaceList();
      return kFailed;
    }
    std::vector<std::string> list;
    list.reserve(kInitialListCapacity);
    for (const HidrawNode& node : nodes) {
      for (size_t index = 0; index < node.collections.size(); ++index) {
        std::string path = node.InterfacePath(index);
        // A path that Open() would refuse is no usable interface.
        if (path.size() > kMaxPathLength) continue;
        if (list.size() == list.capacity()) list.reserve(list.capacity() * 2);
        list.push_back(std::move(path));
      }
    }
    interface_list_ = std::move(list);
    interface_count_ = static_cast<int32_t>(interface_list_.size());
    return kSuccess;
  } catch (const std::bad_alloc&) {
    FreeInterfaceList();
    return kFailed;
  }
}

std::optional<std::string_view> HidDevice::NextInterfacePath() {
  if (interface_cursor_ >= static_cast<uint32_t>(interface_count_)) return std::nullopt;
  return std::string_view(interface_list_[interface_cursor_++]);
}

void HidDevice::FreeInterfaceList() {
  interface_list_.clear();
  interface_list_.shrink_to_fit();
  interface_count_ = 0;
  interface_cursor_ = 0;
}

int HidDevice::Open(const std::string& path, bool read, bool write, bool overlapped,
                    bool exclusive) {
  open_for_read_ = read;
  open_for_write_ = write;
  open_overlapped_ = overlapped;
  open_exclusive_ = exclusive;
  if (path.size() > kMaxPathLength) {
    // Never cut the path down: a shortened path could name another interface.
    Close();
    device_path_.clear();
    return kFailed;
  }
  device_path_ = path;
  return Reopen();
}

int HidDevice::Reopen() {
  Close();
  try {
    std::string root;
    std::string node_name;
    if (!HidrawEnumerator::SplitInterfacePath(device_path_, &root, &node_name)) return kFailed;
    std::optional<HidrawNode> node = HidrawEnumerator::DescribeNode(root, node_name);
    if (!node) return kFailed;
    // A node number can be reused by another device after an unplug, so the
    // identity in the path must still match the node.
    if (DevicePath::ParseVid(device_path_) != node->vendor_id ||
        DevicePath::ParsePid(device_path_) != node->product_id ||
        DevicePath::ParseInterfaceNumber(device_path_) != node->interface_number.value_or(0)) {
      return kFailed;
    }
    const uint16_t collection_number = DevicePath::ParseCollectionNumber(device_path_);
    size_t index = 0;
    if (node->collections.size() > 1) {
      if (collection_number == 0 || collection_number > node->collections.size()) return kFailed;
      index = collection_number - 1u;
    } else if (collection_number > 1) {
      return kFailed;
    }
    std::unique_ptr<HidrawHandle> handle =
        HidrawHandle::Open(node->node_path, open_for_read_, open_for_write_,
                           node->collections[index]);
    if (!handle) return kFailed;

    descriptor_data_ = std::make_unique<HidCollection>(std::move(node->collections[index]));
    caps_ = descriptor_data_->caps;
    attributes_ = {node->vendor_id, node->product_id, node->version};
    for (HidReportType type : kReportTypes) {
      if (!BuildReportData(type)) {
        ReleaseCapsData();
        return kFailed;
      }
    }
    interface_number_ = DevicePath::ParseInterfaceNumber(device_path_);
    collection_number_ = collection_number;
    cancel_event_.Reset();
    handle_owner_ = std::move(handle);
    handle_.store(handle_owner_.get());
    return kSuccess;
  } catch (const std::bad_alloc&) {
    ReleaseCapsData();
    return kFailed;
  }
}

bool HidDevice::BuildReportData(HidReportType type) {
  const HidCollection& collection = *descriptor_data_;
  ReportData& data = report_[Index(type)];
  data.buffer.assign(collection.ReportByteLength(type), 0);
  data.button_caps = collection.button_caps[Index(type)];
  data.value_caps = collection.value_caps[Index(type)];

  size_t item_count = data.button_caps.size();
  size_t usage_slots = 0;
  for (const platform::HIDP_BUTTON_CAPS& cap : data.button_caps) {
    usage_slots += collection.MaxUsageListLength(type, cap.usage_page);
  }
  if (usage_slots > kMaxUsageSlots) return false;
  for (const platform::HIDP_VALUE_CAPS& cap : data.value_caps) {
    item_count += cap.is_range ? size_t{cap.usage_max} - cap.usage_min + 1 : 1;
  }
  data.items.clear();
  data.items.reserve(item_count);
  for (const platform::HIDP_BUTTON_CAPS& cap : data.button_caps) {
    HidDataItem& item = data.items.emplace_back();
    item.is_button = 1;
    item.usage_page = cap.usage_page;
    item.report_id = cap.report_id;
    item.usage_minimum = cap.usage_min;
    item.usage_maximum = cap.is_range ? cap.usage_max : cap.usage_min;
    item.maximum_usage_list_length = collection.MaxUsageListLength(type, cap.usage_page);
    item.usages.assign(item.maximum_usage_list_length, 0);
  }
  for (const platform::HIDP_VALUE_CAPS& cap : data.value_caps) {
    const uint32_t last = cap.is_range ? cap.usage_max : cap.usage_min;
    for (uint32_t usage = cap.usage_min; usage <= last; ++usage) {
      HidDataItem& item = data.items.emplace_back();
      item.usage_page = cap.usage_page;
      item.report_id = cap.report_id;
      item.usage = static_cast<uint16_t>(usage);
    }
  }
  return true;
}

void HidDevice::ReleaseCapsData() {
  for (ReportData& data : report_) data = ReportData{};
  descriptor_data_.reset();
  caps_ = {};
  attributes_ = {};
  interface_number_ = 0;
  collection_number_ = 0;
}

void HidDevice::WaitForTransfersToLeave() {
  for (std::atomic<int>* flag : {&reading_, &writing_}) {
    int value = flag->load();
    while (value != 0) {
      flag->wait(value);
      value = flag->load();
    }
  }
}

void HidDevice::Close() {
  // Unpublish the handle first: a transfer that starts from now on sees none,
  // and one that already holds it is signalled and waited for before the
  // handle goes away.
  handle_.store(nullptr);
  if (reading_.load() != 0 || writing_.load() != 0) {
    cancel_event_.Set();
    WaitForTransfersToLeave();
    cancel_event_.Reset();
  }
  handle_owner_.reset();
  ReleaseCapsData();
}

bool HidDevice::IsOpen() const { return handle_.load() != nullptr; }

int HidDevice::ReadReport(uint8_t* buffer, uint32_t length, uint32_t* bytes_read,
                          int timeout_ms) {
  reading_.store(1);
  uint32_t count = 0;
  int result = kFailed;
  if (HidrawHandle* handle = handle_.load(); handle != nullptr && buffer != nullptr) {
    result = handle->Read(buffer, length, &count, timeout_ms, cancel_event_.fd()) ==
                     HidIoResult::kOk
                 ? kSuccess
                 : kFailed;
  }
  if (bytes_read != nullptr) *bytes_read = result == kSuccess ? count : 0;
  LeaveTransfer(reading_);
  return result;
}

int HidDevice::WriteReport(const uint8_t* buffer, uint32_t length, uint32_t* bytes_written,
                           int timeout_ms) {
  writing_.store(1);
  uint32_t count = 0;
  int result = kFailed;
  if (HidrawHandle* handle = handle_.load(); handle != nullptr && buffer != nullptr) {
    result = handle->Write(buffer, length, &count, timeout_ms, cancel_event_.fd()) ==
                     HidIoResult::kOk
                 ? kSuccess
                 : kFailed;
  }
  if (bytes_written != nullptr) *bytes_written = result == kSuccess ? count : 0;
  LeaveTransfer(writing_);
  return result;
}

int HidDevice::SetOutputReport(const uint8_t* buffer, uint32_t length) {
  writing_.store(1);
  int result = kFailed;
  if (HidrawHandle* handle = handle_.load(); handle != nullptr && buffer != nullptr) {
    result = handle->SetOutputReport(buffer, length) == HidIoResult::kOk ? kSuccess : kFailed;
  }
  LeaveTransfer(writing_);
  return result;
}

int HidDevice::UnpackReport(const uint8_t* report, uint32_t report_length,
                            HidReportType report_type, HidDataItem* items, uint32_t item_count,
                            const platform::HidCollection* descriptor_data) {
  if (report == nullptr || report_length == 0 || descriptor_data == nullptr ||
      (items == nullptr && item_count != 0)) {
    return kFailed;
  }
  const std::span<const uint8_t> bytes(report, report_length);
  const uint8_t report_id = report[0];
  for (uint32_t i = 0; i < item_count; ++i) {
    HidDataItem& item = items[i];
    if (item.report_id != report_id) continue;
    if (item.is_button) {
      const size_t capacity = std::min<size_t>(item.maximum_usage_list_length, item.usages.size());
      const std::span<uint16_t> usages(item.usages.data(), capacity);
      uint32_t found = 0;
      item.status = HidReportDecoder::GetUsages(*descriptor_data, report_type, item.usage_page,
                                                bytes, usages, &found);
      // The page's usages may come from several capabilities: keep this item's own.
      size_t kept = 0;
      for (uint32_t k = 0; k < found; ++k) {
        const int32_t usage = usages[k];
        if (usage >= item.usage_minimum && usage <= item.usage_maximum) usages[kept++] = usages[k];
      }
      std::fill(usages.begin() + static_cast<std::ptrdiff_t>(kept), usages.end(), uint16_t{0});
    } else {
      const platform::HidStatus raw_status = HidReportDecoder::GetUsageValue(
          *descriptor_data, report_type, item.usage_page, item.usage, bytes, &item.value);
      if (raw_status != platform::HIDP_STATUS_SUCCESS) {
        item.status = raw_status;
        return kFailed;
      }
      item.status = HidReportDecoder::GetScaledUsageValue(
          *descriptor_data, report_type, item.usage_page, item.usage, bytes, &item.scaled_value);
    }
    item.is_data_set = 1;
  }
  return kSuccess;
}

}  // namespace zt640
