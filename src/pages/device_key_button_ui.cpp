#include "pages/device_key_button_ui.h"

#include <QDir>
#include <QEvent>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QPixmapCache>
#include <QRegion>
#include <QRegularExpression>
#include <algorithm>
#include <functional>
#include <limits>

#include "ui/resource_manager.h"

namespace zt640 {

namespace {

/// The text's size at the 96-dpi scale when the style gives none, and the share
/// of it the text may shrink to before it is cut short.
constexpr int kBaseTextPixels = 14;
constexpr double kSmallestTextShare = 0.6;
constexpr int kMinTextPixels = 7;
/// The selection frame's width at the 96-dpi scale.
constexpr double kSelectionFrameWidth = 2;
const QColor kSelectedOutline(0x19, 0xd3, 0xff);
const QColor kKeySetMarker(0xff, 0xb3, 0x00);
const QColor kLightText(0xe8, 0xec, 0xf4);
const QColor kDarkText(0x10, 0x12, 0x16);
const QColor kFaceBottom(0x25, 0x29, 0x33);

/// The image a skin attribute names: "file='x.png'" or a bare file name, taken
/// below the skin folder unless absolute. Null when empty or unreadable.
QPixmap LoadSkinImage(const QString& attribute) {
  QString file = attribute.trimmed();
  if (file.isEmpty()) return {};
  static const QRegularExpression kFileForm(QStringLiteral("file\\s*=\\s*'([^']*)'"));
  const QRegularExpressionMatch match = kFileForm.match(file);
  if (match.hasMatch()) file = match.captured(1);
  if (QDir::isRelativePath(file)) file = QDir(ui::ResourceManager::Instance().ResourcePath()).filePath(file);
  return QPixmap(file);
}

/// The distance from one caption line to the next.
qreal LinePitch(const QFontMetricsF& metrics) { return metrics.ascent(); }

/// The height `lines` lines of caption take.
qreal TextHeight(const QFontMetricsF& metrics, qsizetype lines) {
  return lines <= 0 ? 0 : metrics.height() + static_cast<qreal>(lines - 1) * LinePitch(metrics);
}

double Luminance(const QColor& colour) {
  return 0.299 * colour.red() + 0.587 * colour.green() + 0.114 * colour.blue();
}

/// `top` at `alpha` (0-255) laid over `bottom`.
QColor Blend(const QColor& bottom, const QColor& top, int alpha) {
  const double a = std::clamp(alpha, 0, 255) / 255.0;
  return QColor::fromRgbF(static_cast<float>(bottom.redF() * (1 - a) + top.redF() * a),
                          static_cast<float>(bottom.greenF() * (1 - a) + top.greenF() * a),
                          static_cast<float>(bottom.blueF() * (1 - a) + top.blueF() * a));
}

}  // namespace

CDeviceKeyButtonUI::CDeviceKeyButtonUI(QWidget* parent) : QPushButton(parent) {
  setProperty("controlClass", QStringLiteral("CDeviceKeyButtonUI"));
  setCheckable(false);
  setFocusPolicy(Qt::NoFocus);
  setCursor(Qt::PointingHandCursor);
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
}

void CDeviceKeyButtonUI::SetLightVisible(bool on) {
  if (light_visible_ == on) return;
  light_visible_ = on;
  update();
}

void CDeviceKeyButtonUI::SetLightColour(const QColor& colour) {
  if (light_colour_ == colour) return;
  light_colour_ = colour;
  if (light_visible_) update();
}

void CDeviceKeyButtonUI::SetLightDrawing(int fill_alpha, int edge_alpha) {
  fill_alpha = std::clamp(fill_alpha, 0, 255);
  edge_alpha = std::clamp(edge_alpha, 0, 255);
  if (fill_alpha == fill_alpha_ && edge_alpha == edge_alpha_) return;
  fill_alpha_ = fill_alpha;
  edge_alpha_ = edge_alpha;
  if (light_visible_) update();
}

void CDeviceKeyButtonUI::SetKeySetImageVisible(bool on) {
  if (keyset_visible_ == on) return;
  keyset_visible_ = on;
  update();
}

void CDeviceKeyButtonUI::SetBackdrop(const QColor& colour) {
  backdrop_ = colour;
  UpdateOpaque();
  update();
}

void CDeviceKeyButtonUI::UpdateOpaque() {
  setAttribute(Qt::WA_OpaquePaintEvent, backdrop_.isValid() && backdrop_.alpha() == 255);
}

bool CDeviceKeyButtonUI::event(QEvent* event) {
  const bool handled = QPushButton::event(event);
  // Polishing by a style sheet takes the opaque mark off again.
  if (event->type() == QEvent::Polish || event->type() == QEvent::StyleChange) UpdateOpaque();
  return handled;
}

void CDeviceKeyButtonUI::SetSelected(bool selected) {
  if (selected_ == selected) return;
  selected_ = selected;
  update();
}

void CDeviceKeyButtonUI::SetShape(const std::vector<QRectF>& rects) {
  std::vector<QRectF> shape = rects.size() > 1 ? rects : std::vector<QRectF>{};
  if (shape == shape_rects_) return;
  shape_rects_ = std::move(shape);
  shape_changed_ = true;
  if (shape_rects_.empty()) {
    clearMask();
  } else {
    QRegion region;
    for (const QRectF& rect : shape_rects_) region += rect.toAlignedRect();
    setMask(region);
  }
  update();
}

bool CDeviceKeyButtonUI::IsTextElided() {
  if (text().isEmpty() || width() <= 5 || height() <= 5) return false;
  UpdateShapes();
  EnsureFitted();
  return fitted_elided_;
}

void CDeviceKeyButtonUI::SetLightImage(const QString& image) {
  light_image_name_ = image;
  light_image_ = LoadSkinImage(image);
  update();
}

void CDeviceKeyButtonUI::SetKeySetImage(const QString& image) {
  keyset_image_name_ = image;
  keyset_image_ = LoadSkinImage(image);
  update();
}

QSize CDeviceKeyButtonUI::sizeHint() const { return {40, 40}; }

QSize CDeviceKeyButtonUI::minimumSizeHint() const { return {8, 8}; }

void CDeviceKeyButtonUI::mouseDoubleClickEvent(QMouseEvent* event) {
  QPushButton::mouseDoubleClickEvent(event);
  if (isEnabled() && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
    SendControlNotify(this, QStringLiteral("dbclick"));
  }
}

void CDeviceKeyButtonUI::UpdateShapes() {
  const bool pressed = isDown();
  if (shapes_.size == size() && shapes_.pressed == pressed && !shape_changed_) return;
  shapes_.size = size();
  shapes_.pressed = pressed;
  shape_changed_ = false;
  // A shaped cap is its rectangles joined; its text sits on the first one.
  const std::vector<QRectF> parts = shape_rects_.empty() ? std::vector<QRectF>{QRectF(rect())} : shape_rects_;
  qreal thinnest = std::numeric_limits<qreal>::max();
  for (const QRectF& part : parts) thinnest = std::min({thinnest, part.width(), part.height()});
  const QRectF cap = parts.front().adjusted(1.5, 1.5, -1.5, -1.5);
  shapes_.cap = cap;
  shapes_.radius = std::max<qreal>(0, thinnest - 3) * 0.16;
  const qreal shift = pressed ? 1 : 0;
  // The face is inset from the cap by the same margins on every part, taken from
  // the thinnest part so that an L keeps an even rim.
  const qreal side = (thinnest - 3) * 0.09;
  const qreal top = (thinnest - 3) * 0.06;
  const qreal bottom = (thinnest - 3) * 0.16;
  const auto face_of = [&](const QRectF& part) {
    return part.adjusted(1.5 + side, 1.5 + top + shift, -1.5 - side, -1.5 - bottom + shift);
  };
  shapes_.face = face_of(parts.front());
  shapes_.face_radius = std::max<qreal>(0, std::min(shapes_.face.width(), shapes_.face.height())) * 0.14;
  QPainterPath outline;
  shapes_.cap_path = QPainterPath();
  shapes_.face_path = QPainterPath();
  if (parts.size() == 1) {
    shapes_.cap_path.addRoundedRect(cap, shapes_.radius, shapes_.radius);
    shapes_.face_path.addRoundedRect(shapes_.face, shapes_.face_radius, shapes_.face_radius);
    outline.addRoundedRect(cap.adjusted(0.5, 0.5, -0.5, -0.5), shapes_.radius, shapes_.radius);
  } else {
    for (const QRectF& part : parts) {
      QPainterPath cap_part;
      cap_part.addRect(part.adjusted(1.5, 1.5, -1.5, -1.5));
      shapes_.cap_path = shapes_.cap_path.united(cap_part);
      QPainterPath face_part;
      face_part.addRect(face_of(part));
      shapes_.face_path = shapes_.face_path.united(face_part);
      QPainterPath outline_part;
      outline_part.addRect(part.adjusted(2, 2, -2, -2));
      outline = outline.united(outline_part);
    }
    shapes_.cap_path = shapes_.cap_path.simplified();
    shapes_.face_path = shapes_.face_path.simplified();
    outline = outline.simplified();
  }
  // The glowing edge as an area to fill: stroking the outline again on every
  // frame costs more than the whole rest of the cap.
  QPainterPathStroker stroker;
  stroker.setWidth(std::max<qreal>(1.5, (thinnest - 3) * 0.05));
  shapes_.edge_path = stroker.createStroke(outline);
  fitted_valid_ = false;
}

QString CDeviceKeyButtonUI::ShapeSignature() const {
  QString signature;
  for (const QRectF& part : shape_rects_) {
    signature += QStringLiteral("%1,%2,%3,%4;").arg(part.x()).arg(part.y()).arg(part.width()).arg(part.height());
  }
  return signature;
}

QPixmap CDeviceKeyButtonUI::CachedPixmap(const QString& name, const std::function<void(QPainter&)>& draw) const {
  // Keys of the same size and shape share one image per look.
  const qreal ratio = devicePixelRatioF();
  const QString key = QStringLiteral("zt640-%1-%2x%3-%4-%5-%6")
                          .arg(name)
                          .arg(width())
                          .arg(height())
                          .arg(shapes_.pressed ? 1 : 0)
                          .arg(ratio)
                          .arg(ShapeSignature());
  QPixmap pixmap;
  if (QPixmapCache::find(key, &pixmap)) return pixmap;
  pixmap = QPixmap((QSizeF(size()) * ratio).toSize());
  pixmap.setDevicePixelRatio(ratio);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  draw(painter);
  painter.end();
  QPixmapCache::insert(key, pixmap);
  return pixmap;
}

QPixmap CDeviceKeyButtonUI::CapPixmap(bool hover) const {
  return CachedPixmap(hover ? QStringLiteral("keycap-hover") : QStringLiteral("keycap"), [&](QPainter& painter) {
    const QRectF whole = shapes_.cap_path.boundingRect();
    QLinearGradient skirt(whole.topLeft(), whole.bottomLeft());
    skirt.setColorAt(0, QColor(0x2b, 0x2f, 0x3a));
    skirt.setColorAt(1, QColor(0x15, 0x17, 0x1d));
    painter.setPen(QPen(hover ? QColor(0x4d, 0x56, 0x6a) : QColor(0x36, 0x3b, 0x48), 1));
    painter.setBrush(skirt);
    painter.drawPath(shapes_.cap_path);
    QLinearGradient top(shapes_.face.topLeft(), shapes_.face.bottomLeft());
    top.setColorAt(0, QColor(0x34, 0x39, 0x46));
    top.setColorAt(1, kFaceBottom);
    painter.setPen(Qt::NoPen);
    painter.setBrush(top);
    painter.drawPath(shapes_.face_path);
  });
}

QPixmap CDeviceKeyButtonUI::SheenPixmap() const {
  return CachedPixmap(QStringLiteral("keysheen"), [&](QPainter& painter) {
    QLinearGradient sheen(shapes_.face.topLeft(), shapes_.face.bottomLeft());
    sheen.setColorAt(0, QColor(255, 255, 255, 40));
    sheen.setColorAt(0.5, QColor(255, 255, 255, 0));
    painter.fillPath(shapes_.face_path, sheen);
  });
}

void CDeviceKeyButtonUI::paintEvent(QPaintEvent*) {
  if (width() <= 5 || height() <= 5) {
    if (backdrop_.isValid()) QPainter(this).fillRect(rect(), backdrop_);
    return;
  }
  UpdateShapes();
  QPainter painter(this);
  if (backdrop_.isValid()) painter.fillRect(rect(), backdrop_);
  painter.setRenderHint(QPainter::Antialiasing);
  const bool enabled = isEnabled();
  if (!enabled) painter.setOpacity(0.35);

  painter.drawPixmap(0, 0, CapPixmap(enabled && underMouse()));

  QColor under_text = kFaceBottom;
  if (light_visible_) {
    if (!light_image_.isNull()) {
      painter.save();
      painter.setOpacity(painter.opacity() * fill_alpha_ / 255.0);
      painter.drawPixmap(shapes_.cap.toRect(), light_image_);
      painter.restore();
    } else {
      QColor fill = light_colour_;
      fill.setAlpha(fill_alpha_);
      painter.fillPath(shapes_.face_path, fill);
      // A faint sheen keeps the cap readable as a cap under a strong colour.
      painter.drawPixmap(0, 0, SheenPixmap());
    }
    QColor edge = light_colour_;
    edge.setAlpha(edge_alpha_);
    painter.fillPath(shapes_.edge_path, edge);
    under_text = Blend(kFaceBottom, light_colour_, fill_alpha_);
  }

  const QRectF& face = shapes_.face;
  const qreal radius = shapes_.radius;
  DrawText(painter, face, under_text);

  if (keyset_visible_) {
    const qreal size = std::max<qreal>(3, std::min(shapes_.cap.width(), shapes_.cap.height()) * 0.2);
    const QRectF mark(face.right() - size, face.top() + 1, size, size);
    if (!keyset_image_.isNull()) {
      painter.drawPixmap(mark.toRect(), keyset_image_);
    } else {
      painter.setPen(QPen(QColor(0x10, 0x12, 0x16), 1));
      painter.setBrush(kKeySetMarker);
      painter.drawEllipse(mark);
    }
  }

  if (selected_) {
    // The frame keeps its width in 96-dpi pixels at every scale.
    const qreal frame = kSelectionFrameWidth * ui::ResourceManager::Instance().ScaleFactor();
    painter.setOpacity(1.0);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(kSelectedOutline, frame));
    if (shape_rects_.empty()) {
      const qreal inset = frame / 2;
      painter.drawRoundedRect(QRectF(rect()).adjusted(inset, inset, -inset, -inset), radius, radius);
    } else {
      painter.drawPath(shapes_.cap_path);
    }
  }
}

