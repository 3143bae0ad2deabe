#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

#include "devices/pad/kalvex_mouse_pad_device.h"
#include "transport/scripted_device.h"

namespace zt640 {
namespace {

namespace fs = std::filesystem;
using test::Report;
using test::ScriptedDevice;

constexpr uint8_t kBeginConfig = 0x01;
constexpr uint8_t kEndConfig = 0x02;
constexpr uint8_t kReadSettings = 0x05;
constexpr uint8_t kWriteSettings = 0x06;

/// A pad firmware with a settings area; slot 1 is active.
struct PadFirmware {
  std::mutex mutex;
  std::vector<uint8_t> settings = std::vector<uint8_t>(256, 0);

  std::vector<Report> Answer(const Report& request) {
    std::lock_guard lock(mutex);
    const size_t length = request[4];
    const size_t offset = request[5] | request[6] << 8;
    if (request[3] == kReadSettings) {
      std::vector<uint8_t> data(settings.begin() + static_cast<long>(offset),
                                settings.begin() + static_cast<long>(offset + length));
      return {ScriptedDevice::Echo(request, 0, data)};
    }
    if (request[3] == kWriteSettings) {
      std::copy_n(request.begin() + 8, length, settings.begin() + static_cast<long>(offset));
    }
    return {ScriptedDevice::Echo(request)};
  }
};

class PadRecord : public ::testing::Test {
 protected:
  PadRecord() : scripted_([this](const Report& r) { return firmware_.Answer(r); }) {
    root_ = fs::temp_directory_path() /
            ("zt640_pad_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(root_);
    fs::create_directories(root_ / "DefaultData");
    // Mode codes of the pad's page type (2) differ from their indices.
    std::ofstream(root_ / "DefaultData" / "default_light.json")
        << R"({"DefaultLightName": [[], [], [)"
        << R"({"value": 16}, {"value": 17}, {"value": 18}, {"value": 19}, {"value": 20},)"
        << R"({"value": 21}, {"value": 22}, {"value": 23}, {"value": 24}], []]})";
    device_ = std::make_unique<CKalvexMousePadDevice>(
        ProfileFolders{(root_ / "DefaultData").string() + "/", (root_ / "data").string() + "/"}, "MousePad");
    device_->LoadNameLists();
  }
  ~PadRecord() override {
    device_.reset();
    fs::remove_all(root_);
  }
  void SetLight(uint8_t mode, uint8_t speed) {
    LightState state;
    state.bytes = {mode, 3, speed, 1, 0, 0x11, 0x22, 0x33};
    device_->SetLightState(state.Words());
  }
  std::vector<Report> Requests(uint8_t command) {
    std::vector<Report> found;
    for (const Report& r : scripted_.requests()) {
      if (r[3] == command) found.push_back(r);
    }
    return found;
  }

  fs::path root_;
  PadFirmware firmware_;
  ScriptedDevice scripted_;
  std::unique_ptr<CKalvexMousePadDevice> device_;
};

TEST_F(PadRecord, ModeIndexAboveEightIsWrittenAsModeZerosCodeAndSpeedInverted) {
  ASSERT_TRUE(device_->Connect(scripted_.path(), false));
  SetLight(9, 1);
  ASSERT_EQ(device_->WriteSettingsRecord(0, 0), CommandResult::kSuccess);
  const std::vector<uint8_t> expected = {0, 16, 3, 3, 1, 0, 0x11, 0x22, 0x33};
  EXPECT_TRUE(std::equal(expected.begin(), expected.end(), firmware_.settings.begin()));
  const auto writes = Requests(kWriteSettings);
  ASSERT_EQ(writes.size(), 1u);
  EXPECT_EQ(writes[0][4], 21);
  const auto all = scripted_.requests();
  ASSERT_EQ(all.size(), 3u);
  EXPECT_EQ(all.front()[3], kBeginConfig);
  EXPECT_EQ(all.back()[3], kEndConfig);
  // The object keeps the index and the speed level.
  EXPECT_EQ(device_->Record().bytes[1], 9);
  EXPECT_EQ(device_->Record().bytes[3], 1);

  SetLight(7, 4);
  ASSERT_EQ(device_->WriteSettingsRecord(0, 0), CommandResult::kSuccess);
  EXPECT_EQ(firmware_.settings[1], 23);
  EXPECT_EQ(firmware_.settings[3], 0);
}

TEST_F(PadRecord, TheActiveSlotsRecordIsReadAtSlotTimes29AndConvertedBack) {
  firmware_.settings[0] = 2;
  const std::vector<uint8_t> stored = {2, 19, 4, 4, 0, 1, 9, 8, 7};
  std::copy(stored.begin(), stored.end(), firmware_.settings.begin() + 58);
  firmware_.settings[58 + 20] = 0x5A;
  ASSERT_TRUE(device_->Connect(scripted_.path(), false));
  ASSERT_EQ(device_->ReadSettingsRecord(), CommandResult::kSuccess);
  EXPECT_EQ(device_->ActiveSlot(), 2);
  EXPECT_EQ(device_->Record().bytes[1], 3);  // code 19 is mode 3
  EXPECT_EQ(device_->Record().bytes[3], 0);  // 4 - 4
  EXPECT_EQ(device_->Record().bytes[20], 0x5A);
  EXPECT_EQ(device_->GetLightState().mode(), 3);
  EXPECT_EQ(device_->GetLightState().bytes[LightState::kRed], 9);
  const auto reads = Requests(kReadSettings);
  ASSERT_EQ(reads.size(), 2u);
  EXPECT_EQ(reads[1][4], 29);
  EXPECT_EQ(reads[1][5], 58);
}

TEST_F(PadRecord, NothingIsSentWhileClosedOrWithHostLightingOff) {
  SetLight(3, 0);
  EXPECT_EQ(device_->WriteSettingsRecord(0, 0), CommandResult::kFailed);
  ASSERT_TRUE(device_->Connect(scripted_.path(), false));
  device_->SetHostLighting(false);
  device_->SendLightFrame();
  EXPECT_TRUE(scripted_.requests().empty());
}

}  // namespace
}  // namespace zt640
