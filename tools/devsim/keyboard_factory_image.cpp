#include "devsim/keyboard_factory_image.h"

#include "transport/byte_order.h"

namespace zt640::devsim {
namespace {

constexpr std::array<KeyboardFactoryImage::KeyValue, KeyboardFactoryImage::kPanelKeyCount>
    kPanelValues = {{
    {0x20, 0x00, 0x29}, {0x20, 0x00, 0x3A}, {0x20, 0x00, 0x3B}, {0x20, 0x00, 0x3C}, {0x20, 0x00, 0x3D}, {0x20, 0x00, 0x3E}, {0x20, 0x00, 0x3F},
    {0x20, 0x00, 0x40}, {0x20, 0x00, 0x41}, {0x20, 0x00, 0x42}, {0x20, 0x00, 0x43}, {0x20, 0x00, 0x44}, {0x20, 0x00, 0x45}, {0x20, 0x00, 0x46},
    {0x20, 0x00, 0x47}, {0x20, 0x00, 0x48}, {0xA0, 0x1B, 0x00}, {0xA0, 0x24, 0x00}, {0x20, 0x00, 0x00}, {0x20, 0x00, 0x00}, {0x20, 0x00, 0x00},
    {0x20, 0x00, 0x35}, {0x20, 0x00, 0x1E}, {0x20, 0x00, 0x1F}, {0x20, 0x00, 0x20}, {0x20, 0x00, 0x21}, {0x20, 0x00, 0x22}, {0x20, 0x00, 0x23},
    {0x20, 0x00, 0x24}, {0x20, 0x00, 0x25}, {0x20, 0x00, 0x26}, {0x20, 0x00, 0x27}, {0x20, 0x00, 0x2D}, {0x20, 0x00, 0x2E}, {0x20, 0x00, 0x2A},
    {0x20, 0x00, 0x49}, {0x20, 0x00, 0x4A}, {0x20, 0x00, 0x4B}, {0x20, 0x00, 0x53}, {0x20, 0x00, 0x54}, {0x20, 0x00, 0x55}, {0x20, 0x00, 0x56},
    {0x20, 0x00, 0x2B}, {0x20, 0x00, 0x14}, {0x20, 0x00, 0x1A}, {0x20, 0x00, 0x08}, {0x20, 0x00, 0x15}, {0x20, 0x00, 0x17}, {0x20, 0x00, 0x1C},
    {0x20, 0x00, 0x18}, {0x20, 0x00, 0x0C}, {0x20, 0x00, 0x12}, {0x20, 0x00, 0x13}, {0x20, 0x00, 0x2F}, {0x20, 0x00, 0x30}, {0x20, 0x00, 0x31},
    {0x20, 0x00, 0x4C}, {0x20, 0x00, 0x4D}, {0x20, 0x00, 0x4E}, {0x20, 0x00, 0x5F}, {0x20, 0x00, 0x60}, {0x20, 0x00, 0x61}, {0x20, 0x00, 0x32},
    {0x20, 0x00, 0x39}, {0x20, 0x00, 0x04}, {0x20, 0x00, 0x16}, {0x20, 0x00, 0x07}, {0x20, 0x00, 0x09}, {0x20, 0x00, 0x0A}, {0x20, 0x00, 0x0B},
    {0x20, 0x00, 0x0D}, {0x20, 0x00, 0x0E}, {0x20, 0x00, 0x0F}, {0x20, 0x00, 0x33}, {0x20, 0x00, 0x34}, {0x20, 0x00, 0x28}, {0x20, 0x00, 0x5C},
    {0x20, 0x00, 0x5D}, {0x20, 0x00, 0x5E}, {0x20, 0x00, 0x8A}, {0x20, 0x00, 0x8B}, {0x20, 0x00, 0x90}, {0x20, 0x00, 0x91}, {0x20, 0x00, 0x88},
    {0x20, 0x02, 0x00}, {0x20, 0x00, 0x1D}, {0x20, 0x00, 0x1B}, {0x20, 0x00, 0x06}, {0x20, 0x00, 0x19}, {0x20, 0x00, 0x05}, {0x20, 0x00, 0x11},
    {0x20, 0x00, 0x10}, {0x20, 0x00, 0x36}, {0x20, 0x00, 0x37}, {0x20, 0x00, 0x38}, {0x20, 0x20, 0x00}, {0x20, 0x00, 0x52}, {0x20, 0x00, 0x59},
    {0x20, 0x00, 0x5A}, {0x20, 0x00, 0x5B}, {0x20, 0x00, 0x87}, {0x20, 0x00, 0x89}, {0x20, 0x00, 0x64}, {0x20, 0x00, 0x85}, {0x20, 0x00, 0x00},
    {0x20, 0x01, 0x00}, {0x20, 0x08, 0x00}, {0x20, 0x04, 0x00}, {0x20, 0x00, 0x2C}, {0x20, 0x40, 0x00}, {0xA0, 0x01, 0x00}, {0x20, 0x00, 0x65},
    {0x20, 0x10, 0x00}, {0x20, 0x00, 0x50}, {0x20, 0x00, 0x51}, {0x20, 0x00, 0x4F}, {0x20, 0x00, 0x62}, {0x20, 0x00, 0x63}, {0x20, 0x00, 0x58},
    {0x20, 0x00, 0x57}, {0xD0, 0xA2, 0x01}, {0xD0, 0xA2, 0x02}, {0xD0, 0xA2, 0x03}, {0xD0, 0xA2, 0x04}, {0xD0, 0xA2, 0x05}, {0x20, 0x80, 0x00},
}};

// Keys the panel does not show: F13..F18.
constexpr std::array<KeyboardFactoryImage::KeyValue, 6> kDeviceOnlyValues = {{
    {0x20, 0x00, 0x68}, {0x20, 0x00, 0x69}, {0x20, 0x00, 0x6A},
    {0x20, 0x00, 0x6B}, {0x20, 0x00, 0x6C}, {0x20, 0x00, 0x6D},
}};

// Device key positions of the device-only keys; the panel keys fill the others.
constexpr std::array<size_t, 6> kDeviceOnlyPositions = {5, 30, 61, 90, 117, 131};

constexpr size_t kPanelColumns = 14;
constexpr size_t kPanelRows = KeyboardFactoryImage::kPanelKeyCount / kPanelColumns;

// The firmware numbers its keys by scanning the matrix column by column, so
// device order is the panel's 14-wide rows read column-major, with the
// device-only keys wired in between.
struct DeviceOrder {
  std::array<int, KeyboardFactoryImage::kKeyCount> panel_key{};
  std::array<int, KeyboardFactoryImage::kKeyCount> extra{};

