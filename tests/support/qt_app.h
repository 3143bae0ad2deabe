#pragma once

#include <QApplication>

namespace zt640::test {

/// One QApplication for the whole test program (offscreen platform).
inline QApplication& QtApp() {
  static int argc = 1;
  static char name[] = "zt640_tests";
  static char* argv[] = {name, nullptr};
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static QApplication app(argc, argv);
  return app;
}

}  // namespace zt640::test
