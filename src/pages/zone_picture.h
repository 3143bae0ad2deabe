#pragma once

#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QRectF>
#include <QTimer>
#include <cstdint>
#include <vector>

#include "pages/device_key_button_ui.h"
#include "pages/light_colour_store.h"
#include "pages/select_panel_ui.h"

class QPainter;

namespace zt640 {

/// A drawn device with light zones only (no key call-outs), kept in scale with
/// its select panel: the zones "light_0" ... sit on the drawing at the places
/// the device's shape gives.
///
/// Zone colours arrive from the lighting worker through `StoreLightColour` (any
/// thread, no Qt, no lock) and show on the refresh tick, which runs only while
/// the panel is shown. Everything else runs on the UI thread. The picture
/// belongs to whoever made it; deleting it deletes its zones.
class ZonePicture : public QObject {
  Q_OBJECT
 public:
  static constexpr int kMaxLights = 32;
  static constexpr int kRefreshMs = 33;

  /// What a kind's drawing is made of.
  struct Shape {
    /// The body's height over its width.
    double aspect = 1.0;
    /// Share of the panel the body may take each way.
    double share = 0.9;
    /// Where zone `zone` of `count` sits, in units of the body (0-1 both ways).
    QPointF (*spot)(int zone, int count) = nullptr;
    /// Draws the body into `body` (panel coordinates).
    void (*paint)(QPainter& painter, const QRectF& body) = nullptr;
  };

  ~ZonePicture() override;

  [[nodiscard]] CSelectPanelUI* Panel() const { return qobject_cast<CSelectPanelUI*>(panel_.data()); }
  /// The light zone `zone`, else null.
  [[nodiscard]] CDeviceKeyButtonUI* Light(int zone) const;
  [[nodiscard]] int LightCount() const { return static_cast<int>(lights_.size()); }
  /// The body in panel coordinates.
  [[nodiscard]] QRectF Body() const { return body_; }

  /// Remembers a zone's colour and brightness (0-255) for the next tick; zones
  /// outside the picture are ignored. Safe from any thread.
  void StoreLightColour(unsigned zone, uint8_t r, uint8_t g, uint8_t b, uint8_t brightness);
  /// One refresh tick; returns how many zones changed colour.
  int ApplyStoredColours();
  [[nodiscard]] bool IsRefreshing() const { return refresh_.isActive(); }

 protected:
  ZonePicture(CSelectPanelUI* panel, int light_count, Shape shape);
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Place();

  QPointer<QWidget> panel_;
  Shape shape_;
  std::vector<QPointer<CDeviceKeyButtonUI>> lights_;
  QRectF body_;
  QTimer refresh_;
  LightColourStore colours_;
};

}  // namespace zt640
