#include "shell/system_settings.h"

#include <QProcess>
#include <QStandardPaths>
#include <array>

namespace zt640 {

namespace {
constexpr int kKeyboardIndex = 0;
constexpr int kMouseIndex = 1;

struct SettingsPanel {
  const char* desktop;  ///< a word of "XDG_CURRENT_DESKTOP" that names its desktop
  const char* program;
  const char* keyboard;
  const char* mouse;
};

constexpr std::array<SettingsPanel, 3> kPanels = {{
    {"GNOME", "gnome-control-center", "keyboard", "mouse"},
    {"KDE", "systemsettings", "kcm_keyboard", "kcm_mouse"},
    {"KDE", "systemsettings5", "kcm_keyboard", "kcm_mouse"},
}};
}  // namespace

SystemSettingsLauncher SystemSettingsLauncher::Default() {
  SystemSettingsLauncher launcher;
  launcher.find_program = [](const QString& program) { return QStandardPaths::findExecutable(program); };
  launcher.start_detached = [](const QString& path, const QStringList& arguments) {
    return QProcess::startDetached(path, arguments);
  };
  launcher.desktop = qEnvironmentVariable("XDG_CURRENT_DESKTOP");
  return launcher;
}

SystemSettingsResult OpenSystemSettings(int index, const SystemSettingsLauncher& launcher) {
  if (index != kKeyboardIndex && index != kMouseIndex) return SystemSettingsResult::kUnknownIndex;
  const QStringList desktops = launcher.desktop.split(QLatin1Char(':'), Qt::SkipEmptyParts);
  std::array<const SettingsPanel*, kPanels.size()> order{};
  std::size_t count = 0;
  for (const bool own_desktop : {true, false}) {
    for (const SettingsPanel& panel : kPanels) {
      if (desktops.contains(QLatin1String(panel.desktop), Qt::CaseInsensitive) == own_desktop) order[count++] = &panel;
    }
  }
  for (const SettingsPanel* panel : order) {
    const QString path = launcher.find_program ? launcher.find_program(QLatin1String(panel->program)) : QString();
    if (path.isEmpty()) continue;
    const QString page = QLatin1String(index == kKeyboardIndex ? panel->keyboard : panel->mouse);
    const bool started = launcher.start_detached && launcher.start_detached(path, {page});
    return started ? SystemSettingsResult::kStarted : SystemSettingsResult::kStartFailed;
  }
  return SystemSettingsResult::kNoPanel;
}

}  // namespace zt640
