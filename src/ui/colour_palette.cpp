#include "ui/colour_palette.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace zt640::ui {

namespace {

constexpr int kStripWidth = 24;
constexpr int kGap = 10;
/// Hue runs to 359 degrees; 360 would be red again.
constexpr double kHueSpan = 359.0 / 360.0;
constexpr double kHueStep = 1.0 / 360.0;
constexpr double kLevelStep = 0.01;

/// Position of `offset` along a run of `length` pixels, 0 at the first and 1 at the last.
double Fraction(int offset, int length) {
  if (length <= 1) return 0.0;
  return std::clamp(static_cast<double>(offset) / (length - 1), 0.0, 1.0);
}

int Offset(double fraction, int length) { return static_cast<int>(fraction * std::max(0, length - 1) + 0.5); }

}  // namespace

ColourPalette::ColourPalette(QWidget* parent) : QWidget(parent) {
  setFocusPolicy(Qt::StrongFocus);
  setCursor(Qt::CrossCursor);
  setMinimumSize(80, 60);
}

QRgb ColourPalette::Colour() const { return colour_.rgb(); }

void ColourPalette::SetColour(QRgb colour) {
  const QColor value = QColor::fromRgb(qRed(colour), qGreen(colour), qBlue(colour));
  const double hue = value.hsvHueF() >= 0.0 ? std::min<double>(value.hsvHueF(), kHueSpan) : hue_;
  const double saturation = value.valueF() > 0.0 ? value.hsvSaturationF() : saturation_;
  Apply(value, hue, saturation);
}

QSize ColourPalette::sizeHint() const { return {420, 300}; }

QRect ColourPalette::FieldRect() const {
  return {0, 0, std::max(1, width() - kStripWidth - kGap), std::max(1, height())};
}

QRect ColourPalette::StripRect() const {
  return {std::max(0, width() - kStripWidth), 0, std::min(kStripWidth, width()), std::max(1, height())};
}

double ColourPalette::HueAt(int x) const {
  const QRect field = FieldRect();
  return Fraction(x - field.left(), field.width()) * kHueSpan;
}

double ColourPalette::SaturationAt(int y) const {
  const QRect field = FieldRect();
  return 1.0 - Fraction(y - field.top(), field.height());
}

double ColourPalette::ValueAt(int y) const {
  const QRect strip = StripRect();
  return 1.0 - Fraction(y - strip.top(), strip.height());
}

void ColourPalette::RebuildField() {
  const QRect field = FieldRect();
  field_ = QImage(field.size(), QImage::Format_RGB32);
  for (int y = 0; y < field.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(field_.scanLine(y));
    const double saturation = SaturationAt(field.top() + y);
    for (int x = 0; x < field.width(); ++x) {
      line[x] = QColor::fromHsvF(HueAt(field.left() + x), saturation, 1.0).rgb();
    }
  }
}

void ColourPalette::paintEvent(QPaintEvent*) {
  if (field_.size() != FieldRect().size()) RebuildField();
  QPainter painter(this);
  const QRect field = FieldRect();
  painter.drawImage(field.topLeft(), field_);

  const QRect strip = StripRect();
  for (int y = 0; y < strip.height(); ++y) {
    painter.setPen(QColor::fromHsvF(hue_, saturation_, ValueAt(strip.top() + y)));
    painter.drawLine(strip.left(), strip.top() + y, strip.right(), strip.top() + y);
  }

  painter.setRenderHint(QPainter::Antialiasing);
  painter.setBrush(Qt::NoBrush);
  const QPoint spot(field.left() + Offset(hue_ / kHueSpan, field.width()),
                    field.top() + Offset(1.0 - saturation_, field.height()));
  painter.setPen(QPen(Qt::black, 3));
  painter.drawEllipse(spot, 6, 6);
  painter.setPen(QPen(Qt::white, 1.5));
  painter.drawEllipse(spot, 6, 6);

  const int level = strip.top() + Offset(1.0 - value_, strip.height());
  painter.setPen(QPen(Qt::black, 3));
  painter.drawRect(QRectF(strip.left() + 1, level - 2, strip.width() - 2, 4));
  painter.setPen(QPen(Qt::white, 1.5));
  painter.drawRect(QRectF(strip.left() + 1, level - 2, strip.width() - 2, 4));
}

void ColourPalette::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    QWidget::mousePressEvent(event);
    return;
  }
  const QPoint point = event->position().toPoint();
  if (FieldRect().contains(point)) {
    dragging_ = Part::kField;
  } else if (StripRect().contains(point)) {
    dragging_ = Part::kStrip;
  } else {
    dragging_ = Part::kNone;
  }
  PickAt(point);
}

void ColourPalette::mouseMoveEvent(QMouseEvent* event) {
  if ((event->buttons() & Qt::LeftButton) == 0 || dragging_ == Part::kNone) {
    QWidget::mouseMoveEvent(event);
    return;
  }
  PickAt(event->position().toPoint());
}

void ColourPalette::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) dragging_ = Part::kNone;
  QWidget::mouseReleaseEvent(event);
}

void ColourPalette::keyPressEvent(QKeyEvent* event) {
  double hue = hue_;
  double saturation = saturation_;
  double value = value_;
  switch (event->key()) {
    case Qt::Key_Left: hue -= kHueStep; break;
    case Qt::Key_Right: hue += kHueStep; break;
    case Qt::Key_Up: saturation += kLevelStep; break;
    case Qt::Key_Down: saturation -= kLevelStep; break;
    case Qt::Key_PageUp: value += kLevelStep; break;
    case Qt::Key_PageDown: value -= kLevelStep; break;
    default: QWidget::keyPressEvent(event); return;
  }
  hue = std::clamp(hue, 0.0, kHueSpan);
  saturation = std::clamp(saturation, 0.0, 1.0);
  value = std::clamp(value, 0.0, 1.0);
  Apply(QColor::fromHsvF(hue, saturation, value), hue, saturation);
  SendControlNotify(this, QStringLiteral("colorchanged"), static_cast<qint64>(Colour()));
}

void ColourPalette::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (field_.size() != FieldRect().size()) field_ = QImage();
}

void ColourPalette::PickAt(const QPoint& point) {
  switch (dragging_) {
    case Part::kField: {
      // A drag that leaves the field keeps picking along its edge.
      const double hue = HueAt(point.x());
      const double saturation = SaturationAt(point.y());
      Apply(QColor::fromHsvF(hue, saturation, value_), hue, saturation);
      break;
    }
    case Part::kStrip:
      Apply(QColor::fromHsvF(hue_, saturation_, ValueAt(point.y())), hue_, saturation_);
      break;
    case Part::kNone:
      return;
  }
  Choose(colour_);
}

void ColourPalette::Choose(const QColor& colour) {
  SendControlNotify(this, QStringLiteral("colorchanged"), static_cast<qint64>(colour.rgb()));
}

void ColourPalette::Apply(const QColor& colour, double hue, double saturation) {
  colour_ = colour.toRgb();
  hue_ = hue;
  saturation_ = saturation;
  value_ = colour_.valueF();
  update();
}

}  // namespace zt640::ui
