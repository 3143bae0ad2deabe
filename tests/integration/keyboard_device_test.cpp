#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>

#include "devices/keyboard/keyboard_effect_renderer.h"
#include "devsim/keyboard_factory_image.h"
#include "keyboard_simulator_fixture.h"
#include "support/wait_until.h"

namespace zt640::test {
namespace {

using devsim::KeyboardArea;
using devsim::KeyboardFactoryImage;
using enum CommandCode;

long CountOf(const std::vector<CommandCode>& commands, CommandCode command) {
  return std::count(commands.begin(), commands.end(), command);
}

TEST_F(KeyboardSimulatorTest, ReadSequenceMatchesEveryUiKey) {
  ConnectWired();
  ASSERT_EQ(device_->ReadKeyTables(), CommandResult::kSuccess);
  ASSERT_EQ(device_->ReadActiveSettings(), CommandResult::kSuccess);
  // 0x01, 0x03 (34 bytes: 1 packet), 0x07 (396 bytes: 8 packets), 0x1B (132: 3), 0x02, 0x05, 0x05.
  std::vector<CommandCode> expected = {kBeginConfig, kReadDeviceInfo};
  expected.insert(expected.end(), 8, kReadKeyTable);
  expected.insert(expected.end(), 3, kReadKeyLightMap);
  expected.insert(expected.end(), {kEndConfig, kReadSettings, kReadSettings});
  EXPECT_EQ(LoggedCommands(), expected);
  EXPECT_EQ(device_->MatchedKeyCount(), 126);
  const auto light_map = server_->Keyboard().Area(KeyboardArea::kKeyLightMap);
  const uint8_t device_key = device_->DeviceKeyMap()[30];
  ASSERT_NE(device_key, 255);
  EXPECT_EQ(device_->LightPositionMap()[30], light_map[device_key]);
  EXPECT_EQ(device_->ActiveSlot(), 0);
}

TEST_F(KeyboardSimulatorTest, WriteSettingsRecordSendsSlotZeroRecord) {
  ConnectWired();
  LightState state;
  state.bytes = {12, 3, 1, 1, 0, 0x10, 0x20, 0x30};
  device_->SetLightState(state.Words());
  ASSERT_EQ(device_->WriteSettingsRecord(0, 0), CommandResult::kSuccess);
  EXPECT_EQ(LoggedCommands(), (std::vector<CommandCode>{kBeginConfig, kWriteSettings, kEndConfig}));
  const auto settings = server_->Keyboard().Area(KeyboardArea::kSettings);
  const std::vector<uint8_t> expected = {0, 12, 3, 3, 1, 0, 0x10, 0x20, 0x30};
  EXPECT_EQ(std::vector<uint8_t>(settings.begin(), settings.begin() + 9), expected);
}

TEST_F(KeyboardSimulatorTest, KeyAssignmentsRenumberMacrosDensely) {
  WriteMacroLibrary(10);
  ConnectWired();
  ASSERT_EQ(device_->ReadKeyTables(), CommandResult::kSuccess);
  device_->LoadProfileState();
  device_->SetAssignment(30, {0x70, 5, 1});
  device_->SetAssignment(31, {0x71, 2, 3});
  device_->SetAssignment(32, {0x70, 5, 1});
  device_->SetAssignment(33, {0x70, 9, 1});
  device_->SetAssignment(34, {0x70, 12, 1});
  EXPECT_EQ(device_->GetMacroUsage(), (std::vector<int>{5, 2, 9}));
  const size_t before = LogSize();
  ASSERT_EQ(device_->WriteCurrentKeyAssignments(0), CommandResult::kSuccess);
  const auto commands = LoggedCommands();
  EXPECT_EQ(std::vector<CommandCode>(commands.begin() + static_cast<long>(before),
                                     commands.begin() + static_cast<long>(before) + 2),
            (std::vector<CommandCode>{kReadDeviceInfo, kBeginConfig}));
  EXPECT_EQ(commands.back(), kEndConfig);
  const auto table = server_->Keyboard().Area(KeyboardArea::kKeyTable);
  const auto at = [&](int ui_key) {
    const size_t k = device_->DeviceKeyMap()[static_cast<size_t>(ui_key)];
    return std::vector<uint8_t>{table[3 * k], table[3 * k + 1], table[3 * k + 2]};
  };
  EXPECT_EQ(at(30), (std::vector<uint8_t>{0x70, 0, 1}));
  EXPECT_EQ(at(31), (std::vector<uint8_t>{0x71, 1, 3}));
  EXPECT_EQ(at(32), (std::vector<uint8_t>{0x70, 0, 1}));
  EXPECT_EQ(at(33), (std::vector<uint8_t>{0x70, 2, 1}));
  // Macro 12 is not in the library: the key goes back to its factory value.
  const KeyAssignment factory = KeyboardKeyMatcher::FactoryValues()[34];
  EXPECT_EQ(at(34), (std::vector<uint8_t>{factory.type, factory.param1, factory.param2}));
  // Device-only keys (F13-F18) keep their values.
  const auto original = server_->Keyboard().FactoryArea(KeyboardArea::kKeyTable);
  for (size_t k = 0; k < KeyboardFactoryImage::kKeyCount; ++k) {
    if (KeyboardFactoryImage::PanelKeyOfDeviceKey(k) < 0) {
      EXPECT_EQ(table[3 * k], original[3 * k]);
      EXPECT_EQ(table[3 * k + 2], original[3 * k + 2]);
    }
  }

  // The macros the keys now use, in their device numbering: 5, 2, 9 with 2, 2, 0 events.
  ASSERT_EQ(device_->WriteMacros(device_->GetMacroUsage()).outcome, MacroWriteResult::Outcome::kWritten);
  const auto area = server_->Keyboard().Area(KeyboardArea::kMacros);
  const std::vector<uint8_t> header = {0xAA, 0x55, 50, 0, 3, 0};
  EXPECT_EQ(std::vector<uint8_t>(area.begin(), area.begin() + 6), header);
  EXPECT_EQ(area[16], 22);  // macro 5's block
  EXPECT_EQ(area[22], 2);
  EXPECT_EQ(area[26], 10);    // first event: delay 10
  EXPECT_EQ(area[28], 0x82);  // type 2, "down"
  EXPECT_EQ(area[29], 9);     // button 4 + 5
}

TEST_F(KeyboardSimulatorTest, FailedTableWriteIsReportedAsFailure) {
  ConnectWired();
  ASSERT_EQ(device_->ReadKeyTables(), CommandResult::kSuccess);
  device_->LoadProfileState();
  devsim::FaultSettings fault;
  fault.kind = devsim::FaultKind::kStatus;
  fault.status = 0xFF;
  fault.command = CommandByte(kWriteKeyTable);
  server_->SetFault(fault);
  EXPECT_EQ(device_->WriteCurrentKeyAssignments(0), CommandResult::kRejected);
  EXPECT_EQ(LoggedCommands().back(), kEndConfig);  // the sequence is still closed
}

TEST_F(KeyboardSimulatorTest, RefusedMacroWriteIsReportedAsFailureWithoutOverflow) {
  WriteMacroLibrary(2);
  ConnectWired();
  devsim::FaultSettings fault;
  fault.kind = devsim::FaultKind::kStatus;
  fault.status = 0xFF;
  fault.command = CommandByte(kWriteMacroArea);
  server_->SetFault(fault);
  const MacroWriteResult result = device_->WriteMacros({1});
  EXPECT_EQ(result.outcome, MacroWriteResult::Outcome::kFailed);
  EXPECT_EQ(result.overflow, 0u);
  EXPECT_EQ(LoggedCommands().back(), kEndConfig);  // the sequence is still closed
}

TEST_F(KeyboardSimulatorTest, MacrosBeyondCapacityReportTheOverflow) {
  WriteMacroLibrary(1);
  // One macro with 600 events: T = 16 + 6 + 2400 = 2422 > 2048 -> (374) / 4 + 1 = 94.
  Json::Value macro;
  for (int e = 0; e < 600; ++e) {
    Json::Value event;
    event["Action"] = "down";
    event["Type"] = 2;
    event["Button"] = 4;
    event["Delay"] = "1";
    macro["Events"].append(event);
  }
  ASSERT_TRUE(CGlobalUtils::WriteJsonFile(device_->GetDataFolder() + "guid0.mac", macro));
  ConnectWired();
  const MacroWriteResult result = device_->WriteMacros({0});
  EXPECT_EQ(result.outcome, MacroWriteResult::Outcome::kTooLong);
  EXPECT_EQ(result.overflow, 94u);
  EXPECT_EQ(CountOf(LoggedCommands(), kWriteMacroArea), 0);
}

TEST_F(KeyboardSimulatorTest, ResetSendsFactoryResetThenMacrosAndKeys) {
  WriteMacroLibrary(3);
  ConnectWired();
  ASSERT_EQ(device_->ReadKeyTables(), CommandResult::kSuccess);
  MacroWriteResult macros{MacroWriteResult::Outcome::kFailed};
  ASSERT_EQ(device_->ResetKeyboard(&macros), CommandResult::kSuccess);
  EXPECT_EQ(macros.outcome, MacroWriteResult::Outcome::kWritten);  // no key uses a macro: nothing to write
  const auto commands = LoggedCommands();
  const auto reset = std::find(commands.begin(), commands.end(), kResetToDefaults);
  ASSERT_NE(reset, commands.end());
  EXPECT_NE(std::find(reset, commands.end(), kWriteKeyTable), commands.end());
}

TEST_F(KeyboardSimulatorTest, StreamsOnlyInAudioModes) {
  ConnectWired();
  ASSERT_EQ(device_->ReadKeyTables(), CommandResult::kSuccess);
  LightState state;
  state.bytes = {5, 4, 4, 1, 1};
  device_->SetLightState(state.Words());
  const ZoneColour unrendered = device_->GetZoneColour(0);
  device_->StartLightWorker();
  // The breathing mode changes the colours pass by pass.
  ASSERT_TRUE(WaitUntil([&] { return device_->GetZoneColour(0) != unrendered; })) << "the worker rendered no frame";
  device_->SendLightFrame();
  EXPECT_EQ(CountOf(LoggedCommands(), kStreamLightFrame), 0);

  state.bytes = {30, 4, 4, 1, 0};
  device_->SetLightState(state.Words());
  const int32_t levels[] = {0x40, 0x80, 0xC0};
  device_->FeedAudioLevels(levels);
  ASSERT_TRUE(WaitUntil([&] { return device_->GetZoneColour(0).red == 0x40; })) << "the worker rendered the audio levels";
  device_->SendLightFrame();
  EXPECT_EQ(CountOf(LoggedCommands(), kStreamLightFrame), 7);  // 378 bytes / 56
  const auto frame = server_->Keyboard().Area(KeyboardArea::kLiveFrame);
  const uint8_t p = device_->LightPositionMap()[0];
  EXPECT_EQ(frame[3u * p], 0x40 * 255 / 256);
  EXPECT_EQ(frame[3u * p + 2], 0xC0 * 255 / 256);
  EXPECT_EQ(device_->StopLightWorker(), WorkerThread::StopOutcome::kEnded);
}

// The streamed frame is 378 bytes: its last positions must reach keys too. Each UI key
// gets its own colour; the simulated keyboard must show it on the device key that
// carries that key's factory value, through its own key light map.
TEST_F(KeyboardSimulatorTest, StreamedFrameLandsOnTheRightKeysUpToItsLastByte) {
  ConnectWired();
  ASSERT_EQ(device_->ReadKeyTables(), CommandResult::kSuccess);
  LightState state;
  state.bytes = {30, 4, 4, 1, 0};
  device_->SetLightState(state.Words());
  const int32_t levels[] = {0x10, 0x20, 0x30};
  device_->FeedAudioLevels(levels);
  device_->StartLightWorker();
  EXPECT_TRUE(WaitUntil([&] { return device_->GetZoneColour(0).red == 0x10; }));
  ASSERT_EQ(device_->GetZoneColour(0).red, 0x10) << "the worker rendered the audio colour";
  ASSERT_EQ(device_->StopLightWorker(), WorkerThread::StopOutcome::kEnded);

  const auto colour_of = [](size_t ui_key) {
    return ZoneColour{static_cast<uint8_t>(ui_key + 1), 0x80, static_cast<uint8_t>(255 - ui_key), 255};
  };
  const auto shown = [](const ZoneColour& zone) {
    return std::array<uint8_t, 3>{static_cast<uint8_t>(zone.red * zone.brightness / 256),
                                  static_cast<uint8_t>(zone.green * zone.brightness / 256),
                                  static_cast<uint8_t>(zone.blue * zone.brightness / 256)};
  };
  for (size_t key = 0; key < 126; ++key) device_->SetZoneColour(key, colour_of(key));
  device_->SendLightFrame();

  const auto& factory = KeyboardFactoryImage::PanelFactoryValues();
  const auto light_map = server_->Keyboard().Area(KeyboardArea::kKeyLightMap);
  size_t checked = 0;
  for (size_t k = 0; k < KeyboardFactoryImage::kKeyCount; ++k) {
    const int panel = KeyboardFactoryImage::PanelKeyOfDeviceKey(k);
    if (panel < 0) continue;
    const auto value = factory[static_cast<size_t>(panel)];
    // UI keys sharing one factory value (18, 19, 20, 104) all reach the first such key.
    if (std::count(factory.begin(), factory.end(), value) > 1) continue;
    EXPECT_EQ(server_->Keyboard().LiveColourOfKey(k), shown(colour_of(static_cast<size_t>(panel))))
        << "UI key " << panel << " at light position " << int(light_map[k]);
    ++checked;
  }
  EXPECT_EQ(checked, 122u);

  const auto last = std::find(light_map.begin(), light_map.end(), 125);
  ASSERT_NE(last, light_map.end());
  const int last_key = KeyboardFactoryImage::PanelKeyOfDeviceKey(static_cast<size_t>(last - light_map.begin()));
  ASSERT_GE(last_key, 0);
  const auto frame = server_->Keyboard().Area(KeyboardArea::kLiveFrame);
  EXPECT_EQ((std::array<uint8_t, 3>{frame[375], frame[376], frame[377]}),
            shown(colour_of(static_cast<size_t>(last_key))));
}

TEST_F(KeyboardSimulatorTest, CustomColoursRoundTripThroughColourMemory) {
  ConnectWired();
  ASSERT_EQ(device_->ReadKeyTables(), CommandResult::kSuccess);
  LightState state;
  state.bytes = {20, 4, 0, 0, 0, 0x12, 0x34, 0x56};
  state.bytes[LightState::kCustomSlot] = 1;
  device_->SetLightState(state.Words());
  ASSERT_EQ(device_->FillCustomColours(true), CommandResult::kSuccess);
  const auto pages = server_->Keyboard().Area(KeyboardArea::kColourPages);
  const uint8_t p = device_->LightPositionMap()[7];
  EXPECT_EQ(pages[512 + 3u * p], 0x12);
  EXPECT_EQ(pages[512 + 3u * p + 2], 0x56);
  ASSERT_EQ(device_->FillCustomColours(false), CommandResult::kSuccess);
  ASSERT_EQ(device_->SetCustomSlot(1), CommandResult::kSuccess);
  EXPECT_EQ(device_->GetZoneColour(7).red, 0);
  ASSERT_TRUE(server_->Keyboard().WriteArea(KeyboardArea::kColourPages, 512 + 3u * p, std::vector<uint8_t>{9, 8, 7}));
  ASSERT_EQ(device_->LoadCustomColours(), CommandResult::kSuccess);
  EXPECT_EQ(device_->GetZoneColour(7), (ZoneColour{9, 8, 7, 254}));
  EXPECT_EQ(device_->SetCustomSlot(3), CommandResult::kFailed);
}

class Waiter {
 public:
  void Notify() {
    std::lock_guard lock(mutex_);
    ++count_;
    changed_.notify_all();
  }
  bool WaitFor(int count) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(3), [&] { return count_ >= count; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  int count_ = 0;
};

TEST_F(KeyboardSimulatorTest, ListenerAppliesSlotAndReloadAndKeys) {
  ConnectWired();
  ASSERT_EQ(device_->ReadKeyTables(), CommandResult::kSuccess);
  Waiter waiter;
  device_->SetListenerNotify([&] { waiter.Notify(); });
  const size_t clients = server_->ClientCount(devsim::SimDeviceId::kKeyboard, 1);
  ASSERT_TRUE(device_->StartListener(CKalvexKeyboardDevice::kListenerCable, InterfacePath(kKeyboardPid, 3)));
  // The keyboard reports to the clients it has accepted: wait until the listener is one.
  ASSERT_TRUE(WaitUntil([&] { return server_->ClientCount(devsim::SimDeviceId::kKeyboard, 1) > clients; }));

  ASSERT_TRUE(server_->SelectSlot(2));
  ASSERT_TRUE(waiter.WaitFor(1));
  auto events = device_->ProcessListenerEvents();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].kind, ListenerEvent::Kind::kSlot);
  EXPECT_EQ(device_->ActiveSlot(), 2);

