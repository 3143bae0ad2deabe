#include "editors/color_select_wnd.h"

#include <QButtonGroup>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTimer>
#include <QWindow>
#include <array>

#include "platform/diag/debug_output.h"
#include "ui/colour_palette.h"

namespace zt640 {

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 572;
/// A palette drag raises a colour per mouse move; the file is written once it settles.
constexpr int kDragSaveDelayMs = 300;
constexpr std::array<const char*, 3> kEditNames = {"color_edit_r", "color_edit_g", "color_edit_b"};

const QString kPresetPrefix = QStringLiteral("color_option_");
const QString kCollectedPrefix = QStringLiteral("collect_color_option_");

/// The slot number of `name` when it is `prefix` followed by a number 0-19, else -1.
int SlotNumber(const QString& name, const QString& prefix) {
  if (!name.startsWith(prefix)) return -1;
  const QString digits = name.mid(prefix.size());
  if (digits.isEmpty() || digits.size() > 2) return -1;
  for (const QChar c : digits) {
    if (!c.isDigit()) return -1;
  }
  const int number = digits.toInt();
  return number < ColourPaletteFile::kSlotCount ? number : -1;
}

QString Css(QRgb colour) { return QColor::fromRgb(colour).name(QColor::HexRgb); }

QString SwatchStyle(QRgb colour, bool used) {
  if (!used) {
    return QStringLiteral(
        "QPushButton { background: #ffffff; border: 1px dashed #8c94a6; border-radius: 4px; padding: 0px; }"
        "QPushButton:checked { border: 2px dashed #19d3ff; }");
  }
  return QStringLiteral(
             "QPushButton { background: %1; border: none; border-radius: 4px; padding: 0px; }"
             "QPushButton:checked { border: 3px solid #19d3ff; }")
      .arg(Css(colour));
}

/// A box's text as a colour part: empty is 0, more than 255 is 255.
int PartValue(const QString& text, bool* corrected) {
  *corrected = false;
  if (text.isEmpty()) return 0;
  bool ok = false;
  const int value = text.toInt(&ok);
  if (!ok || value < 0) {
    *corrected = true;
    return 0;
  }
  if (value > 255) {
    *corrected = true;
    return 255;
  }
  return value;
}

}  // namespace

CColorSelectWnd::CColorSelectWnd(QWidget* owner, std::string palette_path, std::string defaults_path,
                                 bool allow_multicolour)
    // Not a child of the owner: the owner finds its own controls by name, and the
    // dialog's preset buttons share their names with the lighting panel's.
    : WindowImplBase(QStringLiteral("XML_PALLET"), QStringLiteral("ColorSelectWnd"), nullptr),
      owner_(owner),
      palette_path_(std::move(palette_path)),
      defaults_path_(std::move(defaults_path)),
      allow_multicolour_(allow_multicolour) {
  setWindowFlag(Qt::Dialog, true);
  save_timer_ = new QTimer(this);
  save_timer_->setSingleShot(true);
  save_timer_->setInterval(kDragSaveDelayMs);
  connect(save_timer_, &QTimer::timeout, this, [this] { SaveFile(); });
}

CColorSelectWnd::~CColorSelectWnd() {
  if (dirty_) SaveFile();
}

bool CColorSelectWnd::Setup(QRgb initial, int dpi, QString* error) {
  const double scale = dpi > 0 ? dpi / 96.0 : 1.0;
  if (!Create(QStringLiteral("ColorSelectWnd"), static_cast<int>(kWidth * scale), static_cast<int>(kHeight * scale),
              error)) {
    return false;
  }
  if (owner_ != nullptr && owner_->window()->windowHandle() != nullptr) {
    (void)winId();  // makes the native window now, so it can take a transient parent
    if (windowHandle() != nullptr) windowHandle()->setTransientParent(owner_->window()->windowHandle());
  }

  palette_ = FindControl<ui::ColourPalette>(QStringLiteral("Pallet"));
  multicolour_option_ = FindControl<QPushButton>(QStringLiteral("7color"));
  if (QWidget* layout = FindControl(QStringLiteral("7color_layout"))) {
    layout->setVisible(allow_multicolour_);
    layout->setEnabled(allow_multicolour_);
  }
  if (multicolour_option_ != nullptr) {
    multicolour_option_->setCheckable(true);
    multicolour_option_->setChecked(false);
    multicolour_option_->setVisible(allow_multicolour_);
    multicolour_option_->setEnabled(allow_multicolour_);
  }

  auto* digits = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,3}")), this);
  for (int channel = 0; channel < 3; ++channel) {
    if (QLineEdit* edit = Edit(channel)) {
      edit->setValidator(digits);
      edit->setMaxLength(3);
    }
  }

  presets_ = new QButtonGroup(this);
  collected_ = new QButtonGroup(this);
  for (int i = 0; i < ColourPaletteFile::kSlotCount; ++i) {
    if (auto* button = FindControl<QPushButton>(kPresetPrefix + QString::number(i))) {
      button->setCheckable(true);
      presets_->addButton(button, i);
    }
    if (auto* button = FindControl<QPushButton>(kCollectedPrefix + QString::number(i))) {
      button->setCheckable(true);
      collected_->addButton(button, i);
    }
  }

  const auto loaded = file_.Load(palette_path_, defaults_path_);
  file_loaded_ = loaded != ColourPaletteFile::LoadResult::kNotLoaded;
  if (file_loaded_) {
    PaintSlots();
    RestoreSelections();
  } else {
    platform::DebugOutput("palette file unreadable: " + palette_path_);
  }

  colour_ = initial | 0xFF000000u;
  ShowColour(colour_, nullptr);
  return true;
}

