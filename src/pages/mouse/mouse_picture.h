#pragma once

#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QRectF>
#include <QString>
#include <QTimer>
#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "pages/device_key_button_ui.h"
#include "pages/select_panel_ui.h"

class QPainter;

namespace zt640 {

/// The mouse's picture: a drawn mouse seen from above in a select panel, its
/// buttons "key_0" ... "key_10" as labelled call-outs in two columns beside it
/// (each joined to its place on the mouse by a leader line and showing its
/// assignment text) and its light zones "light_0" ... on the body, kept in scale
/// with the panel.
///
/// Zone colours arrive from the lighting worker through `StoreLightColour` (any
/// thread, no Qt, no lock) and show on the refresh tick, which runs only while
/// the panel is shown. Everything else runs on the UI thread. The picture
/// belongs to whoever made it; deleting it deletes its buttons.
class MousePicture : public QObject {
  Q_OBJECT
 public:
  static constexpr int kButtonCount = 11;
  static constexpr int kMaxLights = 32;
  static constexpr int kRefreshMs = 33;

  MousePicture(CSelectPanelUI* panel, int light_count);
  ~MousePicture() override;

  [[nodiscard]] CSelectPanelUI* Panel() const { return qobject_cast<CSelectPanelUI*>(panel_.data()); }
  /// The call-out of button `key` (0-10), else null.
  [[nodiscard]] CDeviceKeyButtonUI* Button(int key) const;
  /// The light zone `zone`, else null.
  [[nodiscard]] CDeviceKeyButtonUI* Light(int zone) const;
  [[nodiscard]] int LightCount() const { return static_cast<int>(lights_.size()); }

  void SetKeyText(int key, const QString& text);
  /// A button the mouse lacks shows disabled.
  void SetKeyEnabled(int key, bool on);
  void MarkKey(int key);

  /// Remembers a zone's colour and brightness (0-255) for the next tick; zones
  /// outside the picture are ignored. Safe from any thread.
  void StoreLightColour(unsigned zone, uint8_t r, uint8_t g, uint8_t b, uint8_t brightness);
  /// One refresh tick; returns how many zones changed colour.
  int ApplyStoredColours();
  [[nodiscard]] bool IsRefreshing() const { return refresh_.isActive(); }

  /// Where button `key` sits on the mouse, in units of the body (0-1 both ways).
  [[nodiscard]] static QPointF ButtonSpot(int key);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Place();
  void Paint(QPainter& painter) const;
  [[nodiscard]] QPointF ToPanel(const QPointF& body_point) const;

  QPointer<QWidget> panel_;
  std::array<QPointer<CDeviceKeyButtonUI>, kButtonCount> buttons_;
  std::vector<QPointer<CDeviceKeyButtonUI>> lights_;
  QRectF body_;  ///< the mouse body in panel coordinates
  QTimer refresh_;
  /// Written by any thread, read by the tick: red, green, blue, brightness.
  std::unique_ptr<std::atomic<uint32_t>[]> stored_;
  std::vector<uint32_t> shown_;
  std::atomic<bool> dirty_{false};
};

}  // namespace zt640
