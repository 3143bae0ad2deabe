#include "shell/language_choice.h"

#include "platform/diag/debug_output.h"
#include "platform/paths/product_title.h"
#include "platform/settings/registry_store.h"

namespace zt640 {

namespace {
constexpr char kLanguageValue[] = "LANGUAGE";

int IndexOfName(const std::vector<ui::LanguageEntry>& list, const QString& name) {
  for (std::size_t index = 0; index < list.size(); ++index) {
    if (list[index].name.compare(name, Qt::CaseInsensitive) == 0) return static_cast<int>(index);
  }
  return 0;
}
}  // namespace

QString ProductSettingsKey() {
  return QStringLiteral("SOFTWARE\\") + QString::fromUtf8(platform::kProductTitle.data(),
                                                          static_cast<qsizetype>(platform::kProductTitle.size()));
}

int ReadLanguageIndex(const platform::RegistryStore& store, const QString& language_config_path,
                      const QLocale& locale) {
  return LanguageIndexIn(ui::LanguageManager::ReadLanguageList(language_config_path), store, locale);
}

int LanguageIndexIn(const std::vector<ui::LanguageEntry>& list, const platform::RegistryStore& store,
                    const QLocale& locale) {
  const std::optional<std::uint32_t> id = store.ReadDword(ProductSettingsKey().toStdString(), kLanguageValue);
  if (!id) {
    const bool chinese = locale.language() == QLocale::Chinese;
    return IndexOfName(list, chinese ? QStringLiteral("Chinese") : QStringLiteral("English"));
  }
  for (std::size_t index = 0; index < list.size(); ++index) {
    if (static_cast<std::uint32_t>(list[index].id) == *id) return static_cast<int>(index);
  }
  return 0;
}

bool SaveLanguageId(platform::RegistryStore& store, std::uint32_t id) {
  const std::string key = ProductSettingsKey().toStdString();
  if (!store.KeyExists(key) && store.CreateKey(key) != platform::SettingsResult::kOk) return false;
  if (store.WriteDword(key, kLanguageValue, id) != platform::SettingsResult::kOk) return false;
  platform::DebugOutput("写成功！");
  return true;
}

bool LanguageChangeRebuildsFonts(int previous, int next) {
  const auto covered = [](int index) { return index == -1 || index == 0 || index == 2 || index == 15; };
  return (next != -1 && covered(next)) || covered(previous);
}

}  // namespace zt640
