#pragma once

#include <QSize>

class QWidget;

namespace zt640::ui {

/// The size `window` needs to show every part whole when it is `width` pixels wide
/// (or as wide as that requires): its minimum size as if none of its scroll areas
/// scrolled, each asking, for the time of the measurement, for its content's whole
/// size, and with room for the height that parts keeping their proportions take at
/// that width, whether shown or not. A window sized so shows no scroll bar. Every
/// minimum size changed for the measurement is as before when it returns.
[[nodiscard]] QSize UnscrolledSize(QWidget& window, int width);

}  // namespace zt640::ui
