#include <gtest/gtest.h>
#include <poll.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QFocusEvent>
#include <QLineEdit>
#include <QSlider>
#include <QPushButton>
#include <QStackedWidget>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "devices/keyboard/keyboard_settings_record.h"
#include "devices/light_state.h"
#include "profiles/key_set_editor.h"
#include "profiles/keyboard_profiledata.h"
#include "platform/ipc/message_queue.h"
#include "platform/ipc/window_endpoint.h"
#include "pages/device_key_button_ui.h"
#include "editors/device_profile_ui.h"
#include "pages/keyboard/keyboard_page.h"
#include "pages/keyboard/keyboard_picture.h"
#include "shell/main_window_fixture.h"
#include "shell/same_lighting.h"
#include "ui/resource_manager.h"
#include "support/wait_until.h"
#include "ui/control_timers.h"

namespace zt640 {
namespace {

using test::WaitFor;

/// The main window over the simulated keyboard, with every command report the
/// simulator receives logged.
class KeyboardPageWindowTest : public test::MainWindowFixture {
 protected:
  void Configure(devsim::DevsimConfig& config) override {
    config.with_receiver = false;
    config.log_file = root_ + "/requests.log";
  }

  void OpenConnected(const std::string& runtime_folder = {}) {
    Open(InterfaceCatalogue(), runtime_folder);
    ASSERT_TRUE(ConnectNow());
    ui::PanelPrompts prompts;
    prompts.message = [this](const QString& text, int) {
      messages_.push_back(text);
      return 1;
    };
    window_->SetPrompts(prompts);
    ASSERT_TRUE(WaitFor([&] { return KeyboardEntry() != nullptr && KeyboardEntry()->IsEntryVisible(); }, 5000));
    ASSERT_TRUE(WaitFor([&] { return Keyboard()->Channel().is_open() && Page() != nullptr; }));
    // The first synchronisation has run once the key map is known.
    ASSERT_TRUE(WaitFor([&] { return static_cast<CKalvexKeyboardDevice*>(Keyboard())->MatchedKeyCount() > 0; }));
    // ... and has ended once the frame push is armed.
    ASSERT_TRUE(WaitFor([&] { return KeyboardEntry()->IsTimerArmed(CDeviceOptionUI::kRefreshTimer); }));
  }

  /// Gives the keyboard `effect` as the device's worker would, between its exchanges.
  void WriteEffectNow(const LightEffect& effect) {
    std::lock_guard lock(Device().OperationLock());
    SameLighting::WriteEffect(Device(), effect);
  }

  KeyboardPage* Page() { return window_->SelectedKeyboardPage(); }
  CKalvexKeyboardDevice& Device() { return static_cast<CKalvexKeyboardDevice&>(*Keyboard()); }

  /// Command reports with command byte `command` logged so far.
  int Logged(uint8_t command) {
    std::ifstream log(root_ + "/requests.log");
    std::string line;
    int count = 0;
    char wanted[3];
    std::snprintf(wanted, sizeof wanted, "%02x", command);
    while (std::getline(log, line)) {
      std::istringstream bytes(line);
      std::string byte;
      for (int i = 0; i <= 3 && bytes >> byte; ++i) {
        if (i == 3 && byte == wanted) ++count;
      }
    }
    return count;
  }

  /// Selects UI key `key` on the key page and saves the keyboard key option
  /// "keyboard_key_<option>" for it.
  void SaveKeyboardKeyOption(int key, int option) {
    QWidget* page = Page()->Widget();
    auto* key_tab = page->findChild<QPushButton*>(QStringLiteral("key_Op_tab"));
    ASSERT_NE(key_tab, nullptr);
    key_tab->click();
    ASSERT_TRUE(Settle());
    ASSERT_EQ(Device().GetFunctionSwitch(), 2);
    page->findChild<CDeviceKeyButtonUI*>(QStringLiteral("key_%1").arg(key))->click();
    ASSERT_TRUE(Settle());
    ASSERT_EQ(Device().SelectedKey(), key);
    const KeySetControls& controls = Page()->KeySet()->Editor().controls();
    int keyboard_function = -1;
    for (size_t i = 0; i < controls.function_entries.size(); ++i) {
      if (controls.function_entries[i].number == FunctionNumber(KeyFunction::kKeyboardKey)) {
        keyboard_function = static_cast<int>(i);
      }
    }
    ASSERT_GE(keyboard_function, 0);
    page->findChild<QComboBox*>(QStringLiteral("keyset_function_combo"))->setCurrentIndex(keyboard_function);
    auto* button = page->findChild<QAbstractButton*>(QStringLiteral("keyboard_key_%1").arg(option));
    ASSERT_NE(button, nullptr);
    button->click();
    page->findChild<QPushButton*>(QStringLiteral("key_butt_keysave"))->click();
    ASSERT_TRUE(Settle());
  }

