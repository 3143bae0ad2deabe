#pragma once

#include <QLocale>
#include <QString>
#include <cstdint>
#include <vector>

#include "ui/language_manager.h"

namespace zt640 {

namespace platform {
class RegistryStore;
}

/// The settings key of the product ("SOFTWARE\" + product title).
[[nodiscard]] QString ProductSettingsKey();

/// The start-up language: the index of the first "Language.config" entry whose
/// "Language_ID" equals the stored "LANGUAGE" value; 0 when the list is missing or
/// nothing matches. With no stored value (a first start) the desktop's locale picks:
/// the entry named "Chinese" for a Chinese locale, else the one named "English".
[[nodiscard]] int ReadLanguageIndex(const platform::RegistryStore& store, const QString& language_config_path,
                                    const QLocale& locale = QLocale::system());

/// The same choice from a language list already read.
[[nodiscard]] int LanguageIndexIn(const std::vector<ui::LanguageEntry>& list, const platform::RegistryStore& store,
                                  const QLocale& locale = QLocale::system());

/// Keeps `id` as the "LANGUAGE" value, making the product's key on first use.
/// False when the settings store cannot be written.
[[nodiscard]] bool SaveLanguageId(platform::RegistryStore& store, std::uint32_t id);

/// Whether switching from language `previous` to `next` rebuilds the window fonts with
/// the default face: when either side is none yet (-1), 0, 2 or 15 (the languages
/// whose texts the default face covers, and leaving them); between two others the
/// fonts stay.
[[nodiscard]] bool LanguageChangeRebuildsFonts(int previous, int next);

}  // namespace zt640
