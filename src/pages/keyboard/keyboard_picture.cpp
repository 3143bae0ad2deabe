#include "pages/keyboard/keyboard_picture.h"

#include <QEvent>
#include <QLinearGradient>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <climits>
#include <cmath>

#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>
#include <cstdio>

#include "pages/keyboard/keyboard_layout_table.h"
#include "ui/resource_manager.h"
#include "pages/device_key_button_ui.h"
#include "pages/select_panel_ui.h"

namespace zt640 {

namespace {

// The case's rim around the keys and the inset of the plate they sit on, in key widths.
constexpr double kRim = 0.45;
constexpr double kPlateInset = kRim * 0.55;
/// Up to this many changed keys, a frame repaints just their rings.
constexpr size_t kFewKeys = 16;
/// The gap between keys, in key widths: the keys' lights show in it.
constexpr double kKeyGap = 0.16;
/// The narrowest ring of light, in 96-dpi pixels at any scale.
constexpr double kMinRingWidth = 1.5;
/// How long after the last change the layout dump is written.
constexpr int kDumpDelayMs = 300;
/// The plate the keys sit on: solid, so the keys can paint it behind themselves.
const QColor kPlate(0x10, 0x12, 0x17);

QJsonArray RectArray(const QRect& rect) { return {rect.x(), rect.y(), rect.width(), rect.height()}; }

/// How many lines of `region` one copy may take so that it yields fewer pieces
/// than the painter would share out among threads (96).
int StripHeight(const QRegion& region) {
  constexpr int kMaxPieces = 90;
  int widest = 1;
  int band_top = INT_MIN;
  int in_band = 0;
  for (const QRect& part : region) {
    // A region's rectangles come in bands of equal top and height, left to right.
    in_band = part.top() == band_top ? in_band + 1 : 1;
    band_top = part.top();
    widest = std::max(widest, in_band);
  }
  return std::max(1, kMaxPieces / widest);
}

/// `rect`, in panel pixels, in the pixels of an image drawn at `ratio`.
QRect DevicePixels(const QRect& rect, qreal ratio) {
  const auto scaled = [ratio](int value) { return static_cast<int>(std::lround(value * ratio)); };
  return QRect(QPoint(scaled(rect.left()), scaled(rect.top())),
               QPoint(scaled(rect.left() + rect.width()) - 1, scaled(rect.top() + rect.height()) - 1));
}

}  // namespace

KeyboardPicture::KeyboardPicture(CSelectPanelUI* panel) : panel_(panel), layout_(KeyboardLayoutTable::Spots()) {
  present_.fill(true);
  refresh_.setTimerType(Qt::PreciseTimer);
  connect(&refresh_, &QTimer::timeout, this, [this] {
    ApplyStoredColours();
    // No frame was handed over for a while: back to the display's own pace.
    if (refresh_deferred_) {
      refresh_deferred_ = false;
      refresh_.start(RefreshIntervalMs());
    }
  });
  dump_path_ = qEnvironmentVariable("ZT640_LAYOUT_DUMP");
  dump_.setSingleShot(true);
  dump_.setInterval(kDumpDelayMs);
  connect(&dump_, &QTimer::timeout, this, [this] {
    // Only what is on screen is worth writing down (the window may be going).
    if (panel_ == nullptr || !panel_->isVisible()) return;
    if (!WriteLayoutDump(dump_path_)) std::fprintf(stderr, "zt640: could not write the layout dump %s\n", qPrintable(dump_path_));
  });
  if (panel == nullptr) return;
  connect(panel, &QObject::destroyed, this, [this] {
    refresh_.stop();
    dump_.stop();
  });
  panel->SetAspectRatio(AspectRatio());

  for (const PictureSpot& spot : layout_.Spots()) {
    if (spot.index < 0 || spot.index >= kKeyCount || buttons_[static_cast<size_t>(spot.index)] != nullptr) continue;
    auto* button = new CDeviceKeyButtonUI(panel);
    button->setObjectName(QStringLiteral("key_%1").arg(spot.index));
    button->SetBackdrop(kPlate);
    button->show();
    buttons_[static_cast<size_t>(spot.index)] = button;
  }
  // The picture paints the whole panel (the case image carries what lies behind
  // it), so the widgets behind are not repainted with every frame of lights.
  panel->setAttribute(Qt::WA_OpaquePaintEvent);
  panel->installEventFilter(this);
  WatchWindow();
  PlaceButtons();
  UpdateRefreshing();
}

double KeyboardPicture::AspectRatio() { return PictureLayout(KeyboardLayoutTable::Spots()).AspectRatio(kRim); }

KeyboardPicture::~KeyboardPicture() {
  refresh_.stop();
  if (window_) window_->removeEventFilter(this);
  if (panel_) panel_->removeEventFilter(this);
  for (const QPointer<CDeviceKeyButtonUI>& button : buttons_) delete button.data();
}

CDeviceKeyButtonUI* KeyboardPicture::Button(int key) const {
  if (key < 0 || key >= kKeyCount) return nullptr;
  return buttons_[key];
}

void KeyboardPicture::SetKeyText(int key, const QString& caption, const QString& full) {
  CDeviceKeyButtonUI* button = Button(key);
  if (button == nullptr) return;
  button->setText(caption);
  button->setToolTip(full.isEmpty() || full == caption ? QString() : full);
  ScheduleDump();
}

void KeyboardPicture::SetKeysPresent(const std::vector<bool>& present) {
  std::array<bool, kKeyCount> now{};
  for (size_t key = 0; key < now.size(); ++key) now[key] = key >= present.size() || present[key];
  if (now == present_) return;
  present_ = now;
  PlaceButtons();
  if (panel_) panel_->update();
}

bool KeyboardPicture::IsKeyPresent(int key) const {
  return key >= 0 && key < kKeyCount && present_[static_cast<size_t>(key)];
}

void KeyboardPicture::SetKeyEnabled(int key, bool on) {
  if (CDeviceKeyButtonUI* button = Button(key)) button->setEnabled(on);
}

void KeyboardPicture::SetLightsVisible(bool on) {
  if (lights_visible_ == on) return;
  lights_visible_ = on;
  picture_valid_ = false;
  if (panel_) panel_->update();
}

void KeyboardPicture::StoreKeyColour(unsigned key, uint8_t r, uint8_t g, uint8_t b, uint8_t brightness) {
  colours_.Store(key, LightColourStore::Pack(r, g, b, brightness));
}

int KeyboardPicture::ApplyStoredColours() {
  std::vector<int> changed;
  colours_.TakeChanged([this, &changed](size_t key, uint32_t packed) {
    if (CDeviceKeyButtonUI* button = buttons_[key]) {
      button->SetLightColour(LightColourStore::ShownColour(packed));
      changed.push_back(static_cast<int>(key));
    }
  });
  if (!lights_visible_ || !panel_ || changed.empty()) return static_cast<int>(changed.size());
  if (picture_valid_) {
    for (int key : changed) PaintRing(static_cast<size_t>(key));
  }
  // Only the rings around the keys are repainted: the keys themselves, drawn by
  // their buttons, stay untouched, so a frame costs one paint of the picture
  // instead of one per key. When most keys changed, all rings go at once.
  if (changed.size() > kFewKeys) {
    panel_->update(glow_area_);
  } else {
    QRegion rings;
    for (int key : changed) rings += rings_[static_cast<size_t>(key)];
    panel_->update(rings);
  }
  return static_cast<int>(changed.size());
}

int KeyboardPicture::ShowStoredColoursNow() {
  const int changed = ApplyStoredColours();
  if (refresh_.isActive()) {
    // The next frame is due in about one period; the tick waits half a period
    // longer, so that it only runs when the frames stop.
    const int period = RefreshIntervalMs();
    refresh_deferred_ = true;
    refresh_.start(period + period / 2);
  }
  return changed;
}

int KeyboardPicture::RefreshIntervalMs() const {
  double rate = 0;
  if (panel_ != nullptr) {
    if (const QScreen* screen = panel_->screen()) rate = screen->refreshRate();
  }
  if (!std::isfinite(rate) || rate < 1) rate = kDefaultRefreshHz;
  // A preview of the lights needs no more than kMaxPreviewHz frames a second,
  // and never more than the display shows.
  return std::max(1, static_cast<int>(std::lround(1000.0 / std::min<double>(rate, kMaxPreviewHz))));
}

std::vector<int> KeyboardPicture::SelectedKeys() const {
  std::vector<int> keys;
  for (int key = 0; key < kKeyCount; ++key) {
    if (buttons_[key] && buttons_[key]->IsSelected()) keys.push_back(key);
  }
  return keys;
}

bool KeyboardPicture::eventFilter(QObject* watched, QEvent* event) {
  if (watched == panel_) {
    switch (event->type()) {
      case QEvent::Resize:
        PlaceButtons();
        break;
      case QEvent::Paint:
        // Drawn before the panel's own painting, under the buttons.
        PaintCase(static_cast<QPaintEvent*>(event)->region());
        break;
      case QEvent::Show:
        UpdateRefreshing();
        ScheduleDump();
        break;
      case QEvent::Hide:
        UpdateRefreshing();
        break;
      case QEvent::ParentChange:
        WatchWindow();
        UpdateRefreshing();
        break;
      default:
        break;
    }
  } else if (watched == window_ && event->type() == QEvent::WindowStateChange) {
    UpdateRefreshing();
  }
  return QObject::eventFilter(watched, event);
}

void KeyboardPicture::WatchWindow() {
  QWidget* window = panel_ != nullptr ? panel_->window() : nullptr;
  if (window == panel_) window = nullptr;
  if (window == window_) return;
  if (window_) window_->removeEventFilter(this);
  window_ = window;
  if (window_) window_->installEventFilter(this);
}

void KeyboardPicture::UpdateRefreshing() {
  const QWidget* window = panel_ != nullptr ? panel_->window() : nullptr;
  const bool on_screen = panel_ != nullptr && panel_->isVisible() && window != nullptr && !window->isMinimized();
  if (!on_screen) {
    refresh_.stop();
    refresh_deferred_ = false;
    return;
  }
  if (refresh_.isActive()) return;
  refresh_.start(RefreshIntervalMs());
}

void KeyboardPicture::PlaceButtons() {
  if (panel_ == nullptr) return;
  const PictureLayout::Fit fit = layout_.FitInto(panel_->size(), kRim);
  body_ = fit.ToPanel(layout_.Bounds().adjusted(-kRim, -kRim, kRim, kRim));
  // The gap between keys scales with the picture; the ring of light in it keeps
  // a legible width at every scale.
  const double scale = ui::ResourceManager::Instance().ScaleFactor();
  const double gap = std::max(2 * kMinRingWidth * scale, fit.unit * kKeyGap);
  const int ring = std::max(1, static_cast<int>(std::lround(gap / 2)));
  const auto present = [this](int key) { return IsKeyPresent(key); };
  glow_area_ = QRegion();
  picture_valid_ = false;
  for (size_t key = 0; key < buttons_.size(); ++key) {
    CDeviceKeyButtonUI* button = buttons_[key];
    rings_[key] = QRegion();
    if (button == nullptr) continue;
    const std::vector<QRectF> shape = layout_.Shape(static_cast<int>(key), present);
    if (shape.empty() || fit.unit <= 0) {
      button->hide();
      continue;
    }
    // Each place in whole pixels, the gap taken from it on every side.
    std::vector<QRect> places;
    QRect bounds;
    for (const QRectF& units : shape) {
      const QRectF pixels = fit.ToPanel(units);
      const QRect place(QPoint(static_cast<int>(std::lround(pixels.left() + gap / 2)),
                               static_cast<int>(std::lround(pixels.top() + gap / 2))),
                        QPoint(static_cast<int>(std::lround(pixels.right() - gap / 2)) - 1,
                               static_cast<int>(std::lround(pixels.bottom() - gap / 2)) - 1));
      places.push_back(place);
      bounds = bounds.united(place);
    }
    QRegion cap;
    QRegion glow;
    std::vector<QRectF> local;
    for (const QRect& place : places) {
      cap += place;
      glow += place.adjusted(-ring, -ring, ring, ring);
      local.emplace_back(place.translated(-bounds.topLeft()));
    }
    button->SetShape(local);
    button->setGeometry(bounds);
    button->show();
    rings_[key] = glow.subtracted(cap);
    glow_area_ += rings_[key];
  }
  ScheduleDump();
}

void KeyboardPicture::ScheduleDump() {
  if (dump_path_.isEmpty() || panel_ == nullptr || !panel_->isVisible()) return;
  // Not restarted by every change: a stream of changes still gets written.
  if (!dump_.isActive()) dump_.start();
}

QJsonObject KeyboardPicture::LayoutDump() const {
  QJsonObject dump;
  const QWidget* window = panel_ != nullptr ? panel_->window() : nullptr;
  if (window == nullptr) return dump;
  dump.insert(QStringLiteral("window"), QJsonArray{window->width(), window->height()});
  QJsonArray keys;
  for (const QPointer<CDeviceKeyButtonUI>& button : buttons_) {
    if (!button || button->isHidden()) continue;
    const QRect rect(button->mapTo(window, QPoint(0, 0)), button->size());
    keys.append(QJsonObject{{QStringLiteral("name"), button->objectName()},
                            {QStringLiteral("rect"), RectArray(rect)},
                            {QStringLiteral("caption"), button->text()},
                            {QStringLiteral("elided"), button->IsTextElided()}});
  }
  dump.insert(QStringLiteral("keys"), keys);
  return dump;
}

bool KeyboardPicture::WriteLayoutDump(const QString& path) const {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return false;
  file.write(QJsonDocument(LayoutDump()).toJson(QJsonDocument::Indented));
  return file.commit();
}

void KeyboardPicture::PaintCase(const QRegion& region) {
  if (panel_ == nullptr) return;
  const qreal ratio = panel_->devicePixelRatioF();
  if (!picture_valid_ || picture_.deviceIndependentSize().toSize() != panel_->size() ||
      picture_.devicePixelRatio() != ratio) {
    ComposePicture();
  }
  QPainter painter(panel_);
  // The picture holds what lies behind the panel too: its pixels are copied, not
  // blended onto what the backing store held.
  painter.setCompositionMode(QPainter::CompositionMode_Source);
  // Copied in strips a few lines high: the clip of a frame of lights has many
  // pieces on every line, and a copy that yields too many clipped pieces at once
  // is handed to helper threads, whose hand-over costs more than the copy.
  const QRect bounds = region.boundingRect();
  const int step = StripHeight(region);
  for (int y = bounds.top(); y <= bounds.bottom(); y += step) {
    const QRect strip(bounds.left(), y, bounds.width(), std::min(step, bounds.bottom() + 1 - y));
    painter.drawImage(strip, picture_, QRectF(QPointF(strip.topLeft()) * ratio, QSizeF(strip.size()) * ratio));
  }
}

void KeyboardPicture::ComposePicture() {
  // The case is drawn once per size; a frame of lights then only fills the
  // rings whose colour changed.
  const qreal ratio = panel_->devicePixelRatioF();
  picture_ = QImage((QSizeF(panel_->size()) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
  picture_.setDevicePixelRatio(ratio);
  picture_.fill(Qt::transparent);
  DrawCase(picture_);
  picture_valid_ = true;
  if (!lights_visible_) return;
  for (size_t key = 0; key < rings_.size(); ++key) PaintRing(key);
}

void KeyboardPicture::PaintRing(size_t key) {
  // Each key's light shines around it, in the gap the layout leaves between keys.
  // The ring is a few plain rectangles, written straight into the picture's
  // pixels: a painter per ring would cost more than the fill itself.
  const QRegion& ring = rings_[key];
  if (ring.isEmpty() || picture_.format() != QImage::Format_ARGB32_Premultiplied) return;
  const uint32_t shown = colours_.Shown(key);
  const QRgb pixel = ((shown & 0xFF) == 0 ? kPlate : LightColourStore::ShownColour(shown)).rgb();
  const qreal ratio = picture_.devicePixelRatio();
  uchar* const bits = picture_.bits();
  const qsizetype stride = picture_.bytesPerLine();
  for (const QRect& part : ring) {
    const QRect pixels = DevicePixels(part, ratio) & picture_.rect();
    for (int y = pixels.top(); y <= pixels.bottom(); ++y) {
      auto* line = reinterpret_cast<QRgb*>(bits + y * stride);
      std::fill(line + pixels.left(), line + pixels.right() + 1, pixel);
    }
  }
}

void KeyboardPicture::DrawCase(QImage& target) const {
  DrawBackdrop(target);
  const PictureLayout::Fit fit = layout_.FitInto(panel_->size(), kRim);
  if (fit.unit < 1) return;
  const QRectF body = body_;
  const qreal radius = fit.unit * 0.35;

  QPainter painter(&target);
  painter.setRenderHint(QPainter::Antialiasing);

  // Shadow, case, and the recessed plate the keys sit on.
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0, 0, 0, 90));
  painter.drawRoundedRect(body.translated(0, fit.unit * 0.12), radius, radius);

  QLinearGradient shell(body.topLeft(), body.bottomLeft());
  shell.setColorAt(0, QColor(0x2a, 0x2e, 0x38));
  shell.setColorAt(1, QColor(0x14, 0x16, 0x1b));
  painter.setBrush(shell);
  painter.setPen(QPen(QColor(0x3a, 0x40, 0x4e), 1));
  painter.drawRoundedRect(body.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);

  const qreal inset = fit.unit * kPlateInset;
  const QRectF plate = body.adjusted(inset, inset, -inset, -inset);
  painter.setPen(QPen(QColor(0x0b, 0x0c, 0x10), 1));
  painter.setBrush(kPlate);
  painter.drawRoundedRect(plate, radius * 0.6, radius * 0.6);

  // A thin light bar along the top edge of the case.
  const QRectF bar(body.left() + radius, body.top() + fit.unit * 0.06, body.width() - 2 * radius, fit.unit * 0.05);
  QLinearGradient glow(bar.topLeft(), bar.topRight());
  glow.setColorAt(0, QColor(0xff, 0x3b, 0x6b, 160));
  glow.setColorAt(0.5, QColor(0x7c, 0x4d, 0xff, 160));
  glow.setColorAt(1, QColor(0x19, 0xd3, 0xff, 160));
  painter.setPen(Qt::NoPen);
  painter.setBrush(glow);
  painter.drawRoundedRect(bar, bar.height() / 2, bar.height() / 2);
}

void KeyboardPicture::DrawBackdrop(QImage& target) const {
  // What the widgets behind the panel paint there, so that the panel can paint
  // itself whole and its repaints never reach them.
  std::vector<QWidget*> behind;
  for (QWidget* widget = panel_->parentWidget(); widget != nullptr; widget = widget->parentWidget()) {
    behind.push_back(widget);
    if (widget->isWindow()) break;
  }
  QPainter painter(&target);
  for (auto it = behind.rbegin(); it != behind.rend(); ++it) {
    const QPoint at = panel_->mapTo(*it, QPoint(0, 0));
    // Only widgets that fill their background do so here; a plain container
    // would otherwise cover what lies behind it with its palette colour.
    const bool fills = (*it)->autoFillBackground() || (*it)->testAttribute(Qt::WA_StyledBackground);
    (*it)->render(&painter, QPoint(0, 0), QRegion(QRect(at, panel_->size())),
                  fills ? QWidget::RenderFlags(QWidget::DrawWindowBackground) : QWidget::RenderFlags());
  }
}

}  // namespace zt640