  void Pump(int ms) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  }

  std::vector<QString> messages_;
};

TEST_F(KeyboardPageWindowTest, PageShowsEveryKeyWithItsAssignmentText) {
  OpenConnected();
  QWidget* page = Page()->Widget();
  int buttons = 0;
  for (int key = 0; key < 126; ++key) {
    auto* button = page->findChild<CDeviceKeyButtonUI*>(QStringLiteral("key_%1").arg(key));
    // The four UI keys whose factory value is "no key" have no place on the picture.
    const bool no_key = key == 18 || key == 19 || key == 20 || key == 104;
    EXPECT_EQ(button == nullptr, no_key) << key;
    if (button != nullptr) ++buttons;
  }
  EXPECT_EQ(buttons, 122);
  EXPECT_EQ(page->findChild<CDeviceKeyButtonUI*>(QStringLiteral("key_126")), nullptr);
  // Key 0 carries its factory assignment (Esc on this layout's first cell) as text.
  EXPECT_FALSE(page->findChild<CDeviceKeyButtonUI*>(QStringLiteral("key_0"))->text().isEmpty());
}

TEST_F(KeyboardPageWindowTest, SystemKeyboardButtonOpensTheDesktopsKeyboardPanel) {
  OpenConnected();
  QStringList started;
  SystemSettingsLauncher launcher;
  launcher.find_program = [](const QString& program) { return "/usr/bin/" + program; };
  launcher.start_detached = [&started](const QString& path, const QStringList& arguments) {
    started << path + " " + arguments.join(' ');
    return true;
  };
  launcher.desktop = QStringLiteral("GNOME");
  window_->SetSystemSettingsLauncher(launcher);
  Page()->Widget()->findChild<QPushButton*>(QStringLiteral("windowdeviceset_0"))->click();
  ASSERT_TRUE(Settle());
  EXPECT_EQ(started, QStringList{"/usr/bin/gnome-control-center keyboard"});
}

TEST_F(KeyboardPageWindowTest, ProfileSwitch_TwoQuickChoicesWriteTheDeviceOnce) {
  OpenConnected();
  ProfileList& list = Page()->Profiles()->List();
  ASSERT_TRUE(list.AddProfile().done());
  Page()->Profiles()->Refresh();
  auto* combo = Page()->Widget()->findChild<QComboBox*>(QStringLiteral("device_profile_combo"));
  ASSERT_NE(combo, nullptr);
  ASSERT_EQ(combo->count(), 2);

  // A choice is activated 400 ms after it was made; the test reads that timer and
  // runs it out instead of waiting.
  ui::ControlTimers& timers = window_->timers();
  const auto activation_in = [&] { return timers.RemainingMs(window_.get(), CMainWnd::kProfileSwitchTimer); };
  const auto activate_now = [&] {
    return timers.SetTimer(window_.get(), CMainWnd::kProfileSwitchTimer, 0) &&
           WaitFor([&] { return activation_in() < 0 && window_->DeviceEditsSettled(); });
  };

  // One choice alone: how many settings reports one activation writes.
  const int before_one = Logged(0x06);
  combo->setCurrentIndex(1);
  ASSERT_TRUE(WaitFor([&] { return activation_in() > 0; }));
  // Qt's coarse timers may fire up to 5 % late.
  EXPECT_LE(activation_in(), 420);
  ASSERT_TRUE(activate_now());
  const int one = Logged(0x06) - before_one;
  ASSERT_GT(one, 0);
  EXPECT_EQ(list.GetActiveProfileUuid(), list.Entries()[1].uuid);

  // Two choices 100 ms apart: only the last one is activated, once.
  const int before_two = Logged(0x06);
  combo->setCurrentIndex(0);
  ASSERT_TRUE(WaitFor([&] { return activation_in() > 0; }));
  Pump(100);
  const int after_first = activation_in();
  ASSERT_GT(after_first, 0);
  combo->setCurrentIndex(1);
  // Left alone the time to the activation only shrinks: growing, it was restarted.
  EXPECT_TRUE(WaitFor([&] { return activation_in() > after_first; })) << "the last choice restarts the 400 ms";
  EXPECT_EQ(Logged(0x06), before_two) << "nothing is written within 400 ms of the last choice";
  ASSERT_TRUE(activate_now());
  EXPECT_EQ(Logged(0x06) - before_two, one);
  EXPECT_EQ(list.GetActiveProfileUuid(), list.Entries()[1].uuid);
}

TEST_F(KeyboardPageWindowTest, GameEvents_ChangeTheModeAndRestoreItFiveSecondsLater) {
  OpenConnected();
  LightEffect steady = Device().GetLightState().ToEffect();
  steady.mode = 6;
  WriteEffectNow(steady);
  const uint8_t original = Device().GetLightState().mode();
  ASSERT_EQ(original, 6);
  const uint32_t game_start = window_->GameEventMessages()[0];
  ASSERT_NE(game_start, 0u);
  Device().SetSyncFlag(true);
  platform::WindowMessage event;
  event.message = game_start;
  event.wparam = 0;
  event.lparam = 23;
  ASSERT_TRUE(window_->messages().Post(event));
  // The device's worker applies the event; wait until its whole state is in, not
  // only the mode byte.
  ASSERT_TRUE(WaitFor([&] {
    const LightState state = LightState::FromWords(Device().GetLightState().Words());
    return state.bytes[LightState::kMode] == 23 && state.bytes[LightState::kPreviousMode] == original;
  }));
  EXPECT_FALSE(Device().SyncFlag()) << "a game event takes the device out of the synchronisation";
  // The restore waits 5 s; the test reads the timer instead of waiting it out.
  ui::ControlTimers& timers = window_->timers();
  const auto restore_in = [&] { return timers.RemainingMs(window_.get(), CMainWnd::kGameEventTimer); };
  // Qt's coarse timers may fire up to 5 % late.
  EXPECT_GT(restore_in(), 4000);
  EXPECT_LE(restore_in(), 5250);

  // A second event within the 5 s restarts the wait and keeps the saved mode.
  Pump(500);
  const int before_second = restore_in();
  ASSERT_GT(before_second, 0);
  event.wparam = 1;
  event.lparam = 4;
  ASSERT_TRUE(window_->messages().Post(event));
  // Left alone the time to the restore only shrinks: growing, it was restarted.
  ASSERT_TRUE(WaitFor([&] { return restore_in() > before_second; })) << "the second event did not restart the wait";
  ASSERT_TRUE(WaitFor([&] { return Device().GetLightState().mode() == 4; }));
  EXPECT_TRUE(timers.IsRunning(window_.get(), CMainWnd::kGameEventTimer));
  EXPECT_EQ(Device().GetLightState().mode(), 4) << "restored too early";
  // The 5 s run out now.
  ASSERT_TRUE(timers.SetTimer(window_.get(), CMainWnd::kGameEventTimer, 0));
  ASSERT_TRUE(WaitFor([&] { return Device().GetLightState().mode() == original; }, 2000));
  EXPECT_FALSE(timers.IsRunning(window_.get(), CMainWnd::kGameEventTimer)) << "the restore runs once";
}

/// A window titled "WorkTool" in another thread that keeps the blocks it receives.
class WorkToolWindow {
 public:
  explicit WorkToolWindow(const std::string& folder) {
    thread_ = std::thread([this, folder] { Run(folder); });
    EXPECT_TRUE(test::WaitUntil([&] { return ready_.load(); }));
  }
  ~WorkToolWindow() {
    stop_.store(true);
    thread_.join();
  }
  [[nodiscard]] std::vector<platform::WindowMessage> Received() {
    std::lock_guard lock(mutex_);
    return received_;
  }

