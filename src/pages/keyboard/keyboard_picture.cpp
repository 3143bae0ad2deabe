#include "pages/keyboard/keyboard_picture.h"

#include <QEvent>
#include <QLinearGradient>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <cmath>

#include "devices/keyboard/keyboard_effect_tables.h"
#include "pages/device_key_button_ui.h"
#include "pages/select_panel_ui.h"

namespace zt640 {

namespace {

using Tables = KeyboardEffectTables;

// The picture in key units: the grid, a gap that sets the macro column apart
// and one under the function row, and the case's rim around it all.
constexpr double kColumnGap = 0.3;
constexpr double kRowGap = 0.3;
constexpr double kRim = 0.45;
constexpr double kPictureWidth = Tables::kColumns + kColumnGap + 2 * kRim;
constexpr double kPictureHeight = Tables::kRows + kRowGap + 2 * kRim;
constexpr double kPlateInset = kRim * 0.55;
/// Up to this many changed keys, a frame repaints just their rings.
constexpr size_t kFewKeys = 16;
/// The gap between keys, in key units: the keys' lights show in it.
constexpr double kKeyGap = 0.16;
/// The plate the keys sit on: solid, so the keys can paint it behind themselves.
const QColor kPlate(0x10, 0x12, 0x17);

struct Frame {
  double unit = 0;
  double left = 0;
  double top = 0;
};

/// The largest picture that fits the panel, centred in it.
Frame FitPicture(const QSize& size) {
  Frame frame;
  frame.unit = std::max(0.0, std::min(size.width() / kPictureWidth, size.height() / kPictureHeight));
  frame.left = (size.width() - frame.unit * kPictureWidth) / 2;
  frame.top = (size.height() - frame.unit * kPictureHeight) / 2;
  return frame;
}

}  // namespace

KeyboardPicture::KeyboardPicture(CSelectPanelUI* panel) : panel_(panel) {
  refresh_.setTimerType(Qt::PreciseTimer);
  connect(&refresh_, &QTimer::timeout, this, [this] { ApplyStoredColours(); });
  if (panel == nullptr) return;
  connect(panel, &QObject::destroyed, this, [this] { refresh_.stop(); });

  const auto& grid = Tables::Grid();
  for (int column = 0; column < Tables::kColumns; ++column) {
    for (int row = 0; row < Tables::kRows; ++row) {
      const int key = grid[column][row];
      if (key >= kKeyCount || buttons_[key] != nullptr) continue;
      auto* button = new CDeviceKeyButtonUI(panel);
      button->setObjectName(QStringLiteral("key_%1").arg(key));
      button->setProperty("gridColumn", column);
      button->setProperty("gridRow", row);
      button->SetBackdrop(kPlate);
      button->show();
      buttons_[key] = button;
    }
  }
  // The picture paints the whole panel (the case image carries what lies behind
  // it), so the widgets behind are not repainted with every frame of lights.
  panel->setAttribute(Qt::WA_OpaquePaintEvent);
  panel->installEventFilter(this);
  WatchWindow();
  PlaceButtons();
  UpdateRefreshing();
}

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

void KeyboardPicture::SetKeyText(int key, const QString& text) {
  if (CDeviceKeyButtonUI* button = Button(key)) button->setText(text);
}

void KeyboardPicture::SetKeyEnabled(int key, bool on) {
  if (CDeviceKeyButtonUI* button = Button(key)) button->setEnabled(on);
}

void KeyboardPicture::SetLightsVisible(bool on) {
  if (lights_visible_ == on) return;
  lights_visible_ = on;
  if (panel_) panel_->update();
}

QRect KeyboardPicture::GlowRect(const CDeviceKeyButtonUI& button) const {
  return button.geometry().adjusted(-glow_width_, -glow_width_, glow_width_, glow_width_);
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
  // Only the rings around the keys are repainted: the keys themselves, drawn by
  // their buttons, stay untouched, so a frame costs one paint of the picture
  // instead of one per key. When most keys changed, all rings go at once.
  if (changed.size() > kFewKeys) {
    panel_->update(glow_area_);
  } else {
    QRegion rings;
    for (int key : changed) {
      const CDeviceKeyButtonUI& button = *buttons_[key];
      rings += QRegion(GlowRect(button)).subtracted(QRegion(button.geometry()));
    }
    panel_->update(rings);
  }
  return static_cast<int>(changed.size());
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
    return;
  }
  if (refresh_.isActive()) return;
  refresh_.start(RefreshIntervalMs());
}

