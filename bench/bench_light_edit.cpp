// The lighting editor against the simulated keyboard, through the running main window:
// the time from choosing a mode in the list to the keyboard having its settings record
// (the route is synchronous, so the choice returns once the keyboard answered), and the
// frames the keyboard picture paints per second while an effect animates.
#include <benchmark/benchmark.h>
#include <json/json.h>
#include <stdlib.h>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEvent>
#include <QSlider>
#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>

#include "devices/keyboard/kalvex_keyboard_device.h"
#include "devices/keyboard/keyboard_key_matcher.h"
#include "devsim/devsim_server.h"
#include "profiles/global_utils.h"
#include "shell/custom_controls.h"
#include "shell/device_option_ui.h"
#include "shell/device_plugins.h"
#include "pages/keyboard/keyboard_page.h"
#include "shell/main_wnd.h"
#include "shell/registered_window_messages.h"
#include "support/factory_keyboard_profile.h"
#include "support/main_window_setup.h"
#include "ui/control_factory.h"
#include "ui/resource_manager.h"

namespace {

using namespace zt640;

bool WaitFor(const std::function<bool()>& done, int timeout_ms) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > timeout_ms) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
  }
  return true;
}

class PaintCounter : public QObject {
 public:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
  int paints = 0;
};

/// The main window over the in-process simulator with the keyboard connected.
class Session {
 public:
  bool Open(std::string* error) {
    char templ[] = "/tmp/zt640-bench-light-XXXXXX";
    if (mkdtemp(templ) == nullptr) return false;
    root_ = templ;
    std::filesystem::create_directories(root_ + "/DefaultData");
    const ProfileFolders folders{root_ + "/DefaultData/", root_ + "/data/"};
    std::filesystem::copy_file(ZT640_SOURCE_DIR "/data/DefaultData/default_light.json",
                               root_ + "/DefaultData/default_light.json");
    (void)test::WriteFactoryKeyboardProfile(folders.defaults + "keyboard.Json", 5);
    devsim::DevsimConfig config;
    config.root = root_ + "/hid";
    server_ = std::make_unique<devsim::DevsimServer>(config);
    if (!server_->Start(error)) return false;
    setenv("ZT640_HID_ROOT", (root_ + "/hid").c_str(), 1);
    (void)test::LoadShippedSkins();
    window_ = std::make_unique<CMainWnd>("", test::DevicePluginsIn(InterfaceCatalogue(), folders));
    QString build_error;
    if (!window_->Create("bench", CMainWnd::kInitialWidth, CMainWnd::kInitialHeight, &build_error)) return false;
    return WaitFor(
        [&] {
          auto* keyboard = dynamic_cast<CKalvexKeyboardDevice*>(Keyboard());
          return keyboard != nullptr && keyboard->MatchedKeyCount() > 0 && window_->SelectedKeyboardPage() != nullptr;
        },
        5000);
  }

  ~Session() {
    if (window_) window_->Destroy();
    window_.reset();
    if (server_) server_->Stop();
    unsetenv("ZT640_HID_ROOT");
    std::error_code ignored;
    if (!root_.empty()) std::filesystem::remove_all(root_, ignored);
  }

  [[nodiscard]] CKalvexUSBDevice* Keyboard() const {
    return window_->Devices()->DeviceForType(InterfaceCatalogue::kKeyboardType);
  }
  [[nodiscard]] KeyboardPage* Page() const { return window_->SelectedKeyboardPage(); }
  [[nodiscard]] devsim::DevsimServer& Server() { return *server_; }

 private:
  std::string root_;
  std::unique_ptr<devsim::DevsimServer> server_;
  std::unique_ptr<CMainWnd> window_;
};

void BM_ModeChoiceToSettingsRecord(benchmark::State& state) {
  Session session;
  std::string error;
  if (!session.Open(&error)) {
    state.SkipWithError(("keyboard not connected: " + error).c_str());
    return;
  }
  auto* modes = session.Page()->Widget()->findChild<QComboBox*>(QStringLiteral("light_combo_modeSelect"));
  if (modes == nullptr) {
    state.SkipWithError("no mode list");
    return;
  }
  int choice = 0;
  for (auto _ : state) {
    // Alternate between two modes the keyboard runs by itself.
    choice = choice == 6 ? 5 : 6;
    const std::vector<uint8_t> before = session.Server().Keyboard().Area(devsim::KeyboardArea::kSettings);
    const auto chosen = std::chrono::steady_clock::now();
    modes->setCurrentIndex(choice);
    const auto written = std::chrono::steady_clock::now();
    if (session.Server().Keyboard().Area(devsim::KeyboardArea::kSettings) == before) {
      state.SkipWithError("the settings record did not change");
      break;
    }
    state.SetIterationTime(std::chrono::duration<double>(written - chosen).count());
  }
}
BENCHMARK(BM_ModeChoiceToSettingsRecord)->UseManualTime()->Iterations(40)->Unit(benchmark::kMillisecond);

void BM_PreviewFramesPerSecond(benchmark::State& state) {
  Session session;
  std::string error;
  if (!session.Open(&error)) {
    state.SkipWithError(("keyboard not connected: " + error).c_str());
    return;
  }
  QWidget* picture = session.Page()->Widget()->findChild<QWidget*>(QStringLiteral("device_key_light"));
  auto* modes = session.Page()->Widget()->findChild<QComboBox*>(QStringLiteral("light_combo_modeSelect"));
  if (picture == nullptr || modes == nullptr) {
    state.SkipWithError("no picture or mode list");
    return;
  }
  modes->setCurrentIndex(4);  // the spectrum: every key changes all the time
  if (auto* speed = session.Page()->Widget()->findChild<QSlider*>(QStringLiteral("deng_speed_slider"))) {
    speed->setValue(speed->maximum());  // at its fastest it changes on every effect tick
  }
  PaintCounter counter;
  picture->installEventFilter(&counter);
  double frames_per_second = 0;
  for (auto _ : state) {
    counter.paints = 0;
    QElapsedTimer timer;
    timer.start();
    // An idle event loop, as in the running program, not a busy wait.
    QEventLoop loop;
    QTimer::singleShot(2000, &loop, &QEventLoop::quit);
    loop.exec();
    frames_per_second = counter.paints * 1000.0 / static_cast<double>(timer.elapsed());
  }
  state.counters["frames_per_second"] = frames_per_second;
}
BENCHMARK(BM_PreviewFramesPerSecond)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
