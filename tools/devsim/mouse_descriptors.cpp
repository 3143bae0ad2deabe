#include "devsim/mouse_descriptors.h"

#include "devsim/descriptors.h"

namespace zt640::devsim {

// Collections 2 to 4 come from the family's shared descriptor part, with its report ids.
static_assert(MouseDescriptors::kSystemControlReportId == Descriptors::kSystemControlReportId &&
              MouseDescriptors::kConsumerReportId == Descriptors::kConsumerReportId &&
              MouseDescriptors::kVendorReportId == Descriptors::kVendorReportId);

std::vector<uint8_t> MouseDescriptors::BootMouse() {
  return {
      0x05, 0x01,        // Usage Page (Generic Desktop)
      0x09, 0x02,        // Usage (Mouse)
      0xA1, 0x01,        // Collection (Application)
      0x09, 0x01,        //   Usage (Pointer)
      0xA1, 0x00,        //   Collection (Physical)
      0x05, 0x09,        //     Usage Page (Button)
      0x19, 0x01,        //     Usage Minimum (1)
      0x29, 0x05,        //     Usage Maximum (5)
      0x15, 0x00,        //     Logical Minimum (0)
      0x25, 0x01,        //     Logical Maximum (1)
      0x75, 0x01,        //     Report Size (1)
      0x95, 0x05,        //     Report Count (5)
      0x81, 0x02,        //     Input (Data, Variable, Absolute): buttons
      0x75, 0x03,        //     Report Size (3)
      0x95, 0x01,        //     Report Count (1)
      0x81, 0x01,        //     Input (Constant): padding
      0x05, 0x01,        //     Usage Page (Generic Desktop)
      0x09, 0x30,        //     Usage (X)
      0x09, 0x31,        //     Usage (Y)
      0x16, 0x01, 0x80,  //     Logical Minimum (-32767)
      0x26, 0xFF, 0x7F,  //     Logical Maximum (32767)
      0x75, 0x10,        //     Report Size (16)
      0x95, 0x02,        //     Report Count (2)
      0x81, 0x06,        //     Input (Data, Variable, Relative)
      0x09, 0x38,        //     Usage (Wheel)
      0x15, 0x81,        //     Logical Minimum (-127)
      0x25, 0x7F,        //     Logical Maximum (127)
      0x75, 0x08,        //     Report Size (8)
      0x95, 0x01,        //     Report Count (1)
      0x81, 0x06,        //     Input (Data, Variable, Relative)
      0x05, 0x0C,        //     Usage Page (Consumer)
      0x0A, 0x38, 0x02,  //     Usage (AC Pan)
      0x95, 0x01,        //     Report Count (1)
      0x81, 0x06,        //     Input (Data, Variable, Relative)
      0xC0,              //   End Collection
      0xC0,              // End Collection
  };
}

std::vector<uint8_t> MouseDescriptors::CommandInterface() {
  std::vector<uint8_t> descriptor = {
      // 1: keyboard, six key slots.
      0x05, 0x01,                 // Usage Page (Generic Desktop)
      0x09, 0x06,                 // Usage (Keyboard)
      0xA1, 0x01,                 // Collection (Application)
      0x85, kKeyboardReportId,    //   Report ID (1)
      0x05, 0x07,                 //   Usage Page (Keyboard/Keypad)
      0x19, 0xE0,                 //   Usage Minimum (Left Control)
      0x29, 0xE7,                 //   Usage Maximum (Right GUI)
      0x15, 0x00,                 //   Logical Minimum (0)
      0x25, 0x01,                 //   Logical Maximum (1)
      0x75, 0x01,                 //   Report Size (1)
      0x95, 0x08,                 //   Report Count (8)
      0x81, 0x02,                 //   Input (Data, Variable, Absolute): modifiers
      0x75, 0x08,                 //   Report Size (8)
      0x95, 0x01,                 //   Report Count (1)
      0x81, 0x01,                 //   Input (Constant): reserved byte
      0x26, 0xFF, 0x00,           //   Logical Maximum (255)
      0x19, 0x00,                 //   Usage Minimum (0)
      0x2A, 0xFF, 0x00,           //   Usage Maximum (255)
      0x95, 0x06,                 //   Report Count (6)
      0x81, 0x00,                 //   Input (Data, Array, Absolute): six key slots
      0xC0,                       // End Collection
  };
  const std::vector<uint8_t> shared = Descriptors::SharedCollections();
  descriptor.insert(descriptor.end(), shared.begin(), shared.end());
  return descriptor;
}

}  // namespace zt640::devsim