void KeyboardPicture::PlaceButtons() {
  if (panel_ == nullptr) return;
  const Frame frame = FitPicture(panel_->size());
  const double spacing = std::max(2.0, frame.unit * kKeyGap);
  glow_width_ = std::max(1, static_cast<int>(spacing / 2));
  for (const QPointer<CDeviceKeyButtonUI>& button : buttons_) {
    if (!button) continue;
    const int column = button->property("gridColumn").toInt();
    const int row = button->property("gridRow").toInt();
    const double x = frame.left + (kRim + column + (column > 0 ? kColumnGap : 0)) * frame.unit + spacing / 2;
    const double y = frame.top + (kRim + row + (row > 0 ? kRowGap : 0)) * frame.unit + spacing / 2;
    const int size = std::max(0, static_cast<int>(std::lround(frame.unit - spacing)));
    button->setGeometry(static_cast<int>(std::lround(x)), static_cast<int>(std::lround(y)), size, size);
  }
  glow_area_ = QRegion();
  for (const QPointer<CDeviceKeyButtonUI>& button : buttons_) {
    if (button) glow_area_ += QRegion(GlowRect(*button)).subtracted(QRegion(button->geometry()));
  }
}

void KeyboardPicture::PaintCase(const QRegion& region) {
  if (panel_ == nullptr) return;
  // The case is drawn once per size; every key repaint then only copies the
  // part of it under that key.
  const qreal ratio = panel_->devicePixelRatioF();
  if (case_image_.isNull() || case_image_.deviceIndependentSize().toSize() != panel_->size() ||
      case_image_.devicePixelRatio() != ratio) {
    case_image_ = QPixmap((QSizeF(panel_->size()) * ratio).toSize());
    case_image_.setDevicePixelRatio(ratio);
    case_image_.fill(Qt::transparent);
    DrawCase(case_image_);
  }
  QPainter painter(panel_);
  // A frame that only changes lights repaints nothing but the rings, which the
  // lights cover whole; anything else gets the case first.
  const bool rings_only = lights_visible_ && region.subtracted(glow_area_).isEmpty();
  if (!rings_only) painter.drawPixmap(0, 0, case_image_);
  if (!lights_visible_) return;
  const QRect bounds = region.boundingRect();
  // Each key's light shines around it, in the gap the layout leaves between keys.
  for (int key = 0; key < kKeyCount; ++key) {
    const CDeviceKeyButtonUI* button = buttons_[key];
    if (button == nullptr || button->isHidden()) continue;
    const QRect glow = GlowRect(*button);
    if (!bounds.intersects(glow)) continue;
    const uint32_t shown = colours_.Shown(static_cast<size_t>(key));
    painter.fillRect(glow, (shown & 0xFF) == 0 ? kPlate : LightColourStore::ShownColour(shown));
  }
}

void KeyboardPicture::DrawCase(QPixmap& target) const {
  DrawBackdrop(target);
  const Frame frame = FitPicture(panel_->size());
  if (frame.unit < 1) return;
  const QRectF body(frame.left, frame.top, frame.unit * kPictureWidth, frame.unit * kPictureHeight);
  const qreal radius = frame.unit * 0.35;

  QPainter painter(&target);
  painter.setRenderHint(QPainter::Antialiasing);

  // Shadow, case, and the recessed plate the keys sit on.
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0, 0, 0, 90));
  painter.drawRoundedRect(body.translated(0, frame.unit * 0.12), radius, radius);

  QLinearGradient shell(body.topLeft(), body.bottomLeft());
  shell.setColorAt(0, QColor(0x2a, 0x2e, 0x38));
  shell.setColorAt(1, QColor(0x14, 0x16, 0x1b));
  painter.setBrush(shell);
  painter.setPen(QPen(QColor(0x3a, 0x40, 0x4e), 1));
  painter.drawRoundedRect(body.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);

  const qreal inset = frame.unit * kPlateInset;
  const QRectF plate = body.adjusted(inset, inset, -inset, -inset);
  painter.setPen(QPen(QColor(0x0b, 0x0c, 0x10), 1));
  painter.setBrush(kPlate);
  painter.drawRoundedRect(plate, radius * 0.6, radius * 0.6);

  // A thin light bar along the top edge of the case.
  const QRectF bar(body.left() + radius, body.top() + frame.unit * 0.06, body.width() - 2 * radius, frame.unit * 0.05);
  QLinearGradient glow(bar.topLeft(), bar.topRight());
  glow.setColorAt(0, QColor(0xff, 0x3b, 0x6b, 160));
  glow.setColorAt(0.5, QColor(0x7c, 0x4d, 0xff, 160));
  glow.setColorAt(1, QColor(0x19, 0xd3, 0xff, 160));
  painter.setPen(Qt::NoPen);
  painter.setBrush(glow);
  painter.drawRoundedRect(bar, bar.height() / 2, bar.height() / 2);
}

void KeyboardPicture::DrawBackdrop(QPixmap& target) const {
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
