#include "platform/hid/report_descriptor_parser.h"

#include <algorithm>
#include <array>
#include <optional>

namespace zt640::platform {

namespace {

enum class ItemType : uint8_t { kMain = 0, kGlobal = 1, kLocal = 2, kReserved = 3 };

enum MainTag : uint8_t {
  kTagInput = 0x8,
  kTagOutput = 0x9,
  kTagCollection = 0xA,
  kTagFeature = 0xB,
  kTagEndCollection = 0xC,
};

enum GlobalTag : uint8_t {
  kTagUsagePage = 0x0,
  kTagLogicalMin = 0x1,
  kTagLogicalMax = 0x2,
  kTagPhysicalMin = 0x3,
  kTagPhysicalMax = 0x4,
  kTagUnitExponent = 0x5,
  kTagUnit = 0x6,
  kTagReportSize = 0x7,
  kTagReportId = 0x8,
  kTagReportCount = 0x9,
  kTagPush = 0xA,
  kTagPop = 0xB,
};

enum LocalTag : uint8_t {
  kTagUsage = 0x0,
  kTagUsageMin = 0x1,
  kTagUsageMax = 0x2,
  kTagDelimiter = 0xA,
};

constexpr uint8_t kLongItemPrefix = 0xFE;
constexpr size_t kMaxLocalUsages = 4096;

// An item's data: the raw little-endian bytes and their count, so that a
// maximum can be read signed or unsigned depending on its minimum.
struct ItemData {
  uint32_t raw = 0;
  uint8_t size = 0;

  [[nodiscard]] int32_t Signed() const {
    switch (size) {
      case 1: return static_cast<int8_t>(raw);
      case 2: return static_cast<int16_t>(raw);
      case 4: return static_cast<int32_t>(raw);
      default: return 0;
    }
  }
};

struct GlobalState {
  uint16_t usage_page = 0;
  ItemData logical_min;
  ItemData logical_max;
  ItemData physical_min;
  ItemData physical_max;
  uint32_t unit_exponent = 0;
  uint32_t unit = 0;
  uint32_t report_size = 0;
  uint8_t report_id = 0;
  uint32_t report_count = 0;
};

// A maximum is signed when its minimum is negative (as the HID class drivers read it).
int32_t ReadMaximum(const ItemData& min, const ItemData& max) {
  if (min.Signed() < 0) return max.Signed();
  return static_cast<int32_t>(max.raw);
}

struct UsageEntry {
  uint16_t page = 0;
  bool page_given = false;
  uint16_t min = 0;
  uint16_t max = 0;
  bool is_range = false;
};

struct LocalState {
  std::vector<UsageEntry> usages;
  std::optional<UsageEntry> pending_min;
  std::optional<UsageEntry> pending_max;
  int delimiter_depth = 0;
  bool delimiter_usage_taken = false;

  void Clear() { *this = LocalState{}; }
};

// A usage item's page: given in the upper half of a four-byte item, else taken
// from the usage page in effect when the main item closes the local state.
UsageEntry MakeUsage(const ItemData& data) {
  UsageEntry entry;
  entry.min = entry.max = static_cast<uint16_t>(data.raw & 0xFFFF);
  if (data.size == 4) {
    entry.page = static_cast<uint16_t>(data.raw >> 16);
    entry.page_given = true;
  }
  return entry;
}

class Parser {
 public:
  explicit Parser(std::span<const uint8_t> descriptor) : data_(descriptor) {}

  ReportDescriptorParseResult Run() {
    ReportDescriptorParseResult result;
    if (data_.size() > ReportDescriptorParser::kMaxDescriptorBytes) {
      result.error = "descriptor larger than 4096 bytes";
      return result;
    }
    if (!ParseItems()) {
      result.error = error_;
      return result;
    }
    if (!open_nodes_.empty()) {
      result.error = "collection not closed at end of descriptor";
      return result;
    }
    for (HidCollection& collection : collections_) {
      collection.numbered_reports = numbered_;
      collection.FinishCaps();
    }
    result.ok = true;
    result.collections = std::move(collections_);
    return result;
  }

