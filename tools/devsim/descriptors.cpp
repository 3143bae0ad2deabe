#include "devsim/descriptors.h"

namespace zt640::devsim {

std::vector<uint8_t> Descriptors::BootKeyboard() {
  return {
      0x05, 0x01,        // Usage Page (Generic Desktop)
      0x09, 0x06,        // Usage (Keyboard)
      0xA1, 0x01,        // Collection (Application)
      0x05, 0x07,        //   Usage Page (Keyboard/Keypad)
      0x19, 0xE0,        //   Usage Minimum (Left Control)
      0x29, 0xE7,        //   Usage Maximum (Right GUI)
      0x15, 0x00,        //   Logical Minimum (0)
      0x25, 0x01,        //   Logical Maximum (1)
      0x75, 0x01,        //   Report Size (1)
      0x95, 0x08,        //   Report Count (8)
      0x81, 0x02,        //   Input (Data, Variable, Absolute): modifiers
      0x95, 0x01,        //   Report Count (1)
      0x75, 0x08,        //   Report Size (8)
      0x81, 0x01,        //   Input (Constant): reserved byte
      0x95, 0x05,        //   Report Count (5)
      0x75, 0x01,        //   Report Size (1)
      0x05, 0x08,        //   Usage Page (LEDs)
      0x19, 0x01,        //   Usage Minimum (Num Lock)
      0x29, 0x05,        //   Usage Maximum (Kana)
      0x91, 0x02,        //   Output (Data, Variable, Absolute): LEDs
      0x95, 0x01,        //   Report Count (1)
      0x75, 0x03,        //   Report Size (3)
      0x91, 0x01,        //   Output (Constant): padding
      0x95, 0x06,        //   Report Count (6)
      0x75, 0x08,        //   Report Size (8)
      0x15, 0x00,        //   Logical Minimum (0)
      0x26, 0xFF, 0x00,  //   Logical Maximum (255)
      0x05, 0x07,        //   Usage Page (Keyboard/Keypad)
      0x19, 0x00,        //   Usage Minimum (0)
      0x2A, 0xFF, 0x00,  //   Usage Maximum (255)
      0x81, 0x00,        //   Input (Data, Array, Absolute): six key slots
      0xC0,              // End Collection
  };
}

std::vector<uint8_t> Descriptors::FourCollections() {
  std::vector<uint8_t> descriptor = {
      // 1: keyboard, n-key rollover bitmap.
      0x05, 0x01,              // Usage Page (Generic Desktop)
      0x09, 0x06,              // Usage (Keyboard)
      0xA1, 0x01,              // Collection (Application)
      0x85, kNkroReportId,     //   Report ID (1)
      0x05, 0x07,              //   Usage Page (Keyboard/Keypad)
      0x19, 0xE0,              //   Usage Minimum (Left Control)
      0x29, 0xE7,              //   Usage Maximum (Right GUI)
      0x15, 0x00,              //   Logical Minimum (0)
      0x25, 0x01,              //   Logical Maximum (1)
      0x75, 0x01,              //   Report Size (1)
      0x95, 0x08,              //   Report Count (8)
      0x81, 0x02,              //   Input (Data, Variable, Absolute)
      0x19, 0x00,              //   Usage Minimum (0)
      0x29, 0x77,              //   Usage Maximum (0x77)
      0x95, 0x78,              //   Report Count (120)
      0x81, 0x02,              //   Input (Data, Variable, Absolute)
      0xC0,                    // End Collection
  };
  const std::vector<uint8_t> shared = SharedCollections();
  descriptor.insert(descriptor.end(), shared.begin(), shared.end());
  return descriptor;
}

std::vector<uint8_t> Descriptors::SharedCollections() {
  return {
      // 2: system control.
      0x05, 0x01,                   // Usage Page (Generic Desktop)
      0x09, 0x80,                   // Usage (System Control)
      0xA1, 0x01,                   // Collection (Application)
      0x85, kSystemControlReportId, //   Report ID (2)
      0x19, 0x81,                   //   Usage Minimum (System Power Down)
      0x29, 0x83,                   //   Usage Maximum (System Wake Up)
      0x15, 0x00,                   //   Logical Minimum (0)
      0x25, 0x01,                   //   Logical Maximum (1)
      0x75, 0x01,                   //   Report Size (1)
      0x95, 0x03,                   //   Report Count (3)
      0x81, 0x02,                   //   Input (Data, Variable, Absolute)
      0x95, 0x05,                   //   Report Count (5)
      0x81, 0x01,                   //   Input (Constant): padding
      0xC0,                         // End Collection
      // 3: consumer control, also carrying the device's own reports.
      0x05, 0x0C,              // Usage Page (Consumer)
      0x09, 0x01,              // Usage (Consumer Control)
      0xA1, 0x01,              // Collection (Application)
      0x85, kConsumerReportId, //   Report ID (3)
      0x15, 0x00,              //   Logical Minimum (0)
      0x26, 0xFF, 0x1F,        //   Logical Maximum (0x1FFF)
      0x19, 0x00,              //   Usage Minimum (0)
      0x2A, 0xFF, 0x1F,        //   Usage Maximum (0x1FFF)
      0x75, 0x10,              //   Report Size (16)
      0x95, 0x01,              //   Report Count (1)
      0x81, 0x00,              //   Input (Data, Array, Absolute)
      0xC0,                    // End Collection
      // 4: vendor command channel.
      0x06, 0x1C, 0xFF,        // Usage Page (Vendor 0xFF1C)
      0x09, 0x92,              // Usage (0x92)
      0xA1, 0x01,              // Collection (Application)
      0x85, kVendorReportId,   //   Report ID (4)
      0x15, 0x00,              //   Logical Minimum (0)
      0x26, 0xFF, 0x00,        //   Logical Maximum (255)
      0x75, 0x08,              //   Report Size (8)
      0x95, 0x3F,              //   Report Count (63)
      0x09, 0x01,              //   Usage (0x01)
      0x81, 0x02,              //   Input (Data, Variable, Absolute)
      0x09, 0x02,              //   Usage (0x02)
      0x91, 0x02,              //   Output (Data, Variable, Absolute)
      0xC0,                    // End Collection
  };
}

}  // namespace zt640::devsim
