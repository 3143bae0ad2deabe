#pragma once

#include <QPoint>
#include <QRect>
#include <QWidget>
#include <vector>

#include "ui/notifying_control.h"

class QRubberBand;

namespace zt640 {

class CDeviceKeyButtonUI;

/// The panel of a device picture: it holds the key and light buttons (in a layout
/// or placed by hand) and lets the user select them with a rubber band.
///
/// A left press on the panel itself (not on a button inside it) while the panel is
/// enabled arms it; the first move starts a drag and shows the rectangle spanned
/// by the press point and the pointer. The release makes every visible key button
/// inside the panel whose rectangle meets the rectangle selected and every other
/// one unselected, and sends "click_select_end". A press and release without a
/// move changes nothing.
class CSelectPanelUI : public QWidget, public ui::NotifyingControl {
  Q_OBJECT
 public:
  explicit CSelectPanelUI(QWidget* parent = nullptr);

  /// The key buttons inside the panel that are selected, in child order.
  [[nodiscard]] std::vector<CDeviceKeyButtonUI*> SelectedButtons() const;
  /// Unselects every key button inside the panel.
  void ClearSelection();

  /// The height the panel asks for as a share of its width (0: none, the default).
  /// A picture that keeps its proportions sets it, so that a layout gives the panel
  /// the height its width calls for.
  void SetAspectRatio(double height_per_width);
  [[nodiscard]] bool hasHeightForWidth() const override { return aspect_ratio_ > 0; }
  [[nodiscard]] int heightForWidth(int width) const override;

  [[nodiscard]] bool IsDragging() const { return dragging_; }
  /// The rectangle of the drag in progress (panel coordinates), empty when none.
  [[nodiscard]] QRect SelectionRect() const;

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  [[nodiscard]] bool IsOnButton(const QPoint& point) const;
  void ApplySelection(const QRect& area);
  void Disarm();
  void ShowBand();

  QRubberBand* band_ = nullptr;  ///< child of the panel, made at the first drag
  QPoint press_point_;
  QPoint current_point_;
  double aspect_ratio_ = 0;
  bool armed_ = false;
  bool dragging_ = false;
};

}  // namespace zt640
