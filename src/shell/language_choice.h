#pragma once

#include <QString>

namespace zt640 {

namespace platform {
class RegistryStore;
}

/// The settings key of the product ("SOFTWARE\" + product title).
[[nodiscard]] QString ProductSettingsKey();

/// The start-up language: the index of the first "Language.config" entry whose
/// "Language_ID" equals the stored "LANGUAGE" value (520 when none is stored); 0 when the
/// key is missing, the list is missing or nothing matches.
[[nodiscard]] int ReadLanguageIndex(const platform::RegistryStore& store, const QString& language_config_path);

}  // namespace zt640
