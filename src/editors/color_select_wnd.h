#pragma once

#include <QPointer>
#include <QRgb>
#include <QString>
#include <string>

#include "profiles/colour_palette_file.h"
#include "ui/window_impl_base.h"

class QButtonGroup;
class QLineEdit;
class QPushButton;
class QTimer;

namespace zt640 {

namespace ui {
class ColourPalette;
}

/// The colour palette dialog: twenty preset colours, twenty collected slots, a palette
/// ("Pallet"), a preview ("color_show_btn") and red, green and blue boxes
/// ("color_edit_r/g/b", 0-255). Every colour the user chooses (a preset, a used
/// collected slot, the palette, the boxes) is shown by all of them and goes into the
/// selected collected slot, which becomes used; the palette file is then saved.
///
/// Clicking an unused (white) collected slot selects it as the slot the next chosen
/// colour goes into; it is never a colour source. "okbtn" ends the dialog with 1, the
/// close buttons with 0, or 2 when the skin holds no palette control. With multicolour
/// allowed the option "7color" is offered; while it is selected the preview shows a
/// rainbow, and choosing any colour clears it.
class CColorSelectWnd : public ui::WindowImplBase {
  Q_OBJECT
 public:
  /// `palette_path` is the user's palette file (read and written), `defaults_path` the
  /// shipped one, read when the user's is missing, empty or unreadable.
  CColorSelectWnd(QWidget* owner, std::string palette_path, std::string defaults_path, bool allow_multicolour);
  ~CColorSelectWnd() override;

  /// Builds the dialog (800 x 572 at 96 dpi) and fills it from the palette file with
  /// `initial` as the colour shown. False with `error` when the skin cannot be built.
  [[nodiscard]] bool Setup(QRgb initial, int dpi, QString* error);

  /// The colour chosen last (alpha 0xFF); the initial colour until the user chose one.
  [[nodiscard]] QRgb SelectedColour() const { return colour_; }
  /// True when the multicolour option was selected when the dialog ended.
  [[nodiscard]] bool MulticolourChosen() const;

  /// Opens the dialog over `owner`; returns the result (1/0/2) and the colour. A dialog
  /// that cannot be built returns 2 with `initial` as the colour.
  static int Pick(QWidget* owner, const std::string& palette_path, const std::string& defaults_path,
                  bool allow_multicolour, QRgb initial, int dpi, QRgb* chosen, bool* multicolour);

  void Notify(const ui::Notification& notification) override;
  QWidget* CreateControl(const QString& class_name, QWidget* parent) override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void PaintSlots();
  void PaintPreset(int index);
  void PaintCollected(int index);
  void RestoreSelections();

  void OnPresetClicked(int index);
  void OnCollectedClicked(int index);
  void OnEditChanged(QLineEdit* source);
  void OnEditFinished(QLineEdit* source);

  /// Makes `colour` the chosen one: shows it everywhere, clears multicolour, stores it in
  /// the selected collected slot and saves (`save_now` false delays the save a little,
  /// for palette drags).
  void ChooseColour(QRgb colour, const QObject* source, bool save_now);
  /// Shows `colour` in the preview, the palette and the boxes, except in `source`.
  void ShowColour(QRgb colour, const QObject* source);
  void ShowPreview();
  void SetMulticolour(bool on);
  void SaveFile();
  void Finish(int result);

  [[nodiscard]] QLineEdit* Edit(int channel) const;

  QPointer<QWidget> owner_;
  std::string palette_path_;
  std::string defaults_path_;
  bool allow_multicolour_ = false;
  ColourPaletteFile file_;
  bool file_loaded_ = false;
  bool dirty_ = false;
  QRgb colour_ = 0xFFFFFFFF;
  bool multicolour_ = false;
  /// Set while the dialog itself writes into its controls, whose change notifications
  /// are then no user input.
  bool filling_ = false;
  ui::ColourPalette* palette_ = nullptr;
  QPushButton* multicolour_option_ = nullptr;
  QButtonGroup* presets_ = nullptr;
  QButtonGroup* collected_ = nullptr;
  QTimer* save_timer_ = nullptr;
};

}  // namespace zt640
