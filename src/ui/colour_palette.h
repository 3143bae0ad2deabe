#pragma once

#include <QColor>
#include <QImage>
#include <QRect>
#include <QWidget>

#include "ui/notifying_control.h"

namespace zt640::ui {

/// A colour palette control: a hue and saturation field with a brightness strip,
/// drawn, on which the user picks a colour with the mouse (or the arrow keys). A
/// choice made by the user raises "colorchanged" (wparam the colour as 0xAARRGGBB);
/// setting the colour from code raises nothing.
///
/// The field runs hue 0-359 from left to right and saturation from full (top) to none
/// (bottom), drawn at full brightness; the strip on the right runs brightness from full
/// (top) to none (bottom) for the current hue and saturation. A pick in the field keeps
/// the brightness, a pick in the strip keeps hue and saturation. Keys: Left/Right move
/// the hue, Up/Down the saturation, Page Up/Page Down the brightness.
class ColourPalette : public QWidget, public NotifyingControl {
  Q_OBJECT
 public:
  explicit ColourPalette(QWidget* parent = nullptr);

  /// The colour shown, alpha 0xFF.
  [[nodiscard]] QRgb Colour() const;
  void SetColour(QRgb colour);

  [[nodiscard]] QSize sizeHint() const override;

  /// Where the field and the strip are drawn at the current size.
  [[nodiscard]] QRect FieldRect() const;
  [[nodiscard]] QRect StripRect() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  enum class Part { kNone, kField, kStrip };

  /// Takes the colour under `point` (field or strip) and tells the window.
  void PickAt(const QPoint& point);
  void Choose(const QColor& colour);
  /// Sets the colour and the hue and saturation the markers stand on. Grey colours
  /// carry no hue of their own, so `hue` keeps the marker where the user left it.
  void Apply(const QColor& colour, double hue, double saturation);
  void RebuildField();

  [[nodiscard]] double HueAt(int x) const;
  [[nodiscard]] double SaturationAt(int y) const;
  [[nodiscard]] double ValueAt(int y) const;

  QColor colour_{Qt::white};
  double hue_ = 0.0;         ///< 0-1
  double saturation_ = 0.0;  ///< 0-1
  double value_ = 1.0;       ///< 0-1
  Part dragging_ = Part::kNone;
  QImage field_;  ///< the drawn hue and saturation field at the current size
};

}  // namespace zt640::ui
