#include "devsim/mouse_factory_image.h"

#include "transport/byte_order.h"

namespace zt640::devsim {
namespace {

constexpr std::array<MouseFactoryImage::KeyValue, MouseFactoryImage::kLogicalButtons>
    kLogicalValues = {{
        {0x10, 0x01, 0x00},  // left
        {0x10, 0x02, 0x00},  // right
        {0x10, 0x04, 0x00},  // middle
        {0x10, 0x10, 0x00},  // forward
        {0x10, 0x08, 0x00},  // back
        {0x13, 0x01, 0x00},  // DPI up
        {0x13, 0x02, 0x00},  // DPI down
        {0x13, 0x03, 0x00},  // DPI cycle
        {0xA0, 0x1B, 0x00},  // GM key
        {0x16, 0x90, 0x01},  // DPI shift, 0x0190
        {0x14, 0x78, 0x02},  // fire key: interval 0x78, count 2
    }};

// The switches are numbered as the board wires them: the two side buttons back
// before forward, the DPI cluster with the cycle button first, and the thumb keys
// from the rear. So device order differs from the panel's logical order.
constexpr std::array<uint8_t, 11> kElevenButtonOrder = {0, 1, 2, 4, 3, 7, 5, 6, 10, 9, 8};
constexpr std::array<uint8_t, 10> kNoDpiCycleOrder = {0, 1, 2, 4, 3, 5, 6, 10, 9, 8};

struct FactoryStage {
  uint8_t level;
  uint8_t red;
  uint8_t green;
  uint8_t blue;
};

constexpr std::array<FactoryStage, MouseFactoryImage::kStages> kFactoryStages = {{
    {4, 255, 0, 0}, {8, 0, 255, 0}, {16, 0, 0, 255}, {32, 255, 200, 0}, {64, 255, 0, 255},
}};

constexpr uint16_t kFactoryScreenWidth = 1920;
constexpr uint16_t kFactoryScreenHeight = 1080;

}  // namespace

const std::array<MouseFactoryImage::KeyValue, MouseFactoryImage::kLogicalButtons>&
MouseFactoryImage::LogicalValues() {
  return kLogicalValues;
}

std::span<const uint8_t> MouseFactoryImage::DeviceOrder(MouseVariant variant) {
  if (variant == MouseVariant::kNoDpiCycle) return kNoDpiCycleOrder;
  return kElevenButtonOrder;
}

std::vector<uint8_t> MouseFactoryImage::DeviceInfo(MouseVariant variant,
                                                   uint16_t firmware_version) {
  std::vector<uint8_t> info(kDeviceInfoSize, 0);
  info[0] = 2;
  StoreLe16(info.data() + 1, firmware_version);
  info[3] = 1;
  info[4] = kSettingsSlots;
  info[5] = static_cast<uint8_t>(KeyCount(variant));
  info[6] = kMacroCapacityUnits;
  StoreLe16(info.data() + 7, kLightCount);
  StoreLe16(info.data() + 9, kSensor);
  info[11] = kDpiStep;
  StoreLe16(info.data() + 12, kLevelMaximum);
  StoreLe16(info.data() + 14, kDpiBase);
  return info;
}

std::vector<uint8_t> MouseFactoryImage::Settings(uint16_t firmware_version) {
  std::vector<uint8_t> area(kSettingsSlots * kSlotStride, 0);
  for (size_t slot = 0; slot < kSettingsSlots; ++slot) {
    uint8_t* record = area.data() + slot * kSlotStride;
    record[kRecordSlot] = static_cast<uint8_t>(slot);  // slot 0's byte 0 is the active slot: 0
    record[1] = static_cast<uint8_t>(slot + 1);        // mode code: one built-in mode per slot
    record[2] = 4;                                     // full brightness
    record[3] = 2;                                     // 4 - speed level 2
    record[5] = 1;                                     // multicolour
    record[6] = 0xFF;
    record[7] = 0xFF;
    record[8] = 0xFF;
    record[kRecordReportRate] = 3;
    record[kRecordCurrentStage] = 1;
    for (size_t i = 0; i < kStages; ++i) {
      uint8_t* stage = record + kRecordStages + i * kStageSize;
      const FactoryStage& factory = kFactoryStages[i];
      stage[0] = 1;
      StoreLe16(stage + 2, factory.level);
      StoreLe16(stage + 4, factory.level);
      stage[6] = factory.red;
      stage[7] = factory.green;
      stage[8] = factory.blue;
    }
    record[59] = 1;
    StoreLe16(record + 60, kFactoryScreenWidth);
    StoreLe16(record + 62, kFactoryScreenHeight);
    record[64] = 16;  // correction value
    record[65] = 4;   // correction threshold
    StoreLe16(record + kRecordFirmwareVersion, firmware_version);
    record[kRecordSlotCount] = kSettingsSlots;
  }
  return area;
}

std::vector<uint8_t> MouseFactoryImage::KeyTable(MouseVariant variant) {
  const auto order = DeviceOrder(variant);
  std::vector<uint8_t> table(3 * order.size(), 0);
  for (size_t k = 0; k < order.size(); ++k) {
    for (size_t b = 0; b < 3; ++b) table[3 * k + b] = kLogicalValues[order[k]][b];
  }
  return table;
}

std::vector<uint8_t> MouseFactoryImage::PowerRecord(uint8_t battery_percent,
                                                    uint8_t charge_state) {
  std::vector<uint8_t> record(kPowerRecordSize, 0);
  record[0] = battery_percent;
  record[1] = charge_state;
  return record;
}

}  // namespace zt640::devsim