 private:
  void Run(const std::string& folder) {
    platform::MessageQueue queue;
    queue.SetHandler([this](const platform::WindowMessage& message) {
      std::lock_guard lock(mutex_);
      received_.push_back(message);
      return std::int64_t{1};
    });
    platform::WindowEndpoint endpoint(queue);
    opened_ = endpoint.Open(folder, "WorkToolClass", "WorkTool") == platform::EndpointResult::kOk;
    ready_.store(true);
    while (!stop_.load()) {
      pollfd wake{queue.WakeFd(), POLLIN, 0};
      (void)::poll(&wake, 1, 20);
      queue.Dispatch();
    }
    queue.Close();
    endpoint.Close();
  }

  std::thread thread_;
  std::atomic<bool> ready_{false};
  std::atomic<bool> stop_{false};
  bool opened_ = false;
  std::mutex mutex_;
  std::vector<platform::WindowMessage> received_;
};

TEST_F(KeyboardPageWindowTest, DeviceTableQuery_AnswersTheWorkToolWindowWith1024Bytes) {
  const std::string runtime = root_ + "/run";
  std::filesystem::create_directories(runtime);
  OpenConnected(runtime);
  ASSERT_TRUE(RegisterGuidMessages());
  WorkToolWindow tool(runtime);
  platform::WindowMessage query;
  query.message = UWM_DEVICE_TABLE_QUERY_MSG;
  ASSERT_TRUE(window_->messages().Post(query));
  ASSERT_TRUE(WaitFor([&] { return !tool.Received().empty(); }));
  const platform::WindowMessage answer = tool.Received().front();
  EXPECT_EQ(answer.message, platform::kWmCopyData);
  EXPECT_EQ(answer.copy_data_kind, 5u);
  ASSERT_EQ(answer.copy_data.size(), 1024u);
  EXPECT_EQ(answer.copy_data[16], 4);  // four device types
}

TEST_F(KeyboardPageWindowTest, LightControlToggle_FollowsTheFlagOnEveryDevice) {
  OpenConnected();
  ASSERT_TRUE(window_->LightControl());
  auto* status = window_->FindControl<QPushButton>(QStringLiteral("control_light_status"));
  ASSERT_NE(status, nullptr);
  status->click();
  EXPECT_FALSE(window_->LightControl());
  EXPECT_FALSE(Device().HostLighting());
  // The texts are language keys; the Chinese texts are the ones the toggle always had.
  const auto shows = [&](const char* key, const char* chinese) {
    EXPECT_EQ(status->property("textKey").toString(), QString::fromLatin1(key));
    EXPECT_EQ(status->text(), ui::ResourceManager::Instance().Language().Text(QString::fromLatin1(key)));
    ui::LanguageManager cn;
    ASSERT_TRUE(cn.LoadLanguage(QStringLiteral(ZT640_SOURCE_DIR "/data/skin/lan_cn.xml")));
    EXPECT_EQ(cn.Text(QString::fromLatin1(key)), QString::fromUtf8(chinese));
  };
  shows("control_light_start_text", "控制灯光");
  status->click();
  EXPECT_TRUE(window_->LightControl());
  EXPECT_TRUE(Device().HostLighting());
  shows("control_light_stop_text", "不控制灯光");
}

TEST_F(KeyboardPageWindowTest, HiddenWindow_TakesTheKeyboardPictureOffScreen) {
  OpenConnected();
  window_->show();
  ASSERT_TRUE(WaitFor([&] { return Device().OnScreen(); }));
  window_->hide();
  EXPECT_FALSE(Device().OnScreen());
  window_->show();
  EXPECT_TRUE(Device().OnScreen());
}

TEST_F(KeyboardPageWindowTest, PreviewOfADeviceRunMode_FramesFromTheEntryAloneWakeThePicture) {
  OpenConnected();
  LightEffect effect = Device().GetLightState().ToEffect();
  effect.mode = 5;  // played by the keyboard itself: the host renders it only for the picture
  WriteEffectNow(effect);
  window_->show();
  ASSERT_TRUE(WaitFor([&] { return Device().OnScreen() && !Device().StreamsHostFrames(); }));
  KeyboardPicture* picture = Page()->Picture();
  ASSERT_NE(picture, nullptr);
  ASSERT_TRUE(picture->IsRefreshing());
  // The entry hands each frame to the picture itself, so the picture's own tick
  // stays behind those frames instead of waking up beside them.
  EXPECT_TRUE(WaitFor([&] { return picture->RefreshTickMs() > picture->RefreshIntervalMs(); }, 3000));
  window_->hide();
  EXPECT_FALSE(picture->IsRefreshing());
}

}  // namespace
}  // namespace zt640

