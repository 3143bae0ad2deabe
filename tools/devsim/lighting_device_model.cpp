#include "devsim/lighting_device_model.h"

#include <algorithm>

#include "devsim/command_code.h"

namespace zt640::devsim {
namespace {

constexpr size_t kDeviceInfoSize = 34;
constexpr size_t kInfoKeyCount = 5;
constexpr size_t kInfoVersionLow = 0;
constexpr size_t kPowerRecordSize = 6;
constexpr size_t kRecordBrightness = 2;
constexpr size_t kRecordInvertedSpeed = 3;
constexpr size_t kRecordMulticolour = 5;
constexpr uint8_t kTopLevel = 4;

std::vector<uint8_t> FactoryInfo(const LightingModelConfig& config) {
  std::vector<uint8_t> info(kDeviceInfoSize, 0);
  info[kInfoVersionLow] = static_cast<uint8_t>(config.firmware_version);
  info[kInfoVersionLow + 1] = static_cast<uint8_t>(config.firmware_version >> 8);
  info[kInfoKeyCount] = config.zones;
  return info;
}

// Every slot holds a runnable record: static green at full brightness, middle
// speed; bytes 9-20 carry firmware values the host keeps as read.
std::vector<uint8_t> FactorySettings() {
  std::vector<uint8_t> settings(LightingDeviceModel::kSlots * LightingDeviceModel::kSlotStride, 0);
  for (size_t slot = 0; slot < LightingDeviceModel::kSlots; ++slot) {
    uint8_t* record = settings.data() + slot * LightingDeviceModel::kSlotStride;
    const std::array<uint8_t, 9> light = {0, 1, 4, 2, 1, 0, 0x00, 0xFF, 0x00};
    std::copy(light.begin(), light.end(), record);
    for (size_t i = 9; i < LightingDeviceModel::kRecordSize; ++i) record[i] = static_cast<uint8_t>(0xA0 + i);
  }
  settings[0] = 0;  // slot 0 is active
  return settings;
}

bool RecordRunnable(std::span<const uint8_t> record, bool active_slot_byte) {
  if (active_slot_byte && record[0] >= LightingDeviceModel::kSlots) return false;
  return record[kRecordBrightness] <= kTopLevel && record[kRecordInvertedSpeed] <= kTopLevel &&
         record[kRecordMulticolour] <= 1;
}

}  // namespace

LightingDeviceModel::LightingDeviceModel(const LightingModelConfig& config) : config_(config) {
  areas_.emplace_back(FactoryInfo(config));
  areas_.emplace_back(FactorySettings());
  std::vector<uint8_t> power(kPowerRecordSize, 0);
  power[0] = config.battery_percent;
  power[1] = config.charge_state;
  areas_.emplace_back(std::move(power));
  areas_.emplace_back(std::vector<uint8_t>(3u * config.zones, 0));
}

DevicePacket LightingDeviceModel::Execute(const DevicePacket& request) {
  const uint8_t command = request.Command();
  const uint8_t length = request.Length();
  const uint16_t offset = request.Offset();
  DevicePacket reply = DevicePacket::Reply(command, length, offset, ReplyStatus::kAccepted);
  const DevicePacket refused = DevicePacket::Reply(command, length, offset, ReplyStatus::kRejected);
  if (!request.ChecksumValid() || length > DevicePacket::kMaxData) return refused;
  const auto data = request.Data().first(length);
  const auto read = [&](LightingArea area) {
    return AreaRef(area).Read(offset, reply.MutableData().first(length)) ? reply : refused;
  };

  switch (static_cast<CommandCode>(command)) {
    case CommandCode::kBeginConfig:
      config_open_ = true;
      return reply;
    case CommandCode::kEndConfig:
      config_open_ = false;
      return reply;
    case CommandCode::kReadDeviceInfo:
      return read(LightingArea::kDeviceInfo);
    case CommandCode::kReadSettings:
      return read(LightingArea::kSettings);
    case CommandCode::kReadStatus:
      return read(LightingArea::kPowerRecord);
    case CommandCode::kWriteSettings:
      if (!config_open_) {
        ++writes_outside_config_;
        return DevicePacket::Reply(command, length, offset, ReplyStatus::kRefusedForNow);
      }
      return WriteSettingsLocked(offset, data) ? reply : refused;
    case CommandCode::kStreamLightFrame:
      if (!config_.streams_frames) return refused;
      return AreaRef(LightingArea::kLiveFrame).Write(offset, data) ? reply : refused;
    default:
      return refused;
  }
}

bool LightingDeviceModel::WriteSettingsLocked(size_t offset, std::span<const uint8_t> data) {
  MemoryArea& settings = AreaRef(LightingArea::kSettings);
  if (offset % kSlotStride != 0 || data.size() > kRecordSize || !settings.Fits(offset, data.size())) return false;
  std::vector<uint8_t> record(kRecordSize);
  if (!settings.Read(offset, record)) return false;
  std::copy(data.begin(), data.end(), record.begin());
  if (!RecordRunnable(record, offset == 0)) return false;
  return settings.Write(offset, data);
}

bool LightingDeviceModel::ReceiveOutputReport(std::span<const uint8_t> bytes) {
  std::lock_guard lock(mutex_);
  if (!config_.takes_output_reports || bytes.size() != kOutputReportSize || bytes[0] != kOutputReportId) {
    ++output_refused_;
    return false;
  }
  OutputReport report{};
  std::copy(bytes.begin(), bytes.end(), report.begin());
  output_log_.push_back(report);
  if (output_log_.size() > kOutputLogLimit) output_log_.pop_front();
  ++output_count_;
  return true;
}

std::vector<uint8_t> LightingDeviceModel::Area(LightingArea area) const {
  std::lock_guard lock(mutex_);
  const auto contents = AreaRef(area).Contents();
  return {contents.begin(), contents.end()};
}

bool LightingDeviceModel::WriteArea(LightingArea area, size_t offset, std::span<const uint8_t> data) {
  std::lock_guard lock(mutex_);
  return AreaRef(area).Write(offset, data);
}

std::vector<uint8_t> LightingDeviceModel::Record(size_t slot) const {
  std::lock_guard lock(mutex_);
  std::vector<uint8_t> record(kRecordSize, 0);
  if (slot < kSlots) (void)AreaRef(LightingArea::kSettings).Read(slot * kSlotStride, record);
  return record;
}

bool LightingDeviceModel::ConfigOpen() const {
  std::lock_guard lock(mutex_);
  return config_open_;
}

uint64_t LightingDeviceModel::WritesOutsideConfig() const {
  std::lock_guard lock(mutex_);
  return writes_outside_config_;
}

std::vector<LightingDeviceModel::OutputReport> LightingDeviceModel::OutputReports() const {
  std::lock_guard lock(mutex_);
  return {output_log_.begin(), output_log_.end()};
}

uint64_t LightingDeviceModel::OutputReportCount() const {
  std::lock_guard lock(mutex_);
  return output_count_;
}

uint64_t LightingDeviceModel::RefusedOutputReports() const {
  std::lock_guard lock(mutex_);
  return output_refused_;
}

}  // namespace zt640::devsim