bool CColorSelectWnd::MulticolourChosen() const { return allow_multicolour_ && multicolour_; }

int CColorSelectWnd::Pick(QWidget* owner, const std::string& palette_path, const std::string& defaults_path,
                          bool allow_multicolour, QRgb initial, int dpi, QRgb* chosen, bool* multicolour) {
  if (chosen != nullptr) *chosen = initial;
  if (multicolour != nullptr) *multicolour = false;
  CColorSelectWnd dialog(owner, palette_path, defaults_path, allow_multicolour);
  QString error;
  if (!dialog.Setup(initial, dpi, &error)) {
    platform::DebugOutput("colour dialog not shown: " + error.toStdString());
    return 2;
  }
  const int result = dialog.ShowModal();
  if (chosen != nullptr) *chosen = dialog.SelectedColour();
  if (multicolour != nullptr) *multicolour = dialog.MulticolourChosen();
  return result;
}

QWidget* CColorSelectWnd::CreateControl(const QString& class_name, QWidget* parent) {
  if (class_name == QLatin1String("CColorPaletteUI")) return new ui::ColourPalette(parent);
  return WindowImplBase::CreateControl(class_name, parent);
}

void CColorSelectWnd::showEvent(QShowEvent* event) {
  WindowImplBase::showEvent(event);
  if (owner_ != nullptr && owner_->isVisible()) {
    const QWidget* top = owner_->window();
    move(top->frameGeometry().center() - QPoint(width() / 2, height() / 2));
  }
}

void CColorSelectWnd::Notify(const ui::Notification& notification) {
  const QString& name = notification.sender_name;
  const QString& kind = notification.kind;
  if (kind == QLatin1String("colorchanged")) {
    if (palette_ != nullptr && notification.sender == palette_ && !filling_) {
      ChooseColour(static_cast<QRgb>(notification.wparam), palette_, false);
    }
    return;
  }
  if (kind == QLatin1String("textchanged") || kind == QLatin1String("killfocus") || kind == QLatin1String("return")) {
    if (filling_) return;
    for (int channel = 0; channel < 3; ++channel) {
      QLineEdit* edit = Edit(channel);
      if (edit == nullptr || notification.sender != edit) continue;
      if (kind == QLatin1String("textchanged")) {
        OnEditChanged(edit);
      } else {
        OnEditFinished(edit);
      }
    }
    return;
  }
  if (kind != QLatin1String("click") || HandleCaptionButton(name)) return;

  if (name == QLatin1String("okbtn")) {
    Finish(1);
  } else if (name == QLatin1String("closebtn") || name == QLatin1String("cancel_btn")) {
    Finish(palette_ != nullptr ? 0 : 2);
  } else if (name == QLatin1String("7color")) {
    SetMulticolour(multicolour_option_ != nullptr && multicolour_option_->isChecked());
  } else if (const int preset = SlotNumber(name, kPresetPrefix); preset >= 0) {
    OnPresetClicked(preset);
  } else if (const int slot = SlotNumber(name, kCollectedPrefix); slot >= 0) {
    OnCollectedClicked(slot);
  }
}

void CColorSelectWnd::PaintSlots() {
  for (int i = 0; i < ColourPaletteFile::kSlotCount; ++i) {
    PaintPreset(i);
    PaintCollected(i);
  }
}

void CColorSelectWnd::PaintPreset(int index) {
  if (QAbstractButton* button = presets_->button(index)) button->setStyleSheet(SwatchStyle(file_.Preset(index), true));
}

