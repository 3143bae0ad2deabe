#include "pages/mouse/mouse_options_panel.h"

#include <QIntValidator>
#include <QSignalBlocker>
#include <QStyle>
#include <algorithm>
#include <memory>

#include "ui/embedded_skin.h"
#include "ui/resource_manager.h"

namespace zt640 {

namespace {

QString Indexed(const char* prefix, int index) { return QString::fromLatin1(prefix) + QString::number(index); }

void ShowSwatch(QAbstractButton* button, QRgb colour) {
  if (button == nullptr) return;
  button->setStyleSheet(QStringLiteral("background-color: %1;").arg(QColor::fromRgb(colour).name()));
}

}  // namespace

MouseOptionsPanel::MouseOptionsPanel(QWidget* parent, const QString& skin_file) : QWidget(parent) {
  setProperty("controlClass", QStringLiteral("MouseOptionsPanel"));
  QWidget* skin = ui::EmbedSkin(this, skin_file, "mouse options");
  if (skin == nullptr) return;
  for (int i = 0; i < kStageCount; ++i) {
    Row& row = rows_[static_cast<size_t>(i)];
    row.layout = skin->findChild<QWidget*>(Indexed("DPI_layout_", i));
    row.enable = skin->findChild<QAbstractButton*>(Indexed("DPI_enable_check_", i));
    row.select = skin->findChild<QAbstractButton*>(Indexed("DPI_select_check_", i));
    row.slider = skin->findChild<QAbstractSlider*>(Indexed("DPI_slider_", i));
    row.edit = skin->findChild<QLineEdit*>(Indexed("DPI_edit_", i));
    row.colour = skin->findChild<QAbstractButton*>(Indexed("DPI_color_option_", i));
    if (row.enable) row.enable->setCheckable(true);
    if (row.select) {
      row.select->setCheckable(true);
      row.select->setAutoExclusive(true);
    }
  }
  for (int i = 0; i < kRateCount; ++i) {
    rates_[static_cast<size_t>(i)] = skin->findChild<QAbstractButton*>(Indexed("polling_rate_option_", i));
    if (QAbstractButton* rate = rates_[static_cast<size_t>(i)]) {
      rate->setCheckable(true);
      rate->setAutoExclusive(true);
    }
  }
  pointer_speed_ = skin->findChild<QAbstractSlider*>(QStringLiteral("pointer_speed_slider"));
  double_click_ = skin->findChild<QAbstractSlider*>(QStringLiteral("double_click_slider"));
  wheel_lines_ = skin->findChild<QAbstractSlider*>(QStringLiteral("scroll_speed_slider"));
  precision_ = skin->findChild<QAbstractButton*>(QStringLiteral("pointer_precision_check"));
  scroll_page_ = skin->findChild<QAbstractButton*>(QStringLiteral("scrolls_page_check"));
  for (QAbstractButton* box : {precision_.data(), scroll_page_.data()}) {
    if (box) box->setCheckable(true);
  }
  ui::ResourceManager::Instance().Language().Bind(skin);
  built_ = true;
}

std::vector<QObject*> MouseOptionsPanel::Controls() const {
  std::vector<QObject*> controls;
  for (const Row& row : rows_) {
    for (QObject* control : {static_cast<QObject*>(row.enable.data()), static_cast<QObject*>(row.select.data()),
                             static_cast<QObject*>(row.slider.data()), static_cast<QObject*>(row.edit.data())}) {
      if (control != nullptr) controls.push_back(control);
    }
  }
  for (const QPointer<QAbstractButton>& rate : rates_) {
    if (rate) controls.push_back(rate);
  }
  for (QObject* control : {static_cast<QObject*>(pointer_speed_.data()), static_cast<QObject*>(double_click_.data()),
                           static_cast<QObject*>(wheel_lines_.data()), static_cast<QObject*>(precision_.data()),
                           static_cast<QObject*>(scroll_page_.data())}) {
    if (control != nullptr) controls.push_back(control);
  }
  return controls;
}

const MouseOptionsPanel::Row* MouseOptionsPanel::RowAt(int stage) const {
  return stage >= 0 && stage < kStageCount ? &rows_[static_cast<size_t>(stage)] : nullptr;
}

void MouseOptionsPanel::SetRanges(int level_maximum, int dpi_maximum) {
  const std::vector<QObject*> controls = Controls();
  std::vector<std::unique_ptr<QSignalBlocker>> quiet;
  for (QObject* control : controls) quiet.push_back(std::make_unique<QSignalBlocker>(control));
  for (Row& row : rows_) {
    if (row.slider) row.slider->setRange(0, std::max(0, level_maximum));
    if (row.edit) row.edit->setValidator(new QIntValidator(0, std::max(0, dpi_maximum), row.edit));
  }
}

void MouseOptionsPanel::ShowStages(const std::array<StageRow, kStageCount>& rows, int current) {
  const std::vector<QObject*> controls = Controls();
  std::vector<std::unique_ptr<QSignalBlocker>> quiet;
  for (QObject* control : controls) quiet.push_back(std::make_unique<QSignalBlocker>(control));
  for (int i = 0; i < kStageCount; ++i) {
    const Row& row = rows_[static_cast<size_t>(i)];
    const StageRow& shown = rows[static_cast<size_t>(i)];
    if (row.layout) row.layout->setEnabled(shown.enabled);
    if (row.enable) {
      row.enable->setChecked(shown.enabled);
      row.enable->setEnabled(shown.box_enabled);
    }
    if (row.select) row.select->setChecked(i == current);
    if (row.slider) {
      row.slider->setProperty("currentStage", i == current);
      row.slider->style()->unpolish(row.slider);
      row.slider->style()->polish(row.slider);
    }
    ShowSwatch(row.colour, shown.colour);
    ShowStageLevel(i, shown.level, shown.dpi);
  }
}

void MouseOptionsPanel::ShowStageLevel(int stage, int level, int dpi) {
  const Row* row = RowAt(stage);
  if (row == nullptr) return;
  if (row->slider) {
    const QSignalBlocker quiet(row->slider);
    row->slider->setValue(level);
  }
  if (row->edit) {
    const QSignalBlocker quiet(row->edit);
    row->edit->setText(QString::number(dpi));
  }
}

void MouseOptionsPanel::ShowReportRate(int index) {
  const int shown = index >= 0 && index < kRateCount ? index : 0;
  std::vector<std::unique_ptr<QSignalBlocker>> quiet;
  for (const QPointer<QAbstractButton>& rate : rates_) {
    if (rate) quiet.push_back(std::make_unique<QSignalBlocker>(rate.data()));
  }
  if (QAbstractButton* rate = rates_[static_cast<size_t>(shown)]) rate->setChecked(true);
}

void MouseOptionsPanel::ShowSystem(const MouseOptions& options) {
  const std::vector<QObject*> controls = Controls();
  std::vector<std::unique_ptr<QSignalBlocker>> quiet;
  for (QObject* control : controls) quiet.push_back(std::make_unique<QSignalBlocker>(control));
  if (pointer_speed_) pointer_speed_->setValue(options.mouse_speed);
  if (double_click_) double_click_->setValue(options.double_click_time);
  if (wheel_lines_) wheel_lines_->setValue(options.wheel_scroll_lines);
  if (precision_) precision_->setChecked(options.pointer_precision != 0);
  if (scroll_page_) scroll_page_->setChecked(options.scroll_page != 0);
}

int MouseOptionsPanel::SliderLevel(int stage) const {
  const Row* row = RowAt(stage);
  return row != nullptr && row->slider ? row->slider->value() : 0;
}

std::optional<int> MouseOptionsPanel::TypedDpi(int stage) const {
  const Row* row = RowAt(stage);
  if (row == nullptr || !row->edit) return std::nullopt;
  bool number = false;
  const int value = row->edit->text().trimmed().toInt(&number);
  if (!number) return std::nullopt;
  return value;
}

bool MouseOptionsPanel::EnableChecked(int stage) const {
  const Row* row = RowAt(stage);
  return row != nullptr && row->enable && row->enable->isChecked();
}

int MouseOptionsPanel::PointerSpeed() const { return pointer_speed_ ? pointer_speed_->value() : 0; }
int MouseOptionsPanel::DoubleClick() const { return double_click_ ? double_click_->value() : 0; }
int MouseOptionsPanel::DoubleClickMaximum() const { return double_click_ ? double_click_->maximum() : 0; }
int MouseOptionsPanel::WheelLines() const { return wheel_lines_ ? wheel_lines_->value() : 0; }
bool MouseOptionsPanel::Precision() const { return precision_ && precision_->isChecked(); }
bool MouseOptionsPanel::ScrollByPage() const { return scroll_page_ && scroll_page_->isChecked(); }

}  // namespace zt640
