#include "pages/headset/voice6533_control_ui.h"

#include <QAbstractItemView>
#include <QSignalBlocker>

#include "ui/embedded_skin.h"
#include "ui/resource_manager.h"

namespace zt640 {

namespace {

QString Indexed(const char* prefix, int index) { return QString::fromLatin1(prefix) + QString::number(index); }

void SetChecked(QAbstractButton* button, bool checked) {
  if (button == nullptr) return;
  const QSignalBlocker quiet(button);
  button->setChecked(checked);
}

void SetValue(QAbstractSlider* slider, int value) {
  if (slider == nullptr) return;
  const QSignalBlocker quiet(slider);
  slider->setValue(value);
}

}  // namespace

CVoice6533ControlUI::CVoice6533ControlUI(QWidget* parent, const QString& skin_file) : QWidget(parent) {
  setProperty("controlClass", QStringLiteral("CVoice6533ControlUI"));
  QWidget* skin = ui::EmbedSkin(this, skin_file, "headset sound panel");
  if (skin == nullptr) return;
  for (int option = 1; option <= kOptionCount; ++option) {
    QAbstractButton* button = skin->findChild<QAbstractButton*>(Indexed("6533_eq_option_", option));
    options_[static_cast<size_t>(option - 1)] = button;
    if (button != nullptr) {
      button->setCheckable(true);
      button->setAutoExclusive(true);
    }
  }
  for (int band = 0; band < kEqBandCount; ++band) {
    QAbstractSlider* slider = skin->findChild<QAbstractSlider*>(Indexed("6533_eq_hz_slider_", band));
    bands_[static_cast<size_t>(band)] = slider;
    if (slider != nullptr) slider->setRange(-kGainLimit, kGainLimit);
  }
  custom_layout_ = skin->findChild<QWidget*>(QStringLiteral("custom_eq_option_layout"));
  curves_ = skin->findChild<QComboBox*>(QStringLiteral("custom_eq_name_combo"));
  if (curves_) {
    curves_->view()->setStyleSheet(QStringLiteral("QAbstractItemView::item { min-height: %1px; }").arg(kCurveRowHeight));
  }
  curve_name_ = skin->findChild<QLineEdit*>(QStringLiteral("custom_eq_name_edit"));
  mic_box_ = skin->findChild<QAbstractButton*>(QStringLiteral("6533_MicIn_option"));
  mic_slider_ = skin->findChild<QAbstractSlider*>(QStringLiteral("6533_MicIn_slider"));
  mic_decibels_ = skin->findChild<QLabel*>(QStringLiteral("6533_MicIn_db_label"));
  monitor_box_ = skin->findChild<QAbstractButton*>(QStringLiteral("6533_MicMoniter_option"));
  monitor_slider_ = skin->findChild<QAbstractSlider*>(QStringLiteral("6533_MicMoniter_slider"));
  monitor_decibels_ = skin->findChild<QLabel*>(QStringLiteral("6533_MicMoniter_db_label"));
  unavailable_ = skin->findChild<QWidget*>(QStringLiteral("hs_sound_unavailable_label"));
  for (QAbstractButton* box : {mic_box_.data(), monitor_box_.data()}) {
    if (box != nullptr) box->setCheckable(true);
  }
  for (QAbstractSlider* slider : {mic_slider_.data(), monitor_slider_.data()}) {
    if (slider != nullptr) slider->setRange(0, 100);
  }
  ui::ResourceManager::Instance().Language().Bind(skin);
  built_ = true;
}

void CVoice6533ControlUI::ShowSound(const HeadsetOptions& options, bool available, bool monitor) {
  for (int option = 1; option <= kOptionCount; ++option) {
    QAbstractButton* button = options_[static_cast<size_t>(option - 1)];
    if (button == nullptr) continue;
    // An auto-exclusive group cannot be left with nothing checked: clear it first.
    const QSignalBlocker quiet(button);
    button->setAutoExclusive(false);
    button->setChecked(option == options.eq_type);
    button->setAutoExclusive(true);
  }
  if (custom_layout_) custom_layout_->setVisible(options.eq_type == kCustomEqType);
  SetChecked(mic_box_, options.mic_in_select != 0);
  SetValue(mic_slider_, options.mic_in_value);
  SetChecked(monitor_box_, options.mic_monitor_select != 0);
  SetValue(monitor_slider_, options.mic_monitor_value);
  for (QWidget* control : {static_cast<QWidget*>(monitor_box_.data()), static_cast<QWidget*>(monitor_slider_.data())}) {
    if (control != nullptr) control->setEnabled(available && monitor);
  }
  if (unavailable_) unavailable_->setVisible(!available);
}

void CVoice6533ControlUI::ShowBands(const EqBands& bands) {
  for (size_t band = 0; band < bands.size(); ++band) SetValue(bands_[band], bands[band]);
}

void CVoice6533ControlUI::ShowCurves(const std::vector<std::string>& names, int selected) {
  if (curves_) {
    const QSignalBlocker quiet(curves_);
    curves_->clear();
    for (const std::string& name : names) curves_->addItem(QString::fromStdString(name));
    curves_->setCurrentIndex(selected >= 0 && static_cast<size_t>(selected) < names.size() ? selected : -1);
  }
  if (curve_name_) {
    const QSignalBlocker quiet(curve_name_);
    curve_name_->clear();
  }
}

void CVoice6533ControlUI::ShowDecibels(bool monitor, double decibels) {
  QLabel* label = monitor ? monitor_decibels_.data() : mic_decibels_.data();
  if (label != nullptr) label->setText(QString::asprintf("%.2f dB", decibels));
}

QString CVoice6533ControlUI::CurveName() const { return curve_name_ ? curve_name_->text() : QString(); }

int CVoice6533ControlUI::BandValue(int band) const {
  if (band < 0 || band >= kEqBandCount) return 0;
  const QAbstractSlider* slider = bands_[static_cast<size_t>(band)];
  return slider != nullptr ? slider->value() : 0;
}

}  // namespace zt640