 private:
  bool Fail(const char* reason) {
    error_ = reason;
    return false;
  }

  bool ParseItems() {
    size_t pos = 0;
    while (pos < data_.size()) {
      const uint8_t prefix = data_[pos];
      if (prefix == kLongItemPrefix) {
        if (data_.size() - pos < 3) return Fail("truncated long item");
        const size_t length = data_[pos + 1];
        if (data_.size() - pos - 3 < length) return Fail("truncated long item");
        pos += 3 + length;
        continue;
      }
      static constexpr std::array<uint8_t, 4> kSizes = {0, 1, 2, 4};
      ItemData item;
      item.size = kSizes[prefix & 0x3];
      if (data_.size() - pos - 1 < item.size) return Fail("truncated item");
      for (uint8_t i = 0; i < item.size; ++i) {
        item.raw |= uint32_t{data_[pos + 1 + i]} << (8 * i);
      }
      pos += 1 + item.size;
      const auto type = static_cast<ItemType>((prefix >> 2) & 0x3);
      const uint8_t tag = prefix >> 4;
      bool ok = true;
      switch (type) {
        case ItemType::kMain: ok = MainItem(tag, item); break;
        case ItemType::kGlobal: ok = GlobalItem(tag, item); break;
        case ItemType::kLocal: ok = LocalItem(tag, item); break;
        case ItemType::kReserved: break;
      }
      if (!ok) return false;
    }
    return true;
  }

  bool GlobalItem(uint8_t tag, const ItemData& item) {
    switch (tag) {
      case kTagUsagePage: global_.usage_page = static_cast<uint16_t>(item.raw); break;
      case kTagLogicalMin: global_.logical_min = item; break;
      case kTagLogicalMax: global_.logical_max = item; break;
      case kTagPhysicalMin: global_.physical_min = item; break;
      case kTagPhysicalMax: global_.physical_max = item; break;
      case kTagUnitExponent: global_.unit_exponent = item.raw; break;
      case kTagUnit: global_.unit = item.raw; break;
      case kTagReportSize:
        if (item.raw > ReportDescriptorParser::kMaxReportSize) return Fail("report size too large");
        global_.report_size = item.raw;
        break;
      case kTagReportId:
        if (item.raw == 0 || item.raw > 255) return Fail("invalid report id");
        global_.report_id = static_cast<uint8_t>(item.raw);
        numbered_ = true;
        break;
      case kTagReportCount:
        if (item.raw > ReportDescriptorParser::kMaxReportCount) {
          return Fail("report count too large");
        }
        global_.report_count = item.raw;
        break;
      case kTagPush:
        if (global_stack_.size() >= ReportDescriptorParser::kMaxGlobalStackDepth) {
          return Fail("global stack overflow");
        }
        global_stack_.push_back(global_);
        break;
      case kTagPop:
        if (global_stack_.empty()) return Fail("global stack underflow");
        global_ = global_stack_.back();
        global_stack_.pop_back();
        break;
      default: break;
    }
    return true;
  }

  bool LocalItem(uint8_t tag, const ItemData& item) {
    switch (tag) {
      case kTagUsage:
        // Within a delimiter set only the first (preferred) usage is kept.
        if (local_.delimiter_depth > 0) {
          if (local_.delimiter_usage_taken) return true;
          local_.delimiter_usage_taken = true;
        }
        return AddUsage(MakeUsage(item));
      case kTagUsageMin:
        local_.pending_min = MakeUsage(item);
        return CompleteRange();
      case kTagUsageMax:
        local_.pending_max = MakeUsage(item);
        return CompleteRange();
      case kTagDelimiter:
        if (item.raw == 1) {
          if (local_.delimiter_depth > 0) return Fail("nested delimiter");
          local_.delimiter_depth = 1;
          local_.delimiter_usage_taken = false;
        } else {
          if (local_.delimiter_depth == 0) return Fail("unbalanced delimiter");
          local_.delimiter_depth = 0;
        }
        return true;
      default: return true;
    }
  }

