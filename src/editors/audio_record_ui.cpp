#include "editors/audio_record_ui.h"

#include <QPainter>
#include <QPalette>

namespace zt640 {

namespace {
constexpr int kRampLength = 256;
}

CAudioRecordUI::CAudioRecordUI(QWidget* parent) : QLabel(parent) {
  for (int k = 0; k < kRampLength; ++k) values_[static_cast<std::size_t>(k)] = k;
}

int CAudioRecordUI::ColumnTop(std::int32_t value, int height) {
  return height - static_cast<int>(static_cast<std::int64_t>(value) * height / kFullScale);
}

void CAudioRecordUI::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QRect area = rect();
  painter.fillRect(area, palette().color(backgroundRole()));
  painter.setPen(QColor(0, 0, 0));
  const int height = area.height();
  const int bottom = area.top() + height - 1;
  for (std::size_t k = 0; k < kValueCount && static_cast<int>(k) * kColumnPitch < area.width(); ++k) {
    const int x = area.left() + static_cast<int>(k) * kColumnPitch;
    const int top = area.top() + ColumnTop(values_[k], height);
    if (top <= bottom) painter.drawLine(x, top, x, bottom);
  }
}

}  // namespace zt640
