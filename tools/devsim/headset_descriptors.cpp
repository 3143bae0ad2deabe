#include "devsim/headset_descriptors.h"

namespace zt640::devsim {

std::vector<uint8_t> HeadsetDescriptors::HidInterface() {
  return {
      0x05, 0x0C,               // Usage Page (Consumer)
      0x09, 0x01,               // Usage (Consumer Control)
      0xA1, 0x01,               // Collection (Application)
      0x85, kConsumerReportId,  //   Report ID (3)
      0x15, 0x00,               //   Logical Minimum (0)
      0x26, 0xFF, 0x1F,         //   Logical Maximum (0x1FFF)
      0x19, 0x00,               //   Usage Minimum (0)
      0x2A, 0xFF, 0x1F,         //   Usage Maximum (0x1FFF)
      0x75, 0x10,               //   Report Size (16)
      0x95, 0x01,               //   Report Count (1)
      0x81, 0x00,               //   Input (Data, Array, Absolute): the headset's reports
      0x85, kVendorReportId,    //   Report ID (4)
      0x06, 0x1C, 0xFF,         //   Usage Page (Vendor 0xFF1C)
      0x15, 0x00,               //   Logical Minimum (0)
      0x26, 0xFF, 0x00,         //   Logical Maximum (255)
      0x75, 0x08,               //   Report Size (8)
      0x95, 0x3F,               //   Report Count (63)
      0x09, 0x01,               //   Usage (0x01)
      0x81, 0x02,               //   Input (Data, Variable, Absolute): command replies
      0x09, 0x02,               //   Usage (0x02)
      0x91, 0x02,               //   Output (Data, Variable, Absolute): command requests
      0x85, kLightReportId,     //   Report ID (0xFF)
      0x95, 0x10,               //   Report Count (16)
      0x09, 0x03,               //   Usage (0x03)
      0x91, 0x02,               //   Output (Data, Variable, Absolute): light output report
      0xC0,                     // End Collection
  };
}

}  // namespace zt640::devsim
