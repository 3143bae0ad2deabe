#pragma once

class QWidget;

namespace zt640::ui {

/// Sizes a skin at a scale: every minimum and maximum size and every layout
/// margin and spacing below `root` (root included) becomes its skin value times
/// `factor` (1 at 96 dpi, 1.5 at 144). The skin values are remembered on each
/// widget and layout the first time, so the scale can change any number of
/// times without drift. Sizes in the style sheet are scaled with the sheet.
void ApplySkinScale(QWidget* root, double factor);

}  // namespace zt640::ui
