#include "transport/hid_device.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <future>
#include <thread>

#include "platform/hid_fake_sysfs.h"
#include "transport/device_path.h"
#include "transport/hid_device_fake_node.h"

namespace zt640 {
namespace {

using platform::HIDP_STATUS_SUCCESS;
using std::chrono::milliseconds;
using std::chrono::steady_clock;
using test::FakeHidTree;
using test::FakeNode;
using test::HexBytes;

// Three collections: keyboard value (id 1), consumer value (id 2), and the
// vendor command interface (id 4) with 64-byte input and output reports.
const char kThreeCollections[] =
    "05 01 09 06 a1 01 85 01 09 01 75 08 95 01 81 02 c0 "
    "05 0c 09 01 a1 01 85 02 09 e9 81 02 c0 "
    "06 00 ff 09 01 a1 01 85 04 09 02 95 3f 81 02 09 03 91 02 c0";
const char kUnnumberedMouse[] = "05 01 09 02 a1 01 09 30 75 08 95 01 81 02 c0";
// Output ids of different lengths: id 5 carries 3 bytes, id 6 nine.
const char kTwoOutputs[] =
    "06 00 ff 09 01 a1 01 85 05 09 01 75 08 95 03 91 02 85 06 09 02 95 09 91 02 "
    "85 05 09 03 95 01 81 02 c0";

struct DevicePathCase {
  const char* path;
  uint16_t vid;
  uint16_t pid;
  uint16_t interface_number;
  uint16_t collection_number;
};

class DevicePathTest : public ::testing::TestWithParam<DevicePathCase> {};

TEST_P(DevicePathTest, Parsers_ReadHexAfterKeyIgnoringCase) {
  const DevicePathCase& c = GetParam();
  EXPECT_EQ(DevicePath::ParseVid(c.path), c.vid);
  EXPECT_EQ(DevicePath::ParsePid(c.path), c.pid);
  EXPECT_EQ(DevicePath::ParseInterfaceNumber(c.path), c.interface_number);
  EXPECT_EQ(DevicePath::ParseCollectionNumber(c.path), c.collection_number);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, DevicePathTest,
    ::testing::Values(DevicePathCase{"/dev/hidraw5#vid_320f&pid_505b&mi_02&col0a", 0x320f,
                                     0x505b, 2, 10},
                      DevicePathCase{"/dev/hidraw5#VID_320F&PID_505B&MI_01&COL04", 0x320f,
                                     0x505b, 1, 4},
                      DevicePathCase{"/dev/hidraw5#vid_1a2b&pid_00c3", 0x1a2b, 0x00c3, 0, 0},
                      DevicePathCase{"/dev/hidraw5#vid_&pid_zz&col01", 0, 0, 0, 1},
                      DevicePathCase{"", 0, 0, 0, 0}));

class HidDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override { ::setenv("ZT640_HID_ROOT", tree_.root().c_str(), 1); }
  void TearDown() override { ::unsetenv("ZT640_HID_ROOT"); }

  std::string AddNode(int number, const char* hex, int interface_number = 0,
                      int interface_count = 1) {
    tree_.AddNode({.number = number, .descriptor = HexBytes(hex),
                   .interface_number = interface_number, .interface_count = interface_count});
    return tree_.DevPath(number) + "#vid_320f&pid_505b";
  }

