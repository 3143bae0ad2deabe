#pragma once

#include <QColor>
#include <QFont>
#include <QPainterPath>
#include <QPixmap>
#include <functional>
#include <QPushButton>
#include <QString>
#include <vector>

#include "ui/notifying_control.h"

class QPainter;

namespace zt640 {

/// One key or light of a device picture. Drawn in code: a key cap, plain or in
/// the shape of several rectangles (an L-shaped Enter), with its text (shrunk,
/// then elided, to fit), the key's light over the cap while the light
/// display is on, a key-set marker unless hidden, an outline while selected and a
/// dimmed look while disabled. Clicks reach the notify hub as "click"; a double
/// click on an enabled button also sends "dbclick".
///
/// "lightimage" and "keysetimage" may name an image file below the skin folder
/// (plain or as "file='...'"); while empty or unreadable the drawn look is used.
/// "gmnametextcolor" is accepted and kept, and changes nothing.
class CDeviceKeyButtonUI : public QPushButton, public ui::NotifyingControl {
  Q_OBJECT
  Q_PROPERTY(QString lightimage READ LightImage WRITE SetLightImage)
  Q_PROPERTY(QString keysetimage READ KeySetImage WRITE SetKeySetImage)
  Q_PROPERTY(QString gmnametextcolor READ GmNameTextColor WRITE SetGmNameTextColor)

 public:
  static constexpr int kDefaultFillAlpha = 255;
  static constexpr int kDefaultEdgeAlpha = 200;

  explicit CDeviceKeyButtonUI(QWidget* parent = nullptr);

  /// Switches the light display on or off (starts off).
  void SetLightVisible(bool on);
  [[nodiscard]] bool IsLightVisible() const { return light_visible_; }

  /// The colour the light shows, already scaled by its brightness. Repaints only
  /// when the colour changed and the light is shown.
  void SetLightColour(const QColor& colour);
  [[nodiscard]] QColor LightColour() const { return light_colour_; }

  /// The opacity (0-255) of the light's fill over the cap and of its glowing edge.
  void SetLightDrawing(int fill_alpha, int edge_alpha);
  [[nodiscard]] int LightFillAlpha() const { return fill_alpha_; }
  [[nodiscard]] int LightEdgeAlpha() const { return edge_alpha_; }

  /// Shows or hides the key-set marker (starts hidden).
  void SetKeySetImageVisible(bool on);
  [[nodiscard]] bool IsKeySetImageVisible() const { return keyset_visible_; }

  /// A solid colour to paint behind the cap, for a button that sits on a plain
  /// plate: the button then covers its whole rectangle and its repaints leave
  /// the panel under it alone. Invalid (the default): the corners stay clear.
  void SetBackdrop(const QColor& colour);

  /// The cap's shape as rectangles in the button's own coordinates, the first
  /// one holding the text; fewer than two: the whole button. The button then
  /// takes clicks and paints only inside the shape.
  void SetShape(const std::vector<QRectF>& rects);
  [[nodiscard]] const std::vector<QRectF>& Shape() const { return shape_rects_; }

  /// Whether the text, at the smallest font it may shrink to, still had to be
  /// cut short at the button's current size and font.
  [[nodiscard]] bool IsTextElided();

  void SetSelected(bool selected);
  [[nodiscard]] bool IsSelected() const { return selected_; }

  [[nodiscard]] QString LightImage() const { return light_image_name_; }
  void SetLightImage(const QString& image);
  [[nodiscard]] QString KeySetImage() const { return keyset_image_name_; }
  void SetKeySetImage(const QString& image);
  [[nodiscard]] QString GmNameTextColor() const { return gm_name_text_color_; }
  void SetGmNameTextColor(const QString& colour) { gm_name_text_color_ = colour; }

  [[nodiscard]] QSize sizeHint() const override;
  [[nodiscard]] QSize minimumSizeHint() const override;

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  /// The cap's geometry at the current size, recomputed when the size or the
  /// pressed state changes.
  struct Shapes {
    QSize size;
    bool pressed = false;
    QRectF cap;
    QRectF face;  ///< where the text goes
    QPainterPath cap_path;
    qreal radius = 0;
    qreal face_radius = 0;
    QPainterPath face_path;
    QPainterPath edge_path;
  };

  /// Marks the button opaque while a solid backdrop covers it, so its parent's
  /// repaints leave it alone.
  void UpdateOpaque();
  void UpdateShapes();
  [[nodiscard]] QString ShapeSignature() const;
  /// The image `name` at this button's size, drawn by `draw` once and cached.
  [[nodiscard]] QPixmap CachedPixmap(const QString& name, const std::function<void(QPainter&)>& draw) const;
  [[nodiscard]] QPixmap CapPixmap(bool hover) const;
  [[nodiscard]] QPixmap SheenPixmap() const;
  void DrawText(QPainter& painter, const QRectF& face, const QColor& under);
  void FitText(const QString& label, const QRectF& face);
  /// Fits the current text to the current face unless already done.
  void EnsureFitted();

  QColor light_colour_ = Qt::black;
  QColor backdrop_;
  int fill_alpha_ = kDefaultFillAlpha;
  int edge_alpha_ = kDefaultEdgeAlpha;
  bool light_visible_ = false;
  bool keyset_visible_ = false;
  bool selected_ = false;
  QString light_image_name_;
  QString keyset_image_name_;
  QString gm_name_text_color_;
  QPixmap light_image_;
  QPixmap keyset_image_;
  Shapes shapes_;
  std::vector<QRectF> shape_rects_;
  bool shape_changed_ = false;
  /// The text as last fitted to the face: for which label and base font, at
  /// which size, and the (elided) lines shown.
  bool fitted_valid_ = false;
  QString fitted_for_;
  QFont fitted_font_base_;
  QFont fitted_font_;
  QString fitted_text_;
  QStringList fitted_lines_;
  bool fitted_elided_ = false;
};

}  // namespace zt640
