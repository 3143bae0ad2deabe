#pragma once

#include <QColor>
#include <QString>
#include <functional>
#include <string>

namespace zt640::ui {

/// How a panel asks the user something. The main window supplies its message box and
/// file dialogs; tests supply scripted answers.
struct PanelPrompts {
  /// Shows the message (a language key or plain text) with button mode 0 (confirm only)
  /// or 1 (confirm and cancel); returns 1 when confirmed, else 0.
  std::function<int(const QString& text, int mode)> message;
  /// Asks for a file to open (`save` false) or to write; `filter` is the dialog's filter
  /// text, e.g. "Profile Files(*.json)". An empty result means the user cancelled.
  std::function<QString(const QString& filter, bool save, const QString& suggested_name)> file;

  /// Asks for a colour in the palette dialog, starting from `initial`; the palette
  /// file lives at `palette_path` (the defaults' copy at `defaults_path`). Returns 1
  /// with the colour (and whether the multicolour choice was taken, when offered),
  /// else 0.
  std::function<int(QRgb initial, bool allow_multicolour, const std::string& palette_path,
                    const std::string& defaults_path, QRgb* chosen, bool* multicolour)>
      colour;

  [[nodiscard]] int Message(const QString& text, int mode) const { return message ? message(text, mode) : 0; }
  [[nodiscard]] QString File(const QString& filter, bool save, const QString& suggested_name = {}) const {
    return file ? file(filter, save, suggested_name) : QString();
  }
};

}  // namespace zt640::ui
