#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "devices/headset/headset_light_report.h"
#include "devices/headset/kalvex_hs6533_device.h"
#include "devices/pad/kalvex_mouse_pad_device.h"
#include "devsim/devsim_server.h"
#include "support/wait_until.h"
#include "transport/device_path.h"
#include "transport/hid_device.h"

namespace zt640::test {
namespace {

using devsim::LightingArea;
using devsim::SimDeviceId;

constexpr uint16_t kPadPid = 0x5A40;
constexpr uint16_t kHeadsetPid = 0x5A60;

/// The interface of `product` with this interface and collection number, or "".
std::string InterfacePath(uint16_t product, int interface_number, int collection) {
  HidDevice enumerator;
  if (enumerator.EnumerateInterfaces() != HidDevice::kSuccess) return {};
  while (auto path = enumerator.NextInterfacePath()) {
    const std::string candidate(*path);
    if (DevicePath::ParsePid(candidate) == product &&
        DevicePath::ParseInterfaceNumber(candidate) == interface_number &&
        DevicePath::ParseCollectionNumber(candidate) == collection) {
      return candidate;
    }
  }
  return {};
}

/// The simulated pad and headset with their device objects; the light name
/// catalogue gives both kinds mode codes that differ from the indices.
class LightingSimulatorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char templ[] = "/tmp/zt640-lighting-XXXXXX";
    ASSERT_NE(mkdtemp(templ), nullptr);
    root_ = templ;
    std::filesystem::create_directories(root_ + "/DefaultData");
    std::ofstream catalogue(root_ + "/DefaultData/default_light.json");
    const std::string modes =
        R"([{"value": 32}, {"value": 33}, {"value": 34}, {"value": 35}, {"value": 36}, )"
        R"({"value": 37}, {"value": 38}, {"value": 39}, {"value": 40}])";
    catalogue << R"({"DefaultLightName": [[], [], )" << modes << ", " << modes << "]}";
    catalogue.close();
    folders_ = {root_ + "/DefaultData/", root_ + "/data/"};
    setenv("ZT640_HID_ROOT", (root_ + "/hid").c_str(), 1);
    devsim::DevsimConfig config;
    config.root = root_ + "/hid";
    config.with_keyboard = false;
    config.with_pad = true;
    config.with_headset = true;
    server_ = std::make_unique<devsim::DevsimServer>(config);
    std::string error;
    ASSERT_TRUE(server_->Start(&error)) << error;
  }
  void TearDown() override {
    headset_.reset();
    pad_.reset();
    if (server_) server_->Stop();
    unsetenv("ZT640_HID_ROOT");
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }
  void ConnectHeadset() {
    headset_path_ = InterfacePath(kHeadsetPid, 3, 0);
    ASSERT_FALSE(headset_path_.empty());
    headset_ = std::make_unique<CKalvexHS6533Device>(folders_, "HD");
    headset_->LoadNameLists();
    ASSERT_TRUE(headset_->Connect(headset_path_, false));
  }
  static void SetLight(CKalvexUSBDevice& device, uint8_t mode, uint8_t speed) {
    LightState state;
    state.bytes = {mode, 2, speed, 1, 0, 0x10, 0x20, 0x30};
    device.SetLightState(state.Words());
  }

  std::string root_;
  ProfileFolders folders_;
  std::unique_ptr<devsim::DevsimServer> server_;
  std::string headset_path_;
  std::unique_ptr<CKalvexHS6533Device> headset_;
  std::unique_ptr<CKalvexMousePadDevice> pad_;
};

TEST_F(LightingSimulatorTest, HeadsetRecordIsReadAtSlotZeroAndWrittenBackWithCodesAndInvertedSpeed) {
  ConnectHeadset();
  const std::vector<uint8_t> stored = {0, 37, 3, 1, 0, 1, 7, 8, 9};
  ASSERT_TRUE(server_->Headset().WriteArea(LightingArea::kSettings, 0, stored));
  ASSERT_EQ(headset_->ReadSettingsRecord(), CommandResult::kSuccess);
  EXPECT_EQ(headset_->Record().bytes[1], 5);  // code 37 is mode 5
  EXPECT_EQ(headset_->Record().bytes[3], 3);  // 4 - 1
  EXPECT_EQ(headset_->GetLightState().bytes[LightState::kBlue], 9);

  SetLight(*headset_, 12, 4);
  ASSERT_EQ(headset_->WriteSettingsRecord(0, 0), CommandResult::kSuccess);
  const std::vector<uint8_t> record = server_->Headset().Record(0);
  const std::vector<uint8_t> light = {0, 32, 2, 0, 1, 0, 0x10, 0x20, 0x30};
  EXPECT_TRUE(std::equal(light.begin(), light.end(), record.begin()));
  // Bytes 9-20 go back as the headset gave them.
  for (size_t i = 9; i < 21; ++i) EXPECT_EQ(record[i], 0xA0 + i) << i;
  EXPECT_FALSE(server_->Headset().ConfigOpen());
  EXPECT_EQ(server_->Headset().WritesOutsideConfig(), 0u);
}

