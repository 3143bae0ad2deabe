#pragma once

#include <gtest/gtest.h>
#include <json/json.h>
#include <stdlib.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "devices/keyboard/kalvex_keyboard_device.h"
#include "devices/keyboard/keyboard_key_matcher.h"
#include "devsim/devsim_server.h"
#include "profiles/global_utils.h"
#include "shell/custom_controls.h"
#include "shell/device_option_ui.h"
#include "shell/device_plugins.h"
#include "profiles/devices_json.h"
#include "shell/main_wnd.h"
#include "shell/registered_window_messages.h"
#include "support/factory_keyboard_profile.h"
#include "support/main_window_setup.h"
#include "support/qt_app.h"
#include "ui/control_factory.h"
#include "ui/resource_manager.h"

namespace zt640::test {

inline void PrepareSkins() {
  test::QtApp();
  ASSERT_TRUE(LoadShippedSkins());
}

inline bool WaitFor(const std::function<bool()>& done, int timeout_ms = 3000) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > timeout_ms) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  return true;
}

/// The entry's first read has ended: frames are under way, whether on the frame timer
/// or following the lighting worker's renders.
inline bool FramesStarted(const CDeviceOptionUI& entry) {
  return entry.IsTimerArmed(CDeviceOptionUI::kRefreshTimer) || entry.AwaitingRender() ||
         entry.ExchangePending(CDeviceOptionUI::kRefreshTimer);
}

/// The main window with the keyboard class, over a simulated keyboard and receiver.
/// `Configure` may change the simulator settings before it starts.
class MainWindowFixture : public ::testing::Test {
 protected:
  virtual void Configure(devsim::DevsimConfig& /*config*/) {}

  void SetUp() override {
    PrepareSkins();
    char templ[] = "/tmp/zt640-sel-XXXXXX";
    ASSERT_NE(mkdtemp(templ), nullptr);
    root_ = templ;
    std::filesystem::create_directories(root_ + "/DefaultData");
    folders_ = {root_ + "/DefaultData/", root_ + "/data/"};
    // The shipped mode list, so the lighting editor offers the keyboard's modes.
    std::filesystem::copy_file(ZT640_SOURCE_DIR "/data/DefaultData/default_light.json",
                               folders_.defaults + "default_light.json");
    ASSERT_TRUE(WriteFactoryKeyboardProfile(folders_.defaults + "keyboard.Json", 5));
    devsim::DevsimConfig config;
    config.root = root_ + "/hid";
    config.with_receiver = true;
    Configure(config);
    server_ = std::make_unique<devsim::DevsimServer>(config);
    std::string error;
    ASSERT_TRUE(server_->Start(&error)) << error;
    setenv("ZT640_HID_ROOT", (root_ + "/hid").c_str(), 1);
  }

  void TearDown() override {
    if (window_) window_->Destroy();
    window_.reset();
    if (server_) server_->Stop();
    unsetenv("ZT640_HID_ROOT");
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }

  void Open(const InterfaceCatalogue& catalogue, const std::string& runtime_folder = {}) {
    window_ = std::make_unique<CMainWnd>(runtime_folder, DevicePluginsIn(catalogue, folders_));
    QString error;
    ASSERT_TRUE(window_->Create("t", CMainWnd::kInitialWidth, CMainWnd::kInitialHeight, &error)) << error.toStdString();
    ASSERT_NE(window_->Devices(), nullptr);
    // As before the window's first drawing: the tests look at the objects from the start.
    window_->MakeStartupDevices();
  }

  /// Waits until every user action has reached the devices and shown its result.
  [[nodiscard]] bool Settle(int timeout_ms = 5000) {
    return WaitFor([&] { return window_->DeviceEditsSettled(); }, timeout_ms);
  }

  /// Runs the keyboard entry's connect timer now rather than 500 ms after its
  /// interface opened, for tests that look at what the connection does, not at
  /// when it starts. False when the connection never began.
  [[nodiscard]] bool ConnectNow() {
    const auto begun = [&] {
      return KeyboardEntry() != nullptr && (KeyboardEntry()->IsTimerArmed(CDeviceOptionUI::kConnectTimer) ||
                                            KeyboardEntry()->ExchangePending(CDeviceOptionUI::kConnectTimer));
    };
    if (!WaitFor(begun, 5000)) return false;
    if (KeyboardEntry()->IsTimerArmed(CDeviceOptionUI::kConnectTimer)) {
      KeyboardEntry()->ArmTimer(CDeviceOptionUI::kConnectTimer, 0);
    }
    return true;
  }

  CDeviceOptionUI* KeyboardEntry() { return window_->Devices()->EntryForType(InterfaceCatalogue::kKeyboardType); }
  CKalvexUSBDevice* Keyboard() { return window_->Devices()->DeviceForType(InterfaceCatalogue::kKeyboardType); }
  bool NoDevicePanelShown() { return !window_->FindControl("No_device_Link")->isHidden(); }

  static InterfaceCatalogue WithReceiverIds() {
    InterfaceCatalogue catalogue;
    const DevicesJson::Result ids = DevicesJson::ApplyText(
        R"({"Interfaces":[{"Row":2,"VendorId":"0x320F","ProductId":"0x5089"},
                          {"Row":3,"VendorId":"0x320F","ProductId":"0x5089"}]})",
        catalogue);
    EXPECT_EQ(ids.rows_applied, 2u);
    return catalogue;
  }

  std::string root_;
  ProfileFolders folders_;
  std::unique_ptr<devsim::DevsimServer> server_;
  std::unique_ptr<CMainWnd> window_;
};

}  // namespace zt640::test
