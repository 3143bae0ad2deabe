// The lighting editor's audio sub-panel: the audio light setting of modes 29 and 30
// (audio mode, background and bar colours, which of the two the colour controls edit).
#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>

#include <array>

#include "editors/light_control_ui.h"
#include "ui/colour_palette.h"

namespace zt640 {

namespace {
constexpr char kMulticolourCheck[] = "deng_7audiocolor_check";
constexpr char kBackgroundCheck[] = "audio_BkColor_check";
constexpr char kForegroundCheck[] = "audio_FgColor_check";
constexpr std::array<const char*, 3> kAudioBoxes = {"deng_audioedit_R", "deng_audioedit_G", "deng_audioedit_B"};
constexpr char kAudioModes[] = "light_combo_audiomodeSelect";
constexpr char kAudioPalette[] = "deng_audioColor_Pallet";
constexpr char kAudioShownColour[] = "deng_audiocolordp_btn";
constexpr char kAudioPresetPrefix[] = "audiocolor_option_";
constexpr char kCloseBackground[] = "Close_bkColor_btn";
constexpr char kColourGroup[] = "light_audiocolor_layout";
constexpr char kPaletteGroup[] = "audiocolorpallet_layout";
constexpr char kColourProperty[] = "colour";
/// The audio mode that has no colours to choose.
constexpr std::uint8_t kColourlessAudioMode = 3;
constexpr std::uint8_t kTargetBackground = 0;
constexpr std::uint8_t kTargetForeground = 1;

bool Is(const QString& name, const char* control) { return name.compare(QLatin1String(control), Qt::CaseInsensitive) == 0; }

QRgb Opaque(int red, int green, int blue) { return 0xFF000000u | qRgb(red, green, blue); }

/// The colour a colour button shows (its colour property, else its palette), alpha 0xFF.
QRgb ButtonColour(const QAbstractButton* button) {
  const QColor colour(button->property(kColourProperty).toString());
  if (colour.isValid()) return colour.rgb() | 0xFF000000u;
  return button->palette().color(QPalette::Button).rgb() | 0xFF000000u;
}

/// `colour` into the colour the setting's target selects; the bar colour loses its
/// multicolour flag.
void IntoTarget(AudioLightSetting& setting, QRgb colour) {
  if (setting.color_type == kTargetForeground) {
    setting.foreground_red = static_cast<std::uint8_t>(qRed(colour));
    setting.foreground_green = static_cast<std::uint8_t>(qGreen(colour));
    setting.foreground_blue = static_cast<std::uint8_t>(qBlue(colour));
    setting.seven_color = 0;
  } else {
    setting.background_red = static_cast<std::uint8_t>(qRed(colour));
    setting.background_green = static_cast<std::uint8_t>(qGreen(colour));
    setting.background_blue = static_cast<std::uint8_t>(qBlue(colour));
  }
}

QRgb TargetColour(const AudioLightSetting& setting) {
  return setting.color_type == kTargetForeground
             ? Opaque(setting.foreground_red, setting.foreground_green, setting.foreground_blue)
             : Opaque(setting.background_red, setting.background_green, setting.background_blue);
}
}  // namespace

CLightControlUI::AudioWidgets CLightControlUI::Audio() const {
  AudioWidgets widgets;
  widgets.multicolour = findChild<QAbstractButton*>(QLatin1String(kMulticolourCheck));
  widgets.background_check = findChild<QAbstractButton*>(QLatin1String(kBackgroundCheck));
  widgets.foreground_check = findChild<QAbstractButton*>(QLatin1String(kForegroundCheck));
  for (std::size_t i = 0; i < kAudioBoxes.size(); ++i) {
    widgets.boxes[i] = findChild<QLineEdit*>(QLatin1String(kAudioBoxes[i]));
  }
  widgets.shown_colour = findChild<QAbstractButton*>(QLatin1String(kAudioShownColour));
  widgets.colour_group = findChild<QWidget*>(QLatin1String(kColourGroup));
  widgets.palette_group = findChild<QWidget*>(QLatin1String(kPaletteGroup));
  return widgets;
}

void CLightControlUI::ShowAudioColour(const AudioWidgets& widgets, QRgb colour) {
  const std::array<int, 3> parts = {qRed(colour), qGreen(colour), qBlue(colour)};
  for (std::size_t i = 0; i < widgets.boxes.size(); ++i) {
    if (!widgets.boxes[i]) continue;
    const QSignalBlocker quiet(widgets.boxes[i]);
    widgets.boxes[i]->setText(QString::number(parts[i]));
  }
  if (audio_palette_) {
    const QSignalBlocker quiet(audio_palette_);
    audio_palette_->SetColour(colour);
  }
  if (widgets.shown_colour) {
    const QString text = QColor(colour).name(QColor::HexRgb);
    widgets.shown_colour->setProperty(kColourProperty, text);
    widgets.shown_colour->setStyleSheet(QStringLiteral("background-color: %1;").arg(text));
  }
}

void CLightControlUI::SetAudioLightInfo(const AudioLightSetting& setting) {
  const AudioWidgets widgets = Audio();
  if (audio_modes_) {
    const QSignalBlocker quiet(audio_modes_);
    audio_modes_->setCurrentIndex(setting.audio_mode < audio_modes_->count() ? setting.audio_mode : -1);
  }
  const bool foreground = setting.color_type == kTargetForeground;
  const auto check = [](const QPointer<QAbstractButton>& button, bool checked) {
    if (!button) return;
    const QSignalBlocker quiet(button);
    // The two target checks exclude each other: a check is cleared only with exclusivity off.
    const bool exclusive = button->autoExclusive();
    button->setAutoExclusive(false);
    button->setChecked(checked);
    button->setAutoExclusive(exclusive);
  };
  check(widgets.background_check, !foreground);
  check(widgets.foreground_check, foreground);
  if (foreground) check(widgets.multicolour, setting.seven_color != 0);
  ShowAudioColour(widgets, TargetColour(setting));
  const bool colours = setting.audio_mode != kColourlessAudioMode;
  if (widgets.colour_group) widgets.colour_group->setVisible(colours);
  if (widgets.palette_group) widgets.palette_group->setVisible(colours);
}

AudioLightSetting CLightControlUI::GetAudioLightInfo(const AudioLightSetting& current, bool take_colour) const {
  const AudioWidgets widgets = Audio();
  AudioLightSetting setting = current;
  if (audio_modes_ && audio_modes_->currentIndex() >= 0) {
    setting.audio_mode = static_cast<std::uint8_t>(audio_modes_->currentIndex());
  }
  setting.seven_color = widgets.multicolour && widgets.multicolour->isChecked() ? 1 : 0;
  if (setting.color_type == kTargetForeground && widgets.background_check && widgets.background_check->isChecked()) {
    setting.color_type = kTargetBackground;
  } else if (setting.color_type == kTargetBackground && widgets.foreground_check &&
             widgets.foreground_check->isChecked()) {
    setting.color_type = kTargetForeground;
  }
  if (take_colour && widgets.shown_colour) {
    const QRgb shown = ButtonColour(widgets.shown_colour);
    // Taking the shown colour is no choice of colour: the multicolour flag stays as read.
    const std::uint8_t multicolour = setting.seven_color;
    IntoTarget(setting, shown);
    setting.seven_color = multicolour;
  }
  return setting;
}

std::optional<AudioLightSetting> CLightControlUI::OnAudioNotify(const QString& kind, const QString& name, qint64,
                                                                const AudioLightSetting& current) {
  const bool click = kind == QLatin1String("click");
  if ((kind == QLatin1String("itemselect") && Is(name, kAudioModes)) || (click && Is(name, kMulticolourCheck))) {
    return GetAudioLightInfo(current, true);
  }
  if (click && (Is(name, kBackgroundCheck) || Is(name, kForegroundCheck))) return GetAudioLightInfo(current, false);
  if (kind == QLatin1String("colorchanged") && Is(name, kAudioPalette)) {
    AudioLightSetting setting = GetAudioLightInfo(current, true);
    IntoTarget(setting, audio_palette_ ? audio_palette_->Colour() | 0xFF000000u : 0xFF000000u);
    return setting;
  }
  if (click && name.startsWith(QLatin1String(kAudioPresetPrefix), Qt::CaseInsensitive)) {
    const auto* preset = findChild<QAbstractButton*>(name);
    AudioLightSetting setting = GetAudioLightInfo(current, true);
    IntoTarget(setting, preset != nullptr ? ButtonColour(preset) : 0);
    return setting;
  }
  if (kind == QLatin1String("killfocus")) {
    for (std::size_t i = 0; i < kAudioBoxes.size(); ++i) {
      if (!Is(name, kAudioBoxes[i])) continue;
      const auto* box = findChild<QLineEdit*>(QLatin1String(kAudioBoxes[i]));
      AudioLightSetting setting = GetAudioLightInfo(current, false);
      const auto value = static_cast<std::uint8_t>(CorrectedComponent(box != nullptr ? box->text() : QString()));
      QRgb colour = TargetColour(setting);
      colour = Opaque(i == 0 ? value : qRed(colour), i == 1 ? value : qGreen(colour), i == 2 ? value : qBlue(colour));
      IntoTarget(setting, colour);
      return setting;
    }
  }
  if (click && Is(name, kCloseBackground)) {
    AudioLightSetting setting = GetAudioLightInfo(current, true);
    setting.background_red = setting.background_green = setting.background_blue = 0;
    return setting;
  }
  return std::nullopt;
}

}  // namespace zt640
