#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <iterator>
#include <memory>
#include <thread>

#include "catalogue/interface_catalogue.h"
#include "devsim/devices_json_file.h"
#include "devsim/devsim_server.h"
#include "devsim/mouse_descriptors.h"
#include "packet_builder.h"
#include "platform/hid/hid_report_decoder.h"
#include "platform/hid/hidraw_enumerator.h"
#include "platform/hid/report_descriptor_parser.h"
#include "profiles/devices_json.h"
#include "sim_client.h"
#include "temp_root.h"

namespace zt640::devsim {
namespace {

using platform::HidReportType;
using test::Request;
using test::SimClient;
using test::TempRoot;

struct CollectionFacts {
  uint16_t usage_page;
  uint16_t usage;
  uint16_t input_length;
  uint16_t output_length;
};

void ExpectCollections(const std::vector<uint8_t>& descriptor,
                       const std::vector<CollectionFacts>& expected) {
  const auto parsed = platform::ReportDescriptorParser::Parse(descriptor);
  ASSERT_TRUE(parsed.ok) << parsed.error;
  ASSERT_EQ(parsed.collections.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    const auto& caps = parsed.collections[i].caps;
    EXPECT_EQ(caps.usage_page, expected[i].usage_page) << "collection " << i + 1;
    EXPECT_EQ(caps.usage, expected[i].usage) << "collection " << i + 1;
    EXPECT_EQ(caps.input_report_byte_length, expected[i].input_length) << "collection " << i + 1;
    EXPECT_EQ(caps.output_report_byte_length, expected[i].output_length) << "collection " << i + 1;
  }
}

TEST(MouseDescriptorsTest, BootMouse_OneCollectionWithAnEightByteReport) {
  // 5 buttons + 3 padding bits, X and Y of 16 bits, wheel and pan of 8: 7 bytes + the id byte.
  ExpectCollections(MouseDescriptors::BootMouse(), {{0x01, 0x02, 8, 0}});
}

TEST(MouseDescriptorsTest, CommandInterface_ConsumerThirdAndVendorFourth) {
  ExpectCollections(MouseDescriptors::CommandInterface(), {
                                                              {0x01, 0x06, 9, 0},
                                                              {0x01, 0x80, 2, 0},
                                                              {0x0C, 0x01, 3, 0},
                                                              {0xFF1C, 0x92, 64, 64},
                                                          });
}

TEST(MouseDescriptorsTest, StageReport_DecodesToItsUsageOnTheConsumerCollection) {
  const auto parsed = platform::ReportDescriptorParser::Parse(MouseDescriptors::CommandInterface());
  ASSERT_TRUE(parsed.ok);
  const auto& consumer = parsed.collections[2];
  for (const uint16_t usage : {uint16_t{0x0401}, uint16_t{0x0403}, uint16_t{0x1003},
                               uint16_t{0x1125}}) {
    const std::array<uint8_t, 3> report = {3, static_cast<uint8_t>(usage & 0xFF),
                                           static_cast<uint8_t>(usage >> 8)};
    std::array<uint16_t, 4> usages{};
    uint32_t count = usages.size();
    ASSERT_EQ(platform::HidReportDecoder::GetUsages(consumer, HidReportType::kInput, 0x0C, report,
                                                    usages, &count),
              platform::HIDP_STATUS_SUCCESS);
    ASSERT_EQ(count, 1u);
    EXPECT_EQ(usages[0], usage);
  }
}

class MouseServerTest : public ::testing::Test {
 protected:
  DevsimConfig Config() {
    DevsimConfig config;
    config.root = root_.Path() / "sim";
    config.with_keyboard = false;
    config.with_mouse = true;
    config.with_mouse_receiver = true;
    return config;
  }

  void Start(DevsimConfig config) {
    server_ = std::make_unique<DevsimServer>(std::move(config));
    std::string error;
    ASSERT_TRUE(server_->Start(&error)) << error;
  }

