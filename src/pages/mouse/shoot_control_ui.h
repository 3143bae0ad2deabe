#pragma once

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QStackedWidget>
#include <QString>
#include <QWidget>
#include <array>
#include <optional>
#include <string>

#include "profiles/panel_result.h"
#include "profiles/shoot_data.h"
#include "ui/panel_prompts.h"

namespace zt640 {

/// The recoil pattern panel of the mouse's page, built from "ShootControl.ui" and
/// bound to a ShootData: gun options "shoot_gun_op_0".."3" with the gun picture
/// switch "shoot_image_display_switch", bullet options "bullet_op_0".."29", the
/// bullet number "bullet_select_index" with "bullet_selected_prev"/"_next", the
/// direction boxes "bullet_x_check" (checked: left) and "bullet_y_check" (checked:
/// up), the fields "bullet_x_eidt", "bullet_y_eidt", "bullet_delay_eidt" and the
/// file buttons. The gun files are read on every selection and rewritten on every
/// field change; the panel keeps nothing else. Sending the patterns to the mouse
/// is the page's ("shootdate_save_btn").
class CShootControlUI : public QWidget {
  Q_OBJECT
 public:
  static constexpr char kSkinFile[] = "ShootControl.ui";
  /// The open and save dialogs' filter.
  static constexpr char kFileFilter[] = "Shoot Files(*.shoot)";

  /// What the page does after a routed notification.
  enum class Action { kNone, kSendToMouse };

  explicit CShootControlUI(QWidget* parent = nullptr);

  [[nodiscard]] bool IsBuilt() const { return built_; }
  [[nodiscard]] ShootData& Data() { return data_; }
  void SetPrompts(ui::PanelPrompts prompts) { prompts_ = std::move(prompts); }

  /// Sets the folders, gives every gun without a usable file its default one and
  /// shows gun 0, bullet 0.
  PanelResult Load(const std::string& device_data_folder, const std::string& defaults_folder);

  /// "shootdate_*" and "bullet_selected_prev"/"_next"; nullopt when not its control.
  /// Failures are shown through the prompts.
  std::optional<Action> OnClick(const QString& name);
  /// "shoot_gun_op_N", "bullet_op_N" (checked only), "bullet_x_check", "bullet_y_check".
  bool OnSelectChanged(const QString& name, bool checked);
  /// "bullet_x_eidt", "bullet_y_eidt", "bullet_delay_eidt": the bullet is saved.
  bool OnKillFocus(const QString& name);

  /// Pushes the data's selection and fields into the widgets (no notifications).
  void Refresh();

 private:
  void SelectGun(int gun);
  void SelectBullet(int bullet);
  /// Widgets into the data's fields, then the bullet is written.
  void SaveBullet();
  void ShowFailure(const PanelResult& result);
  void ShowDirectionLabels();

  ShootData data_;
  ui::PanelPrompts prompts_;
  std::array<QPointer<QAbstractButton>, ShootData::kGunCount> guns_;
  std::array<QPointer<QAbstractButton>, ShootData::kBulletCount> bullets_;
  QPointer<QStackedWidget> gun_pictures_;
  QPointer<QLabel> bullet_number_;
  QPointer<QAbstractButton> x_left_;
  QPointer<QAbstractButton> y_up_;
  QPointer<QLineEdit> x_distance_;
  QPointer<QLineEdit> y_distance_;
  QPointer<QLineEdit> delay_;
  bool built_ = false;
};

}  // namespace zt640