  bool AddUsage(const UsageEntry& entry) {
    if (local_.usages.size() >= kMaxLocalUsages) return Fail("too many usages");
    local_.usages.push_back(entry);
    return true;
  }

  bool CompleteRange() {
    if (!local_.pending_min || !local_.pending_max) return true;
    UsageEntry range = *local_.pending_min;
    range.max = local_.pending_max->min;
    range.is_range = true;
    local_.pending_min.reset();
    local_.pending_max.reset();
    if (range.max < range.min) return Fail("usage maximum below usage minimum");
    return AddUsage(range);
  }

  std::vector<UsageEntry> ResolvedUsages() const {
    std::vector<UsageEntry> usages = local_.usages;
    for (UsageEntry& entry : usages) {
      if (!entry.page_given) entry.page = global_.usage_page;
    }
    return usages;
  }

  bool MainItem(uint8_t tag, const ItemData& item) {
    bool ok = true;
    switch (tag) {
      case kTagCollection: ok = BeginCollection(item); break;
      case kTagEndCollection:
        if (open_nodes_.empty()) return Fail("end collection without collection");
        open_nodes_.pop_back();
        break;
      case kTagInput: ok = DataItem(HidReportType::kInput, item); break;
      case kTagOutput: ok = DataItem(HidReportType::kOutput, item); break;
      case kTagFeature: ok = DataItem(HidReportType::kFeature, item); break;
      default: break;
    }
    local_.Clear();
    return ok;
  }

  bool BeginCollection(const ItemData& item) {
    if (open_nodes_.size() >= ReportDescriptorParser::kMaxCollectionDepth) {
      return Fail("collections nested too deep");
    }
    HIDP_LINK_COLLECTION_NODE node;
    const std::vector<UsageEntry> usages = ResolvedUsages();
    if (!usages.empty()) {
      node.link_usage_page = usages.front().page;
      node.link_usage = usages.front().min;
    }
    node.collection_type = static_cast<uint8_t>(item.raw);
    if (open_nodes_.empty()) {
      if (collections_.size() >= ReportDescriptorParser::kMaxTopLevelCollections) {
        return Fail("too many top-level collections");
      }
      HidCollection& collection = collections_.emplace_back();
      collection.caps.usage_page = node.link_usage_page;
      collection.caps.usage = node.link_usage;
      collection.link_nodes.push_back(node);
      last_child_.assign(1, 0);
      next_data_index_.fill(0);
      open_nodes_.push_back(0);
      return true;
    }
    HidCollection& collection = collections_.back();
    if (collection.link_nodes.size() >= ReportDescriptorParser::kMaxLinkNodes) {
      return Fail("too many collections");
    }
    const auto index = static_cast<uint16_t>(collection.link_nodes.size());
    const uint16_t parent = open_nodes_.back();
    node.parent = parent;
    collection.link_nodes.push_back(node);
    last_child_.push_back(0);
    HIDP_LINK_COLLECTION_NODE& parent_node = collection.link_nodes[parent];
    if (parent_node.number_of_children == 0) {
      parent_node.first_child = index;
    } else {
      collection.link_nodes[last_child_[parent]].next_sibling = index;
    }
    ++parent_node.number_of_children;
    last_child_[parent] = index;
    open_nodes_.push_back(index);
    return true;
  }

