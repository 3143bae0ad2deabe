// Time from the simulated keyboard's node appearing to its selector entry being
// shown by the running main window (discovery pass, blocking add message,
// device connect, entry shown), over unplug/plug cycles: with the pass started
// by the node's event (inotify on the simulator's folders) and, as the floor it
// replaces, by the 100 ms timer that runs when no event source can be opened.
#include <benchmark/benchmark.h>
#include <json/json.h>
#include <stdlib.h>

#include <QApplication>
#include <QElapsedTimer>
#include <atomic>
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
#include "shell/device_selector.h"
#include "shell/discovery_thread.h"
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
    MainWndPlugins plugins = test::DevicePluginsIn(InterfaceCatalogue(), folders);
    const bool on_timer = state.range(0) != 0;
    std::atomic<CMainWnd*> target{nullptr};
    if (on_timer) {
      // The window's own loop, watching a root that does not exist: it keeps its timer.
      plugins.discovery = [&target, missing = root + "/unwatched"](const platform::Event& stop) {
        DeviceSelector* selector = target.load()->Devices();
        DiscoveryThread discovery(selector->Slots(), selector->MakeSink(UWM_INSTANCE_ACTIVATE_MSG));
        discovery.SetWatchedRoot(missing);
        discovery.Run(stop, selector->DiscoveryWake());
      };
    }
    CMainWnd window("", std::move(plugins));
    target.store(&window);
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
      // Start the next plug at another phase of the 100 ms timer.
      (void)WaitFor([] { return false; }, 37);
    }
    window.Destroy();
  }
  server.Stop();
  unsetenv("ZT640_HID_ROOT");
  std::error_code ignored;
  std::filesystem::remove_all(root, ignored);
}
BENCHMARK(BM_NodeToEntryShown)
    ->ArgName("timer")
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Iterations(20)
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