  // Connects to a device's interface 1 and waits until the server holds the client.
  std::unique_ptr<SimClient> Connect(SimDeviceId device) {
    const size_t before = server_->ClientCount(device, 1);
    auto client = std::make_unique<SimClient>(server_->NodePath(device, 1));
    while (client->Connected() && server_->ClientCount(device, 1) == before) {
      std::this_thread::yield();
    }
    return client;
  }

  TempRoot root_;
  std::unique_ptr<DevsimServer> server_;
};

TEST_F(MouseServerTest, DevicesJson_MakesEveryCatalogueRowMatchAPresentCollection) {
  DevsimConfig config = Config();
  config.with_keyboard = true;
  config.with_receiver = true;
  Start(config);

  InterfaceCatalogue catalogue;
  const auto applied = DevicesJson::ApplyText(DevicesJsonFile::Text(server_->Config()), catalogue);
  EXPECT_TRUE(applied.parsed);
  EXPECT_EQ(applied.rows_applied, 6u);
  EXPECT_TRUE(applied.problems.empty());

  std::vector<platform::HidrawNode> nodes;
  ASSERT_TRUE(platform::HidrawEnumerator::Enumerate(server_->Root().string(), &nodes));
  for (size_t row = 0; row < 8; ++row) {
    const InterfaceSlot& slot = catalogue.Rows()[row];
    int matches = 0;
    for (const auto& node : nodes) {
      for (size_t c = 0; c < node.collections.size(); ++c) {
        const auto& caps = node.collections[c].caps;
        matches += node.vendor_id == slot.vendor_id && node.product_id == slot.product_id &&
                   node.interface_number == slot.interface_number &&
                   c + 1 == slot.collection_number && caps.usage_page == slot.usage_page &&
                   caps.usage == slot.usage;
      }
    }
    EXPECT_EQ(matches, 1) << "row " << row;
  }
  // Rows of devices not simulated keep their placeholder ids.
  EXPECT_EQ(catalogue.Rows()[8].vendor_id, 0);
  EXPECT_EQ(catalogue.Rows()[10].vendor_id, 0);
}

TEST_F(MouseServerTest, DevicesJson_ListsOnlySimulatedDevices) {
  struct Case {
    bool keyboard_receiver;
    bool mouse;
    bool mouse_receiver;
    std::vector<int> rows;
  };
  const std::vector<Case> cases = {
      {false, false, false, {}},
      {true, false, false, {2, 3}},
      {false, true, false, {4, 5}},
      {false, false, true, {4, 5, 6, 7}},
      {true, true, true, {2, 3, 4, 5, 6, 7}},
  };
  for (const Case& c : cases) {
    DevsimConfig config;
    config.with_receiver = c.keyboard_receiver;
    config.with_mouse = c.mouse;
    config.with_mouse_receiver = c.mouse_receiver;
    InterfaceCatalogue catalogue;
    const auto applied = DevicesJson::ApplyText(DevicesJsonFile::Text(config), catalogue);
    EXPECT_TRUE(applied.parsed);
    EXPECT_EQ(applied.rows_applied, c.rows.size());
    for (size_t row = 2; row < InterfaceCatalogue::kInterfaceRows; ++row) {
      const bool listed =
          std::find(c.rows.begin(), c.rows.end(), static_cast<int>(row)) != c.rows.end();
      EXPECT_EQ(catalogue.Rows()[row].vendor_id != 0, listed) << "row " << row;
    }
  }
}

TEST_F(MouseServerTest, DevicesJson_WrittenToFileWhole) {
  const auto path = root_.Path() / "devices.json";
  {
    std::ofstream old(path);
    old << "{ \"Interfaces\": [ { \"Row\": 9, \"VendorId\": 1, \"ProductId\": 2 } ] } trailing";
  }
  std::string error;
  ASSERT_TRUE(DevicesJsonFile::Write(path, Config(), &error)) << error;
  std::ifstream in(path);
  const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  EXPECT_EQ(text, DevicesJsonFile::Text(Config()));
  EXPECT_FALSE(DevicesJsonFile::Write(root_.Path() / "missing" / "devices.json", Config(), &error));
  EXPECT_FALSE(error.empty());
}

TEST_F(MouseServerTest, MouseAlone_NoKeyboardNodes) {
  Start(Config());
  EXPECT_TRUE(server_->NodePath(SimDeviceId::kKeyboard, 1).empty());
  EXPECT_FALSE(server_->NodePath(SimDeviceId::kMouse, 1).empty());
  EXPECT_FALSE(server_->NodePath(SimDeviceId::kMouseReceiver, 1).empty());
  EXPECT_FALSE(server_->SendNotification(0x0401));
}

TEST_F(MouseServerTest, Reports_CarryUsageOnTheCableOrElseTheReceiver) {
  Start(Config());
  auto cable = Connect(SimDeviceId::kMouse);
  auto receiver = Connect(SimDeviceId::kMouseReceiver);
  ASSERT_TRUE(cable->Connected() && receiver->Connected());

  ASSERT_TRUE(server_->SelectMouseSlot(5));
  EXPECT_EQ(cable->Receive(), (std::vector<uint8_t>{0x03, 0x05, 0x10}));
  ASSERT_TRUE(server_->SelectMouseStage(2));
  EXPECT_EQ(cable->Receive(), (std::vector<uint8_t>{0x03, 0x25, 0x11}));
  EXPECT_EQ(server_->Mouse().ActiveSlot(), 5);
  EXPECT_EQ(server_->Mouse().CurrentStage(), 2);
  EXPECT_FALSE(server_->SelectMouseStage(5));
  EXPECT_FALSE(server_->SelectMouseSlot(8));

  ASSERT_TRUE(server_->Unplug(SimDeviceId::kMouse));
  ASSERT_TRUE(server_->SendMouseReport(0x0403));
  EXPECT_EQ(receiver->Receive(), (std::vector<uint8_t>{0x03, 0x03, 0x04}));
  server_->SetMousePowered(false);
  EXPECT_FALSE(server_->SendMouseReport(0x0401));
  EXPECT_EQ(receiver->Receive(100), std::nullopt);
}

TEST_F(MouseServerTest, Receiver_ForwardsToTheMouseAndRelaysShootPiecesWhole) {
  Start(Config());
  auto receiver = Connect(SimDeviceId::kMouseReceiver);
  ASSERT_TRUE(receiver->Connected());
  const auto exchange = [&](const DevicePacket& request) {
    EXPECT_TRUE(receiver->Send(test::Bytes(request)));
    return DevicePacket(receiver->Receive().value_or(std::vector<uint8_t>{}));
  };
  DevicePacket link = exchange(Request(0xAA));
  EXPECT_EQ(link.Command(), 0xAA);
  EXPECT_EQ(link.Data()[0], 0xFF);
  EXPECT_EQ(exchange(Request(0x01)).Status(), 0x00);
  EXPECT_EQ(exchange(Request(0x17, 56, 0, std::vector<uint8_t>(56, 7))).Status(), 0x00);
  EXPECT_EQ(exchange(Request(0x15, 56, 0, std::vector<uint8_t>(56, 7))).Status(), 0xFF);
  EXPECT_EQ(exchange(Request(0x02)).Status(), 0x00);
  EXPECT_EQ(server_->Mouse().Area(MouseArea::kShootData)[55], 7);
  EXPECT_EQ(server_->Mouse().Area(MouseArea::kMacros)[0], 0);

  server_->SetMousePowered(false);
  link = exchange(Request(0xAA));
  EXPECT_EQ(link.Data()[0], 0x00);
}

}  // namespace
}  // namespace zt640::devsim
