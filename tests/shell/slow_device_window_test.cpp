#include <gtest/gtest.h>

#include <QLabel>
#include <atomic>
#include <chrono>
#include <thread>

#include "shell/main_window_fixture.h"

namespace zt640 {
namespace {

using test::WaitFor;
using Clock = std::chrono::steady_clock;

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

  /// The longest a message sent from another thread waited for the UI thread,
  /// over `rounds` round trips while the UI thread runs its event loop.
  std::chrono::milliseconds WorstRoundTrip(int rounds) {
    std::atomic<long long> worst{0};
    std::atomic<bool> done{false};
    std::thread sender([&] {
      for (int i = 0; i < rounds; ++i) {
        platform::WindowMessage trace;
        trace.message = CMainWnd::kTraceMessage;
        const auto sent = Clock::now();
        (void)window_->messages().Send(trace);
        const long long took =
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - sent).count();
        worst.store(std::max(worst.load(), took));
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
      }
      done.store(true);
    });
    EXPECT_TRUE(WaitFor([&] { return done.load(); }, 20000));
    sender.join();
    return std::chrono::milliseconds(worst.load());
  }
};

TEST_P(SlowDeviceWindowTest, WindowKeepsServingWhileTheDeviceWaitsAndClosesQuickly) {
  Open(GetParam().via_receiver ? WithReceiverIds() : InterfaceCatalogue());
  // The connect timer's exchange is under way (500 ms after the interface opened).
  ASSERT_TRUE(WaitFor([&] { return KeyboardEntry()->ExchangePending(CDeviceOptionUI::kConnectTimer); }, 5000));
  // Instrumented builds run the event loop several times slower.
  EXPECT_LT(WorstRoundTrip(40), std::chrono::milliseconds(ZT640_SANITIZED_BUILD ? 500 : 200));
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
  auto* status = window_->FindControl<QLabel>(QStringLiteral("status_label"));
  ASSERT_NE(status, nullptr);
  ASSERT_TRUE(WaitFor([&] { return KeyboardEntry()->NotAnswering(); }, 5000));
  EXPECT_EQ(status->property("textKey").toString(), QStringLiteral("status_no_answer_text"));
  EXPECT_FALSE(KeyboardEntry()->IsEntryVisible());

  server_->SetKeyboardPowered(true);
  // Asked again every 3 s.
  ASSERT_TRUE(WaitFor([&] { return KeyboardEntry()->IsEntryVisible(); }, 6000));
  EXPECT_FALSE(KeyboardEntry()->NotAnswering());
  EXPECT_EQ(status->property("textKey").toString(), QStringLiteral("status_connected_text"));
}

}  // namespace
}  // namespace zt640
