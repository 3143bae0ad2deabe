#include "ui/unscrolled_size.h"

#include <QLayout>
#include <QPointer>
#include <QScrollArea>
#include <QStackedWidget>
#include <QWidget>
#include <algorithm>
#include <vector>

namespace zt640::ui {

namespace {

/// Drops the size hints cached from `widget` up to its window, so that the
/// window's hints follow a change of `widget` at once rather than after the layout
/// requests the change posted.
void Remeasure(QWidget* widget) {
  for (QWidget* current = widget; current != nullptr; current = current->parentWidget()) {
    current->updateGeometry();
    if (current->layout() != nullptr) current->layout()->invalidate();
    if (current->isWindow()) break;
  }
}

/// Drops every size hint cached in `window`. A page that is not shown does not tell
/// its container when its hints change (a new scale, a new font), so the hint its
/// container keeps for it may be from before.
void RemeasureAll(QWidget& window) {
  for (QWidget* widget : window.findChildren<QWidget*>()) widget->updateGeometry();
  for (QLayout* layout : window.findChildren<QLayout*>()) layout->invalidate();
}

/// The size the content of `area` needs to show whole, at the width the area last had.
QSize WholeContent(const QScrollArea& area) {
  const QWidget* content = area.widget();
  QSize whole = content->minimumSizeHint().expandedTo(content->minimumSize());
  const int width = std::max(whole.width(), area.width() - 2 * area.frameWidth());
  if (content->hasHeightForWidth()) whole.setHeight(std::max(whole.height(), content->heightForWidth(width)));
  return whole;
}

}  // namespace

QSize UnscrolledSize(QWidget& window, int width) {
  struct Unfolded {
    QPointer<QWidget> widget;
    QSize minimum;  ///< its own minimum size, given back afterwards
  };
  RemeasureAll(window);
  // Widths as the window's present size gives them.
  if (window.layout() != nullptr) window.layout()->activate();
  std::vector<Unfolded> unfolded;
  const auto unfold = [&unfolded](QWidget* widget, QSize minimum) {
    unfolded.push_back({widget, widget->minimumSize()});
    widget->setMinimumSize(widget->minimumSize().expandedTo(minimum));
    Remeasure(widget);
  };
  for (QScrollArea* area : window.findChildren<QScrollArea*>()) {
    if (area->widget() == nullptr || area->window() != &window) continue;
    const int frame = 2 * area->frameWidth();
    unfold(area, WholeContent(*area) + QSize(frame, frame));
  }
  // A page keeping its proportions asks its stack for the height its width calls
  // for only while it is shown; the others are measured here at the stack's width
  // (a stack never laid out yet has none: at least the page's narrowest).
  for (QStackedWidget* stack : window.findChildren<QStackedWidget*>()) {
    for (int i = 0; i < stack->count(); ++i) {
      QWidget* page = stack->widget(i);
      if (!page->hasHeightForWidth()) continue;
      const int page_width = std::max(stack->width(), page->minimumSizeHint().width());
      unfold(page, QSize(0, page->heightForWidth(page_width)));
    }
  }
  QSize needed = window.minimumSizeHint();
  needed.setWidth(std::max(needed.width(), width));
  // A layout gives a part that keeps its proportions the height its width calls
  // for and the others their preferred heights, which the minimum does not count.
  if (const QLayout* layout = window.layout(); layout != nullptr && layout->hasHeightForWidth()) {
    needed.setHeight(std::max(needed.height(), layout->totalHeightForWidth(needed.width())));
  }
  for (auto held = unfolded.rbegin(); held != unfolded.rend(); ++held) {
    if (!held->widget) continue;
    held->widget->setMinimumSize(held->minimum);
    Remeasure(held->widget);
  }
  return needed;
}

}  // namespace zt640::ui