  FakeHidTree tree_;
};

TEST_F(HidDeviceTest, Enumerate_NoHid_GivesEmptyList) {
  HidDevice device;
  EXPECT_EQ(device.EnumerateInterfaces(), 1);
  EXPECT_EQ(device.InterfaceCount(), 0);
  EXPECT_FALSE(device.NextInterfacePath().has_value());
}

TEST_F(HidDeviceTest, Enumerate_ListsEveryCollectionOnce) {
  AddNode(0, kThreeCollections, 1, 2);
  AddNode(1, kUnnumberedMouse);
  HidDevice device;
  ASSERT_EQ(device.EnumerateInterfaces(), 1);
  EXPECT_EQ(device.InterfaceCount(), 4);
  std::vector<std::string> paths;
  while (auto path = device.NextInterfacePath()) paths.emplace_back(*path);
  EXPECT_EQ(paths, (std::vector<std::string>{
                       tree_.DevPath(0) + "#vid_320f&pid_505b&mi_01&col01",
                       tree_.DevPath(0) + "#vid_320f&pid_505b&mi_01&col02",
                       tree_.DevPath(0) + "#vid_320f&pid_505b&mi_01&col03",
                       tree_.DevPath(1) + "#vid_320f&pid_505b",
                   }));
  // A second enumeration starts over at the first path.
  ASSERT_EQ(device.EnumerateInterfaces(), 1);
  EXPECT_EQ(device.NextInterfacePath(), paths.front());
  device.FreeInterfaceList();
  EXPECT_EQ(device.InterfaceCount(), 0);
  EXPECT_FALSE(device.NextInterfacePath().has_value());
}

TEST_F(HidDeviceTest, Open_ReadsIdentityCapsAndNumbers) {
  AddNode(0, kThreeCollections, 1, 2);
  FakeNode node(tree_.DevPath(0));
  ASSERT_TRUE(node.bound());
  HidDevice device;
  ASSERT_EQ(device.Open(tree_.DevPath(0) + "#vid_320f&pid_505b&mi_01&col03", true, true, true,
                        false),
            1);
  EXPECT_TRUE(device.IsOpen());
  EXPECT_EQ(device.Attributes().vendor_id, 0x320f);
  EXPECT_EQ(device.Attributes().product_id, 0x505b);
  EXPECT_EQ(device.Attributes().version_number, 0x0103);
  EXPECT_EQ(device.Caps().usage_page, 0xff00);
  EXPECT_EQ(device.Caps().usage, 0x01);
  EXPECT_EQ(device.Caps().input_report_byte_length, 64);
  EXPECT_EQ(device.Caps().output_report_byte_length, 64);
  EXPECT_EQ(device.InterfaceNumber(), 1);
  EXPECT_EQ(device.CollectionNumber(), 3);
  EXPECT_EQ(device.ReportBuffer(HidReportType::kInput).size(), 64u);
  device.Close();
  EXPECT_FALSE(device.IsOpen());
  EXPECT_EQ(device.DescriptorData(), nullptr);
  EXPECT_EQ(device.ItemCount(HidReportType::kInput), 0u);
}

TEST_F(HidDeviceTest, Open_RefusesPathsThatNameNoInterface) {
  const std::string path = AddNode(0, kThreeCollections, 1, 2);
  FakeNode node(tree_.DevPath(0));
  HidDevice device;
  EXPECT_EQ(device.Open(path + "&mi_01&col04", true, true, true, false), 0);  // no 4th TLC
  EXPECT_EQ(device.Open(path + "&mi_01", true, true, true, false), 0);        // which TLC?
  EXPECT_EQ(device.Open(tree_.DevPath(0) + "#vid_1111&pid_505b&mi_01&col01", true, true, true,
                        false),
            0);  // another device now holds that node number
  EXPECT_EQ(device.Open(tree_.DevPath(7) + "#vid_320f&pid_505b", true, true, true, false), 0);
  EXPECT_FALSE(device.IsOpen());
}

TEST_F(HidDeviceTest, Open_PathLongerThan259Bytes_FailsInsteadOfTruncating) {
  std::string path = AddNode(0, kUnnumberedMouse) + "&";
  FakeNode node(tree_.DevPath(0));
  path.resize(HidDevice::kMaxPathLength, 'z');
  HidDevice device;
  ASSERT_EQ(device.Open(path, true, false, true, false), 1);  // 259 bytes still open
  EXPECT_EQ(device.Open(path + "z", true, false, true, false), 0);
  EXPECT_FALSE(device.IsOpen());
  EXPECT_TRUE(device.DevicePath().empty());
}

TEST_F(HidDeviceTest, Close_NeverOpened_IsHarmless) {
  HidDevice device;
  device.Close();
  device.Close();
  EXPECT_FALSE(device.IsOpen());
  uint32_t count = 7;
  uint8_t buffer[8] = {};
  EXPECT_EQ(device.ReadReport(buffer, sizeof buffer, &count, 0), 0);
  EXPECT_EQ(count, 0u);
}

TEST_F(HidDeviceTest, Items_ButtonsFirstThenOneValueItemPerUsage) {
  // Buttons 1..3 and 4..8 (two caps of page 9), then values 5..7 and usage 0x30.
  const std::string path = AddNode(
      0,
      "05 01 09 04 a1 01 05 09 19 01 29 03 15 00 25 01 75 01 95 03 81 02 19 04 29 08 95 05 81 02 "
      "06 00 ff 19 05 29 07 15 00 26 ff 00 75 08 95 03 81 02 05 01 09 30 95 01 81 02 c0");
  FakeNode node(tree_.DevPath(0));
  HidDevice device;
  ASSERT_EQ(device.Open(path, true, false, true, false), 1);
  std::vector<HidDataItem>& items = device.Items(HidReportType::kInput);
  ASSERT_EQ(device.ItemCount(HidReportType::kInput), 6u);
  EXPECT_EQ(items[0].is_button, 1);
  EXPECT_EQ(items[0].usage_minimum, 1);
  EXPECT_EQ(items[0].usage_maximum, 3);
  EXPECT_EQ(items[0].maximum_usage_list_length, 8u);
  EXPECT_EQ(items[0].usages.size(), 8u);
  EXPECT_EQ(items[1].usage_minimum, 4);
  EXPECT_EQ(items[2].usage, 5);
  EXPECT_EQ(items[3].usage, 6);
  EXPECT_EQ(items[4].usage, 7);
  EXPECT_EQ(items[5].usage, 0x30);
  EXPECT_EQ(items[5].status, HIDP_STATUS_SUCCESS);

  // Buttons 1, 3 and 5 on; values 0x11, 0x22, 0x33, 0x44.
  const std::vector<uint8_t> report = {0x00, 0x15, 0x11, 0x22, 0x33, 0x44};
  ASSERT_EQ(HidDevice::UnpackReport(report.data(), static_cast<uint32_t>(report.size()),
                                    HidReportType::kInput, items.data(),
                                    device.ItemCount(HidReportType::kInput),
                                    device.DescriptorData()),
            1);
  // Each button item keeps only the usages inside its own range, then zeros.
  EXPECT_EQ(items[0].usages, (std::vector<uint16_t>{1, 3, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(items[1].usages, (std::vector<uint16_t>{5, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(items[2].value, 0x11u);
  EXPECT_EQ(items[4].value, 0x33u);
  EXPECT_EQ(items[5].value, 0x44u);
  for (const HidDataItem& item : items) EXPECT_EQ(item.is_data_set, 1u);

  // A report of the wrong length cannot give a raw value.
  EXPECT_EQ(HidDevice::UnpackReport(report.data(), 5, HidReportType::kInput, items.data(),
                                    device.ItemCount(HidReportType::kInput),
                                    device.DescriptorData()),
            0);
}

TEST_F(HidDeviceTest, Items_NoValueCaps_OneItemPerButtonCap) {
  const std::string path = AddNode(
      0, "05 01 09 06 a1 01 05 07 19 e0 29 e7 15 00 25 01 75 01 95 08 81 02 95 06 75 08 25 65 "
         "19 00 29 65 81 00 c0");
  FakeNode node(tree_.DevPath(0));
  HidDevice device;
  ASSERT_EQ(device.Open(path, true, false, true, false), 1);
  EXPECT_EQ(device.ItemCount(HidReportType::kInput), 2u);
  EXPECT_EQ(device.ItemCount(HidReportType::kOutput), 0u);
}

TEST_F(HidDeviceTest, Unpack_SkipsItemsOfOtherReportIds) {
  const std::string path = AddNode(0, kThreeCollections);
  FakeNode node(tree_.DevPath(0));
  HidDevice device;
  ASSERT_EQ(device.Open(path + "&col03", true, false, true, false), 1);
  std::vector<HidDataItem>& items = device.Items(HidReportType::kInput);
  ASSERT_EQ(items.size(), 1u);
  std::vector<uint8_t> report(64, 0);
  report[0] = 0x01;
  ASSERT_EQ(HidDevice::UnpackReport(report.data(), 64, HidReportType::kInput, items.data(), 1,
                                    device.DescriptorData()),
            1);
  EXPECT_EQ(items[0].is_data_set, 0u);
  EXPECT_EQ(HidDevice::UnpackReport(nullptr, 64, HidReportType::kInput, items.data(), 1,
                                    device.DescriptorData()),
            0);
}

class HidDeviceIoTest : public HidDeviceTest {
 protected:
  void OpenVendor() {
    const std::string path = AddNode(0, kThreeCollections);
    node_ = std::make_unique<FakeNode>(tree_.DevPath(0));
    ASSERT_TRUE(node_->bound());
    ASSERT_EQ(device_.Open(path + "&col03", true, true, true, false), 1);
    ASSERT_TRUE(node_->Accept());
  }

  std::unique_ptr<FakeNode> node_;
  HidDevice device_;
};

TEST_F(HidDeviceIoTest, Read_KeepsOwnCollectionAndPads) {
  OpenVendor();
  node_->Send({0x01, 0x55});        // keyboard collection: not ours
  node_->Send({0x04, 0xaa, 0xbb});  // ours, short
  std::vector<uint8_t> buffer(80, 0xee);
  uint32_t count = 0;
  ASSERT_EQ(device_.ReadReport(buffer.data(), 80, &count, 1000), 1);
  EXPECT_EQ(count, 64u);
  std::vector<uint8_t> expected(64, 0);
  expected[0] = 0x04;
  expected[1] = 0xaa;
  expected[2] = 0xbb;
  EXPECT_EQ(std::vector<uint8_t>(buffer.begin(), buffer.begin() + 64), expected);
  EXPECT_EQ(buffer[64], 0xee);
}

TEST_F(HidDeviceIoTest, Read_OversizedReportIsCutAndShortBufferFails) {
  OpenVendor();
  std::vector<uint8_t> big(100, 0x11);
  big[0] = 0x04;
  node_->Send(big);
  std::vector<uint8_t> buffer(70, 0);
  uint32_t count = 0;
  ASSERT_EQ(device_.ReadReport(buffer.data(), 70, &count, 1000), 1);
  EXPECT_EQ(count, 70u);
  EXPECT_EQ(buffer[69], 0x11);
  EXPECT_EQ(device_.ReadReport(buffer.data(), 63, &count, 0), 0);
}

TEST_F(HidDeviceIoTest, Read_TimesOutWithZeroBytes) {
  OpenVendor();
  std::vector<uint8_t> buffer(64);
  uint32_t count = 9;
  const auto start = steady_clock::now();
  EXPECT_EQ(device_.ReadReport(buffer.data(), 64, &count, 50), 0);
  EXPECT_GE(steady_clock::now() - start, milliseconds(45));
  EXPECT_EQ(count, 0u);
  // The next transfer starts clean.
  node_->Send({0x04, 0x01});
  EXPECT_EQ(device_.ReadReport(buffer.data(), 64, &count, 1000), 1);
}

TEST_F(HidDeviceIoTest, Read_FloodOfOtherReportsStillTimesOut) {
  OpenVendor();
  std::atomic<bool> stop{false};
  std::thread flood([&] {
    while (!stop) {
      node_->Send({0x01, 0x55});
      // The flood's pace, not a wait.
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
  });
  std::vector<uint8_t> buffer(64);
  uint32_t count = 0;
  const auto start = steady_clock::now();
  EXPECT_EQ(device_.ReadReport(buffer.data(), 64, &count, 100), 0);
  EXPECT_LT(steady_clock::now() - start, milliseconds(1500));
  stop = true;
  flood.join();
}

TEST_F(HidDeviceIoTest, Close_FromAnotherThread_EndsWaitingRead) {
  OpenVendor();
  auto read = std::async(std::launch::async, [this] {
    std::vector<uint8_t> buffer(64);
    uint32_t count = 0;
    return device_.ReadReport(buffer.data(), 64, &count, -1);
  });
  // No state shows a read blocked in its poll; the close must find one under way.
  std::this_thread::sleep_for(milliseconds(50));
  device_.Close();
  ASSERT_EQ(read.wait_for(std::chrono::seconds(2)), std::future_status::ready);
  EXPECT_EQ(read.get(), 0);
  EXPECT_FALSE(device_.IsOpen());
  // The object opens again and transfers normally.
  ASSERT_EQ(device_.Reopen(), 1);
  ASSERT_TRUE(node_->Accept());
  node_->Send({0x04, 0x02});
  std::vector<uint8_t> buffer(64);
  uint32_t count = 0;
  EXPECT_EQ(device_.ReadReport(buffer.data(), 64, &count, 1000), 1);
}

TEST_F(HidDeviceIoTest, Read_VanishedNodeFails) {
  OpenVendor();
  auto read = std::async(std::launch::async, [this] {
    std::vector<uint8_t> buffer(64);
    uint32_t count = 0;
    return device_.ReadReport(buffer.data(), 64, &count, -1);
  });
  // No state shows a read blocked in its poll; the unplug must find one under way.
  std::this_thread::sleep_for(milliseconds(20));
  node_->Unplug();
  ASSERT_EQ(read.wait_for(std::chrono::seconds(2)), std::future_status::ready);
  EXPECT_EQ(read.get(), 0);
}

TEST_F(HidDeviceIoTest, Write_SendsExactlyTheOutputReport) {
  OpenVendor();
  std::vector<uint8_t> report(64, 0);
  report[0] = 0x04;
  report[1] = 0x01;
  report[63] = 0x7f;
  uint32_t count = 0;
  ASSERT_EQ(device_.WriteReport(report.data(), 64, &count, 1000), 1);
  EXPECT_EQ(count, 64u);
  EXPECT_EQ(node_->Receive(), report);
  EXPECT_EQ(device_.WriteReport(report.data(), 63, &count, 1000), 0);  // wrong length
  report[0] = 0x01;                                                    // not our output id
  EXPECT_EQ(device_.WriteReport(report.data(), 64, &count, 1000), 0);
  EXPECT_EQ(count, 0u);
}

TEST_F(HidDeviceTest, Write_SendsOnlyThatReportsOwnLength) {
  const std::string path = AddNode(0, kTwoOutputs);
  FakeNode node(tree_.DevPath(0));
  HidDevice device;
  ASSERT_EQ(device.Open(path, true, true, true, false), 1);
  ASSERT_TRUE(node.Accept());
  ASSERT_EQ(device.Caps().output_report_byte_length, 10);
  const std::vector<uint8_t> report = {0x05, 1, 2, 3, 0, 0, 0, 0, 0, 0};
  uint32_t count = 0;
  ASSERT_EQ(device.WriteReport(report.data(), 10, &count, 1000), 1);
  EXPECT_EQ(node.Receive(), (std::vector<uint8_t>{0x05, 1, 2, 3}));
}

TEST_F(HidDeviceTest, Read_UnnumberedDevice_GetsIdByteZero) {
  const std::string path = AddNode(0, kUnnumberedMouse);
  FakeNode node(tree_.DevPath(0));
  HidDevice device;
  ASSERT_EQ(device.Open(path, true, false, true, false), 1);
  ASSERT_TRUE(node.Accept());
  node.Send({0x7e});
  uint8_t buffer[2] = {0xff, 0xff};
  uint32_t count = 0;
  ASSERT_EQ(device.ReadReport(buffer, 2, &count, 1000), 1);
  EXPECT_EQ(count, 2u);
  EXPECT_EQ(buffer[0], 0x00);
  EXPECT_EQ(buffer[1], 0x7e);
  // Opened for reading only: writing fails.
  EXPECT_EQ(device.WriteReport(buffer, 2, &count, 100), 0);
}

}  // namespace
}  // namespace zt640
