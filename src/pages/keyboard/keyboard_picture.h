#pragma once

#include <QJsonObject>
#include <QObject>
#include <QImage>
#include <QPointer>
#include <QRegion>
#include <QString>
#include <QTimer>
#include <array>
#include <cstdint>
#include <vector>

#include "pages/device_key_button_ui.h"
#include "pages/light_colour_store.h"
#include "pages/picture_layout.h"
#include "pages/select_panel_ui.h"

namespace zt640 {

/// The keyboard's picture: a drawn keyboard case in a select panel with one key
/// button "key_N" on each key's place of the keyboard's layout table, as wide as
/// the panel allows with its proportions kept. Keys without a place, and keys the
/// connected keyboard lacks, have no button shown; a neighbour may grow over the
/// place of a missing key (the table says which).
///
/// With ZT640_LAYOUT_DUMP naming a file, the picture writes its layout there as
/// JSON once it is shown and again after every change of size, text or keys:
/// {"window": [w, h], "keys": [{"name", "rect": [x, y, w, h], "caption", "elided"}]}
/// with rectangles in window pixels.
///
/// Key colours arrive from the lighting worker through `StoreKeyColour` (any
/// thread, no Qt, no lock) and show on the display's refresh tick, which runs
/// while the panel is on screen: a tick with nothing stored since the last one
/// costs nothing. A key's light shows as a ring in the gap around it, painted by
/// the picture, so a tick repaints only the rings of the keys whose colour
/// changed and never the key buttons themselves. Everything else runs on the UI
/// thread.
///
/// The picture belongs to whoever made it, not to the panel: deleting it deletes
/// its buttons, and a panel deleted first takes the buttons along and leaves the
/// picture idle. Whoever calls `StoreKeyColour` from a worker must stop that
/// worker before the picture goes.
class KeyboardPicture : public QObject {
  Q_OBJECT
 public:
  static constexpr int kKeyCount = 126;
  static constexpr int kDefaultRefreshHz = 60;
  static constexpr int kMaxPreviewHz = 30;

  explicit KeyboardPicture(CSelectPanelUI* panel);
  ~KeyboardPicture() override;

  [[nodiscard]] CSelectPanelUI* Panel() const { return qobject_cast<CSelectPanelUI*>(panel_.data()); }
  /// The button of `key`, or null outside 0-125 and for keys without a place.
  [[nodiscard]] CDeviceKeyButtonUI* Button(int key) const;

  /// The picture's height over its width.
  [[nodiscard]] static double AspectRatio();

  /// `caption` on the key, `full` (when given) as its tooltip.
  void SetKeyText(int key, const QString& caption, const QString& full = QString());
  /// Which keys the connected keyboard has (index = UI key; missing entries count
  /// as present). Keys it lacks are hidden and their neighbours take their places.
  void SetKeysPresent(const std::vector<bool>& present);
  [[nodiscard]] bool IsKeyPresent(int key) const;
  void SetKeyEnabled(int key, bool on);
  /// Switches the light display of every key on or off.
  void SetLightsVisible(bool on);
  [[nodiscard]] bool LightsVisible() const { return lights_visible_; }

  /// Remembers the colour and brightness (0-255) of `key` for the next refresh
  /// tick; keys outside 0-125 are ignored. Safe from any thread; never touches a
  /// widget.
  void StoreKeyColour(unsigned key, uint8_t r, uint8_t g, uint8_t b, uint8_t brightness);

  /// One refresh tick: gives every button whose stored colour differs from the
  /// one it shows its new colour. Returns how many buttons were updated.
  int ApplyStoredColours();

  /// Applies the stored colours now (UI thread), for a caller that hands over
  /// whole frames on the UI thread about once a refresh period: while such frames
  /// keep coming, the refresh tick steps back and does not wake up for them too.
  /// Returns how many buttons were updated.
  int ShowStoredColoursNow();
  /// The refresh tick's current period: RefreshIntervalMs, or longer while frames
  /// are handed over by ShowStoredColoursNow.
  [[nodiscard]] int RefreshTickMs() const { return refresh_.interval(); }

  /// The refresh period: one frame of the panel's screen (60 Hz when unknown),
  /// at most 30 frames a second.
  [[nodiscard]] int RefreshIntervalMs() const;
  [[nodiscard]] bool IsRefreshing() const { return refresh_.isActive(); }

  /// The keys whose buttons are selected, ascending.
  [[nodiscard]] std::vector<int> SelectedKeys() const;

  /// The layout as the dump file holds it (window pixels).
  [[nodiscard]] QJsonObject LayoutDump() const;
  /// Writes LayoutDump to `path`; false when it cannot be written.
  [[nodiscard]] bool WriteLayoutDump(const QString& path) const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void PlaceButtons();
  /// Rewrites the dump file soon, when one is asked for and the panel is shown.
  void ScheduleDump();
  void PaintCase(const QRegion& region);
  /// Draws the case, and the rings when the lights show, into `picture_` at the
  /// panel's current size.
  void ComposePicture();
  /// Fills the ring of `key` in `picture_` with the colour it shows.
  void PaintRing(size_t key);
  void DrawCase(QImage& target) const;
  void DrawBackdrop(QImage& target) const;
  void UpdateRefreshing();
  void WatchWindow();

  /// Held as a plain widget: its events still arrive while it is being destroyed,
  /// when it is no longer a select panel.
  QPointer<QWidget> panel_;
  QPointer<QWidget> window_;  ///< the panel's window, watched for minimising
  PictureLayout layout_;
  std::array<QPointer<CDeviceKeyButtonUI>, kKeyCount> buttons_;
  std::array<bool, kKeyCount> present_{};
  /// Each key's ring of light: the gap around its cap, panel pixels.
  std::array<QRegion, kKeyCount> rings_;
  QTimer refresh_;
  bool refresh_deferred_ = false;  ///< the tick waits behind frames handed over
  QTimer dump_;
  QString dump_path_;
  /// The panel as painted: the case with, while the lights show, every ring in
  /// its colour. A frame of lights fills the changed rings here and the panel
  /// copies them out, instead of filling each ring through the paint event's
  /// many-piece clip.
  QImage picture_;
  bool picture_valid_ = false;
  QRegion glow_area_;   ///< every key's ring of light
  QRectF body_;         ///< the case, panel pixels
  bool lights_visible_ = false;

  /// Each key's colour as stored by the lighting worker and as shown.
  LightColourStore colours_{kKeyCount};
};

}  // namespace zt640
