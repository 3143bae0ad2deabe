#include "devsim/mouse_model.h"

#include <algorithm>
#include <array>

#include "devsim/command_code.h"
#include "transport/byte_order.h"

namespace zt640::devsim {
namespace {

using Image = MouseFactoryImage;

enum class Access {
  kRead,
  kWrite,        ///< accepted at any time
  kConfigWrite,  ///< stored configuration: only between 0x01 and 0x02
};

struct AreaCommand {
  CommandCode code;
  MouseArea area;
  Access access;
};

constexpr std::array<AreaCommand, 9> kAreaCommands = {{
    {CommandCode::kReadDeviceInfo, MouseArea::kDeviceInfo, Access::kRead},
    {CommandCode::kReadSettings, MouseArea::kSettings, Access::kRead},
    {CommandCode::kWriteSettings, MouseArea::kSettings, Access::kConfigWrite},
    {CommandCode::kReadKeyTable, MouseArea::kKeyTable, Access::kRead},
    {CommandCode::kWriteKeyTable, MouseArea::kKeyTable, Access::kConfigWrite},
    {CommandCode::kStreamLightFrame, MouseArea::kLiveFrame, Access::kWrite},
    {CommandCode::kWriteMacroArea, MouseArea::kMacros, Access::kConfigWrite},
    {CommandCode::kWriteShootData, MouseArea::kShootData, Access::kConfigWrite},
    {CommandCode::kReadStatus, MouseArea::kPowerRecord, Access::kRead},
}};

const AreaCommand* FindAreaCommand(uint8_t command) {
  for (const AreaCommand& entry : kAreaCommands) {
    if (static_cast<uint8_t>(entry.code) == command) return &entry;
  }
  return nullptr;
}

// A settings access stays inside one slot's record: reads may cover the 71 bytes
// the record has, writes only the 66 the host owns.
bool InsideOneRecord(size_t offset, size_t length, size_t record_part) {
  return offset % Image::kSlotStride + length <= record_part;
}

// Whether the firmware can run a record: the values it acts on are in range.
bool RecordRunnable(std::span<const uint8_t> record, bool active_slot_byte) {
  if (active_slot_byte && record[Image::kRecordSlot] >= Image::kSettingsSlots) return false;
  if (record[Image::kRecordReportRate] >= Image::kReportRates) return false;
  if (record[Image::kRecordCurrentStage] >= Image::kStages) return false;
  for (size_t i = 0; i < Image::kStages; ++i) {
    const uint8_t* stage = record.data() + Image::kRecordStages + i * Image::kStageSize;
    if (stage[0] > 1 || stage[1] > 1) return false;
    if (LoadLe16(stage + 2) > Image::kLevelMaximum || LoadLe16(stage + 4) > Image::kLevelMaximum) {
      return false;
    }
  }
  return true;
}

}  // namespace

MouseModel::MouseModel(const MouseModelConfig& config) : variant_(config.variant) {
  areas_.emplace_back(Image::DeviceInfo(config.variant, config.firmware_version));
  areas_.emplace_back(Image::Settings(config.firmware_version));
  areas_.emplace_back(Image::KeyTable(config.variant));
  areas_.emplace_back(std::vector<uint8_t>(Image::kMacroCapacityUnits * Image::kMacroUnit, 0));
  areas_.emplace_back(std::vector<uint8_t>(Image::kShootAreaSize, 0));
  areas_.emplace_back(Image::PowerRecord(config.battery_percent, config.charge_state));
  areas_.emplace_back(std::vector<uint8_t>(Image::kLiveFrameSize, 0));
}

DevicePacket MouseModel::Execute(const DevicePacket& request) {
  const uint8_t command = request.Command();
  const uint8_t length = request.Length();
  const uint16_t offset = request.Offset();
  DevicePacket reply = DevicePacket::Reply(command, length, offset, ReplyStatus::kAccepted);
  const DevicePacket refused =
      DevicePacket::Reply(command, length, offset, ReplyStatus::kRejected);

  if (!request.ChecksumValid() || length > DevicePacket::kMaxData) return refused;

  if (const AreaCommand* entry = FindAreaCommand(command)) {
    if (entry->access == Access::kConfigWrite && !config_open_) {
      ++writes_outside_config_;
      return DevicePacket::Reply(command, length, offset, ReplyStatus::kRefusedForNow);
    }
    const auto data = request.Data().first(length);
    switch (entry->area) {
      case MouseArea::kSettings:
        if (entry->access == Access::kRead) {
          if (!InsideOneRecord(offset, length, Image::kRecordReadSize)) return refused;
          break;
        }
        return WriteSettingsLocked(offset, data) ? reply : refused;
      case MouseArea::kShootData:
        if (offset % Image::kShootChunk != 0) return refused;
        break;
      default:
        break;
    }
    MemoryArea& area = AreaRef(entry->area);
    if (entry->access == Access::kRead) {
      if (!area.Read(offset, reply.MutableData().first(length))) return refused;
    } else if (!area.Write(offset, data)) {
      return refused;
    }
    return reply;
  }

  switch (static_cast<CommandCode>(command)) {
    case CommandCode::kBeginConfig:
      config_open_ = true;
      return reply;
    case CommandCode::kEndConfig:
      config_open_ = false;
      return reply;
    default:
      return refused;
  }
}

bool MouseModel::WriteSettingsLocked(size_t offset, std::span<const uint8_t> data) {
  MemoryArea& settings = AreaRef(MouseArea::kSettings);
  if (!settings.Fits(offset, data.size()) ||
      !InsideOneRecord(offset, data.size(), Image::kRecordWriteSize)) {
    return false;
  }
  const size_t start = offset - offset % Image::kSlotStride;
  std::vector<uint8_t> record(Image::kRecordReadSize);
  if (!settings.Read(start, record)) return false;
  std::copy(data.begin(), data.end(), record.begin() + static_cast<std::ptrdiff_t>(offset - start));
  if (!RecordRunnable(record, start == 0)) return false;
  return settings.Write(offset, data);
}

std::vector<uint8_t> MouseModel::Area(MouseArea area) const {
  std::lock_guard lock(mutex_);
  const auto contents = AreaRef(area).Contents();
  return {contents.begin(), contents.end()};
}

std::vector<uint8_t> MouseModel::FactoryArea(MouseArea area) const {
  std::lock_guard lock(mutex_);
  const auto contents = AreaRef(area).Factory();
  return {contents.begin(), contents.end()};
}

bool MouseModel::WriteArea(MouseArea area, size_t offset, std::span<const uint8_t> data) {
  std::lock_guard lock(mutex_);
  return AreaRef(area).Write(offset, data);
}

std::vector<uint8_t> MouseModel::ActiveRecord() const {
  std::lock_guard lock(mutex_);
  std::vector<uint8_t> record(Image::kRecordReadSize);
  // Every slot's record lies inside the area; the read cannot fail.
  (void)AreaRef(MouseArea::kSettings).Read(ActiveSlotLocked() * Image::kSlotStride, record);
  return record;
}

uint8_t MouseModel::ActiveSlot() const {
  std::lock_guard lock(mutex_);
  return ActiveSlotLocked();
}

uint8_t MouseModel::ActiveSlotLocked() const {
  return AreaRef(MouseArea::kSettings).Contents()[Image::kRecordSlot];
}

uint8_t MouseModel::CurrentStage() const {
  std::lock_guard lock(mutex_);
  const auto settings = AreaRef(MouseArea::kSettings).Contents();
  return settings[ActiveSlotLocked() * Image::kSlotStride + Image::kRecordCurrentStage];
}

bool MouseModel::SelectSlot(uint8_t slot) {
  if (slot >= Image::kSettingsSlots) return false;
  std::lock_guard lock(mutex_);
  const std::array<uint8_t, 1> byte = {slot};
  return AreaRef(MouseArea::kSettings).Write(Image::kRecordSlot, byte);
}

bool MouseModel::SelectStage(uint8_t stage) {
  if (stage >= Image::kStages) return false;
  std::lock_guard lock(mutex_);
  MemoryArea& settings = AreaRef(MouseArea::kSettings);
  const size_t record = ActiveSlotLocked() * Image::kSlotStride;
  if (settings.Contents()[record + Image::kRecordStages + stage * Image::kStageSize] == 0) {
    return false;
  }
  const std::array<uint8_t, 1> byte = {stage};
  return settings.Write(record + Image::kRecordCurrentStage, byte);
}

void MouseModel::SetPower(uint8_t battery_percent, uint8_t charge_state) {
  std::lock_guard lock(mutex_);
  const std::array<uint8_t, 2> bytes = {battery_percent, charge_state};
  // The record's first two bytes always exist; the write cannot fail.
  (void)AreaRef(MouseArea::kPowerRecord).Write(0, bytes);
}

bool MouseModel::ConfigOpen() const {
  std::lock_guard lock(mutex_);
  return config_open_;
}

uint64_t MouseModel::WritesOutsideConfig() const {
  std::lock_guard lock(mutex_);
  return writes_outside_config_;
}

MemoryArea& MouseModel::AreaRef(MouseArea area) { return areas_[static_cast<size_t>(area)]; }

const MemoryArea& MouseModel::AreaRef(MouseArea area) const {
  return areas_[static_cast<size_t>(area)];
}

}  // namespace zt640::devsim
