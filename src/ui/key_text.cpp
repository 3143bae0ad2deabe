#include "ui/key_text.h"

#include <array>

#include "ui/language_manager.h"
#include "ui/resource_manager.h"

namespace zt640 {

namespace {
constexpr std::array<std::string_view, 6> kFamilies = {"keyboard_key_", "mouse_key_", "media_", "system_", "web_",
                                                       "key_"};
}

QString KeyText::Language(const QString& key) { return ui::ResourceManager::Instance().Language().Text(key); }

std::string KeyText::ForNameKey(std::string_view name_key) {
  const QString key = QString::fromUtf8(name_key.data(), static_cast<qsizetype>(name_key.size()));
  const ui::LanguageManager& language = ui::ResourceManager::Instance().Language();
  if (language.HasText(key)) return language.Text(key).toStdString();
  return Readable(name_key);
}

std::string KeyText::ShortForNameKey(std::string_view name_key) {
  const QString key = QString::fromUtf8(name_key.data(), static_cast<qsizetype>(name_key.size()));
  const ui::LanguageManager& language = ui::ResourceManager::Instance().Language();
  if (language.HasText(key)) return language.ShortText(key).toStdString();
  return Readable(name_key);
}

std::string KeyText::Readable(std::string_view name_key) {
  for (std::string_view family : kFamilies) {
    if (name_key.size() > family.size() && name_key.substr(0, family.size()) == family) {
      name_key.remove_prefix(family.size());
      break;
    }
  }
  std::string text(name_key);
  for (char& c : text) {
    if (c == '_') c = ' ';
  }
  return text;
}

}  // namespace zt640
