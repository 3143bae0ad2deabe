#pragma once

#include "pages/zone_picture.h"

namespace zt640 {

/// The mouse pad's picture: the pad seen from above with its light zones
/// evenly along its edge, clockwise from the top left corner.
class PadPicture final : public ZonePicture {
  Q_OBJECT
 public:
  PadPicture(CSelectPanelUI* panel, int light_count);

  /// Where zone `zone` of `count` sits on the body (0-1 both ways).
  [[nodiscard]] static QPointF ZoneSpot(int zone, int count);
};

}  // namespace zt640
