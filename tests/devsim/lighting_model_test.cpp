#include "devsim/lighting_device_model.h"

#include <gtest/gtest.h>

#include <vector>

#include "catalogue/interface_catalogue.h"
#include "devsim/console_command.h"
#include "devsim/devices_json_file.h"
#include "devsim/devsim_server.h"
#include "packet_builder.h"
#include "platform/hid/hidraw_enumerator.h"
#include "profiles/devices_json.h"
#include "temp_root.h"

namespace zt640::devsim {
namespace {

using test::Request;

constexpr uint8_t kBegin = 0x01;
constexpr uint8_t kEnd = 0x02;
constexpr uint8_t kReadSettings = 0x05;
constexpr uint8_t kWriteSettings = 0x06;
constexpr uint8_t kFrame = 0x12;
constexpr uint8_t kKeyTable = 0x07;
constexpr uint8_t kOk = 0x00;
constexpr uint8_t kRefused = 0xFF;
constexpr uint8_t kNotNow = 0xFE;

uint8_t Status(LightingDeviceModel& model, const DevicePacket& request) { return model.Handle(request)->Status(); }

TEST(LightingDeviceModel, SettingsWritesMustStartASlotFitTheRecordAndLeaveItRunnable) {
  LightingDeviceModel model;
  const std::vector<uint8_t> good = {0, 3, 4, 0, 1, 1, 9, 9, 9};
  EXPECT_EQ(Status(model, Request(kWriteSettings, 9, 0, good)), kNotNow);
  ASSERT_EQ(Status(model, Request(kBegin)), kOk);
  struct Case {
    uint16_t offset;
    std::vector<uint8_t> data;
    uint8_t status;
  };
  const std::vector<Case> cases = {
      {0, good, kOk},
      {64, {1, 3, 4, 0, 1, 1}, kOk},                    // slot 1's record
      {29, {1, 3}, kRefused},                           // not a slot's start
      {0, std::vector<uint8_t>(22, 0), kRefused},       // longer than the record
      {0, {4}, kRefused},                               // a slot the device lacks
      {0, {0, 3, 5}, kRefused},                         // brightness above 4
      {0, {0, 3, 4, 5}, kRefused},                      // inverted speed above 4
      {0, {0, 3, 4, 0, 1, 2}, kRefused},                // multicolour flag 2
      {256, {0}, kRefused},                             // beyond the area
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Status(model, Request(kWriteSettings, static_cast<uint8_t>(c.data.size()), c.offset, c.data)), c.status)
        << c.offset << " " << c.data.size();
  }
  EXPECT_EQ(model.Record(0)[1], 3);
  EXPECT_EQ(model.Record(1)[0], 1);
  // Reads may cover any range inside the area, as the host reads at slot x 29.
  const auto read = model.Handle(Request(kReadSettings, 29, 29));
  EXPECT_EQ(read->Status(), kOk);
  EXPECT_EQ(Status(model, Request(kEnd)), kOk);
  EXPECT_EQ(Status(model, Request(kKeyTable, 3)), kRefused);
  EXPECT_EQ(model.WritesOutsideConfig(), 1u);
}

TEST(LightingDeviceModel, OnlyTheHeadsetTakesLightOutputReportsAndOnlyThePadTakesFrames) {
  LightingDeviceModel pad;
  LightingDeviceModel headset(LightingModelConfig{13, 0x0103, false, true});
  std::vector<uint8_t> report(17, 0);
  report[0] = 0xFF;
  report[1] = 0x22;
  EXPECT_FALSE(pad.ReceiveOutputReport(report));
  EXPECT_TRUE(headset.ReceiveOutputReport(report));
  EXPECT_FALSE(headset.ReceiveOutputReport(std::vector<uint8_t>(report.begin(), report.end() - 1)));
  report[0] = 0x04;
  EXPECT_FALSE(headset.ReceiveOutputReport(report));
  EXPECT_EQ(headset.OutputReportCount(), 1u);
  EXPECT_EQ(headset.RefusedOutputReports(), 2u);
  EXPECT_EQ(headset.OutputReports().front()[1], 0x22);
  EXPECT_EQ(Status(pad, Request(kFrame, 6, 0, {1, 2, 3, 4, 5, 6})), kOk);
  EXPECT_EQ(Status(headset, Request(kFrame, 6, 0, {1, 2, 3, 4, 5, 6})), kRefused);
}

TEST(LightingDeviceServer, DevicesJsonRowsFindThePadsAndTheHeadsetsCollections) {
  test::TempRoot root;
  DevsimConfig config;
  config.root = root.Path() / "hid";
  config.with_keyboard = false;
  config.with_pad = true;
  config.with_headset = true;
  DevsimServer server(config);
  std::string error;
  ASSERT_TRUE(server.Start(&error)) << error;
  InterfaceCatalogue catalogue;
  const auto applied = DevicesJson::ApplyText(DevicesJsonFile::Text(config), catalogue);
  EXPECT_EQ(applied.rows_applied, 3u);
  std::vector<platform::HidrawNode> nodes;
  ASSERT_TRUE(platform::HidrawEnumerator::Enumerate(server.Root().string(), &nodes));
  for (size_t row = 8; row <= 10; ++row) {
    const InterfaceSlot& slot = catalogue.Rows()[row];
    int matches = 0;
    for (const auto& node : nodes) {
      for (size_t c = 0; c < node.collections.size(); ++c) {
        // A node with one collection has no collection number in its path.
        const size_t number = node.collections.size() == 1 ? 0 : c + 1;
        const auto& caps = node.collections[c].caps;
        matches += node.vendor_id == slot.vendor_id && node.product_id == slot.product_id &&
                   node.interface_number == slot.interface_number && number == slot.collection_number &&
                   caps.usage_page == slot.usage_page && caps.usage == slot.usage;
      }
    }
    EXPECT_EQ(matches, 1) << "row " << row;
  }
  // The console reaches both; an unplugged headset is reported.
  EXPECT_TRUE(ConsoleCommand::Parse("pad sync", &error)->Apply(server).ok);
  ASSERT_TRUE(server.Unplug(SimDeviceId::kHeadset));
  const auto outcome = ConsoleCommand::Parse("headset sync", &error)->Apply(server);
  EXPECT_EQ(outcome.message, "error: headset sync: unplugged");
  server.Stop();
}

}  // namespace
}  // namespace zt640::devsim
