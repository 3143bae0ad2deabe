#include "pages/mouse/mouse_picture.h"

#include <QEvent>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <numbers>

#include "pages/picture_layout.h"

namespace zt640 {

namespace {

/// The body's height over its width.
constexpr double kBodyAspect = 1.7;
/// Share of the panel's height the body takes.
constexpr double kBodyHeightShare = 0.94;
/// The call-outs: at most this wide, one slot per row, this many rows a column.
constexpr double kCalloutMaxWidth = 150;
constexpr int kCalloutRows = 6;
constexpr double kCalloutGap = 28;
const QColor kBodyTop(0x2B, 0x2F, 0x38);
const QColor kBodyBottom(0x15, 0x17, 0x1C);
const QColor kSeam(0x45, 0x4B, 0x57);
const QColor kLeader(0x6A, 0x72, 0x80);

/// Where each button sits on the body (0-1 across, 0-1 down; a point, so no
/// size), by button index: left, right, middle, forward, back, DPI up, DPI down,
/// DPI cycle, GM key, DPI shift, fire key.
constexpr std::array<PictureSpot, MousePicture::kButtonCount> kSpots = {{
    {0, 0.28, 0.17, 0, 0}, {1, 0.72, 0.17, 0, 0}, {2, 0.50, 0.15, 0, 0}, {3, 0.03, 0.42, 0, 0},
    {4, 0.03, 0.54, 0, 0}, {5, 0.50, 0.30, 0, 0}, {6, 0.50, 0.37, 0, 0}, {7, 0.50, 0.45, 0, 0},
    {8, 0.50, 0.86, 0, 0}, {9, 0.05, 0.30, 0, 0}, {10, 0.97, 0.42, 0, 0},
}};
/// The call-out columns, top to bottom (ordered by their spots' height so that
/// no two leader lines cross).
constexpr std::array<int, 5> kLeftColumn = {0, 9, 3, 4, 8};
constexpr std::array<int, 6> kRightColumn = {2, 1, 5, 6, 7, 10};

/// The outline of the body in body units.
QPainterPath BodyOutline() {
  QPainterPath path(QPointF(0.5, 0.0));
  path.cubicTo(QPointF(0.86, 0.0), QPointF(1.0, 0.18), QPointF(1.0, 0.42));
  path.cubicTo(QPointF(1.0, 0.72), QPointF(0.9, 1.0), QPointF(0.5, 1.0));
  path.cubicTo(QPointF(0.1, 1.0), QPointF(0.0, 0.72), QPointF(0.0, 0.42));
  path.cubicTo(QPointF(0.0, 0.18), QPointF(0.14, 0.0), QPointF(0.5, 0.0));
  return path;
}

/// Where light zone `zone` of `count` sits: evenly around a ring inside the body.
QPointF LightSpot(int zone, int count) {
  const double angle = 2 * std::numbers::pi * (zone + 0.5) / std::max(count, 1) + std::numbers::pi / 2;
  return {0.5 + 0.40 * std::cos(angle), 0.55 + 0.40 * std::sin(angle)};
}

}  // namespace

MousePicture::MousePicture(CSelectPanelUI* panel, int light_count)
    : panel_(panel), colours_(static_cast<size_t>(std::clamp(light_count, 0, kMaxLights))) {
  const int lights = static_cast<int>(colours_.size());
  refresh_.setInterval(kRefreshMs);
  connect(&refresh_, &QTimer::timeout, this, [this] { (void)ApplyStoredColours(); });
  if (panel == nullptr) return;
  connect(panel, &QObject::destroyed, this, [this] { refresh_.stop(); });
  for (int key = 0; key < kButtonCount; ++key) {
    auto* button = new CDeviceKeyButtonUI(panel);
    button->setObjectName(QStringLiteral("key_%1").arg(key));
    buttons_[static_cast<size_t>(key)] = button;
  }
  for (int zone = 0; zone < lights; ++zone) {
    auto* light = new CDeviceKeyButtonUI(panel);
    light->setObjectName(QStringLiteral("light_%1").arg(zone));
    light->SetLightVisible(true);
    light->setFocusPolicy(Qt::NoFocus);
    lights_.emplace_back(light);
  }
  panel->installEventFilter(this);
  Place();
  if (panel->isVisible()) refresh_.start();
}

MousePicture::~MousePicture() {
  refresh_.stop();
  if (panel_) panel_->removeEventFilter(this);
  for (const QPointer<CDeviceKeyButtonUI>& button : buttons_) delete button.data();
  for (const QPointer<CDeviceKeyButtonUI>& light : lights_) delete light.data();
}

CDeviceKeyButtonUI* MousePicture::Button(int key) const {
  return key >= 0 && key < kButtonCount ? buttons_[static_cast<size_t>(key)].data() : nullptr;
}

CDeviceKeyButtonUI* MousePicture::Light(int zone) const {
  return zone >= 0 && zone < LightCount() ? lights_[static_cast<size_t>(zone)].data() : nullptr;
}

QPointF MousePicture::ButtonSpot(int key) {
  static const PictureLayout layout(kSpots);
  const PictureSpot* spot = layout.Find(key);
  return spot != nullptr ? QPointF(spot->x, spot->y) : QPointF();
}

void MousePicture::SetKeyText(int key, const QString& text) {
  if (CDeviceKeyButtonUI* button = Button(key)) {
    button->setText(text);
    button->setToolTip(text);
  }
}

void MousePicture::SetKeyEnabled(int key, bool on) {
  if (CDeviceKeyButtonUI* button = Button(key)) button->setEnabled(on);
}

void MousePicture::MarkKey(int key) {
  for (int k = 0; k < kButtonCount; ++k) {
    if (CDeviceKeyButtonUI* button = Button(k)) button->SetSelected(k == key);
  }
}

void MousePicture::StoreLightColour(unsigned zone, uint8_t r, uint8_t g, uint8_t b, uint8_t brightness) {
  colours_.Store(zone, LightColourStore::Pack(r, g, b, brightness));
}

int MousePicture::ApplyStoredColours() {
  // Without a panel the picture has no zones to colour.
  return colours_.ShowChanged(lights_);
}

bool MousePicture::eventFilter(QObject* watched, QEvent* event) {
  if (watched == panel_.data()) {
    switch (event->type()) {
      case QEvent::Resize:
        Place();
        break;
      case QEvent::Show:
        refresh_.start();
        break;
      case QEvent::Hide:
        refresh_.stop();
        break;
      case QEvent::Paint: {
        QPainter painter(panel_.data());
        Paint(painter);
        break;
      }
      default:
        break;
    }
  }
  return QObject::eventFilter(watched, event);
}

QPointF MousePicture::ToPanel(const QPointF& body_point) const {
  return {body_.left() + body_point.x() * body_.width(), body_.top() + body_point.y() * body_.height()};
}

void MousePicture::Place() {
  if (!panel_) return;
  const QSizeF size = panel_->size();
  const double callout_width = std::min(kCalloutMaxWidth, size.width() * 0.26);
  double height = size.height() * kBodyHeightShare;
  double width = height / kBodyAspect;
  // The body leaves room for both call-out columns and their leader lines.
  const double room = size.width() - 2 * (callout_width + kCalloutGap);
  if (width > room && room > 0) {
    width = room;
    height = width * kBodyAspect;
  }
  body_ = QRectF((size.width() - width) / 2, (size.height() - height) / 2, width, height);

  const double row_height = body_.height() / kCalloutRows;
  const double callout_height = std::min(row_height * 0.72, 34.0);
  const auto place_column = [&](const auto& column, double left) {
    for (size_t row = 0; row < column.size(); ++row) {
      CDeviceKeyButtonUI* button = Button(column[row]);
      if (button == nullptr) continue;
      const double top = body_.top() + (static_cast<double>(row) + 0.5) * row_height - callout_height / 2;
      button->setGeometry(QRectF(left, top, callout_width, callout_height).toRect());
    }
  };
  place_column(kLeftColumn, body_.left() - kCalloutGap - callout_width);
  place_column(kRightColumn, body_.right() + kCalloutGap);

  const double light_size = std::max(6.0, body_.width() * 0.08);
  for (int zone = 0; zone < LightCount(); ++zone) {
    const QPointF centre = ToPanel(LightSpot(zone, LightCount()));
    if (CDeviceKeyButtonUI* light = Light(zone)) {
      light->setGeometry(QRectF(centre.x() - light_size / 2, centre.y() - light_size / 2, light_size, light_size).toRect());
    }
  }
  panel_->update();
}

void MousePicture::Paint(QPainter& painter) const {
  if (body_.isEmpty()) return;
  painter.setRenderHint(QPainter::Antialiasing);
  QTransform to_panel;
  to_panel.translate(body_.left(), body_.top());
  to_panel.scale(body_.width(), body_.height());
  const QPainterPath outline = to_panel.map(BodyOutline());
  QLinearGradient shade(body_.topLeft(), body_.bottomLeft());
  shade.setColorAt(0, kBodyTop);
  shade.setColorAt(1, kBodyBottom);
  painter.setPen(QPen(kSeam, 1.5));
  painter.setBrush(shade);
  painter.drawPath(outline);

  // The seams of the two main buttons and the wheel in its slot.
  painter.setBrush(Qt::NoBrush);
  QPainterPath seams;
  seams.moveTo(ToPanel({0.5, 0.0}));
  seams.lineTo(ToPanel({0.5, 0.07}));
  seams.moveTo(ToPanel({0.5, 0.25}));
  seams.lineTo(ToPanel({0.5, 0.5}));
  seams.moveTo(ToPanel({0.02, 0.36}));
  seams.cubicTo(ToPanel({0.25, 0.5}), ToPanel({0.75, 0.5}), ToPanel({0.98, 0.36}));
  painter.drawPath(seams);
  const QRectF wheel(ToPanel({0.45, 0.08}), ToPanel({0.55, 0.23}));
  painter.setBrush(kSeam);
  painter.drawRoundedRect(wheel, wheel.width() / 2, wheel.width() / 2);

  // Leader lines from each call-out to its button's place.
  painter.setPen(QPen(kLeader, 1));
  for (int key = 0; key < kButtonCount; ++key) {
    const CDeviceKeyButtonUI* button = Button(key);
    if (button == nullptr) continue;
    const QPointF spot = ToPanel(ButtonSpot(key));
    const QRectF callout = button->geometry();
    const QPointF from(spot.x() < callout.left() ? callout.left() : callout.right(), callout.center().y());
    painter.drawLine(from, spot);
    painter.setBrush(button->isEnabled() ? kLeader : kSeam);
    painter.drawEllipse(spot, 3, 3);
  }
}

}  // namespace zt640
