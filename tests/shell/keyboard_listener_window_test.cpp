#include <gtest/gtest.h>

#include <QComboBox>
#include <filesystem>

#include "devsim/keyboard_notification.h"
#include "profiles/global_utils.h"
#include "pages/device_key_button_ui.h"
#include "pages/keyboard/keyboard_page.h"
#include "pages/keyboard/keyboard_picture.h"
#include "shell/main_window_fixture.h"

namespace zt640 {
namespace {

using test::WaitFor;

int ThreadCount() {
  int count = 0;
  for ([[maybe_unused]] const auto& task : std::filesystem::directory_iterator("/proc/self/task")) ++count;
  return count;
}

/// The main window over the simulated keyboard: the reports the keyboard sends on
/// its own reach the window through the listeners on its secondary interfaces.
class KeyboardListenerWindowTest : public test::MainWindowFixture {
 protected:
  void Configure(devsim::DevsimConfig& config) override { config.with_receiver = with_receiver_; }

  void OpenConnected(const InterfaceCatalogue& catalogue) {
    Open(catalogue);
    // Over the cable alone no second interface can arrive while the keyboard connects.
    if (!with_receiver_) {
      ASSERT_TRUE(ConnectNow());
    }
    ASSERT_TRUE(WaitFor([&] { return KeyboardEntry()->IsEntryVisible() && Page() != nullptr; }, 5000));
    // The first synchronisation has run once the refresh timer is armed.
    ASSERT_TRUE(WaitFor([&] { return KeyboardEntry()->IsTimerArmed(CDeviceOptionUI::kRefreshTimer); }));
    ASSERT_TRUE(WaitFor([&] { return Device().SecondaryInterfaceAttached(DeviceKind::kKeyboard); }));
  }

  KeyboardPage* Page() { return window_->SelectedKeyboardPage(); }
  CKalvexKeyboardDevice& Device() { return static_cast<CKalvexKeyboardDevice&>(*Keyboard()); }
  QComboBox* Combo(const char* name) { return Page()->Widget()->findChild<QComboBox*>(QString::fromLatin1(name)); }