  constexpr DeviceOrder() {
    size_t next_panel = 0;
    size_t next_extra = 0;
    for (size_t k = 0; k < KeyboardFactoryImage::kKeyCount; ++k) {
      panel_key[k] = -1;
      extra[k] = -1;
      if (next_extra < kDeviceOnlyPositions.size() && kDeviceOnlyPositions[next_extra] == k) {
        extra[k] = static_cast<int>(next_extra++);
        continue;
      }
      const size_t column = next_panel / kPanelRows;
      const size_t row = next_panel % kPanelRows;
      panel_key[k] = static_cast<int>(row * kPanelColumns + column);
      ++next_panel;
    }
  }
};

constexpr DeviceOrder kOrder;

}  // namespace

const std::array<KeyboardFactoryImage::KeyValue, KeyboardFactoryImage::kPanelKeyCount>&
KeyboardFactoryImage::PanelFactoryValues() {
  return kPanelValues;
}

int KeyboardFactoryImage::PanelKeyOfDeviceKey(size_t device_key) {
  return device_key < kKeyCount ? kOrder.panel_key[device_key] : -1;
}

std::vector<uint8_t> KeyboardFactoryImage::DeviceInfo(uint16_t firmware_version) {
  std::vector<uint8_t> info(kDeviceInfoSize, 0);
  info[0] = 1;
  StoreLe16(info.data() + 1, firmware_version);
  info[3] = 1;
  info[4] = kSettingsSlots;
  info[5] = kKeyCount;
  info[6] = kMacroCapacityUnits;
  StoreLe16(info.data() + 7, kKeyCount);
  info[16] = kColourSlots;
  return info;
}

std::vector<uint8_t> KeyboardFactoryImage::Settings() {
  std::vector<uint8_t> area(kSettingsSlots * kSettingsRecordSize, 0);
  for (size_t slot = 0; slot < kSettingsSlots; ++slot) {
    uint8_t* record = area.data() + slot * kSettingsRecordSize;
    record[0] = static_cast<uint8_t>(slot);  // slot 0's byte 0 is the active slot: 0
    record[1] = static_cast<uint8_t>(slot);  // mode code: one built-in mode per slot
    record[2] = 4;                           // full brightness
    record[3] = 2;                           // medium speed
    record[4] = 0;                           // direction
    record[5] = 1;                           // multicolour
    record[6] = 0xFF;
    record[7] = 0xFF;
    record[8] = 0xFF;
    record[22] = 0;  // polling rate choice 0 (1000 Hz)
  }
  return area;
}

std::vector<uint8_t> KeyboardFactoryImage::KeyTable() {
  std::vector<uint8_t> table(3 * kKeyCount, 0);
  for (size_t k = 0; k < kKeyCount; ++k) {
    const KeyValue& value = kOrder.panel_key[k] >= 0
                                ? kPanelValues[static_cast<size_t>(kOrder.panel_key[k])]
                                : kDeviceOnlyValues[static_cast<size_t>(kOrder.extra[k])];
    for (size_t b = 0; b < 3; ++b) table[3 * k + b] = value[b];
  }
  return table;
}

std::vector<uint8_t> KeyboardFactoryImage::KeyLightMap() {
  // The LED chain snakes over the panel's nine 14-key rows from the bottom right corner
  // upwards: panel keys take positions 0..125, so every 3-byte slot of a 378-byte frame
  // lights a key (the last one the top row's first key), and the device-only keys take
  // the positions after them.
  std::vector<uint8_t> map(kKeyCount, 0);
  for (size_t k = 0; k < kKeyCount; ++k) {
    const int panel = kOrder.panel_key[k];
    if (panel < 0) {
      map[k] = static_cast<uint8_t>(kPanelKeyCount + static_cast<size_t>(kOrder.extra[k]));
      continue;
    }
    const size_t chain_row = kPanelRows - 1 - static_cast<size_t>(panel) / kPanelColumns;
    const size_t column = static_cast<size_t>(panel) % kPanelColumns;
    const size_t along_row = chain_row % 2 == 0 ? kPanelColumns - 1 - column : column;
    map[k] = static_cast<uint8_t>(chain_row * kPanelColumns + along_row);
  }
  return map;
}

std::vector<uint8_t> KeyboardFactoryImage::ColourPages() {
  std::vector<uint8_t> pages(kColourSlots * kColourPageSize, 0);
  for (size_t slot = 0; slot < kColourSlots; ++slot) {
    for (size_t position = 0; position < kLightPositions; ++position) {
      uint8_t* rgb = pages.data() + slot * kColourPageSize + 3 * position;
      rgb[slot % 3] = 0xFF;  // slot 0 red, 1 green, 2 blue ...
      rgb[(slot + 1) % 3] = static_cast<uint8_t>(position * 255 / (kLightPositions - 1));
    }
  }
  return pages;
}

std::vector<uint8_t> KeyboardFactoryImage::PowerRecord(uint8_t battery_percent,
                                                       uint8_t charge_state) {
  std::vector<uint8_t> record(kPowerRecordSize, 0);
  record[0] = battery_percent;
  record[1] = charge_state;
  return record;
}

}  // namespace zt640::devsim
