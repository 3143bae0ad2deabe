#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "devices/kalvex_usb_device.h"
#include "devices/light_state.h"
#include "profiles/keyboard_light_mode.h"
#include "shell/device_option_ui.h"
#include "shell/device_selector.h"
#include "shell/main_window_fixture.h"

namespace zt640 {
namespace {

using test::WaitFor;

/// What a window left in the tray costs: no frame timer while nobody looks and
/// the keyboard plays its effect itself.
class IdleWindowTest : public test::MainWindowFixture {
 protected:
  /// Frames neither scheduled nor on their way.
  bool FrameTimerStopped() {
    return !KeyboardEntry()->IsTimerArmed(CDeviceOptionUI::kRefreshTimer) &&
           !KeyboardEntry()->ExchangePending(CDeviceOptionUI::kRefreshTimer);
  }

  void SetModeOnDevice(KeyboardLightMode mode) {
    bool done = false;
    window_->Devices()->RunOnDevice(
        Keyboard(),
        [mode](CKalvexUSBDevice& device) {
          LightState state = device.GetLightState();
          state.bytes[LightState::kMode] = static_cast<uint8_t>(mode);
          device.SetLightState(state.Words());
        },
        [&done] { done = true; });
    ASSERT_TRUE(WaitFor([&] { return done; }));
  }
};

TEST_F(IdleWindowTest, HiddenWithDeviceRunMode_NoFrameTimerUntilShownOrStreaming) {
  Open(InterfaceCatalogue());
  ASSERT_TRUE(WaitFor([&] { return window_->isVisible() && KeyboardEntry()->IsEntryVisible(); }));
  ASSERT_TRUE(WaitFor([&] { return KeyboardEntry()->IsTimerArmed(CDeviceOptionUI::kRefreshTimer); }));
  SetModeOnDevice(KeyboardLightMode::kBreathing);
  ASSERT_FALSE(Keyboard()->StreamsHostFrames());

  window_->hide();
  EXPECT_TRUE(WaitFor([&] { return FrameTimerStopped(); }));
  EXPECT_FALSE(Keyboard()->OnScreen());

  // Showing the window brings the preview back at once, not after a period.
  window_->show();
  EXPECT_TRUE(KeyboardEntry()->IsTimerArmed(CDeviceOptionUI::kRefreshTimer));

  // Hidden again, a mode whose frames the host streams: a frame goes out each
  // time the lighting worker changes the colours, and no timer polls in between.
  window_->hide();
  ASSERT_TRUE(WaitFor([&] { return FrameTimerStopped(); }));
  ASSERT_TRUE(Keyboard()->HostLighting());
  SetModeOnDevice(KeyboardLightMode::kAudioColour);
  ASSERT_TRUE(Keyboard()->StreamsHostFrames());
  EXPECT_TRUE(WaitFor([&] { return KeyboardEntry()->AwaitingRender() && FrameTimerStopped(); }));

  bool fed = false;
  window_->Devices()->RunOnDevice(
      Keyboard(),
      [](CKalvexUSBDevice& device) {
        const std::vector<int32_t> levels = {200, 40, 10, 0, 0, 0};
        device.FeedAudioLevels(levels);
      },
      [&fed] { fed = true; });
  ASSERT_TRUE(WaitFor([&] { return fed; }));
  EXPECT_TRUE(WaitFor([&] {
    const std::vector<uint8_t> frame = server_->Keyboard().Area(devsim::KeyboardArea::kLiveFrame);
    return std::any_of(frame.begin(), frame.end(), [](uint8_t byte) { return byte != 0; });
  }));
  EXPECT_TRUE(WaitFor([&] { return KeyboardEntry()->AwaitingRender() && FrameTimerStopped(); }));
  // The renders reach the keyboard's worker straight from the lighting worker.
  EXPECT_TRUE(KeyboardEntry()->DirectFrames());

  // Back to a mode the keyboard plays itself: the frames come back to the timer, which parks.
  SetModeOnDevice(KeyboardLightMode::kBreathing);
  EXPECT_TRUE(WaitFor([&] {
    return !KeyboardEntry()->DirectFrames() && !KeyboardEntry()->AwaitingRender() && FrameTimerStopped();
  }));
}

}  // namespace
}  // namespace zt640