void CDeviceKeyButtonUI::EnsureFitted() {
  const QString label = text();
  if (!fitted_valid_ || fitted_for_ != label || fitted_font_base_ != font()) FitText(label, shapes_.face);
}

void CDeviceKeyButtonUI::DrawText(QPainter& painter, const QRectF& face, const QColor& under) {
  const QString label = text();
  if (label.isEmpty()) return;
  if (!fitted_valid_ || fitted_for_ != label || fitted_font_base_ != font()) FitText(label, face);
  painter.setFont(fitted_font_);
  painter.setPen(Luminance(under) < 140 ? kLightText : kDarkText);
  if (fitted_lines_.size() <= 1) {
    painter.drawText(face, Qt::AlignCenter, fitted_text_);
    return;
  }
  // Lines closer than the font's own spacing, which leaves room for accents and
  // CJK descenders that short captions do not need.
  const QFontMetricsF metrics(fitted_font_);
  qreal top = face.center().y() - TextHeight(metrics, fitted_lines_.size()) / 2;
  for (const QString& line : fitted_lines_) {
    painter.drawText(QRectF(face.left(), top, face.width(), metrics.height()), Qt::AlignHCenter | Qt::AlignTop, line);
    top += LinePitch(metrics);
  }
}

void CDeviceKeyButtonUI::FitText(const QString& label, const QRectF& face) {
  const qreal room_width = std::max<qreal>(1, face.width());
  const qreal room_height = std::max<qreal>(1, face.height() - 1);

  // The text may shrink from the style's size to a share of it, and only below
  // that is it cut short.
  QFont font = this->font();
  const int base = font.pixelSize() > 0 ? font.pixelSize()
                                        : static_cast<int>(std::lround(kBaseTextPixels *
                                                                       ui::ResourceManager::Instance().ScaleFactor()));
  const int smallest = std::max(kMinTextPixels, static_cast<int>(std::lround(base * kSmallestTextShare)));
  const int largest = std::clamp(static_cast<int>(face.height() * 0.6), smallest, std::max(smallest, base));
  // The largest size at which `lines` fit, or 0 when they do not fit even at the smallest.
  const auto largest_fit = [&](const QStringList& lines) {
    for (int pixels = largest; pixels >= smallest; --pixels) {
      font.setPixelSize(pixels);
      const QFontMetricsF metrics(font);
      qreal widest = 0;
      for (const QString& line : lines) widest = std::max(widest, metrics.horizontalAdvance(line));
      if (widest <= room_width && TextHeight(metrics, lines.size()) <= room_height) return pixels;
    }
    return 0;
  };

  // One line as given; a caption of several words may also go on two lines,
  // broken at the space nearest its middle, when that lets it be larger.
  QStringList lines = label.split(QLatin1Char('\n'));
  int pixels = largest_fit(lines);
  if (lines.size() == 1 && pixels < largest) {
    qsizetype best_break = -1;
    for (qsizetype at = label.indexOf(QLatin1Char(' ')); at >= 0; at = label.indexOf(QLatin1Char(' '), at + 1)) {
      if (best_break < 0 || std::abs(at - label.size() / 2) < std::abs(best_break - label.size() / 2)) best_break = at;
    }
    if (best_break > 0) {
      const QStringList broken = {label.left(best_break), label.mid(best_break + 1)};
      const int broken_pixels = largest_fit(broken);
      if (broken_pixels > pixels) {
        lines = broken;
        pixels = broken_pixels;
      }
    }
  }
  font.setPixelSize(pixels > 0 ? pixels : smallest);
  const QFontMetricsF metrics(font);
  QStringList shown;
  fitted_elided_ = false;
  for (const QString& line : lines) {
    shown << metrics.elidedText(line, Qt::ElideRight, room_width);
    fitted_elided_ = fitted_elided_ || shown.back() != line;
  }
  fitted_font_base_ = this->font();
  fitted_font_ = font;
  fitted_for_ = label;
  fitted_text_ = shown.join(QLatin1Char('\n'));
  fitted_lines_ = shown;
  fitted_valid_ = true;
}

}  // namespace zt640
