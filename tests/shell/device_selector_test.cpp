#include <gtest/gtest.h>
#include <json/json.h>
#include <stdlib.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QStackedWidget>
#include <filesystem>
#include <functional>
#include <memory>

#include "devices/keyboard/kalvex_keyboard_device.h"
#include "devices/keyboard/keyboard_key_matcher.h"
#include "pages/keyboard/keyboard_page.h"
#include "devsim/devsim_server.h"
#include "profiles/global_utils.h"
#include "shell/custom_controls.h"
#include "shell/device_icon_table.h"
#include "shell/device_option_ui.h"
#include "shell/device_plugins.h"
#include "profiles/devices_json.h"
#include "shell/main_wnd.h"
#include "pages/mp_device_power_ui.h"
#include "shell/power_broadcast.h"
#include "shell/registered_window_messages.h"
#include "support/qt_app.h"
#include "shell/main_window_fixture.h"
#include "ui/control_factory.h"
#include "ui/resource_manager.h"

namespace zt640 {
namespace {

using test::PrepareSkins;
using test::WaitFor;
using DeviceSelectorTest = test::MainWindowFixture;

// The mouse and keyboard objects are made once the window has been drawn when no
// device is there, and before the first arrival is handled when one is.
TEST_F(DeviceSelectorTest, StartupDevicesFollowTheFirstDrawingOrPrecedeTheFirstArrival) {
  for (const bool plugged : {false, true}) {
    SCOPED_TRACE(plugged ? "keyboard plugged" : "no device");
    ASSERT_TRUE(plugged ? server_->Plug(devsim::SimDeviceId::kKeyboard) : server_->Unplug(devsim::SimDeviceId::kKeyboard));
    window_ = std::make_unique<CMainWnd>("", test::DevicePluginsIn(InterfaceCatalogue(), folders_));
    QString error;
    ASSERT_TRUE(window_->Create("t", CMainWnd::kInitialWidth, CMainWnd::kInitialHeight, &error)) << error.toStdString();
    EXPECT_FALSE(window_->StartupDevicesMade());
    EXPECT_TRUE(window_->Devices()->Entries().empty());
    if (plugged) {
      ASSERT_TRUE(WaitFor([&] { return KeyboardEntry() != nullptr && KeyboardEntry()->IsEntryVisible(); }, 5000));
    } else {
      ASSERT_TRUE(WaitFor([&] { return window_->StartupDevicesMade(); }, 5000));
      EXPECT_TRUE(window_->isVisible());
    }
    EXPECT_TRUE(window_->StartupDevicesMade());
    EXPECT_EQ(window_->Devices()->Entries().size(), 2u);
    window_->Destroy();
    window_.reset();
  }
}

TEST_F(DeviceSelectorTest, PlugUnplugReplug_EntryFollowsAndNoDevicePanelToo) {
  ASSERT_TRUE(server_->Unplug(devsim::SimDeviceId::kKeyboard));
  Open(InterfaceCatalogue());
  // The keyboard and the mouse have device classes: one entry each, shown while
  // the device is there.
  EXPECT_EQ(window_->Devices()->Entries().size(), 2u);
  ASSERT_NE(KeyboardEntry(), nullptr);
  EXPECT_EQ(KeyboardEntry()->OptionButton()->toolTip().isEmpty(), false);
  ASSERT_TRUE(WaitFor([&] { return window_->isVisible(); }));  // activation after the first pass
  EXPECT_FALSE(KeyboardEntry()->IsEntryVisible());
  EXPECT_TRUE(NoDevicePanelShown());
  // No page is built for a device that has not arrived.
  const int keyboard_type = KeyboardEntry()->TypeIndex();
  const auto keyboard_page = [&] { return dynamic_cast<KeyboardPage*>(window_->Devices()->SinkForType(keyboard_type)); };
  const auto page_widget = [&] { return window_->FindControl<QStackedWidget>(QStringLiteral("device_switch"))->widget(KeyboardEntry()->Page()); };
  EXPECT_EQ(keyboard_page(), nullptr);
  EXPECT_EQ(page_widget()->findChild<QWidget*>(), nullptr);

  ASSERT_TRUE(server_->Plug(devsim::SimDeviceId::kKeyboard));
  ASSERT_TRUE(WaitFor([&] { return KeyboardEntry()->IsEntryVisible(); }));
  EXPECT_TRUE(KeyboardEntry()->IsSelected());
  // Built on arrival, in the place the entry shows.
  KeyboardPage* const built = keyboard_page();
  ASSERT_NE(built, nullptr);
  EXPECT_NE(page_widget()->findChild<QWidget*>(), nullptr);
  EXPECT_EQ(window_->FindControl<QStackedWidget>(QStringLiteral("device_switch"))->currentIndex(), KeyboardEntry()->Page());
  EXPECT_FALSE(NoDevicePanelShown());
  EXPECT_TRUE(Keyboard()->Channel().wired_interface().IsOpen());
  ASSERT_TRUE(WaitFor([&] { return KeyboardEntry()->IsTimerArmed(CDeviceOptionUI::kRefreshTimer); }));

  ASSERT_TRUE(server_->Unplug(devsim::SimDeviceId::kKeyboard));
  ASSERT_TRUE(WaitFor([&] { return !KeyboardEntry()->IsEntryVisible(); }));
  EXPECT_TRUE(NoDevicePanelShown());
  EXPECT_FALSE(Keyboard()->Channel().is_open());

  ASSERT_TRUE(server_->Plug(devsim::SimDeviceId::kKeyboard));
  ASSERT_TRUE(WaitFor([&] { return KeyboardEntry()->IsEntryVisible(); }));
  EXPECT_FALSE(NoDevicePanelShown());
  EXPECT_EQ(window_->Devices()->Entries().size(), 2u);
  EXPECT_EQ(keyboard_page(), built);  // built once
}

TEST_F(DeviceSelectorTest, CableAndReceiver_CableWinsAndUnplugSwitchesToReceiver) {
  Open(WithReceiverIds());
  ASSERT_TRUE(WaitFor([&] {
    return window_->Devices()->Slots().Slot(2)->in_use == 1 && window_->Devices()->Slots().Slot(0)->in_use == 1;
  }));
  ASSERT_TRUE(WaitFor([&] { return KeyboardEntry()->IsEntryVisible(); }));
  EXPECT_TRUE(Keyboard()->Channel().wired_interface().IsOpen());
  EXPECT_FALSE(Keyboard()->Channel().receiver_interface().IsOpen());

  ASSERT_TRUE(server_->Unplug(devsim::SimDeviceId::kKeyboard));
  ASSERT_TRUE(WaitFor([&] { return Keyboard()->Channel().receiver_interface().IsOpen(); }));
  EXPECT_TRUE(Keyboard()->Channel().is_open());
  EXPECT_TRUE(KeyboardEntry()->IsEntryVisible());
  EXPECT_EQ(window_->Devices()->Entries().size(), 2u);

  ASSERT_TRUE(server_->Plug(devsim::SimDeviceId::kKeyboard));
  ASSERT_TRUE(WaitFor([&] { return Keyboard()->Channel().wired_interface().IsOpen(); }));
  EXPECT_TRUE(KeyboardEntry()->IsEntryVisible());
}

TEST_F(DeviceSelectorTest, Messages_SlotBeyondTableAndSuspendAreIgnored) {
  ASSERT_TRUE(server_->Unplug(devsim::SimDeviceId::kKeyboard));
  Open(InterfaceCatalogue());
  platform::WindowMessage add;
  add.message = DeviceSelector::kDeviceAddMessage;
  add.wparam = 11;
  EXPECT_EQ(window_->messages().Send(add).result, 0);
  add.wparam = ~std::uint64_t{0};
  EXPECT_EQ(window_->messages().Send(add).result, 0);
  platform::WindowMessage visible;
  visible.message = DeviceSelector::kDeviceVisibleMessage;
  visible.wparam = 77;
  visible.lparam = 1;
  EXPECT_EQ(window_->messages().Send(visible).result, 0);

  platform::WindowMessage power;
  power.message = PowerBroadcast::kWmPowerBroadcast;
  power.wparam = PowerBroadcast::kSuspend;
  EXPECT_EQ(window_->messages().Send(power).result, 1);
  EXPECT_FALSE(window_->SystemAwake());
  ASSERT_TRUE(server_->Plug(devsim::SimDeviceId::kKeyboard));
  // Claimed while asleep: the add is not acted on.
  ASSERT_TRUE(WaitFor([&] { return window_->Devices()->Slots().Slot(0)->in_use == 1; }));
  QCoreApplication::processEvents();
  EXPECT_FALSE(KeyboardEntry()->IsEntryVisible());
  power.wparam = PowerBroadcast::kResumeAutomatic;
  EXPECT_EQ(window_->messages().Send(power).result, 1);
  EXPECT_TRUE(window_->SystemAwake());
}

TEST(DeviceIconTable, KindsMapToIconsAndTooltips) {
  EXPECT_EQ(IconsForKind(DeviceKind::kKeyboard, 0)->selected, "common/device_ico/kb_device_selected.png");
  EXPECT_EQ(IconsForKind(DeviceKind::kKeyboard, 0)->synchro_normal, "common/device_ico/kb_device_synchro_normal.png");
  EXPECT_EQ(IconsForKind(DeviceKind::kMousePad, 1)->tooltip_key, "soft_mp_device_name_text");
  EXPECT_EQ(IconsForKind(DeviceKind::kOtherHeadset, 0)->normal, IconsForKind(DeviceKind::kHeadset, 0)->normal);
  EXPECT_EQ(IconsForKind(DeviceKind::kHub, 0)->tooltip_key, "hub_device_name_text");
  EXPECT_EQ(IconsForKind(DeviceKind::kKeyboardReceiver, 0)->tooltip_key, "unknow_device_name_text");
  EXPECT_FALSE(IconsForKind(DeviceKind::kMousePad, 2).has_value());
}

TEST(CDeviceOptionUI_Icons, MousePadOfOtherVariantKeepsPreviousIcons) {
  PrepareSkins();
  CDeviceOptionUI entry(QStringLiteral("DeviceOption.ui"));
  ASSERT_TRUE(entry.IsBuilt());
  entry.SetKindAndVariant(DeviceKind::kMousePad, 0);
  entry.SetKindAndVariant(DeviceKind::kMousePad, 7);
  EXPECT_EQ(entry.Icons().tooltip_key, "hard_mp_device_name_text");
  EXPECT_EQ(entry.OptionButton()->property("toolTipKey").toString(), QStringLiteral("hard_mp_device_name_text"));
  entry.SetSynchroChecked(true);
  EXPECT_EQ(entry.OptionButton()->property("iconName").toString(),
            QStringLiteral("common/device_ico/hard_mp_device_synchro_normal.png"));
}

TEST(CMpDevicePowerUI_Show, RecordFieldsReachTheirControls) {
  PrepareSkins();
  CMpDevicePowerUI power(QStringLiteral("MpDevicePower.ui"));
  ASSERT_TRUE(power.IsBuilt());
  power.SetKindAndVariant(DeviceKind::kMousePad, 0);
  PowerRecord record;
  record.bytes = {70, 1, 0, 1, 0, 2};
  power.ShowPowerStatus(record);
  EXPECT_EQ(power.findChild<QLabel*>("device_power_value")->text(), QStringLiteral("70%"));
  EXPECT_EQ(power.findChild<QProgressBar*>("device_Power_progress")->value(), 30);
  EXPECT_EQ(power.findChild<QLabel*>("device_power_status")->property("image").toString(),
            QStringLiteral("file='power/powering.png'"));
  EXPECT_FALSE(power.findChild<QLabel*>("device_wuxian_logo")->isHidden());
  EXPECT_EQ(power.findChild<QLabel*>("device_phone_type")->property("textKey").toString(),
            QStringLiteral("Phone_type_samsung"));
  record.bytes = {250, 9, 0, 0, 0, 0};
  power.ShowPowerStatus(record);
  EXPECT_EQ(power.findChild<QProgressBar*>("device_Power_progress")->value(), 0);
  EXPECT_TRUE(power.findChild<QLabel*>("device_wuxian_logo")->isHidden());
  power.SetWireless(false);
  EXPECT_TRUE(power.findChild<QWidget*>("device_power_Layout")->isHidden());
}

TEST(PowerBroadcast_ClockWatch, GapBetweenClocksPostsSuspendThenResume) {
  test::QtApp();
  platform::MessageQueue queue;
  std::vector<std::uint64_t> events;
  queue.SetHandler([&](const platform::WindowMessage& message) {
    if (message.message == PowerBroadcast::kWmPowerBroadcast) events.push_back(message.wparam);
    return std::int64_t{0};
  });
  PowerBroadcast power(queue);
  power.CheckClocks(1000, 5000);
  power.CheckClocks(3000, 7100);  // 100 ms apart: no sleep
  queue.Dispatch();
  EXPECT_TRUE(events.empty());
  power.CheckClocks(5000, 19100);  // boot-time ran 12 s ahead
  queue.Dispatch();
  EXPECT_EQ(events, (std::vector<std::uint64_t>{PowerBroadcast::kSuspend, PowerBroadcast::kResumeAutomatic}));
  power.OnPrepareForSleep(true);
  queue.Dispatch();
  EXPECT_EQ(events.back(), PowerBroadcast::kSuspend);
}

}  // namespace
}  // namespace zt640