TEST_F(LightingSimulatorTest, HeadsetFrameArrivesAsTwelveOutputReportsOnceUntilTheWorkerRendersAgain) {
  ConnectHeadset();
  std::vector<ZoneColour> zones(13);
  for (size_t i = 0; i < zones.size(); ++i) {
    zones[i] = {static_cast<uint8_t>(20 * i), 255, static_cast<uint8_t>(i), 255};
    headset_->SetZoneColour(i, zones[i]);
  }
  headset_->SendLightFrame();
  devsim::LightingDeviceModel& model = server_->Headset();
  ASSERT_TRUE(WaitUntil([&] { return model.OutputReportCount() >= 12; }));
  const auto expected = BuildHeadsetLightFrame(zones);
  const auto received = model.OutputReports();
  ASSERT_EQ(received.size(), 12u);
  for (size_t r = 0; r < received.size(); ++r) EXPECT_EQ(received[r], expected[r].bytes) << r;
  EXPECT_EQ(received[1][10], received[0][10]);  // zone 6 again in (0x22, 0xAD)
  EXPECT_EQ(model.RefusedOutputReports(), 0u);

  // The same picture is not sent again; a command exchange still gets its answer.
  headset_->SendLightFrame();
  ASSERT_EQ(headset_->ReadSettingsRecord(), CommandResult::kSuccess);
  EXPECT_EQ(model.OutputReportCount(), 12u);

  // A rendered pass makes a new frame.
  SetLight(*headset_, 1, 4);
  headset_->StartLightWorker();
  ASSERT_TRUE(WaitUntil([&] { return headset_->RenderedPasses() > 0; }));
  headset_->SendLightFrame();
  ASSERT_TRUE(WaitUntil([&] { return model.OutputReportCount() >= 24; }));
  EXPECT_EQ(headset_->StopLightWorker(), WorkerThread::StopOutcome::kEnded);
}

TEST_F(LightingSimulatorTest, ReportsTheHeadsetAlreadyHoldsAreLeftOutUntilAWholeFrameIsDue) {
  ConnectHeadset();
  devsim::LightingDeviceModel& model = server_->Headset();
  SetLight(*headset_, 3, 0);  // static: one render per change
  headset_->StartLightWorker();
  ASSERT_TRUE(WaitUntil([&] { return headset_->RenderedPasses() == 1; }));
  headset_->SendLightFrame();
  ASSERT_TRUE(WaitUntil([&] { return model.OutputReportCount() == 12; }));
  // Only the red value changes: the four red reports go out, nothing else.
  LightState state;
  state.bytes = {3, 2, 0, 1, 0, 0x80, 0x20, 0x30};
  headset_->SetLightState(state.Words());
  ASSERT_TRUE(WaitUntil([&] { return headset_->RenderedPasses() == 2; }));
  headset_->SendLightFrame();
  ASSERT_TRUE(WaitUntil([&] { return model.OutputReportCount() == 16; }));
  const auto received = model.OutputReports();
  const std::vector<std::pair<uint8_t, uint8_t>> red = {{0x22, 0xAA}, {0x22, 0xAD}, {0x44, 0xAA}, {0x44, 0xAD}};
  for (size_t i = 0; i < red.size(); ++i) {
    EXPECT_EQ(received[12 + i][1], red[i].first);
    EXPECT_EQ(received[12 + i][2], red[i].second);
    EXPECT_EQ(received[12 + i][4], 0x80 * 126 / 256);
  }
  // Every 64th frame goes out whole.
  for (uint32_t frame = 2; frame < CKalvexHS6533Device::kFullFrameEvery; ++frame) {
    state.bytes[LightState::kRed] = static_cast<uint8_t>(4 * frame);  // distinct after scaling
    headset_->SetLightState(state.Words());
    ASSERT_TRUE(WaitUntil([&] { return headset_->RenderedPasses() == frame + 1; }));
    headset_->SendLightFrame();
  }
  state.bytes[LightState::kRed] = 0xFF;
  headset_->SetLightState(state.Words());
  ASSERT_TRUE(WaitUntil([&] { return headset_->RenderedPasses() == CKalvexHS6533Device::kFullFrameEvery + 1; }));
  headset_->SendLightFrame();
  const uint64_t expected = 16 + 4 * (CKalvexHS6533Device::kFullFrameEvery - 2) + 12;
  ASSERT_TRUE(WaitUntil([&] { return model.OutputReportCount() == expected; })) << model.OutputReportCount();
  EXPECT_EQ(headset_->StopLightWorker(), WorkerThread::StopOutcome::kEnded);
}