  bool with_receiver_ = false;
};

TEST_F(KeyboardListenerWindowTest, SlotChangeOnTheKeyboardChoosesThatProfileAndShowsIt) {
  OpenConnected(InterfaceCatalogue());
  ProfileList& list = Page()->Profiles()->List();
  ASSERT_TRUE(list.AddProfile().done());
  Page()->Profiles()->Refresh();
  ASSERT_EQ(list.Entries().size(), 2u);
  // The second profile runs the flashing mode 23.
  const std::string second = Device().GetDataFolder() + list.Entries()[1].uuid + ".Json";
  Json::Value document = CGlobalUtils::ParseJsonFile(second);
  ASSERT_FALSE(document.isNull());
  document["Device"][0]["LightInfo"]["SelectItem"] = 23;
  ASSERT_TRUE(CGlobalUtils::WriteJsonFile(second, document));
  ASSERT_EQ(Combo("device_profile_combo")->currentIndex(), 0);

  ASSERT_TRUE(server_->SelectSlot(1));
  ASSERT_TRUE(WaitFor([&] { return Device().ActiveSlot() == 1; }));
  ASSERT_TRUE(WaitFor([&] { return Combo("device_profile_combo")->currentIndex() == 1; }));
  EXPECT_EQ(list.GetActiveProfileUuid(), list.Entries()[1].uuid);
  // The profile's state is applied on the keyboard's worker and then shown by the page.
  EXPECT_TRUE(WaitFor([&] {
    return Device().GetLightState().mode() == 23 && Combo("light_combo_modeSelect")->currentIndex() == 23;
  }));

  // A slot beyond the profile list keeps the choice.
  ASSERT_TRUE(server_->SelectSlot(3));
  ASSERT_TRUE(WaitFor([&] { return Device().ActiveSlot() == 3; }));
  EXPECT_EQ(Combo("device_profile_combo")->currentIndex(), 1);
}

TEST_F(KeyboardListenerWindowTest, ReloadRequestFromTheKeyboardReadsTheProfileAgain) {
  OpenConnected(InterfaceCatalogue());
  // Another program changed key 0 of the active profile to key 1's factory value.
  const std::string path = Device().Profile().GetProfilePath();
  Json::Value document = CGlobalUtils::ParseJsonFile(path);
  ASSERT_FALSE(document.isNull());
  const Json::Value moved = document["Device"][0]["KeyList"][1]["Assignment"];
  ASSERT_NE(document["Device"][0]["KeyList"][0]["Assignment"], moved);
  document["Device"][0]["KeyList"][0]["Assignment"] = moved;
  ASSERT_TRUE(CGlobalUtils::WriteJsonFile(path, document));
  const QString key1_text = Page()->Picture()->Button(1)->text();
  ASSERT_NE(Page()->Picture()->Button(0)->text(), key1_text);

  ASSERT_TRUE(server_->SendNotification(devsim::KeyboardNotification::kReload));
  ASSERT_TRUE(WaitFor([&] { return Page()->Picture()->Button(0)->text() == key1_text; }));
  EXPECT_EQ(Device().Assignments()[0].current.assignment.Pack(), moved.asInt());
  EXPECT_FALSE(Device().ReloadPending());
}

TEST_F(KeyboardListenerWindowTest, Mode7_AKeyPressedOnTheKeyboardLightsThatKeyInThePicture) {
  OpenConnected(InterfaceCatalogue());
  Combo("light_combo_modeSelect")->setCurrentIndex(7);
  ASSERT_TRUE(Settle());
  ASSERT_EQ(Device().GetLightState().mode(), 7);
  constexpr int kPressed = 50;  // "B"
  constexpr int kOther = 51;
  const uint8_t device_key = Device().DeviceKeyMap()[kPressed];
  ASSERT_NE(device_key, CKalvexUSBDevice::kNoMapping);
  CDeviceKeyButtonUI* pressed = Page()->Picture()->Button(kPressed);
  CDeviceKeyButtonUI* other = Page()->Picture()->Button(kOther);
  // Mode 7 keeps idle keys dark.
  ASSERT_TRUE(WaitFor([&] { return pressed->LightColour().value() == 0 && other->LightColour().value() == 0; }));

  ASSERT_TRUE(server_->KeyEvent(device_key, true));
  ASSERT_TRUE(WaitFor([&] { return pressed->LightColour().value() > 0; }));
  EXPECT_EQ(other->LightColour().value(), 0);
  ASSERT_TRUE(server_->KeyEvent(device_key, false));
  EXPECT_TRUE(WaitFor([&] { return pressed->LightColour().value() == 0; }));
}

TEST_F(KeyboardListenerWindowTest, UnplugAndReplug_ListenerFollowsAndNoThreadIsLeftBehind) {
  OpenConnected(InterfaceCatalogue());
  const int threads = ThreadCount();

  ASSERT_TRUE(server_->Unplug(devsim::SimDeviceId::kKeyboard));
  ASSERT_TRUE(WaitFor([&] { return !Device().SecondaryInterfaceAttached(DeviceKind::kKeyboard); }));
  ASSERT_TRUE(WaitFor([&] { return !KeyboardEntry()->IsEntryVisible(); }));
  EXPECT_TRUE(WaitFor([&] { return ThreadCount() < threads; })) << "the listener thread did not end";

  ASSERT_TRUE(server_->Plug(devsim::SimDeviceId::kKeyboard));
  ASSERT_TRUE(ConnectNow());
  ASSERT_TRUE(WaitFor([&] { return Device().SecondaryInterfaceAttached(DeviceKind::kKeyboard); }));
  ASSERT_TRUE(WaitFor([&] { return KeyboardEntry()->IsTimerArmed(CDeviceOptionUI::kRefreshTimer); }));
  EXPECT_TRUE(WaitFor([&] { return ThreadCount() == threads; })) << ThreadCount() << " threads, " << threads << " before";
  ASSERT_TRUE(server_->SelectSlot(2));
  EXPECT_TRUE(WaitFor([&] { return Device().ActiveSlot() == 2; }));
}

class KeyboardListenerReceiverTest : public KeyboardListenerWindowTest {
 protected:
  void Configure(devsim::DevsimConfig& config) override {
    with_receiver_ = true;
    KeyboardListenerWindowTest::Configure(config);
  }
};

TEST_F(KeyboardListenerReceiverTest, CableAndReceiverListen_ReceiverAloneCarriesTheReportsAfterUnplug) {
  OpenConnected(WithReceiverIds());
  ASSERT_TRUE(WaitFor([&] { return Device().SecondaryInterfaceAttached(DeviceKind::kKeyboardReceiver); }));

  ASSERT_TRUE(server_->Unplug(devsim::SimDeviceId::kKeyboard));
  ASSERT_TRUE(WaitFor([&] { return !Device().SecondaryInterfaceAttached(DeviceKind::kKeyboard); }));
  ASSERT_TRUE(WaitFor([&] { return Device().Channel().receiver_interface().IsOpen(); }));
  EXPECT_TRUE(Device().SecondaryInterfaceAttached(DeviceKind::kKeyboardReceiver));
  ASSERT_TRUE(server_->SelectSlot(2));
  EXPECT_TRUE(WaitFor([&] { return Device().ActiveSlot() == 2; }));

  ASSERT_TRUE(server_->Unplug(devsim::SimDeviceId::kReceiver));
  EXPECT_TRUE(WaitFor([&] { return !Device().SecondaryInterfaceAttached(DeviceKind::kKeyboardReceiver); }));
}

}  // namespace
}  // namespace zt640