void CColorSelectWnd::PaintCollected(int index) {
  if (QAbstractButton* button = collected_->button(index)) {
    const CollectedColour slot = file_.Collected(index);
    button->setStyleSheet(SwatchStyle(slot.colour, slot.used));
  }
}

void CColorSelectWnd::RestoreSelections() {
  if (QAbstractButton* button = presets_->button(file_.PresetSelection())) button->setChecked(true);
  if (QAbstractButton* button = collected_->button(file_.CollectedSelection())) button->setChecked(true);
}

void CColorSelectWnd::OnPresetClicked(int index) {
  // Without a palette file the buttons carry only the skin's look, no colour.
  if (!file_loaded_) return;
  file_.SetPresetSelection(index);
  dirty_ = true;
  ChooseColour(file_.Preset(index), nullptr, true);
}

void CColorSelectWnd::OnCollectedClicked(int index) {
  if (!file_loaded_) return;
  file_.SetCollectedSelection(index);
  dirty_ = true;
  const CollectedColour slot = file_.Collected(index);
  if (slot.used) {
    ChooseColour(slot.colour, nullptr, true);
  } else {
    SaveFile();
  }
}

void CColorSelectWnd::OnEditChanged(QLineEdit* source) {
  std::array<int, 3> parts = {qRed(colour_), qGreen(colour_), qBlue(colour_)};
  for (int channel = 0; channel < 3; ++channel) {
    QLineEdit* edit = Edit(channel);
    if (edit == nullptr) continue;
    bool corrected = false;
    parts[channel] = PartValue(edit->text(), &corrected);
    if (corrected) {
      filling_ = true;
      edit->setText(QString::number(parts[channel]));
      filling_ = false;
    }
  }
  ChooseColour(qRgb(parts[0], parts[1], parts[2]), source, true);
}

void CColorSelectWnd::OnEditFinished(QLineEdit* source) {
  if (!source->text().isEmpty()) return;
  filling_ = true;
  source->setText(QStringLiteral("0"));
  filling_ = false;
}

void CColorSelectWnd::ChooseColour(QRgb colour, const QObject* source, bool save_now) {
  colour_ = colour | 0xFF000000u;
  if (multicolour_ && multicolour_option_ != nullptr) {
    filling_ = true;
    multicolour_option_->setChecked(false);
    filling_ = false;
  }
  multicolour_ = false;
  ShowColour(colour_, source);

  const int slot = file_.CollectedSelection();
  if (slot >= 0) {
    file_.SetCollected(slot, colour_);
    PaintCollected(slot);
    dirty_ = true;
  }
  if (save_now) {
    SaveFile();
  } else {
    save_timer_->start();
  }
}

void CColorSelectWnd::ShowColour(QRgb colour, const QObject* source) {
  filling_ = true;
  ShowPreview();
  if (palette_ != nullptr && source != palette_) palette_->SetColour(colour);
  const std::array<int, 3> parts = {qRed(colour), qGreen(colour), qBlue(colour)};
  for (int channel = 0; channel < 3; ++channel) {
    QLineEdit* edit = Edit(channel);
    if (edit != nullptr && edit != source) edit->setText(QString::number(parts[channel]));
  }
  filling_ = false;
}

void CColorSelectWnd::ShowPreview() {
  auto* preview = FindControl<QPushButton>(QStringLiteral("color_show_btn"));
  if (preview == nullptr) return;
  const QString background =
      multicolour_ ? QStringLiteral(
                         "qlineargradient(x1:0, y1:0, x2:1, y2:0, stop:0 #ff0000, stop:0.17 #ff8000, stop:0.33 "
                         "#ffff00, stop:0.5 #00ff00, stop:0.67 #00ffff, stop:0.83 #0000ff, stop:1 #ff00ff)")
                   : Css(colour_);
  preview->setStyleSheet(
      QStringLiteral("QPushButton { background: %1; border: 1px solid #2c313d; border-radius: 6px; }").arg(background));
}

void CColorSelectWnd::SetMulticolour(bool on) {
  multicolour_ = allow_multicolour_ && on;
  ShowPreview();
}

void CColorSelectWnd::SaveFile() {
  save_timer_->stop();
  // With neither file readable the user's file is left alone rather than replaced
  // by a palette of blank presets.
  if (!file_loaded_) return;
  if (file_.Save(palette_path_)) {
    dirty_ = false;
  } else {
    platform::DebugOutput("palette file not written: " + palette_path_);
  }
}

void CColorSelectWnd::Finish(int result) {
  SaveFile();
  Close(result);
}

QLineEdit* CColorSelectWnd::Edit(int channel) const {
  return FindControl<QLineEdit>(QString::fromLatin1(kEditNames[static_cast<size_t>(channel)]));
}

}  // namespace zt640
