#pragma once

#include "pages/zone_picture.h"

namespace zt640 {

/// The headset's picture: headband and two ear cups seen from the front, the
/// light zones in a ring on each cup (the first half on the left cup, the last
/// on the right) and the middle zone on the headband.
class HeadsetPicture final : public ZonePicture {
  Q_OBJECT
 public:
  HeadsetPicture(CSelectPanelUI* panel, int light_count);

  /// Where zone `zone` of `count` sits on the body (0-1 both ways).
  [[nodiscard]] static QPointF ZoneSpot(int zone, int count);
};

}  // namespace zt640
