// The floor for the utility's start-up measurement: a bare QApplication with an empty
// QWidget, built the same way. Prints the same report lines when the widget is shown.
#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {
long ResidentKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  }
  return 0;
}

class FloorWidget : public QWidget {
 protected:
  void showEvent(QShowEvent*) override {
    if (reported_) return;
    reported_ = true;
    const char* stamp = std::getenv("ZT640_LAUNCH_NS");
    const long long now = std::chrono::duration_cast<std::chrono::nanoseconds>(
                              std::chrono::steady_clock::now().time_since_epoch()).count();
    const long long shown = stamp != nullptr ? (now - std::strtoll(stamp, nullptr, 10)) / 1000000 : -1;
    std::printf("shown_ms=%lld\nrss_kib=%ld\n", shown, ResidentKiB());
    std::fflush(stdout);
    QTimer::singleShot(0, qApp, &QApplication::quit);
  }

 private:
  bool reported_ = false;
};
}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  FloorWidget widget;
  widget.resize(1000, 640);
  widget.show();
  return QApplication::exec();
}