namespace zt640 {
namespace {

TEST_F(KeyboardPageWindowTest, KeyAssignmentSavedInTheEditorReachesTheKeyTable) {
  OpenConnected();
  constexpr int kKey = 30;
  SaveKeyboardKeyOption(kKey, 40);

  const KeyAssignment saved = Page()->KeySet()->LastEntry().current.assignment;
  EXPECT_EQ(Device().Assignments()[kKey].current.assignment, saved);
  EXPECT_NE(saved, KeyboardKeyMatcher::FactoryValues()[kKey]);
  const uint8_t device_key = Device().DeviceKeyMap()[kKey];
  ASSERT_NE(device_key, CKalvexUSBDevice::kNoMapping);
  const std::vector<uint8_t> table = server_->Keyboard().Area(devsim::KeyboardArea::kKeyTable);
  ASSERT_GT(table.size(), 3u * device_key + 2);
  EXPECT_EQ(table[3u * device_key], saved.type);
  EXPECT_EQ(table[3u * device_key + 1], saved.param1);
  EXPECT_EQ(table[3u * device_key + 2], saved.param2);
  // The profile keeps it too.
  CKeyboardProfiledata stored;
  (void)stored.LoadProfile(Device().Profile().GetProfilePath());
  EXPECT_EQ(stored.GetKeyList()[kKey].current.assignment, saved);
  EXPECT_TRUE(messages_.empty());
}

TEST_F(KeyboardPageWindowTest, KeyWithoutAMatchOnTheKeyboardReportsTheFailedWrite) {
  // UI key 30's device key (factory value 20 00 26) was reassigned before this
  // program ever saw the keyboard, so nothing tells where key 30 sits.
  const std::vector<uint8_t> table = server_->Keyboard().Area(devsim::KeyboardArea::kKeyTable);
  size_t position = table.size();
  for (size_t k = 0; k + 2 < table.size(); k += 3) {
    if (table[k] == 0x20 && table[k + 1] == 0x00 && table[k + 2] == 0x26) position = k;
  }
  ASSERT_LT(position, table.size());
  ASSERT_TRUE(server_->Keyboard().WriteArea(devsim::KeyboardArea::kKeyTable, position,
                                            std::vector<uint8_t>{0x20, 0x00, 0x05}));
  OpenConnected();
  ASSERT_FALSE(Device().HasDeviceKey(30));
  SaveKeyboardKeyOption(30, 40);
  EXPECT_EQ(messages_, (std::vector<QString>{QStringLiteral("key_write_failed_text")}));
}

TEST_F(KeyboardPageWindowTest, SameModeOnAllDevices_OnlyModesWithACommonEffect) {
  OpenConnected();
  LightEffect effect = Device().GetLightState().ToEffect();
  effect.mode = 20;  // custom: no common effect
  WriteEffectNow(effect);
  auto* same = Page()->Widget()->findChild<QPushButton*>(QStringLiteral("deng_same_mode"));
  ASSERT_NE(same, nullptr);
  same->click();
  ASSERT_TRUE(Settle());
  EXPECT_EQ(window_->RememberedSyncEffect().effect.load(), CommonEffects::kSteady) << "nothing remembered";

  effect.mode = 23;
  effect.speed = 3;
  WriteEffectNow(effect);
  same->click();
  ASSERT_TRUE(Settle());
  EXPECT_EQ(window_->RememberedSyncEffect().effect.load(), CommonEffects::kFlashing);
  EXPECT_EQ(window_->RememberedSyncEffect().speed.load(), 3);
  EXPECT_EQ(Device().GetLightState().mode(), 23);
}

}  // namespace
}  // namespace zt640