TEST_F(LightingSimulatorTest, OnlyTheInterfacesOwnOutputReportsLeaveAndOnlyOverAnOpenCable) {
  ConnectHeadset();
  CommandChannel& channel = headset_->Channel();
  std::array<uint8_t, 17> report{0xFF, 0x22, 0xAA};
  EXPECT_EQ(channel.SendOutputReport(std::span<const uint8_t>(report.data(), 16)), CommandResult::kFailed);
  report[0] = 0x05;  // no output report of the interface has this id
  EXPECT_EQ(channel.SendOutputReport(report), CommandResult::kFailed);
  report[0] = 0xFF;
  EXPECT_EQ(channel.SendOutputReport(report), CommandResult::kSuccess);
  channel.SetConnectionType(kConnectionReceiver);
  EXPECT_EQ(channel.SendOutputReport(report), CommandResult::kFailed);
  channel.SetConnectionType(kConnectionWired);
  headset_->Disconnect();
  EXPECT_EQ(channel.SendOutputReport(report), CommandResult::kFailed);
  ASSERT_TRUE(WaitUntil([&] { return server_->Headset().OutputReportCount() == 1; }));
  EXPECT_EQ(server_->Headset().RefusedOutputReports(), 0u);
}

TEST_F(LightingSimulatorTest, HeadsetListenerSharesTheInterfaceAndAsksOnlyForReReads) {
  ConnectHeadset();
  const size_t clients = server_->ClientCount(devsim::SimDeviceId::kHeadset, 3);
  ASSERT_TRUE(headset_->AttachSecondaryInterface(DeviceKind::kHeadset, headset_path_));
  // A report sent before the listener has opened its node is lost, as on a real device.
  ASSERT_TRUE(WaitUntil([&] { return server_->ClientCount(devsim::SimDeviceId::kHeadset, 3) > clients; }));
  ASSERT_EQ(headset_->ReadSettingsRecord(), CommandResult::kSuccess);
  ASSERT_TRUE(server_->SendLightingDeviceReport(SimDeviceId::kHeadset, 0x0402));
  ASSERT_TRUE(server_->SendLightingDeviceReport(SimDeviceId::kHeadset, 0x0401));
  ASSERT_TRUE(WaitUntil([&] { return headset_->ProcessListenerEvents(); }));
  EXPECT_FALSE(headset_->ProcessListenerEvents());
  headset_->DetachSecondaryInterface(DeviceKind::kHeadset);
  EXPECT_FALSE(headset_->SecondaryInterfaceAttached(DeviceKind::kHeadset));
}

TEST_F(LightingSimulatorTest, PadReadsItsInformationWritesModeAboveEightAsModeZeroAndStreamsItsZones) {
  const std::string path = InterfacePath(kPadPid, 1, 4);
  ASSERT_FALSE(path.empty());
  pad_ = std::make_unique<CKalvexMousePadDevice>(folders_, "MousePad");
  ASSERT_TRUE(pad_->Connect(path, false));
  ASSERT_EQ(pad_->ReadDeviceInfoRecord(), CommandResult::kSuccess);
  EXPECT_EQ(pad_->DeviceInfo().key_count(), 15u);
  pad_->LoadNameLists();

  SetLight(*pad_, 9, 0);
  ASSERT_EQ(pad_->WriteSettingsRecord(0, 0), CommandResult::kSuccess);
  const std::vector<uint8_t> record = server_->Pad().Record(0);
  EXPECT_EQ(record[1], 32);
  EXPECT_EQ(record[3], 4);

  for (size_t i = 0; i < 15; ++i) pad_->SetZoneColour(i, {static_cast<uint8_t>(i), 0, 200, 128});
  pad_->SendLightFrame();
  const std::vector<uint8_t> frame = server_->Pad().Area(LightingArea::kLiveFrame);
  ASSERT_EQ(frame.size(), 45u);
  EXPECT_EQ(frame[3 * 14], 7);   // 14 x 128 / 256
  EXPECT_EQ(frame[3 * 14 + 2], 100);

  // Its re-read request arrives on the consumer-control collection.
  const size_t clients = server_->ClientCount(devsim::SimDeviceId::kPad, 1);
  ASSERT_TRUE(pad_->AttachSecondaryInterface(DeviceKind::kMousePad, InterfacePath(kPadPid, 1, 3)));
  ASSERT_TRUE(WaitUntil([&] { return server_->ClientCount(devsim::SimDeviceId::kPad, 1) > clients; }));
  ASSERT_TRUE(server_->SendLightingDeviceReport(SimDeviceId::kPad, 0x0401));
  ASSERT_TRUE(WaitUntil([&] { return pad_->ProcessListenerEvents(); }));
}

}  // namespace
}  // namespace zt640::test