  ASSERT_TRUE(server_->SendNotification(0x0402));
  ASSERT_TRUE(waiter.WaitFor(2));
  events = device_->ProcessListenerEvents();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].kind, ListenerEvent::Kind::kReload);
  EXPECT_FALSE(device_->ReloadPending());  // the refresh ran and cleared it
  EXPECT_EQ(device_->ActiveSlot(), 2);     // re-read from the keyboard

  // A key press in the reactive mode lights the key it maps to.
  LightState state;
  state.bytes = {7, 4, 0, 0, 0, 255, 255, 255};
  device_->SetLightState(state.Words());
  const uint8_t device_key = device_->DeviceKeyMap()[30];
  ASSERT_TRUE(server_->KeyEvent(device_key, true));
  ASSERT_TRUE(server_->KeyEvent(131, true));  // a key the panel does not show: ignored
  ASSERT_TRUE(server_->SendNotification(0x0401));
  ASSERT_TRUE(waiter.WaitFor(3));  // the keys were handled before this report
  device_->StartLightWorker();
  // The worker renders on its own clock: wait for its frame that shows the held key.
  EXPECT_TRUE(WaitUntil([&] { return device_->GetZoneColour(30).brightness > 200; }));
  EXPECT_GT(device_->GetZoneColour(30).brightness, 200);
  EXPECT_EQ(device_->GetZoneColour(31).brightness, 0);
  EXPECT_EQ(device_->StopLightWorker(), WorkerThread::StopOutcome::kEnded);
  EXPECT_EQ(device_->StopListener(CKalvexKeyboardDevice::kListenerCable), WorkerThread::StopOutcome::kEnded);
}

