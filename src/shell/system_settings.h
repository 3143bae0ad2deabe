#pragma once

#include <QString>
#include <QStringList>
#include <functional>

namespace zt640 {

/// How the desktop's own settings panels are found and started; tests give their own.
struct SystemSettingsLauncher {
  /// The full path of a program on the PATH, or empty.
  std::function<QString(const QString& program)> find_program;
  /// Starts a program detached from this one; false when it could not be started.
  std::function<bool(const QString& path, const QStringList& arguments)> start_detached;
  /// The running desktop ("XDG_CURRENT_DESKTOP"): its own panel is tried first.
  QString desktop;

  /// The PATH lookup, a detached process and the environment's desktop.
  [[nodiscard]] static SystemSettingsLauncher Default();
};

enum class SystemSettingsResult {
  kStarted,
  kNoPanel,      ///< no settings program this build knows is installed
  kStartFailed,  ///< one was found but could not be started
  kUnknownIndex,
};

/// Opens the desktop's keyboard (index 0) or mouse (index 1) settings: GNOME Settings
/// or KDE System Settings, whichever is on the PATH (the running desktop's first). The
/// program runs on its own; this never waits for it.
[[nodiscard]] SystemSettingsResult OpenSystemSettings(int index, const SystemSettingsLauncher& launcher);

}  // namespace zt640
