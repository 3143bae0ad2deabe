#pragma once

#include <QHash>
#include <QString>

#include "ui/language_manager.h"

namespace zt640::ui {

/// The skin folder and what lives in it: the resource index ("res.xml", mapping skin ids
/// such as "XML_MAIN" to skin files), the style sheet and the language texts.
///
/// res.xml: <Resources><Skin id="XML_MAIN" file="MainWnd.ui"/>...</Resources>
class ResourceManager {
 public:
  [[nodiscard]] static ResourceManager& Instance();

  /// The folder skins are found in (the program's "skin" folder).
  void SetResourcePath(const QString& folder);
  [[nodiscard]] const QString& ResourcePath() const { return folder_; }

  /// Reads the resource index from the skin folder; false with `error` when it is
  /// missing or invalid (skin ids then do not resolve).
  [[nodiscard]] bool LoadResource(const QString& index_file, QString* error = nullptr);

  /// The path of a skin: by id from the index, else `id_or_file` as a file name.
  [[nodiscard]] QString SkinPath(const QString& id_or_file) const;

  /// Loads a language file from the skin folder.
  [[nodiscard]] bool LoadLanguage(const QString& file_name, QString* error = nullptr);

  [[nodiscard]] LanguageManager& Language() { return language_; }

  /// The style sheet "style.qss" with every pixel size scaled from 96 to `dpi`; empty
  /// when the file is missing.
  [[nodiscard]] QString StyleSheet(int dpi) const;

  /// The scale the windows are drawn at, in dots per inch (96 until a window
  /// chooses another), and as a factor of 96 for sizes given in 96-dpi pixels.
  void SetScale(int dpi) { dpi_ = dpi > 0 ? dpi : kBaseDpi; }
  [[nodiscard]] int Scale() const { return dpi_; }
  [[nodiscard]] double ScaleFactor() const { return static_cast<double>(dpi_) / kBaseDpi; }

  /// Forgets the index (the language texts stay).
  void Release();

 private:
  static constexpr int kBaseDpi = 96;

  QString folder_;
  int dpi_ = kBaseDpi;
  QHash<QString, QString> skins_;
  LanguageManager language_;
};

/// Multiplies every "<number>px" in a style sheet by dpi / 96 (rounded, at least 1 for a
/// non-zero size).
[[nodiscard]] QString ScaleStyleSheet(const QString& sheet, int dpi);

}  // namespace zt640::ui
