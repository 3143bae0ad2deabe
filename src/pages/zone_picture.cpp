#include "pages/zone_picture.h"

#include <QEvent>
#include <QPainter>
#include <QWidget>
#include <algorithm>

namespace zt640 {

ZonePicture::ZonePicture(CSelectPanelUI* panel, int light_count, Shape shape)
    : panel_(panel), shape_(shape), colours_(static_cast<size_t>(std::clamp(light_count, 0, kMaxLights))) {
  refresh_.setInterval(kRefreshMs);
  connect(&refresh_, &QTimer::timeout, this, [this] { (void)ApplyStoredColours(); });
  if (panel == nullptr) return;
  connect(panel, &QObject::destroyed, this, [this] { refresh_.stop(); });
  for (size_t zone = 0; zone < colours_.size(); ++zone) {
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

ZonePicture::~ZonePicture() {
  refresh_.stop();
  if (panel_) panel_->removeEventFilter(this);
  for (const QPointer<CDeviceKeyButtonUI>& light : lights_) delete light.data();
}

CDeviceKeyButtonUI* ZonePicture::Light(int zone) const {
  return zone >= 0 && zone < LightCount() ? lights_[static_cast<size_t>(zone)].data() : nullptr;
}

void ZonePicture::StoreLightColour(unsigned zone, uint8_t r, uint8_t g, uint8_t b, uint8_t brightness) {
  colours_.Store(zone, LightColourStore::Pack(r, g, b, brightness));
}

int ZonePicture::ApplyStoredColours() {
  // Without a panel the picture has no zones to colour.
  return colours_.ShowChanged(lights_);
}

bool ZonePicture::eventFilter(QObject* watched, QEvent* event) {
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
      case QEvent::Paint:
        if (shape_.paint != nullptr && !body_.isEmpty()) {
          QPainter painter(panel_.data());
          painter.setRenderHint(QPainter::Antialiasing);
          shape_.paint(painter, body_);
        }
        break;
      default:
        break;
    }
  }
  return QObject::eventFilter(watched, event);
}

void ZonePicture::Place() {
  if (!panel_) return;
  const QSizeF size = panel_->size();
  double width = size.width() * shape_.share;
  double height = width * shape_.aspect;
  if (height > size.height() * shape_.share) {
    height = size.height() * shape_.share;
    width = height / shape_.aspect;
  }
  body_ = QRectF((size.width() - width) / 2, (size.height() - height) / 2, width, height);
  const double light_size = std::max(6.0, std::min(body_.width(), body_.height()) * 0.07);
  for (int zone = 0; zone < LightCount(); ++zone) {
    CDeviceKeyButtonUI* light = Light(zone);
    if (light == nullptr || shape_.spot == nullptr) continue;
    const QPointF spot = shape_.spot(zone, LightCount());
    const QPointF centre(body_.left() + spot.x() * body_.width(), body_.top() + spot.y() * body_.height());
    light->setGeometry(QRectF(centre.x() - light_size / 2, centre.y() - light_size / 2, light_size, light_size).toRect());
  }
  panel_->update();
}

}  // namespace zt640
