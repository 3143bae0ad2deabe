#pragma once

#include <json/value.h>

#include <string>

#include "profiles/panel_result.h"

namespace zt640 {

/// What the shoot panel shows for the selected bullet.
struct BulletFields {
  bool x_left = false;  ///< "bullet_x_check": checked moves left
  bool y_up = false;    ///< "bullet_y_check": checked moves up
  std::string x_text;   ///< "bullet_x_eidt"
  std::string y_text;   ///< "bullet_y_eidt"
  std::string delay_text;  ///< "bullet_delay_eidt"
  friend bool operator==(const BulletFields&, const BulletFields&) = default;
};

/// The recoil patterns of the mouse: one shoot data file per gun
/// ("ShootData_" + gun + ".Shoot") in the device data folder, each holding
/// 30 bullets of six events. Holds what the shoot panel shows (selected gun
/// and bullet, the bullet's fields); nothing else is cached: every selection
/// reads the gun's file and every save rewrites it (atomically).
class ShootData {
 public:
  static constexpr int kGunCount = 4;
  static constexpr int kBulletCount = 30;
  static constexpr int kEventsPerBullet = 6;
  /// Largest distance kept (the device stores 8 bits) and largest delay (16 bits).
  static constexpr int kMaxDistance = 255;
  static constexpr int kMaxDelay = 65535;

  /// Sets the mouse's device data folder and the defaults folder.
  void SetShootFolders(const std::string& device_data_folder, const std::string& defaults_folder);
  /// folder + "ShootData_" + gun + ".Shoot".
  [[nodiscard]] std::string GunFilePath(int gun) const;
  [[nodiscard]] std::string DefaultGunFilePath(int gun) const;

  /// Gives every gun whose file is missing or empty its default file. A
  /// damaged file is left as it is: it reads as the default file, and the
  /// next save keeps it as ".bak" before replacing it.
  PanelResult InitShootData();
  /// Selects a gun (clamped to 0-3) and shows the selected bullet.
  void SelectGun(int gun);
  /// Selects a bullet (clamped to 0-29) and shows it.
  void SelectBullet(int bullet);
  /// Fills the fields from the selected gun's file.
  void ShowBullet();
  /// The document of a gun's file; the default file's when the gun's file is
  /// damaged (no JSON object, or "Events" that is no list).
  [[nodiscard]] Json::Value GunDocument(int gun) const;
  /// Writes the fields into the six events of the selected bullet.
  PanelResult SaveBullet();
  /// Copies the default file over the gun's file (an empty file when the
  /// default is missing).
  PanelResult ResetGun(int gun);
  /// Checks the file and copies it, byte for byte, over the selected gun's file.
  PanelResult ImportGun(const std::string& path);
  /// Copies the selected gun's file to `path`, byte for byte.
  PanelResult ExportGun(const std::string& path);

  [[nodiscard]] int SelectedGun() const { return gun_; }
  /// -1 before the first selection.
  [[nodiscard]] int SelectedBullet() const { return bullet_; }
  /// "bullet_select_index": selected bullet + 1.
  [[nodiscard]] int BulletNumber() const { return bullet_ + 1; }
  [[nodiscard]] BulletFields& Fields() { return fields_; }
  [[nodiscard]] const BulletFields& Fields() const { return fields_; }
  /// Label keys of the two direction options.
  [[nodiscard]] const char* XLabelKey() const;
  [[nodiscard]] const char* YLabelKey() const;

  /// The six events of a bullet, in file order.
  [[nodiscard]] static Json::Value BulletEvents(bool x_left, int x, bool y_up, int y, int delay);

 private:
  std::string folder_;
  std::string defaults_;
  int gun_ = 0;
  int bullet_ = -1;
  BulletFields fields_;
};

}  // namespace zt640
