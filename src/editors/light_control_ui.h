#pragma once

#include <QPointer>
#include <QRgb>
#include <QString>
#include <QWidget>
#include <QtGlobal>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "catalogue/device_kind.h"
#include "profiles/light_effect.h"
#include "profiles/light_mode_layout.h"
#include "profiles/light_name_catalogue.h"

class QAbstractButton;
class QComboBox;
class QLabel;
class QLineEdit;
class QSlider;
class QStackedWidget;

namespace zt640 {

namespace ui {
class ColourPalette;
}

/// The lighting editor panel, built from "LightControl.ui": the mode list, brightness
/// and speed, direction, multicolour, the colour (red, green and blue boxes, palette,
/// presets), the option colour of mode 17, the custom colour slot and the music
/// colour controls. The panel only shows and collects values: OnNotify turns a user's
/// action into light state edits, the main window applies them to the device and
/// shows the device's new state with SetLightInfo. Every fill runs with the widgets'
/// signals blocked, so filling never raises a notification that looks like a user's
/// choice. A control missing from the skin makes its setter do nothing and its
/// getter return its neutral value.
class CLightControlUI : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kEntryHeight = 30;
  static constexpr char kSkinFile[] = "LightControl.ui";

  explicit CLightControlUI(QWidget* parent = nullptr);

  /// Refills the mode list, one entry per mode at its mode index; a mode whose
  /// visible flag is false keeps its position but is hidden and cannot be chosen.
  /// Sets the maxima of the brightness and speed sliders.
  void SetModeList(const std::vector<LightModeName>& modes, int brightness_max, int speed_max);
  /// Shows the light state (four little-endian words): mode, brightness, speed,
  /// direction, multicolour, colour, mode 17 colour and custom slot; then applies
  /// the mode's layout for the current device kind.
  void SetLightInfo(const std::array<uint32_t, 4>& words);
  /// The kind whose layout table applies (the keyboard by default). Keyboard mode
  /// names come from the language keys "light_mode_<index>" when the language has
  /// them; other kinds show their catalogue names.
  void SetDeviceKind(DeviceKind kind);
  /// Whether "deng_same_mode" may show at all; re-applies the current layout.
  void SetSameModeAllowed(bool allowed);
  void ApplyModeLayout(DeviceKind kind, int mode);

  /// The chosen mode index, -1 when none.
  [[nodiscard]] int GetSelectedMode() const;
  [[nodiscard]] int GetBrightness() const;
  [[nodiscard]] int GetSpeed() const;
  /// The colour boxes, each read as corrected (0-255).
  [[nodiscard]] int GetRed() const;
  [[nodiscard]] int GetGreen() const;
  [[nodiscard]] int GetBlue() const;
  /// The palette's colour with alpha 0xFF; 0xFF000000 without a palette.
  [[nodiscard]] QRgb GetPaletteColour() const;
  [[nodiscard]] bool IsMulticolour() const;

  /// Refills the custom slot list with `count` slots.
  void SetCustomSlotList(int count);
  /// The chosen custom slot, -1 when none.
  [[nodiscard]] int GetCustomSlot() const;

  /// The layout applied last.
  [[nodiscard]] const LightModeLayout& CurrentLayout() const { return layout_; }

  /// One edit of the light state: byte index and new value.
  struct ByteEdit {
    int byte;
    uint8_t value;
    friend bool operator==(const ByteEdit&, const ByteEdit&) = default;
  };

  /// The edits a user action asks for (empty: none), or nullopt when the name is not
  /// one of the panel's lighting controls ("deng_same_mode" and the music colour
  /// controls have routes of their own). Names are compared without case.
  ///   "itemselect": mode list -> byte 0, mode 17 list -> byte 11, custom slot list
  ///     -> byte 12 (wparam the new row; a negative row asks for nothing).
  ///   "valuechanged": brightness -> byte 1, speed -> byte 2.
  ///   "selectchanged": first direction checked -> byte 3 = 1, second checked -> 0
  ///     (an unchecked one asks for nothing); multicolour -> byte 4.
  ///   "killfocus": red, green, blue box -> byte 5, 6, 7, after the box's text was
  ///     corrected (not a number -> 0, above 255 -> 255).
  ///   "colorchanged": the palette (wparam 0xAARRGGBB) -> bytes 5, 6, 7.
  ///   "click" on "color_option_<n>": that preset's colour -> bytes 5, 6, 7.
  /// Colour choices are shown at once in the boxes, the palette and the colour
  /// button; a mode choice applies that mode's layout at once.
  std::optional<std::vector<ByteEdit>> OnNotify(const QString& kind, const QString& name, qint64 wparam);