TEST_F(KeyboardSimulatorTest, EveryThreadStopsWithinItsWait) {
  ConnectWired();
  const size_t cable_clients = server_->ClientCount(devsim::SimDeviceId::kKeyboard, 1);
  const size_t receiver_clients = server_->ClientCount(devsim::SimDeviceId::kReceiver, 1);
  ASSERT_TRUE(device_->StartListener(CKalvexKeyboardDevice::kListenerCable, InterfacePath(kKeyboardPid, 3)));
  ASSERT_TRUE(device_->StartListener(CKalvexKeyboardDevice::kListenerReceiver, InterfacePath(kReceiverPid, 3)));
  device_->StartLightWorker();
  // Every listener is under way once the devices have accepted it.
  ASSERT_TRUE(WaitUntil([&] {
    return server_->ClientCount(devsim::SimDeviceId::kKeyboard, 1) > cable_clients &&
           server_->ClientCount(devsim::SimDeviceId::kReceiver, 1) > receiver_clients;
  }));
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(device_->StopLightWorker(), WorkerThread::StopOutcome::kEnded);
  EXPECT_EQ(device_->StopListener(CKalvexKeyboardDevice::kListenerCable), WorkerThread::StopOutcome::kEnded);
  EXPECT_EQ(device_->StopListener(CKalvexKeyboardDevice::kListenerReceiver), WorkerThread::StopOutcome::kEnded);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
}

