#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

#include "profiles/key_set_editor.h"
#include "pages/device_key_button_ui.h"
#include "pages/keyboard/keyboard_page.h"
#include "shell/main_window_fixture.h"
#include "transport/command_code.h"

namespace zt640 {
namespace {

using test::WaitFor;
using Clock = std::chrono::steady_clock;

/// The longest a message sent from another thread waited for the UI thread of
/// `window`, over `rounds` round trips while the UI thread runs its event loop.
std::chrono::milliseconds WorstRoundTrip(CMainWnd* window, int rounds) {
  std::atomic<long long> worst{0};
  std::atomic<bool> done{false};
  std::thread sender([&] {
    for (int i = 0; i < rounds; ++i) {
      platform::WindowMessage trace;
      trace.message = CMainWnd::kTraceMessage;
      const auto sent = Clock::now();
      (void)window->messages().Send(trace);
      const long long took = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - sent).count();
      worst.store(std::max(worst.load(), took));
      // Spreads the probes over the device's wait: the pace, not a wait.
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    done.store(true);
  });
  EXPECT_TRUE(WaitFor([&] { return done.load(); }, 20000));
  sender.join();
  return std::chrono::milliseconds(worst.load());
}

struct SlowCase {
  const char* name;
  bool via_receiver;  ///< the keyboard is reached through the receiver only
  devsim::FaultKind fault;
};

/// The main window over a keyboard (on its cable or behind the receiver) that
/// answers late or not at all.
class SlowDeviceWindowTest : public test::MainWindowFixture, public testing::WithParamInterface<SlowCase> {
 protected:
  void Configure(devsim::DevsimConfig& config) override {
    config.with_receiver = GetParam().via_receiver;
    config.keyboard_plugged = !GetParam().via_receiver;
    config.fault.kind = GetParam().fault;
    config.fault.late_ms = 3000;
  }

};

TEST_P(SlowDeviceWindowTest, WindowKeepsServingWhileTheDeviceWaitsAndClosesQuickly) {
  Open(GetParam().via_receiver ? WithReceiverIds() : InterfaceCatalogue());
  ASSERT_TRUE(ConnectNow());
  // The connect timer's exchange is under way.
  ASSERT_TRUE(WaitFor([&] { return KeyboardEntry()->ExchangePending(CDeviceOptionUI::kConnectTimer); }, 5000));
  // Instrumented builds run the event loop several times slower.
  EXPECT_LT(WorstRoundTrip(window_.get(), 40), std::chrono::milliseconds(ZT640_SANITIZED_BUILD ? 500 : 200));
  EXPECT_TRUE(KeyboardEntry()->ExchangePending(CDeviceOptionUI::kConnectTimer)) << "the exchange ended too soon";

  const auto closing = Clock::now();
  window_->Destroy();
  window_.reset();
  EXPECT_LT(Clock::now() - closing, std::chrono::milliseconds(ZT640_SANITIZED_BUILD ? 3000 : 1500));
}

INSTANTIATE_TEST_SUITE_P(Faults, SlowDeviceWindowTest,
                         testing::Values(SlowCase{"CableSilent", false, devsim::FaultKind::kSilent},
                                         SlowCase{"CableLate", false, devsim::FaultKind::kLate},
                                         SlowCase{"ReceiverSilent", true, devsim::FaultKind::kSilent},
                                         SlowCase{"ReceiverLate", true, devsim::FaultKind::kLate}),
                         [](const testing::TestParamInfo<SlowCase>& info) { return info.param.name; });

enum class Edit { kLightingMode, kKeyAssignment };

struct SlowEditCase {
  const char* name;
  bool via_receiver;
  devsim::FaultKind fault;
  bool every_command;  ///< else only the edits' configuration writes (0x01) are slow
  Edit edit;
};

/// The main window over a keyboard that answered while it connected and then
/// answers late or not at all, while the user edits.
class SlowDeviceEditTest : public test::MainWindowFixture, public testing::WithParamInterface<SlowEditCase> {
 protected:
  void Configure(devsim::DevsimConfig& config) override {
    config.with_receiver = GetParam().via_receiver;
    config.keyboard_plugged = !GetParam().via_receiver;
  }

  KeyboardPage* Page() { return window_->SelectedKeyboardPage(); }

  void OpenConnectedThenSlow() {
    Open(GetParam().via_receiver ? WithReceiverIds() : InterfaceCatalogue());
    ASSERT_TRUE(ConnectNow());
    ASSERT_TRUE(WaitFor([&] { return KeyboardEntry() != nullptr && KeyboardEntry()->IsEntryVisible(); }, 5000));
    ASSERT_TRUE(WaitFor([&] { return Page() != nullptr && KeyboardEntry()->IsTimerArmed(CDeviceOptionUI::kRefreshTimer); }));
    ASSERT_TRUE(Settle());
    devsim::FaultSettings fault;
    fault.kind = GetParam().fault;
    fault.late_ms = 3000;
    if (!GetParam().every_command) fault.command = CommandByte(CommandCode::kBeginConfig);
    server_->SetFault(fault);
  }

