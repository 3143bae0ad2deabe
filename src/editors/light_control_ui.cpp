#include "editors/light_control_ui.h"

#include <QAbstractButton>
#include <QColor>
#include <QComboBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListView>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QSlider>
#include <QStackedWidget>
#include <QStandardItemModel>
#include <algorithm>
#include <memory>

#include "devices/light_state.h"
#include "ui/colour_palette.h"
#include "ui/embedded_skin.h"
#include "ui/resource_manager.h"

namespace zt640 {

namespace {

constexpr char kModeList[] = "light_combo_modeSelect";
constexpr char kOptionColourList[] = "light_combo_ZZCCmodeSelect";
constexpr char kCustomSlotList[] = "light_combo_custommodeSelect";
constexpr char kAudioModeList[] = "light_combo_audiomodeSelect";
constexpr char kBrightness[] = "deng_light_slider";
constexpr char kSpeed[] = "deng_speed_slider";
constexpr char kBrightnessValue[] = "deng_light_value";
constexpr char kSpeedValue[] = "deng_speed_value";
constexpr char kDirectionFirst[] = "deng_FXL_check";
constexpr char kDirectionSecond[] = "deng_FXR_check";
constexpr char kMulticolour[] = "deng_7color_check";
constexpr std::array<const char*, 3> kBoxes = {"deng_edit_R", "deng_edit_G", "deng_edit_B"};
constexpr char kPalette[] = "deng_Color_Pallet";
constexpr char kAudioPalette[] = "deng_audioColor_Pallet";
constexpr char kShownColour[] = "deng_colordp_btn";
constexpr char kAudioShownColour[] = "deng_audiocolordp_btn";
constexpr char kPresetPrefix[] = "color_option_";
constexpr char kAudioPresetPrefix[] = "audiocolor_option_";
constexpr char kSameMode[] = "deng_same_mode";
constexpr char kPages[] = "light_color_tablayout";

/// Colour property of the preset buttons and the colour buttons ("#rrggbb").
constexpr char kColourProperty[] = "colour";
constexpr char kTextKeyProperty[] = "textKey";

/// Entries of the mode 17 colour list, by light state byte 11.
constexpr int kOptionColourCount = 4;
/// Entries of the music effect list.
constexpr int kAudioModeCount = 7;

bool Is(const QString& name, const char* control) {
  return name.compare(QLatin1String(control), Qt::CaseInsensitive) == 0;
}

uint8_t ToByte(qint64 value) { return static_cast<uint8_t>(std::clamp<qint64>(value, 0, 255)); }

QString ColourText(QRgb colour) { return QColor(colour).name(QColor::HexRgb); }

/// Paints a button's background with `colour` and remembers it in its colour property.
void PaintButton(QAbstractButton* button, QRgb colour) {
  button->setProperty(kColourProperty, ColourText(colour));
  button->setStyleSheet(QStringLiteral("background-color: %1;").arg(ColourText(colour)));
}

/// The colour a preset or colour button shows, alpha 0xFF.
QRgb ButtonColour(const QAbstractButton* button) {
  const QColor colour(button->property(kColourProperty).toString());
  if (colour.isValid()) return colour.rgb() | 0xFF000000u;
  return button->palette().color(QPalette::Button).rgb() | 0xFF000000u;
}

template <typename T>
T* Find(QWidget* skin, const char* name) {
  return skin->findChild<T*>(QLatin1String(name));
}

ui::LanguageManager& Language() { return ui::ResourceManager::Instance().Language(); }

/// The language's text for `key`, or `fallback` when the language has none.
QString TextOr(const QString& key, const QString& fallback) {
  return Language().HasText(key) ? Language().Text(key) : fallback;
}

}  // namespace

CLightControlUI::CLightControlUI(QWidget* parent) : QWidget(parent) {
  setProperty("controlClass", QStringLiteral("CLightControlUI"));
  QWidget* skin = ui::EmbedSkin(this, QLatin1String(kSkinFile), "lighting panel");
  if (skin == nullptr) return;
  AdoptPalette(skin, kPalette, palette_);
  AdoptPalette(skin, kAudioPalette, audio_palette_);
  FindWidgets(skin);
  PaintPresets(skin);

  for (QComboBox* list : {modes_.data(), option_colours_.data(), custom_slots_.data(), audio_modes_.data()}) {
    // A list view of our own, so a hidden mode can keep its row.
    if (list != nullptr) list->setView(new QListView(list));
  }
  const QRegularExpression digits(QStringLiteral("[0-9]{0,3}"));
  for (QLineEdit* box : skin->findChildren<QLineEdit*>()) {
    box->setValidator(new QRegularExpressionValidator(digits, box));
  }
  for (QSlider* slider : {brightness_.data(), speed_.data()}) {
    if (slider != nullptr) connect(slider, &QSlider::valueChanged, this, [this] { RefreshValueLabels(); });
  }

  Language().Bind(skin);
  connect(&Language(), &ui::LanguageManager::LanguageChanged, this, [this] { RefreshTexts(); });
  RefreshOptionColourNames();
  RefreshAudioModeNames();
  ShowColour(qRgb(255, 255, 255));
  if (audio_palette_) audio_palette_->SetColour(qRgb(255, 255, 255));
  if (auto* audio_shown = Find<QAbstractButton>(skin, kAudioShownColour)) PaintButton(audio_shown, qRgb(255, 255, 255));
  RefreshValueLabels();
  ApplyModeLayout(kind_, -1);
}

void CLightControlUI::AdoptPalette(QWidget* skin, const char* name, QPointer<ui::ColourPalette>& palette) {
  QWidget* placeholder = skin->findChild<QWidget*>(QLatin1String(name));
  if (placeholder == nullptr) return;
  if (auto* existing = qobject_cast<ui::ColourPalette*>(placeholder)) {
    palette = existing;
    return;
  }
  // The skin holds a plain widget where the palette goes; the palette takes its
  // place, name and size.
  QWidget* holder = placeholder->parentWidget();
  QLayout* layout = holder != nullptr ? holder->layout() : nullptr;
  if (layout == nullptr) return;
  auto* created = new ui::ColourPalette(holder);
  created->setObjectName(QLatin1String(name));
  created->setMinimumSize(placeholder->minimumSize());
  created->setMaximumSize(placeholder->maximumSize());
  created->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  std::unique_ptr<QLayoutItem> replaced(layout->replaceWidget(placeholder, created));
  delete placeholder;
  palette = created;
}

void CLightControlUI::FindWidgets(QWidget* skin) {
  modes_ = Find<QComboBox>(skin, kModeList);
  option_colours_ = Find<QComboBox>(skin, kOptionColourList);
  custom_slots_ = Find<QComboBox>(skin, kCustomSlotList);
  audio_modes_ = Find<QComboBox>(skin, kAudioModeList);
  brightness_ = Find<QSlider>(skin, kBrightness);
  speed_ = Find<QSlider>(skin, kSpeed);
  brightness_value_ = Find<QLabel>(skin, kBrightnessValue);
  speed_value_ = Find<QLabel>(skin, kSpeedValue);
  direction_first_ = Find<QAbstractButton>(skin, kDirectionFirst);
  direction_second_ = Find<QAbstractButton>(skin, kDirectionSecond);
  multicolour_ = Find<QAbstractButton>(skin, kMulticolour);
  for (size_t i = 0; i < kBoxes.size(); ++i) boxes_[i] = Find<QLineEdit>(skin, kBoxes[i]);
  shown_colour_ = Find<QAbstractButton>(skin, kShownColour);
  same_mode_ = Find<QAbstractButton>(skin, kSameMode);
  pages_ = Find<QStackedWidget>(skin, kPages);
  effect_group_ = Find<QWidget>(skin, "lighteffect_layout");
  colour_group_ = Find<QWidget>(skin, "deng_color_layout");
  palette_group_ = Find<QWidget>(skin, "colorpallet_layout");
  brightness_group_ = Find<QWidget>(skin, "deng_light_layout");
  speed_group_ = Find<QWidget>(skin, "deng_speed_layout");
  direction_group_ = Find<QWidget>(skin, "deng_fx_layout");
  colour_tab_ = Find<QWidget>(skin, "light_color_layout");
  custom_slot_row_ = Find<QWidget>(skin, "lightcustom_layout");
  mode17_row_ = Find<QWidget>(skin, "light_combo_ZZCCmodeSelectLayout");
  audio_row_ = Find<QWidget>(skin, "light_combo_AudiomodeSelectLayout");
}

void CLightControlUI::PaintPresets(QWidget* skin) {
  for (QAbstractButton* button : skin->findChildren<QAbstractButton*>()) {
    const QString name = button->objectName();
    if (!name.startsWith(QLatin1String(kPresetPrefix)) && !name.startsWith(QLatin1String(kAudioPresetPrefix))) continue;
    PaintButton(button, ButtonColour(button));
  }
}

void CLightControlUI::SetModeList(const std::vector<LightModeName>& modes, int brightness_max, int speed_max) {
  mode_names_ = modes;
  if (modes_) {
    const QSignalBlocker blocker(modes_);
    const int selected = modes_->currentIndex();
    modes_->clear();
    auto* model = qobject_cast<QStandardItemModel*>(modes_->model());
    auto* view = qobject_cast<QListView*>(modes_->view());
    for (size_t i = 0; i < modes.size(); ++i) {
      const int row = static_cast<int>(i);
      modes_->addItem(QString());
      modes_->setItemData(row, QSize(0, kEntryHeight), Qt::SizeHintRole);
      // A hidden mode keeps its row, so rows always equal mode indices; it can
      // neither be seen in the list nor reached with the keys.
      if (model != nullptr && model->item(row) != nullptr) model->item(row)->setEnabled(modes[i].visible);
      if (view != nullptr) view->setRowHidden(row, !modes[i].visible);
    }
    modes_->setCurrentIndex(selected < modes_->count() ? selected : -1);
  }
  RefreshModeNames();
  for (const auto& [slider, maximum] : {std::pair{brightness_.data(), brightness_max}, std::pair{speed_.data(), speed_max}}) {
    if (slider == nullptr) continue;
    const QSignalBlocker blocker(slider);
    slider->setMaximum(std::max(0, maximum));
  }
  RefreshValueLabels();
}

void CLightControlUI::SetLightInfo(const std::array<uint32_t, 4>& words) {
  const LightState state = LightState::FromWords(words);
  const int mode = state.mode();
  if (modes_) {
    const QSignalBlocker blocker(modes_);
    modes_->setCurrentIndex(mode < modes_->count() ? mode : -1);
  }
  for (const auto& [slider, value] :
       {std::pair{brightness_.data(), state.brightness()}, std::pair{speed_.data(), state.speed()}}) {
    if (slider == nullptr) continue;
    const QSignalBlocker blocker(slider);
    slider->setValue(value);
  }
  RefreshValueLabels();
  if (direction_first_ && direction_second_) {
    const QSignalBlocker first(direction_first_);
    const QSignalBlocker second(direction_second_);
    (state.forward() ? direction_first_ : direction_second_)->setChecked(true);
  }
  if (multicolour_) {
    const QSignalBlocker blocker(multicolour_);
    multicolour_->setChecked(state.multicolour());
  }
  ShowColour(qRgb(state.bytes[LightState::kRed], state.bytes[LightState::kGreen], state.bytes[LightState::kBlue]));
  if (option_colours_) {
    // Any option past the list shows the same colour as option 0.
    const QSignalBlocker blocker(option_colours_);
    const int option = state.bytes[LightState::kModeOption];
    option_colours_->setCurrentIndex(option < option_colours_->count() ? option : 0);
  }
  if (custom_slots_) {
    const QSignalBlocker blocker(custom_slots_);
    const int slot = state.custom_slot();
    custom_slots_->setCurrentIndex(slot < custom_slots_->count() ? slot : -1);
  }
  ApplyModeLayout(kind_, mode);
}

void CLightControlUI::SetDeviceKind(DeviceKind kind) {
  kind_ = kind;
  RefreshModeNames();
  ApplyModeLayout(kind_, layout_mode_);
}

void CLightControlUI::SetSameModeAllowed(bool allowed) {
  same_mode_allowed_ = allowed;
  ApplyModeLayout(layout_kind_, layout_mode_);
}

void CLightControlUI::ApplyModeLayout(DeviceKind kind, int mode) {
  layout_kind_ = kind;
  layout_mode_ = mode;
  layout_ = ModeLayout(kind, mode, same_mode_allowed_);
  ApplyLayout();
}

void CLightControlUI::ApplyLayout() {
  const LightModeLayout& layout = layout_;
  const auto enable = [](QWidget* widget, bool enabled) {
    if (widget != nullptr) widget->setEnabled(enabled);
  };
  const auto show = [](QWidget* widget, bool shown) {
    if (widget != nullptr) widget->setVisible(shown);
  };
  enable(effect_group_, true);
  enable(multicolour_, layout.multicolour);
  enable(colour_group_, layout.colour);
  enable(palette_group_, layout.palette);
  enable(brightness_group_, layout.brightness);
  enable(speed_group_, layout.speed);
  show(speed_group_, !layout.speed_hidden);
  if (layout.direction_touched) enable(direction_group_, layout.direction);
  RefreshDirectionLabels();
  show(custom_slot_row_, layout.custom_slot_row);
  show(mode17_row_, layout.mode17_row);
  show(audio_row_, layout.audio_row);
  enable(colour_tab_, layout.colour_tab);
  if (pages_ && layout.page < pages_->count()) {
    const QSignalBlocker blocker(pages_);
    pages_->setCurrentIndex(layout.page);
  }
  show(same_mode_, layout.same_mode);
}

int CLightControlUI::GetSelectedMode() const { return modes_ ? modes_->currentIndex() : -1; }
int CLightControlUI::GetBrightness() const { return brightness_ ? brightness_->value() : 0; }
int CLightControlUI::GetSpeed() const { return speed_ ? speed_->value() : 0; }
int CLightControlUI::GetRed() const { return BoxValue(boxes_[0]); }
int CLightControlUI::GetGreen() const { return BoxValue(boxes_[1]); }
int CLightControlUI::GetBlue() const { return BoxValue(boxes_[2]); }
QRgb CLightControlUI::GetPaletteColour() const { return palette_ ? (palette_->Colour() | 0xFF000000u) : 0xFF000000u; }
bool CLightControlUI::IsMulticolour() const { return multicolour_ && multicolour_->isChecked(); }

int CLightControlUI::BoxValue(const QLineEdit* box) const { return box != nullptr ? CorrectedComponent(box->text()) : 0; }

int CLightControlUI::CorrectedComponent(const QString& text) {
  const QString trimmed = text.trimmed();
  qsizetype digits = 0;
  while (digits < trimmed.size() && trimmed[digits].isDigit()) ++digits;
  if (digits == 0) return 0;
  // Leading zeros aside, more than three digits is always above 255.
  const QString number = trimmed.left(digits);
  qsizetype first = 0;
  while (first < number.size() - 1 && number[first] == QLatin1Char('0')) ++first;
  if (number.size() - first > 3) return 255;
  return std::min(number.mid(first).toInt(), 255);
}

void CLightControlUI::SetCustomSlotList(int count) {
  custom_slot_count_ = std::max(0, count);
  if (!custom_slots_) return;
  const QSignalBlocker blocker(custom_slots_);
  const int selected = custom_slots_->currentIndex();
  custom_slots_->clear();
  for (int i = 0; i < custom_slot_count_; ++i) {
    custom_slots_->addItem(QString());
    custom_slots_->setItemData(i, QSize(0, kEntryHeight), Qt::SizeHintRole);
  }
  custom_slots_->setCurrentIndex(selected < custom_slot_count_ ? selected : -1);
  RefreshCustomSlotNames();
}

int CLightControlUI::GetCustomSlot() const { return custom_slots_ ? custom_slots_->currentIndex() : 0; }

std::optional<std::vector<CLightControlUI::ByteEdit>> CLightControlUI::OnNotify(const QString& kind, const QString& name,
                                                                               qint64 wparam) {
  using Edits = std::vector<ByteEdit>;
  if (Is(name, kModeList) || Is(name, kOptionColourList) || Is(name, kCustomSlotList)) {
    if (kind != QLatin1String("itemselect") || wparam < 0) return Edits{};
    if (Is(name, kModeList)) {
      ApplyModeLayout(kind_, static_cast<int>(wparam));
      return Edits{{static_cast<int>(LightState::kMode), ToByte(wparam)}};
    }
    const size_t byte = Is(name, kOptionColourList) ? LightState::kModeOption : LightState::kCustomSlot;
    return Edits{{static_cast<int>(byte), ToByte(wparam)}};
  }
  if (Is(name, kBrightness) || Is(name, kSpeed)) {
    if (kind != QLatin1String("valuechanged")) return Edits{};
    const size_t byte = Is(name, kBrightness) ? LightState::kBrightness : LightState::kSpeed;
    return Edits{{static_cast<int>(byte), ToByte(wparam)}};
  }
  if (Is(name, kDirectionFirst) || Is(name, kDirectionSecond)) {
    // Each of the pair reports its own change; only the newly checked one asks for an edit.
    if (kind != QLatin1String("selectchanged") || wparam == 0) return Edits{};
    return Edits{{static_cast<int>(LightState::kDirection), static_cast<uint8_t>(Is(name, kDirectionFirst) ? 1 : 0)}};
  }
  if (Is(name, kMulticolour)) {
    if (kind != QLatin1String("selectchanged")) return Edits{};
    return Edits{{static_cast<int>(LightState::kMulticolour), static_cast<uint8_t>(wparam != 0 ? 1 : 0)}};
  }
  for (size_t i = 0; i < kBoxes.size(); ++i) {
    if (!Is(name, kBoxes[i])) continue;
    QLineEdit* box = boxes_[i];
    if (kind != QLatin1String("killfocus") || box == nullptr) return Edits{};
    const int value = CorrectedComponent(box->text());
    ShowColour(qRgb(i == 0 ? value : GetRed(), i == 1 ? value : GetGreen(), i == 2 ? value : GetBlue()));
    return Edits{{static_cast<int>(LightState::kRed + i), static_cast<uint8_t>(value)}};
  }
  if (Is(name, kPalette)) {
    if (kind != QLatin1String("colorchanged")) return Edits{};
    const QRgb colour = static_cast<QRgb>(wparam) | 0xFF000000u;
    ShowColour(colour);
    return ColourEdits(colour);
  }
  if (Is(name, kShownColour)) return Edits{};
  if (name.startsWith(QLatin1String(kPresetPrefix), Qt::CaseInsensitive)) {
    auto* preset = findChild<QAbstractButton*>(name);
    if (preset == nullptr) return std::nullopt;
    if (kind != QLatin1String("click")) return Edits{};
    const QRgb colour = ButtonColour(preset);
    ShowColour(colour);
    return ColourEdits(colour);
  }
  return std::nullopt;
}

std::vector<CLightControlUI::ByteEdit> CLightControlUI::ColourEdits(QRgb colour) const {
  return {{static_cast<int>(LightState::kRed), static_cast<uint8_t>(qRed(colour))},
          {static_cast<int>(LightState::kGreen), static_cast<uint8_t>(qGreen(colour))},
          {static_cast<int>(LightState::kBlue), static_cast<uint8_t>(qBlue(colour))}};
}

void CLightControlUI::ShowColour(QRgb colour) {
  const std::array<int, 3> parts = {qRed(colour), qGreen(colour), qBlue(colour)};
  for (size_t i = 0; i < boxes_.size(); ++i) {
    if (!boxes_[i]) continue;
    const QSignalBlocker blocker(boxes_[i]);
    boxes_[i]->setText(QString::number(parts[i]));
  }
  const QRgb opaque = colour | 0xFF000000u;
  if (palette_) {
    const QSignalBlocker blocker(palette_);
    palette_->SetColour(opaque);
  }
  if (shown_colour_) PaintButton(shown_colour_, opaque);
}

void CLightControlUI::RefreshTexts() {
  RefreshModeNames();
  RefreshOptionColourNames();
  RefreshCustomSlotNames();
  RefreshAudioModeNames();
  RefreshDirectionLabels();
}

void CLightControlUI::RefreshModeNames() {
  if (!modes_) return;
  const QSignalBlocker blocker(modes_);
  const int count = std::min(modes_->count(), static_cast<int>(mode_names_.size()));
  for (int i = 0; i < count; ++i) {
    const QString name = QString::fromStdString(mode_names_[static_cast<size_t>(i)].name);
    // Keyboard modes have a language text by index; a catalogue name may itself be a key.
    QString text = TextOr(name, name);
    if (kind_ == DeviceKind::kKeyboard) text = TextOr(QStringLiteral("light_mode_%1").arg(i), text);
    modes_->setItemText(i, text);
  }
}

void CLightControlUI::RefreshOptionColourNames() {
  if (!option_colours_) return;
  const QSignalBlocker blocker(option_colours_);
  const int selected = option_colours_->currentIndex();
  option_colours_->clear();
  for (int i = 0; i < kOptionColourCount; ++i) {
    const QString key = QStringLiteral("light_option_colour_%1").arg(i);
    option_colours_->addItem(TextOr(key, QString::number(i)));
    option_colours_->setItemData(i, QSize(0, kEntryHeight), Qt::SizeHintRole);
  }
  option_colours_->setCurrentIndex(selected >= 0 ? selected : 0);
}

void CLightControlUI::RefreshCustomSlotNames() {
  if (!custom_slots_) return;
  const QSignalBlocker blocker(custom_slots_);
  const QString label = TextOr(QStringLiteral("light_custom_slot_text"), QString());
  for (int i = 0; i < custom_slots_->count(); ++i) {
    custom_slots_->setItemText(i, (label.isEmpty() ? QString() : label + QLatin1Char(' ')) + QString::number(i + 1));
  }
}

void CLightControlUI::RefreshAudioModeNames() {
  if (!audio_modes_) return;
  const QSignalBlocker blocker(audio_modes_);
  if (audio_modes_->count() != kAudioModeCount) {
    audio_modes_->clear();
    for (int i = 0; i < kAudioModeCount; ++i) {
      audio_modes_->addItem(QString());
      audio_modes_->setItemData(i, QSize(0, kEntryHeight), Qt::SizeHintRole);
    }
    audio_modes_->setCurrentIndex(0);
  }
  for (int i = 0; i < kAudioModeCount; ++i) {
    audio_modes_->setItemText(i, TextOr(QStringLiteral("light_audio_mode_%1").arg(i), QString::number(i)));
  }
}

void CLightControlUI::RefreshDirectionLabels() {
  for (const auto& [button, key] : {std::pair{direction_first_.data(), &layout_.direction_first_key},
                                    std::pair{direction_second_.data(), &layout_.direction_second_key}}) {
    if (button == nullptr) continue;
    const QString text_key = QString::fromStdString(*key);
    // The key travels with the button, so a later language switch re-resolves it.
    button->setProperty(kTextKeyProperty, text_key);
    button->setText(Language().Text(text_key));
  }
}

void CLightControlUI::RefreshValueLabels() {
  if (brightness_ && brightness_value_) brightness_value_->setText(QString::number(brightness_->value()));
  if (speed_ && speed_value_) speed_value_->setText(QString::number(speed_->value()));
}

}  // namespace zt640
