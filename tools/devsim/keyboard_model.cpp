#include "devsim/keyboard_model.h"

#include <algorithm>
#include <array>

#include "devsim/command_code.h"
#include "devsim/keyboard_factory_image.h"

namespace zt640::devsim {
namespace {

enum class Access {
  kRead,
  kWrite,        ///< accepted at any time
  kConfigWrite,  ///< stored configuration: only between 0x01 and 0x02
};

struct AreaCommand {
  CommandCode code;
  KeyboardArea area;
  Access access;
};

// The stored configuration (settings, key table, macros, shoot data) changes only inside
// a 0x01/0x02 sequence. The colour pages are written on their own under the host's light
// lock, and the live frame is streamed, not stored: neither waits for a sequence.
constexpr std::array<AreaCommand, 11> kAreaCommands = {{
    {CommandCode::kReadDeviceInfo, KeyboardArea::kDeviceInfo, Access::kRead},
    {CommandCode::kReadSettings, KeyboardArea::kSettings, Access::kRead},
    {CommandCode::kWriteSettings, KeyboardArea::kSettings, Access::kConfigWrite},
    {CommandCode::kReadKeyTable, KeyboardArea::kKeyTable, Access::kRead},
    {CommandCode::kWriteKeyTable, KeyboardArea::kKeyTable, Access::kConfigWrite},
    {CommandCode::kReadLightMemory, KeyboardArea::kColourPages, Access::kRead},
    {CommandCode::kWriteLightMemory, KeyboardArea::kColourPages, Access::kWrite},
    {CommandCode::kStreamLightFrame, KeyboardArea::kLiveFrame, Access::kWrite},
    {CommandCode::kWriteMacroArea, KeyboardArea::kMacros, Access::kConfigWrite},
    {CommandCode::kWriteShootData, KeyboardArea::kShootData, Access::kConfigWrite},
    {CommandCode::kReadStatus, KeyboardArea::kPowerRecord, Access::kRead},
}};

constexpr AreaCommand kReadKeyLightMap = {CommandCode::kReadKeyLightMap,
                                          KeyboardArea::kKeyLightMap, Access::kRead};

const AreaCommand* FindAreaCommand(uint8_t command) {
  if (command == static_cast<uint8_t>(kReadKeyLightMap.code)) return &kReadKeyLightMap;
  for (const AreaCommand& entry : kAreaCommands) {
    if (static_cast<uint8_t>(entry.code) == command) return &entry;
  }
  return nullptr;
}

// The factory reset is sent with its checksum bytes left 0; the firmware takes
// it that way as well as with a correct checksum.
bool ChecksumAcceptable(const DevicePacket& request) {
  if (request.ChecksumValid()) return true;
  return request.Command() == static_cast<uint8_t>(CommandCode::kResetToDefaults) &&
         request.ChecksumField() == 0;
}

}  // namespace

KeyboardModel::KeyboardModel(const KeyboardModelConfig& config) {
  using Image = KeyboardFactoryImage;
  areas_.emplace_back(Image::DeviceInfo(config.firmware_version));
  areas_.emplace_back(Image::Settings());
  areas_.emplace_back(Image::KeyTable());
  areas_.emplace_back(Image::KeyLightMap());
  areas_.emplace_back(Image::ColourPages());
  areas_.emplace_back(std::vector<uint8_t>(Image::kMacroCapacityUnits * Image::kMacroUnit, 0));
  areas_.emplace_back(std::vector<uint8_t>(Image::kShootAreaSize, 0));
  areas_.emplace_back(Image::PowerRecord(config.battery_percent, config.charge_state));
  areas_.emplace_back(std::vector<uint8_t>(Image::kLiveFrameSize, 0));
}

DevicePacket KeyboardModel::Execute(const DevicePacket& request) {
  const uint8_t command = request.Command();
  const uint8_t length = request.Length();
  const uint16_t offset = request.Offset();
  DevicePacket reply = DevicePacket::Reply(command, length, offset, ReplyStatus::kAccepted);
  const DevicePacket refused =
      DevicePacket::Reply(command, length, offset, ReplyStatus::kRejected);

  if (!ChecksumAcceptable(request) || length > DevicePacket::kMaxData) return refused;

  if (const AreaCommand* entry = FindAreaCommand(command)) {
    if (entry->access == Access::kConfigWrite && !config_open_) {
      ++writes_outside_config_;
      return DevicePacket::Reply(command, length, offset, ReplyStatus::kRefusedForNow);
    }
    MemoryArea& area = AreaRef(entry->area);
    if (entry->access == Access::kRead) {
      if (!area.Read(offset, reply.MutableData().first(length))) return refused;
    } else if (!area.Write(offset, request.Data().first(length))) {
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
    case CommandCode::kEnableHostLighting:
      host_lighting_ = true;
      return reply;
    case CommandCode::kResetToDefaults:
      ResetLocked();
      return reply;
    default:
      return refused;
  }
}

std::vector<uint8_t> KeyboardModel::Area(KeyboardArea area) const {
  std::lock_guard lock(mutex_);
  const auto contents = AreaRef(area).Contents();
  return {contents.begin(), contents.end()};
}

std::vector<uint8_t> KeyboardModel::FactoryArea(KeyboardArea area) const {
  std::lock_guard lock(mutex_);
  const auto contents = AreaRef(area).Factory();
  return {contents.begin(), contents.end()};
}

bool KeyboardModel::WriteArea(KeyboardArea area, size_t offset, std::span<const uint8_t> data) {
  std::lock_guard lock(mutex_);
  return AreaRef(area).Write(offset, data);
}

bool KeyboardModel::SelectSlot(uint8_t slot) {
  if (slot >= KeyboardFactoryImage::kSettingsSlots) return false;
  std::lock_guard lock(mutex_);
  const std::array<uint8_t, 1> byte = {slot};
  return AreaRef(KeyboardArea::kSettings).Write(0, byte);
}

void KeyboardModel::SetPower(uint8_t battery_percent, uint8_t charge_state) {
  std::lock_guard lock(mutex_);
  const std::array<uint8_t, 2> bytes = {battery_percent, charge_state};
  // The record's first two bytes always exist; the write cannot fail.
  (void)AreaRef(KeyboardArea::kPowerRecord).Write(0, bytes);
}

void KeyboardModel::ResetToFactory() {
  std::lock_guard lock(mutex_);
  ResetLocked();
}

void KeyboardModel::ResetLocked() {
  // The power record reports the battery, which a reset does not recharge.
  for (size_t i = 0; i < areas_.size(); ++i) {
    if (static_cast<KeyboardArea>(i) != KeyboardArea::kPowerRecord) areas_[i].Reset();
  }
  config_open_ = false;
  host_lighting_ = false;
}

bool KeyboardModel::ConfigOpen() const {
  std::lock_guard lock(mutex_);
  return config_open_;
}

uint64_t KeyboardModel::WritesOutsideConfig() const {
  std::lock_guard lock(mutex_);
  return writes_outside_config_;
}

std::array<uint8_t, 3> KeyboardModel::LiveColourOfKey(size_t device_key) const {
  std::lock_guard lock(mutex_);
  std::array<uint8_t, 3> colour{};
  const auto map = AreaRef(KeyboardArea::kKeyLightMap).Contents();
  if (device_key >= map.size()) return colour;
  // A position whose three bytes lie beyond the frame stays dark.
  if (!AreaRef(KeyboardArea::kLiveFrame).Read(3u * map[device_key], colour)) return {};
  return colour;
}

bool KeyboardModel::HostLightingEnabled() const {
  std::lock_guard lock(mutex_);
  return host_lighting_;
}

uint8_t KeyboardModel::KeyCount() const {
  return static_cast<uint8_t>(KeyboardFactoryImage::kKeyCount);
}

MemoryArea& KeyboardModel::AreaRef(KeyboardArea area) {
  return areas_[static_cast<size_t>(area)];
}

const MemoryArea& KeyboardModel::AreaRef(KeyboardArea area) const {
  return areas_[static_cast<size_t>(area)];
}

}  // namespace zt640::devsim