namespace zt640 {
namespace {

/// The keyboard's slot-0 settings record as the simulator holds it.
std::vector<uint8_t> SettingsRecord(devsim::DevsimServer& server) {
  const std::vector<uint8_t> area = server.Keyboard().Area(devsim::KeyboardArea::kSettings);
  return std::vector<uint8_t>(area.begin(), area.begin() + KeyboardSettingsRecord::kSize);
}

void LoseFocus(QWidget* widget) {
  QFocusEvent out(QEvent::FocusOut);
  QCoreApplication::sendEvent(widget, &out);
}

TEST_F(KeyboardPageWindowTest, LightingEdits_ReachTheProfileAndTheSettingsRecord) {
  OpenConnected();
  QWidget* page = Page()->Widget();
  auto* modes = page->findChild<QComboBox*>(QStringLiteral("light_combo_modeSelect"));
  ASSERT_NE(modes, nullptr);

  modes->setCurrentIndex(1);
  ASSERT_TRUE(Settle());
  EXPECT_EQ(Device().GetLightState().mode(), 1);
  EXPECT_EQ(SettingsRecord(*server_)[KeyboardSettingsRecord::kModeCode], 1);

  page->findChild<QSlider*>(QStringLiteral("deng_light_slider"))->setValue(2);
  ASSERT_TRUE(Settle());
  EXPECT_EQ(SettingsRecord(*server_)[KeyboardSettingsRecord::kBrightness], 2);
  page->findChild<QSlider*>(QStringLiteral("deng_speed_slider"))->setValue(1);
  ASSERT_TRUE(Settle());
  EXPECT_EQ(SettingsRecord(*server_)[KeyboardSettingsRecord::kInverseSpeed], 3);

  page->findChild<QAbstractButton*>(QStringLiteral("deng_FXR_check"))->click();
  ASSERT_TRUE(Settle());
  EXPECT_EQ(SettingsRecord(*server_)[KeyboardSettingsRecord::kDirection], 0);
  page->findChild<QAbstractButton*>(QStringLiteral("deng_FXL_check"))->click();
  ASSERT_TRUE(Settle());
  EXPECT_EQ(SettingsRecord(*server_)[KeyboardSettingsRecord::kDirection], 1);

  auto* red = page->findChild<QLineEdit*>(QStringLiteral("deng_edit_R"));
  ASSERT_NE(red, nullptr);
  red->setText(QStringLiteral("300"));
  LoseFocus(red);
  ASSERT_TRUE(Settle());
  EXPECT_EQ(SettingsRecord(*server_)[KeyboardSettingsRecord::kRed], 255) << "a value above 255 is taken as 255";
  EXPECT_EQ(red->text(), QStringLiteral("255"));

  // The stored profile holds the same effect.
  CKeyboardProfiledata stored;
  (void)stored.LoadProfile(Device().Profile().GetProfilePath());
  const LightEffect effect = stored.GetLightInfo();
  EXPECT_EQ(effect.mode, 1);
  EXPECT_EQ(effect.brightness, 2);
  EXPECT_EQ(effect.speed, 1);
  EXPECT_EQ(effect.direction, 1);
  EXPECT_EQ(effect.red, 255);
}

TEST_F(KeyboardPageWindowTest, SuccessiveEdits_ReachTheKeyboardInTheOrderMade) {
  OpenConnected();
  QWidget* page = Page()->Widget();
  auto* modes = page->findChild<QComboBox*>(QStringLiteral("light_combo_modeSelect"));
  ASSERT_NE(modes, nullptr);
  const int writes_before = Logged(0x06);
  // Three edits in a row, none waited for: each is applied to what the one
  // before left, and the keyboard gets them in that order.
  modes->setCurrentIndex(3);
  page->findChild<QSlider*>(QStringLiteral("deng_light_slider"))->setValue(1);
  modes->setCurrentIndex(2);
  EXPECT_FALSE(window_->DeviceEditsSettled());
  ASSERT_TRUE(Settle());
  EXPECT_EQ(Logged(0x06) - writes_before, 3);
  const std::vector<uint8_t> record = SettingsRecord(*server_);
  EXPECT_EQ(record[KeyboardSettingsRecord::kModeCode], 2) << "the last mode chosen is the one that stays";
  EXPECT_EQ(record[KeyboardSettingsRecord::kBrightness], 1) << "the brightness edit was not lost";
  EXPECT_EQ(Device().GetLightState().mode(), 2);

  // A key assignment after a lighting edit: the settings record comes first.
  modes->setCurrentIndex(1);
  SaveKeyboardKeyOption(30, 40);
  std::ifstream log(root_ + "/requests.log");
  std::vector<std::string> commands;
  for (std::string line; std::getline(log, line);) {
    std::istringstream bytes(line);
    std::string byte;
    for (int i = 0; i <= 3 && bytes >> byte; ++i) {
      if (i == 3) commands.push_back(byte);
    }
  }
  const auto last_settings = std::find(commands.rbegin(), commands.rend(), "06");
  ASSERT_NE(last_settings, commands.rend());
  // The key table write is the last configuration the keyboard got, after the record.
  const auto last_begin = std::find(commands.rbegin(), commands.rend(), "01");
  EXPECT_LT(last_begin - commands.rbegin(), last_settings - commands.rbegin());
  EXPECT_EQ(SettingsRecord(*server_)[KeyboardSettingsRecord::kModeCode], 1);
}

TEST_F(KeyboardPageWindowTest, ActionWhileAWorkerHoldsTheKeyboard_IsHeldBackThenApplied) {
  OpenConnected();
  QWidget* page = Page()->Widget();
  auto* modes = page->findChild<QComboBox*>(QStringLiteral("light_combo_modeSelect"));
  ASSERT_NE(modes, nullptr);
  const uint8_t mode_before = Device().GetLightState().mode();
  ASSERT_NE(mode_before, 3);
  // Another thread holds the keyboard as its worker does through a long exchange.
  std::atomic<bool> held{false};
  std::atomic<bool> release{false};
  std::thread holder([&] {
    std::lock_guard lock(Device().OperationLock());
    held.store(true);
    while (!release.load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  });
  EXPECT_TRUE(test::WaitUntil([&] { return held.load(); }));
  QElapsedTimer routed;
  routed.start();
  modes->setCurrentIndex(3);
  page->findChild<QSlider*>(QStringLiteral("deng_light_slider"))->setValue(1);
  EXPECT_LT(routed.elapsed(), 200) << "the UI thread waited for the keyboard";
  Pump(100);
  EXPECT_FALSE(window_->DeviceEditsSettled());
  EXPECT_EQ(Device().GetLightState().mode(), mode_before) << "the held back choice ran";
  release.store(true);
  holder.join();
  ASSERT_TRUE(Settle());
  EXPECT_EQ(Device().GetLightState().mode(), 3);
  EXPECT_EQ(SettingsRecord(*server_)[KeyboardSettingsRecord::kModeCode], 3);
  EXPECT_EQ(SettingsRecord(*server_)[KeyboardSettingsRecord::kBrightness], 1);
}

TEST_F(KeyboardPageWindowTest, KeyClickRightAfterChoosingTheCustomMode_PaintsThatKey) {
  OpenConnected();
  QWidget* page = Page()->Widget();
  page->findChild<QPushButton*>(QStringLiteral("deng_Op_tab"))->click();
  ASSERT_TRUE(Settle());
  ASSERT_EQ(Device().GetFunctionSwitch(), 1);
  constexpr int kKey = 40;
  // The click comes before the mode choice has reached the keyboard.
  page->findChild<QComboBox*>(QStringLiteral("light_combo_modeSelect"))->setCurrentIndex(20);
  page->findChild<CDeviceKeyButtonUI*>(QStringLiteral("key_%1").arg(kKey))->click();
  ASSERT_TRUE(Settle());
  ASSERT_EQ(Device().GetLightState().mode(), 20);
  const LightState state = Device().GetLightState();
  CKeyboardProfiledata stored;
  (void)stored.LoadProfile(Device().Profile().GetProfilePath());
  const std::vector<CustomColor> colours =
      stored.GetCustomColors(state.bytes[LightState::kCustomSlot], CKalvexKeyboardDevice::kUiKeyCount);
  ASSERT_GT(colours.size(), static_cast<size_t>(kKey));
  EXPECT_EQ(colours[kKey].red, state.bytes[LightState::kRed]);
  EXPECT_EQ(colours[kKey].green, state.bytes[LightState::kGreen]);
  EXPECT_EQ(colours[kKey].blue, state.bytes[LightState::kBlue]);
  EXPECT_EQ(Device().ZoneSnapshot()[kKey].red, state.bytes[LightState::kRed]);
  // Only the clicked key took the colour.
  const auto same_as_painted = [&](const CustomColor& c) {
    return c.red == colours[kKey].red && c.green == colours[kKey].green && c.blue == colours[kKey].blue;
  };
  EXPECT_FALSE(same_as_painted(colours[kKey + 1]));
}

TEST_F(KeyboardPageWindowTest, CustomSlotChoice_LoadsThatSlotsColoursFromTheKeyboard) {
  OpenConnected();
  QWidget* page = Page()->Widget();
  // Slot 2 of the keyboard holds one colour for every key.
  std::vector<uint8_t> slot_page(CommandChannel::kLightPageSize);
  for (size_t i = 0; i + 2 < slot_page.size(); i += 3) {
    slot_page[i] = 0x12;
    slot_page[i + 1] = 0x34;
    slot_page[i + 2] = 0x56;
  }
  ASSERT_TRUE(server_->Keyboard().WriteArea(devsim::KeyboardArea::kColourPages, 2u * CommandChannel::kLightPageSize,
                                            slot_page));
  page->findChild<QComboBox*>(QStringLiteral("light_combo_modeSelect"))->setCurrentIndex(20);
  ASSERT_TRUE(Settle());
  auto* slot_list = page->findChild<QComboBox*>(QStringLiteral("light_combo_custommodeSelect"));
  ASSERT_NE(slot_list, nullptr);
  EXPECT_FALSE(slot_list->isHidden() && slot_list->parentWidget()->isHidden()) << "the slot row shows in the custom mode";
  slot_list->setCurrentIndex(2);
  ASSERT_TRUE(Settle());
  EXPECT_EQ(SettingsRecord(*server_)[KeyboardSettingsRecord::kCustomSlot], 2);
  const ZoneColour key = Device().ZoneSnapshot()[0];
  EXPECT_EQ(key.red, 0x12);
  EXPECT_EQ(key.green, 0x34);
  EXPECT_EQ(key.blue, 0x56);
}

}  // namespace
}  // namespace zt640

namespace zt640 {
namespace {

TEST_F(KeyboardPageWindowTest, ColourButton_OpensThePaletteAndThePickedColourReachesTheKeyboard) {
  OpenConnected();
  QWidget* page = Page()->Widget();
  page->findChild<QComboBox*>(QStringLiteral("light_combo_modeSelect"))->setCurrentIndex(6);
  ASSERT_TRUE(Settle());
  std::string asked_palette;
  ui::PanelPrompts prompts;
  prompts.colour = [&](QRgb, bool, const std::string& palette_path, const std::string&, QRgb* chosen, bool*) {
    asked_palette = palette_path;
    *chosen = qRgb(0x12, 0x34, 0x56);
    return 1;
  };
  window_->SetPrompts(prompts);
  auto* button = page->findChild<QAbstractButton*>(QStringLiteral("deng_colordp_btn"));
  ASSERT_NE(button, nullptr);
  button->click();
  ASSERT_TRUE(Settle());
  EXPECT_EQ(asked_palette, Device().GetDataFolder() + "color_option_info.config");
  const std::vector<uint8_t> record = SettingsRecord(*server_);
  EXPECT_EQ(record[KeyboardSettingsRecord::kRed], 0x12);
  EXPECT_EQ(record[KeyboardSettingsRecord::kGreen], 0x34);
  EXPECT_EQ(record[KeyboardSettingsRecord::kBlue], 0x56);

  // A dialog closed without a choice changes nothing.
  prompts.colour = [](QRgb, bool, const std::string&, const std::string&, QRgb* chosen, bool*) {
    *chosen = qRgb(1, 2, 3);
    return 0;
  };
  window_->SetPrompts(prompts);
  button->click();
  ASSERT_TRUE(Settle());
  EXPECT_EQ(SettingsRecord(*server_)[KeyboardSettingsRecord::kRed], 0x12);
}

TEST_F(KeyboardPageWindowTest, CustomKeyPaintThatCannotBeSaved_SaysTheWriteFailed) {
  OpenConnected();
  QWidget* page = Page()->Widget();
  page->findChild<QPushButton*>(QStringLiteral("deng_Op_tab"))->click();
  page->findChild<QComboBox*>(QStringLiteral("light_combo_modeSelect"))->setCurrentIndex(20);
  ASSERT_TRUE(Settle());
  ASSERT_EQ(Device().GetLightState().mode(), 20);
  ASSERT_TRUE(messages_.empty());
  // A folder in the profile file's place: no file can be written there.
  const std::string profile = Device().Profile().GetProfilePath();
  ASSERT_TRUE(std::filesystem::remove(profile));
  ASSERT_TRUE(std::filesystem::create_directory(profile));
  page->findChild<CDeviceKeyButtonUI*>(QStringLiteral("key_40"))->click();
  ASSERT_TRUE(Settle());
  EXPECT_EQ(messages_, (std::vector<QString>{QStringLiteral("file_write_failed_text")}));
}

}  // namespace
}  // namespace zt640
