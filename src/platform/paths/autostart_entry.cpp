#include "platform/paths/autostart_entry.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace zt640::platform {

namespace {

bool MakeFolders(const std::string& folder) {
  for (std::size_t pos = 1; pos <= folder.size(); ++pos) {
    if (pos != folder.size() && folder[pos] != '/') continue;
    if (::mkdir(folder.substr(0, pos).c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  return true;
}

/// One argument of an "Exec" line: always quoted, with the characters the desktop entry
/// format reserves inside quotes escaped, then the string value's own escaping of the
/// backslash and the field code "%" doubled.
std::string QuoteExecArgument(const std::string& argument) {
  std::string quoted = "\"";
  for (const char c : argument) {
    if (c == '"' || c == '`' || c == '$') {
      quoted += "\\";
      quoted += c;
    } else if (c == '\\') {
      quoted += "\\\\\\\\";
    } else if (c == '%') {
      quoted += "%%";
    } else {
      quoted += c;
    }
  }
  return quoted + "\"";
}

}  // namespace

AutostartEntry::AutostartEntry(std::string folder) : folder_(std::move(folder)) {}

std::string AutostartEntry::DefaultFolder() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config != nullptr && config[0] == '/') return std::string(config) + "/autostart";
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] != '/') return {};
  return std::string(home) + "/.config/autostart";
}

std::string AutostartEntry::Path() const { return folder_ + "/" + std::string(kFileName); }

bool AutostartEntry::IsEnabled() const {
  struct stat info {};
  return !folder_.empty() && ::stat(Path().c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string AutostartEntry::EntryText(const std::string& program) {
  const std::string command = program.empty() ? std::string("zt640") : QuoteExecArgument(program);
  return "[Desktop Entry]\n"
         "Type=Application\n"
         "Name=ZT640\n"
         "Comment=Start the ZT640 utility in the tray at log-in\n"
         "Exec=" + command + " --hidden\n"
         "Icon=zt640\n"
         "Terminal=false\n"
         "NoDisplay=true\n"
         "X-GNOME-Autostart-enabled=true\n";
}

AutostartResult AutostartEntry::Enable(const std::string& program) const {
  if (folder_.empty() || !MakeFolders(folder_)) return AutostartResult::kIoError;
  const std::string path = Path();
  const std::string temporary = path + ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) return AutostartResult::kIoError;
    out << EntryText(program);
    out.flush();
    if (!out) {
      std::remove(temporary.c_str());
      return AutostartResult::kIoError;
    }
  }
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    std::remove(temporary.c_str());
    return AutostartResult::kIoError;
  }
  return AutostartResult::kOk;
}

AutostartResult AutostartEntry::Disable() const {
  if (folder_.empty()) return AutostartResult::kOk;
  if (::unlink(Path().c_str()) != 0 && errno != ENOENT) return AutostartResult::kIoError;
  return AutostartResult::kOk;
}

}  // namespace zt640::platform