  /// The value a colour box's text stands for: not a number -> 0, above 255 -> 255.
  [[nodiscard]] static int CorrectedComponent(const QString& text);

  // The audio sub-panel (light_control_ui_audio.cpp).
  /// Shows an audio light setting: the audio mode, the colour the target selects (the
  /// bar colour with its multicolour flag, or the background), in the boxes, the
  /// palette and the colour button; audio mode 3 hides the two colour groups.
  void SetAudioLightInfo(const AudioLightSetting& setting);
  /// Reads the sub-panel back over `current`: the audio mode, the multicolour flag,
  /// the colour target as the two checks switch it and, with `take_colour`, the colour
  /// button's colour into the colour the (new) target selects.
  [[nodiscard]] AudioLightSetting GetAudioLightInfo(const AudioLightSetting& current, bool take_colour) const;
  /// The setting a user action on the sub-panel asks for, given the device's `current`
  /// one; nullopt when the control is not the sub-panel's or the action changes nothing.
  ///   "itemselect" on the audio mode list, "click" on the multicolour check: read back.
  ///   "click" on either colour check: read back without the colour (the target switches).
  ///   "colorchanged" on the audio palette, "click" on "audiocolor_option_<n>": that
  ///     colour into the target colour (the bar colour clears the multicolour flag).
  ///   "killfocus" on an audio colour box: its corrected value into that component.
  ///   "click" on "Close_bkColor_btn": the background becomes black.
  std::optional<AudioLightSetting> OnAudioNotify(const QString& kind, const QString& name, qint64 wparam,
                                                 const AudioLightSetting& current);

 private:
  void FindWidgets(QWidget* skin);
  static void AdoptPalette(QWidget* skin, const char* name, QPointer<ui::ColourPalette>& palette);
  static void PaintPresets(QWidget* skin);
  void RefreshTexts();
  void RefreshModeNames();
  void RefreshOptionColourNames();
  void RefreshCustomSlotNames();
  void RefreshAudioModeNames();
  void RefreshDirectionLabels();
  void RefreshValueLabels();
  /// Shows a colour in the boxes, the palette and the colour button (no notifications).
  void ShowColour(QRgb colour);
  void ApplyLayout();
  [[nodiscard]] std::vector<ByteEdit> ColourEdits(QRgb colour) const;
  [[nodiscard]] int BoxValue(const QLineEdit* box) const;

  QPointer<QComboBox> modes_;
  QPointer<QComboBox> option_colours_;
  QPointer<QComboBox> custom_slots_;
  QPointer<QComboBox> audio_modes_;
  QPointer<QSlider> brightness_;
  QPointer<QSlider> speed_;
  QPointer<QLabel> brightness_value_;
  QPointer<QLabel> speed_value_;
  QPointer<QAbstractButton> direction_first_;
  QPointer<QAbstractButton> direction_second_;
  QPointer<QAbstractButton> multicolour_;
  std::array<QPointer<QLineEdit>, 3> boxes_;
  QPointer<ui::ColourPalette> palette_;
  QPointer<ui::ColourPalette> audio_palette_;
  QPointer<QAbstractButton> shown_colour_;
  QPointer<QAbstractButton> same_mode_;
  QPointer<QStackedWidget> pages_;
  /// Layout groups by role.
  QPointer<QWidget> effect_group_;
  QPointer<QWidget> colour_group_;
  QPointer<QWidget> palette_group_;
  QPointer<QWidget> brightness_group_;
  QPointer<QWidget> speed_group_;
  QPointer<QWidget> direction_group_;
  QPointer<QWidget> colour_tab_;
  QPointer<QWidget> custom_slot_row_;
  QPointer<QWidget> mode17_row_;
  QPointer<QWidget> audio_row_;
  /// The audio sub-panel, found on first use.
  struct AudioWidgets {
    QPointer<QAbstractButton> multicolour;
    QPointer<QAbstractButton> background_check;
    QPointer<QAbstractButton> foreground_check;
    std::array<QPointer<QLineEdit>, 3> boxes;
    QPointer<QAbstractButton> shown_colour;
    QPointer<QWidget> colour_group;
    QPointer<QWidget> palette_group;
  };
  [[nodiscard]] AudioWidgets Audio() const;
  void ShowAudioColour(const AudioWidgets& widgets, QRgb colour);

  std::vector<LightModeName> mode_names_;
  int custom_slot_count_ = 0;
  DeviceKind kind_ = DeviceKind::kKeyboard;
  bool same_mode_allowed_ = false;
  DeviceKind layout_kind_ = DeviceKind::kKeyboard;
  int layout_mode_ = -1;
  LightModeLayout layout_;
};

}  // namespace zt640
