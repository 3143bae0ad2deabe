#include "shell/language_choice.h"

#include "platform/paths/product_title.h"
#include "platform/settings/registry_store.h"
#include "ui/language_manager.h"

namespace zt640 {

QString ProductSettingsKey() {
  return QStringLiteral("SOFTWARE\\") + QString::fromUtf8(platform::kProductTitle.data(),
                                                          static_cast<qsizetype>(platform::kProductTitle.size()));
}

int ReadLanguageIndex(const platform::RegistryStore& store, const QString& language_config_path) {
  const std::string key = ProductSettingsKey().toStdString();
  if (!store.KeyExists(key)) return 0;
  const std::uint32_t id = store.ReadDword(key, "LANGUAGE").value_or(520);
  const std::vector<ui::LanguageEntry> list = ui::LanguageManager::ReadLanguageList(language_config_path);
  for (std::size_t index = 0; index < list.size(); ++index) {
    if (static_cast<std::uint32_t>(list[index].id) == id) return static_cast<int>(index);
  }
  return 0;
}

}  // namespace zt640