  bool DataItem(HidReportType type, const ItemData& item) {
    // Main items outside every collection belong to no interface.
    if (open_nodes_.empty()) return true;
    HidCollection& collection = collections_.back();
    const uint32_t size = global_.report_size;
    const uint32_t count = global_.report_count;
    const uint32_t bit_position = collection.ReportBits(type, global_.report_id);
    if (!collection.AddReportBits(type, global_.report_id, size * count)) {
      return Fail("report too long");
    }
    const std::vector<UsageEntry> usages = ResolvedUsages();
    if (count == 0 || usages.empty()) return true;

    const auto flags = static_cast<uint16_t>(item.raw & 0x1FF);
    HidpFieldCaps base;
    base.report_id = global_.report_id;
    base.bit_field = flags;
    const uint16_t link = open_nodes_.back();
    base.link_collection = link;
    base.link_usage = collection.link_nodes[link].link_usage;
    base.link_usage_page = collection.link_nodes[link].link_usage_page;
    base.is_absolute = (flags & kMainItemRelative) == 0;
    base.has_null = (flags & kMainItemNullState) != 0;
    base.bit_size = static_cast<uint16_t>(size);
    base.units_exp = global_.unit_exponent;
    base.units = global_.unit;
    base.logical_min = global_.logical_min.Signed();
    base.logical_max = ReadMaximum(global_.logical_min, global_.logical_max);
    base.physical_min = global_.physical_min.Signed();
    base.physical_max = ReadMaximum(global_.physical_min, global_.physical_max);

    const bool is_array = (flags & kMainItemVariable) == 0;
    std::vector<HidpFieldCaps> item_caps;
    if (is_array) {
      // Every usage of an array shares all its fields; a field's value picks one.
      uint32_t index_offset = 0;
      for (const UsageEntry& entry : usages) {
        HidpFieldCaps cap = MakeCap(base, entry);
        cap.report_count = static_cast<uint16_t>(count);
        cap.bit_position = bit_position;
        cap.array_index_offset = index_offset;
        index_offset += uint32_t{entry.max} - entry.min + 1;
        item_caps.push_back(cap);
      }
    } else {
      // Each usage takes the next field(s); the last one takes all remaining fields.
      uint32_t field = 0;
      for (size_t i = 0; i < usages.size() && field < count; ++i) {
        const UsageEntry& entry = usages[i];
        const uint32_t span = uint32_t{entry.max} - entry.min + 1;
        const bool last = i + 1 == usages.size();
        const uint32_t take = last ? count - field : std::min(span, count - field);
        HidpFieldCaps cap = MakeCap(base, entry);
        cap.report_count = static_cast<uint16_t>(take);
        cap.bit_position = bit_position + field * size;
        field += take;
        item_caps.push_back(cap);
      }
    }
    std::reverse(item_caps.begin(), item_caps.end());

    const bool is_button = is_array || size == 1;
    const int type_index = ReportTypeIndex(type);
    uint32_t& next_index = next_data_index_[type_index];
    auto& target = is_button ? collection.button_caps[type_index]
                             : collection.value_caps[type_index];
    for (HidpFieldCaps& cap : item_caps) {
      const uint32_t span = uint32_t{cap.usage_max} - cap.usage_min + 1;
      if (next_index + span > ReportDescriptorParser::kMaxPerTypeTotal) {
        return Fail("too many data indices");
      }
      cap.data_index_min = static_cast<uint16_t>(next_index);
      cap.data_index_max = static_cast<uint16_t>(next_index + span - 1);
      next_index += span;
      target.push_back(cap);
    }
    if (is_button &&
        collection.MaxUsageListLength(type, 0) > ReportDescriptorParser::kMaxPerTypeTotal) {
      return Fail("too many button usages");
    }
    return true;
  }

  static HidpFieldCaps MakeCap(const HidpFieldCaps& base, const UsageEntry& entry) {
    HidpFieldCaps cap = base;
    cap.usage_page = entry.page;
    cap.is_range = entry.is_range;
    cap.usage_min = entry.min;
    cap.usage_max = entry.max;
    return cap;
  }

  std::span<const uint8_t> data_;
  std::string error_;
  GlobalState global_;
  std::vector<GlobalState> global_stack_;
  LocalState local_;
  bool numbered_ = false;
  std::vector<HidCollection> collections_;
  /// Link node indices of the open collections, innermost last.
  std::vector<uint16_t> open_nodes_;
  /// Per link node of the current top-level collection: its most recent child.
  std::vector<uint16_t> last_child_;
  std::array<uint32_t, kHidReportTypeCount> next_data_index_{};
};

}  // namespace

ReportDescriptorParseResult ReportDescriptorParser::Parse(std::span<const uint8_t> descriptor) {
  return Parser(descriptor).Run();
}

}  // namespace zt640::platform
