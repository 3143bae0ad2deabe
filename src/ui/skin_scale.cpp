#include "ui/skin_scale.h"

#include <QLayout>
#include <QMargins>
#include <QRect>
#include <QVariant>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace zt640::ui {

namespace {

constexpr const char* kBaseMinimum = "zt640SkinMinimumSize";
constexpr const char* kBaseMaximum = "zt640SkinMaximumSize";
constexpr const char* kBaseMargins = "zt640SkinMargins";
constexpr const char* kBaseSpacing = "zt640SkinSpacing";

int Scaled(int value, double factor) { return static_cast<int>(std::lround(value * factor)); }

/// A size limit scaled; "no limit" stays no limit.
int ScaledLimit(int value, double factor) {
  return value >= QWIDGETSIZE_MAX ? QWIDGETSIZE_MAX : std::min(QWIDGETSIZE_MAX, Scaled(value, factor));
}

/// The value remembered under `name`, remembering `current` first when there is none.
QVariant Remembered(QObject* object, const char* name, const QVariant& current) {
  QVariant base = object->property(name);
  if (!base.isValid()) {
    object->setProperty(name, current);
    base = current;
  }
  return base;
}

void ScaleLayout(QLayout* layout, double factor) {
  if (layout == nullptr) return;
  // The margins kept as a rectangle's four numbers: left, top, right, bottom.
  const QMargins current = layout->contentsMargins();
  const QRect margins =
      Remembered(layout, kBaseMargins, QRect(QPoint(current.left(), current.top()), QPoint(current.right(), current.bottom())))
          .toRect();
  layout->setContentsMargins(Scaled(margins.left(), factor), Scaled(margins.top(), factor),
                             Scaled(margins.right(), factor), Scaled(margins.bottom(), factor));
  // A spacing of -1 means "the style's", which the style sheet already scales.
  const int spacing = Remembered(layout, kBaseSpacing, layout->spacing()).toInt();
  if (spacing > 0) layout->setSpacing(Scaled(spacing, factor));
  for (int i = 0; i < layout->count(); ++i) ScaleLayout(layout->itemAt(i)->layout(), factor);
}

void ScaleWidget(QWidget* widget, double factor) {
  const QSize minimum = Remembered(widget, kBaseMinimum, widget->minimumSize()).toSize();
  const QSize maximum = Remembered(widget, kBaseMaximum, widget->maximumSize()).toSize();
  widget->setMinimumSize(Scaled(minimum.width(), factor), Scaled(minimum.height(), factor));
  widget->setMaximumSize(ScaledLimit(maximum.width(), factor), ScaledLimit(maximum.height(), factor));
  ScaleLayout(widget->layout(), factor);
}

}  // namespace

void ApplySkinScale(QWidget* root, double factor) {
  if (root == nullptr || !(factor > 0)) return;
  ScaleWidget(root, factor);
  for (QWidget* widget : root->findChildren<QWidget*>()) ScaleWidget(widget, factor);
}

}  // namespace zt640::ui