  /// Makes the edit of this case through the page's controls.
  void MakeEdit() {
    QWidget* page = Page()->Widget();
    if (GetParam().edit == Edit::kLightingMode) {
      auto* modes = page->findChild<QComboBox*>(QStringLiteral("light_combo_modeSelect"));
      ASSERT_NE(modes, nullptr);
      modes->setCurrentIndex(modes->currentIndex() == 1 ? 2 : 1);
      return;
    }
    page->findChild<QPushButton*>(QStringLiteral("key_Op_tab"))->click();
    page->findChild<CDeviceKeyButtonUI*>(QStringLiteral("key_30"))->click();
    const KeySetControls& controls = Page()->KeySet()->Editor().controls();
    for (size_t i = 0; i < controls.function_entries.size(); ++i) {
      if (controls.function_entries[i].number == FunctionNumber(KeyFunction::kKeyboardKey)) {
        page->findChild<QComboBox*>(QStringLiteral("keyset_function_combo"))->setCurrentIndex(static_cast<int>(i));
      }
    }
    page->findChild<QAbstractButton*>(QStringLiteral("keyboard_key_40"))->click();
    page->findChild<QPushButton*>(QStringLiteral("key_butt_keysave"))->click();
  }
};

TEST_P(SlowDeviceEditTest, EditLeavesTheWindowServingAndClosingQuickly) {
  OpenConnectedThenSlow();
  const auto editing = Clock::now();
  MakeEdit();
  const auto edit_took = Clock::now() - editing;
  const auto limit = std::chrono::milliseconds(ZT640_SANITIZED_BUILD ? 500 : 200);
  EXPECT_LT(edit_took, limit) << "the edit waited for the keyboard";
  EXPECT_FALSE(window_->DeviceEditsSettled()) << "the edit has not reached the keyboard yet";
  const std::chrono::milliseconds worst = WorstRoundTrip(window_.get(), 20);
  EXPECT_LT(worst, limit);
  EXPECT_FALSE(window_->DeviceEditsSettled()) << "the edit ended too soon to show anything";
  std::printf("[ measure  ] %s: edit call %lld ms, worst round trip %lld ms\n", GetParam().name,
              static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(edit_took).count()),
              static_cast<long long>(worst.count()));

  const auto closing = Clock::now();
  window_->Destroy();
  window_.reset();
  const auto close_took = Clock::now() - closing;
  EXPECT_LT(close_took, std::chrono::milliseconds(ZT640_SANITIZED_BUILD ? 3000 : 1500));
  std::printf("[ measure  ] %s: closed in %lld ms\n", GetParam().name,
              static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(close_took).count()));
}

INSTANTIATE_TEST_SUITE_P(
    Faults, SlowDeviceEditTest,
    testing::Values(SlowEditCase{"CableSilentMode", false, devsim::FaultKind::kSilent, false, Edit::kLightingMode},
                    SlowEditCase{"CableLateKey", false, devsim::FaultKind::kLate, false, Edit::kKeyAssignment},
                    SlowEditCase{"CableSilentEverythingKey", false, devsim::FaultKind::kSilent, true, Edit::kKeyAssignment},
                    SlowEditCase{"ReceiverLateMode", true, devsim::FaultKind::kLate, false, Edit::kLightingMode},
                    SlowEditCase{"ReceiverSilentKey", true, devsim::FaultKind::kSilent, false, Edit::kKeyAssignment},
                    SlowEditCase{"ReceiverLateEverythingMode", true, devsim::FaultKind::kLate, true, Edit::kLightingMode}),
    [](const testing::TestParamInfo<SlowEditCase>& info) { return info.param.name; });

class SwitchedOffKeyboardTest : public test::MainWindowFixture {
 protected:
  void Configure(devsim::DevsimConfig& config) override {
    config.with_receiver = true;
    config.keyboard_plugged = false;
    config.keyboard_powered = false;
  }
};

TEST_F(SwitchedOffKeyboardTest, ReceiverWithoutAnAnsweringKeyboard_SaysSoAndShowsTheKeyboardOnceItAnswers) {
  Open(WithReceiverIds());
  ASSERT_TRUE(ConnectNow());
  auto* status = window_->FindControl<QLabel>(QStringLiteral("status_label"));
  ASSERT_NE(status, nullptr);
  ASSERT_TRUE(WaitFor([&] { return KeyboardEntry()->NotAnswering(); }, 5000));
  EXPECT_EQ(status->property("textKey").toString(), QStringLiteral("status_no_answer_text"));
  EXPECT_FALSE(KeyboardEntry()->IsEntryVisible());

  server_->SetKeyboardPowered(true);
  // The receiver is asked again 3 s later: the retry is armed, and runs now.
  ASSERT_TRUE(KeyboardEntry()->IsTimerArmed(CDeviceOptionUI::kConnectTimer));
  EXPECT_FALSE(KeyboardEntry()->ExchangePending(CDeviceOptionUI::kConnectTimer));
  KeyboardEntry()->ArmTimer(CDeviceOptionUI::kConnectTimer, 0);
  ASSERT_TRUE(WaitFor([&] { return KeyboardEntry()->IsEntryVisible(); }, 6000));
  EXPECT_FALSE(KeyboardEntry()->NotAnswering());
  EXPECT_EQ(status->property("textKey").toString(), QStringLiteral("status_connected_text"));
}

}  // namespace
}  // namespace zt640
