#include "shell/app_entry.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPixmap>
#include <QSocketNotifier>
#include <QStringList>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>

#include "platform/diag/debug_output.h"
#include "platform/fonts/system_font_files.h"
#include "platform/ipc/ipc_client.h"
#include "platform/paths/product_title.h"
#include "platform/paths/program_paths.h"
#include "platform/paths/runtime_folder.h"
#include "platform/sync/named_mutex.h"
#include "platform/sync/termination_signal.h"
#include "shell/custom_controls.h"
#include "shell/device_plugins.h"
#include "shell/main_wnd.h"
#include "shell/private_fonts.h"
#include "shell/product_icon.h"
#include "shell/registered_window_messages.h"
#include "ui/control_factory.h"
#include "ui/resource_manager.h"

namespace zt640 {

namespace {
QString ProductTitle() {
  return QString::fromUtf8(platform::kProductTitle.data(), static_cast<qsizetype>(platform::kProductTitle.size()));
}

/// Resident set size of this process in KiB (0 when unknown).
long ResidentKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  }
  return 0;
}

/// Milliseconds since the launcher's stamp in ZT640_LAUNCH_NS (steady clock), when set.
long long MillisecondsSinceLaunch() {
  const char* stamp = std::getenv("ZT640_LAUNCH_NS");
  if (stamp == nullptr) return -1;
  const long long launched = std::strtoll(stamp, nullptr, 10);
  const long long now = std::chrono::duration_cast<std::chrono::nanoseconds>(
                            std::chrono::steady_clock::now().time_since_epoch())
                            .count();
  return (now - launched) / 1000000;
}

/// Optional unattended runs: ZT640_SCREENSHOT=file saves the window once it is shown;
/// ZT640_STARTUP_REPORT=1 prints the start-up time and memory. Either then ends the
/// program through the normal shut-down.
void ArrangeUnattendedExit(CMainWnd& window) {
  // Long enough for a connected device's first read and a few frames of its lights.
  constexpr int kScreenshotDelayMs = 1500;
  const char* screenshot = std::getenv("ZT640_SCREENSHOT");
  const bool report = std::getenv("ZT640_STARTUP_REPORT") != nullptr;
  if ((screenshot == nullptr || screenshot[0] == '\0') && !report) return;
  const QString path = screenshot != nullptr ? QString::fromLocal8Bit(screenshot) : QString();
  QObject::connect(&window, &CMainWnd::WindowShown, &window, [&window, path, report] {
    if (report) {
      std::printf("shown_ms=%lld\nrss_kib=%ld\n", MillisecondsSinceLaunch(), ResidentKiB());
      std::fflush(stdout);
    }
    QTimer::singleShot(path.isEmpty() ? 0 : kScreenshotDelayMs, &window, [&window, path] {
      if (!path.isEmpty()) {
        if (window.grab().save(path)) {
          std::fprintf(stderr, "zt640: screenshot saved to %s\n", path.toLocal8Bit().constData());
        } else {
          std::fprintf(stderr, "zt640: could not save the screenshot to %s\n", path.toLocal8Bit().constData());
        }
      }
      window.Destroy();
    });
  });
}

/// What the command line asks for, after Qt took its own options.
enum class StartRequest { kShow, kHidden, kHelp, kBadOption };

StartRequest ParseStartOptions(const QStringList& arguments, QString* bad_option) {
  StartRequest request = StartRequest::kShow;
  for (qsizetype i = 1; i < arguments.size(); ++i) {
    const QString& word = arguments[i];
    if (word == QLatin1String("--hidden")) {
      request = StartRequest::kHidden;
    } else if (word == QLatin1String("--help") || word == QLatin1String("-h")) {
      return StartRequest::kHelp;
    } else {
      *bad_option = word;
      return StartRequest::kBadOption;
    }
  }
  return request;
}

constexpr const char* kUsage =
    "usage: zt640 [--hidden]\n"
    "  --hidden  start in the tray without showing the window\n";
}  // namespace

