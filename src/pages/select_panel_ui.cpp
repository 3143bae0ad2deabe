#include "pages/select_panel_ui.h"

#include <QAbstractButton>
#include <QEvent>
#include <QMouseEvent>
#include <QRubberBand>
#include <algorithm>
#include <cmath>

#include "pages/device_key_button_ui.h"

namespace zt640 {

CSelectPanelUI::CSelectPanelUI(QWidget* parent) : QWidget(parent) {
  setProperty("controlClass", QStringLiteral("CSelectPanelUI"));
}

bool CSelectPanelUI::IsOnButton(const QPoint& point) const {
  for (QWidget* widget = childAt(point); widget != nullptr && widget != this; widget = widget->parentWidget()) {
    if (qobject_cast<QAbstractButton*>(widget) != nullptr) return true;
  }
  return false;
}

QRect CSelectPanelUI::SelectionRect() const {
  if (!dragging_) return {};
  return QRect(QPoint(std::min(press_point_.x(), current_point_.x()), std::min(press_point_.y(), current_point_.y())),
               QPoint(std::max(press_point_.x(), current_point_.x()), std::max(press_point_.y(), current_point_.y())));
}

void CSelectPanelUI::mousePressEvent(QMouseEvent* event) {
  const QPoint point = event->position().toPoint();
  // A press on a disabled button inside reaches the panel too; it is no press on the panel.
  if (event->button() != Qt::LeftButton || !isEnabled() || IsOnButton(point)) {
    QWidget::mousePressEvent(event);
    return;
  }
  press_point_ = point;
  current_point_ = point;
  armed_ = true;
  dragging_ = false;
  event->accept();
}

void CSelectPanelUI::mouseMoveEvent(QMouseEvent* event) {
  if (!armed_) {
    QWidget::mouseMoveEvent(event);
    return;
  }
  const QPoint point = event->position().toPoint();
  if (!dragging_ && point == press_point_) return;
  dragging_ = true;
  current_point_ = point;
  ShowBand();
  update();
  event->accept();
}

void CSelectPanelUI::mouseReleaseEvent(QMouseEvent* event) {
  if (!armed_ || event->button() != Qt::LeftButton) {
    QWidget::mouseReleaseEvent(event);
    return;
  }
  const bool dragged = dragging_;
  if (dragged) current_point_ = event->position().toPoint();
  const QRect area = SelectionRect();
  Disarm();
  event->accept();
  if (!dragged) return;
  ApplySelection(area);
  update();
  SendControlNotify(this, QStringLiteral("click_select_end"));
}

void CSelectPanelUI::changeEvent(QEvent* event) {
  // A panel disabled in the middle of a drag drops the drag without selecting.
  if (event->type() == QEvent::EnabledChange && !isEnabled() && armed_) {
    Disarm();
    update();
  }
  QWidget::changeEvent(event);
}

void CSelectPanelUI::Disarm() {
  armed_ = false;
  dragging_ = false;
  if (band_ != nullptr) band_->hide();
}

void CSelectPanelUI::ShowBand() {
  // A child band draws over the buttons, which would cover a rectangle painted
  // on the panel itself.
  if (band_ == nullptr) {
    band_ = new QRubberBand(QRubberBand::Rectangle, this);
    band_->setAttribute(Qt::WA_TransparentForMouseEvents);
  }
  band_->setGeometry(SelectionRect());
  band_->show();
  band_->raise();
}

void CSelectPanelUI::ApplySelection(const QRect& area) {
  for (CDeviceKeyButtonUI* button : findChildren<CDeviceKeyButtonUI*>()) {
    if (button->isHidden()) {
      button->SetSelected(false);
      continue;
    }
    const QRect bounds(button->mapTo(this, QPoint(0, 0)), button->size());
    button->SetSelected(bounds.intersects(area));
  }
}

void CSelectPanelUI::SetAspectRatio(double height_per_width) {
  aspect_ratio_ = height_per_width > 0 ? height_per_width : 0;
  QSizePolicy policy = sizePolicy();
  policy.setHeightForWidth(aspect_ratio_ > 0);
  setSizePolicy(policy);
  updateGeometry();
}

int CSelectPanelUI::heightForWidth(int width) const {
  if (aspect_ratio_ <= 0) return QWidget::heightForWidth(width);
  return std::max(minimumHeight(), static_cast<int>(std::lround(width * aspect_ratio_)));
}

std::vector<CDeviceKeyButtonUI*> CSelectPanelUI::SelectedButtons() const {
  std::vector<CDeviceKeyButtonUI*> selected;
  for (CDeviceKeyButtonUI* button : findChildren<CDeviceKeyButtonUI*>()) {
    if (button->IsSelected()) selected.push_back(button);
  }
  return selected;
}

void CSelectPanelUI::ClearSelection() {
  for (CDeviceKeyButtonUI* button : findChildren<CDeviceKeyButtonUI*>()) button->SetSelected(false);
}

}  // namespace zt640
