#include "shell/private_fonts.h"

#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>

#include "platform/diag/debug_output.h"

namespace zt640 {

int PrivateFonts::Load(const QString& font_folder, const SystemLookup& system_has) {
  Remove();
  int loaded = 0;
  const QDir folder(font_folder);
  for (std::size_t index = 0; index < kFiles.size(); ++index) {
    const QString path = folder.filePath(QString::fromLatin1(kFiles[index]));
    if (!QFileInfo::exists(path)) {
      platform::DebugOutput("font not loaded: " + path.toStdString());
      continue;
    }
    if (system_has && system_has(path)) {
      states_[index] = State::kSystem;
      ++loaded;
      continue;
    }
    // Registered from its file for this process only: the font engine maps the file
    // itself, so the process does not keep a second copy of every face in memory.
    ids_[index] = QFontDatabase::addApplicationFont(path);
    if (ids_[index] >= 0) {
      states_[index] = State::kRegistered;
      ++loaded;
    } else {
      platform::DebugOutput("font not loaded: " + path.toStdString());
    }
  }
  return loaded;
}

void PrivateFonts::Remove() {
  for (std::size_t index = ids_.size(); index-- > 0;) {
    if (ids_[index] >= 0) QFontDatabase::removeApplicationFont(ids_[index]);
    ids_[index] = -1;
    states_[index] = State::kMissing;
  }
}

}  // namespace zt640