int RunApplication(int argc, char** argv) {
  QApplication application(argc, argv);
  QString bad_option;
  const StartRequest request = ParseStartOptions(QApplication::arguments(), &bad_option);
  if (request == StartRequest::kHelp) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (request == StartRequest::kBadOption) {
    std::fprintf(stderr, "zt640: unknown option '%s'\n%s", bad_option.toLocal8Bit().constData(), kUsage);
    return 2;
  }
  QApplication::setQuitOnLastWindowClosed(false);
  QApplication::setApplicationName(QStringLiteral("zt640"));
  // Wayland compositors and docks match the window to its desktop entry and icon by this.
  QGuiApplication::setDesktopFileName(QStringLiteral("org.zt640.Zt640"));
  QApplication::setApplicationDisplayName(ProductTitle());
  QApplication::setWindowIcon(ProductIcon());

  PrivateFonts fonts;
  // The shipped faces are usually the system's own, linked: fontconfig already
  // offers them, and parsing a large collection again is a good share of start-up.
  // Read on this thread, after the application object: fontconfig initialised on a
  // second thread while the toolkit initialises it too can abort or leak.
  const platform::SystemFontFiles system_fonts = platform::SystemFontFiles::FromFontconfig();
  fonts.Load(QString::fromStdString(platform::ResourceFolder("Font")),
             [&system_fonts](const QString& path) { return system_fonts.Has(path.toStdString()); });

  if (!RegisterActivationMessage()) platform::DebugOutput("activation message not registered");

  const platform::RuntimeFolderResult runtime = platform::RuntimeFolder();
  platform::NamedMutex instance;
  if (!runtime.ok) {
    std::fprintf(stderr, "zt640: %s; starting without the single-instance check and the message socket\n",
                 runtime.reason.c_str());
  } else {
    const platform::NamedMutexResult owned = instance.Create(runtime.path, platform::kProductTitle);
    if (owned == platform::NamedMutexResult::kAlreadyExists) {
      platform::WindowMessage activate;
      activate.message = UWM_INSTANCE_ACTIVATE_MSG;
      activate.wparam = 0;
      activate.lparam = 1;
      // How many windows took it does not matter: the first instance may be gone already.
      if (activate.message != 0) (void)platform::IpcClient(runtime.path).Broadcast(activate);
      return 0;
    }
    if (owned == platform::NamedMutexResult::kFailed) {
      platform::DebugOutput("single-instance lock unavailable; starting as the first instance");
    }
  }

  ui::ResourceManager& resources = ui::ResourceManager::Instance();
  resources.SetResourcePath(QString::fromStdString(platform::ResourceFolder("skin")));
  QString error;
  if (!resources.LoadResource(QStringLiteral("res.xml"), &error)) {
    std::fprintf(stderr, "zt640: cannot start: %s\n", error.toLocal8Bit().constData());
    return 0;
  }
  application.setStyleSheet(resources.StyleSheet(96));
  RegisterCustomControls(ui::ControlFactory::Instance());
  if (!RegisterGuidMessages()) platform::DebugOutput("a registered message could not be registered");

  auto window = std::make_unique<CMainWnd>(runtime.ok ? runtime.path : std::string(), DevicePlugins());
  const int signal_fd = platform::TerminationSignal::Install();
  std::unique_ptr<QSocketNotifier> signal_watch;
  if (signal_fd >= 0) {
    signal_watch = std::make_unique<QSocketNotifier>(signal_fd, QSocketNotifier::Read);
    QObject::connect(signal_watch.get(), &QSocketNotifier::activated, window.get(), [&window] {
      const int signal_number = platform::TerminationSignal::TakePending();
      platform::DebugOutput("signal " + std::to_string(signal_number) + ": shutting down");
      window->Destroy();
    });
  }
  ArrangeUnattendedExit(*window);
  if (request == StartRequest::kHidden) window->StartHidden();
  if (!window->Create(ProductTitle(), CMainWnd::kInitialWidth, CMainWnd::kInitialHeight, &error)) {
    std::fprintf(stderr, "zt640: cannot start: %s\n", error.toLocal8Bit().constData());
    return 0;
  }
  window->CenterWindow();

  QApplication::exec();

  const bool detached = window->HasDetachedWorkers();
  signal_watch.reset();
  window.reset();
  resources.Release();
  instance.Close();
  fonts.Remove();
  if (detached) {
    // A worker that ignored its stop event still runs: leave without running static
    // destructors under it.
    std::fflush(nullptr);
    ::_exit(0);
  }
  return 0;
}

}  // namespace zt640