TEST_F(KeyboardSimulatorTest, UnplugDuringWriteFailsCleanlyAndReconnects) {
  ConnectWired();
  ASSERT_EQ(device_->ReadKeyTables(), CommandResult::kSuccess);
  device_->LoadProfileState();
  device_->StartLightWorker();
  devsim::FaultSettings fault;
  fault.unplug_after = 3;  // 0x03, 0x01, first 0x09 packet, then gone
  server_->SetFault(fault);
  EXPECT_NE(device_->WriteCurrentKeyAssignments(0), CommandResult::kSuccess);
  EXPECT_NE(device_->WriteSettingsRecord(0, 0), CommandResult::kSuccess);
  device_->Disconnect();
  EXPECT_EQ(device_->WriteCurrentKeyAssignments(0), CommandResult::kFailed);
  server_->SetFault({});
  ASSERT_TRUE(server_->Plug(devsim::SimDeviceId::kKeyboard));
  ConnectWired();
  EXPECT_EQ(device_->ReadKeyTables(), CommandResult::kSuccess);
  EXPECT_EQ(device_->WriteCurrentKeyAssignments(0), CommandResult::kSuccess);
  EXPECT_EQ(device_->StopLightWorker(), WorkerThread::StopOutcome::kEnded);
}

}  // namespace
}  // namespace zt640::test
