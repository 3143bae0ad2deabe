// Time from the simulated keyboard's node appearing to its selector entry being
// shown by the running main window (discovery loop, blocking add message,
// device connect, entry shown), over unplug/plug cycles.
#include <benchmark/benchmark.h>
#include <json/json.h>
#include <stdlib.h>

#include <QApplication>
#include <QElapsedTimer>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>

#include "devices/keyboard/keyboard_key_matcher.h"
#include "devsim/devsim_server.h"
#include "profiles/global_utils.h"
#include "shell/custom_controls.h"
#include "shell/device_option_ui.h"
#include "shell/device_plugins.h"
#include "shell/main_wnd.h"
#include "shell/registered_window_messages.h"
#include "support/factory_keyboard_profile.h"
#include "support/main_window_setup.h"
#include "ui/control_factory.h"
#include "ui/resource_manager.h"

namespace {

bool WaitFor(const std::function<bool()>& done, int timeout_ms) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > timeout_ms) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
  }
  return true;
}

void BM_NodeToEntryShown(benchmark::State& state) {
  using namespace zt640;
  char templ[] = "/tmp/zt640-bench-disc-XXXXXX";
  if (mkdtemp(templ) == nullptr) {
    state.SkipWithError("no temp folder");
    return;
  }
  const std::string root = templ;
  std::filesystem::create_directories(root + "/DefaultData");
  const ProfileFolders folders{root + "/DefaultData/", root + "/data/"};
  (void)test::WriteFactoryKeyboardProfile(folders.defaults + "keyboard.Json", 5);

  devsim::DevsimConfig config;
  config.root = root + "/hid";
  config.keyboard_plugged = false;
  devsim::DevsimServer server(config);
  std::string error;
  if (!server.Start(&error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  setenv("ZT640_HID_ROOT", (root + "/hid").c_str(), 1);
  (void)test::LoadShippedSkins();
  {
    CMainWnd window("", test::DevicePluginsIn(InterfaceCatalogue(), folders));
    QString build_error;
    if (!window.Create("bench", CMainWnd::kInitialWidth, CMainWnd::kInitialHeight, &build_error)) {
      state.SkipWithError("window not built");
      return;
    }
    CDeviceOptionUI* entry = window.Devices()->EntryForType(InterfaceCatalogue::kKeyboardType);
    for (auto _ : state) {
      const auto plugged = std::chrono::steady_clock::now();
      if (!server.Plug(devsim::SimDeviceId::kKeyboard) || !WaitFor([&] { return entry->IsEntryVisible(); }, 5000)) {
        state.SkipWithError("entry not shown");
        break;
      }
      state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - plugged).count());
      (void)server.Unplug(devsim::SimDeviceId::kKeyboard);
      (void)WaitFor([&] { return !entry->IsEntryVisible(); }, 5000);
      // Start the next plug at a random phase of the 100 ms loop.
      (void)WaitFor([] { return false; }, 37);
    }
    window.Destroy();
  }
  server.Stop();
  unsetenv("ZT640_HID_ROOT");
  std::error_code ignored;
  std::filesystem::remove_all(root, ignored);
}
BENCHMARK(BM_NodeToEntryShown)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
