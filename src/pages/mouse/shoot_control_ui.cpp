#include "pages/mouse/shoot_control_ui.h"

#include <QSignalBlocker>
#include <memory>
#include <vector>

#include "platform/diag/debug_output.h"
#include "ui/embedded_skin.h"
#include "ui/key_text.h"
#include "ui/resource_manager.h"

namespace zt640 {

namespace {

const QString kGunPrefix = QStringLiteral("shoot_gun_op_");
const QString kBulletPrefix = QStringLiteral("bullet_op_");
const QString kXCheck = QStringLiteral("bullet_x_check");
const QString kYCheck = QStringLiteral("bullet_y_check");
const QString kXEdit = QStringLiteral("bullet_x_eidt");
const QString kYEdit = QStringLiteral("bullet_y_eidt");
const QString kDelayEdit = QStringLiteral("bullet_delay_eidt");

/// The index of "<prefix><n>" when `name` is one with n below `count`, else -1.
int IndexedName(const QString& name, const QString& prefix, int count) {
  if (!name.startsWith(prefix)) return -1;
  bool number = false;
  const int index = name.mid(prefix.size()).toInt(&number);
  return number && index >= 0 && index < count ? index : -1;
}

}  // namespace

CShootControlUI::CShootControlUI(QWidget* parent) : QWidget(parent) {
  setProperty("controlClass", QStringLiteral("CShootControlUI"));
  QWidget* skin = ui::EmbedSkin(this, QString::fromLatin1(kSkinFile), "shoot panel");
  if (skin == nullptr) return;
  for (int gun = 0; gun < ShootData::kGunCount; ++gun) {
    guns_[static_cast<size_t>(gun)] = skin->findChild<QAbstractButton*>(kGunPrefix + QString::number(gun));
  }
  for (int bullet = 0; bullet < ShootData::kBulletCount; ++bullet) {
    bullets_[static_cast<size_t>(bullet)] = skin->findChild<QAbstractButton*>(kBulletPrefix + QString::number(bullet));
  }
  for (const QPointer<QAbstractButton>& option : guns_) {
    if (!option) continue;
    option->setCheckable(true);
    option->setAutoExclusive(true);
  }
  for (const QPointer<QAbstractButton>& option : bullets_) {
    if (!option) continue;
    option->setCheckable(true);
    option->setAutoExclusive(true);
  }
  gun_pictures_ = skin->findChild<QStackedWidget*>(QStringLiteral("shoot_image_display_switch"));
  bullet_number_ = skin->findChild<QLabel*>(QStringLiteral("bullet_select_index"));
  x_left_ = skin->findChild<QAbstractButton*>(kXCheck);
  y_up_ = skin->findChild<QAbstractButton*>(kYCheck);
  x_distance_ = skin->findChild<QLineEdit*>(kXEdit);
  y_distance_ = skin->findChild<QLineEdit*>(kYEdit);
  delay_ = skin->findChild<QLineEdit*>(kDelayEdit);
  for (QAbstractButton* box : {x_left_.data(), y_up_.data()}) {
    if (box) box->setCheckable(true);
  }
  ui::ResourceManager::Instance().Language().Bind(skin);
  built_ = true;
}

PanelResult CShootControlUI::Load(const std::string& device_data_folder, const std::string& defaults_folder) {
  data_.SetShootFolders(device_data_folder, defaults_folder);
  const PanelResult result = data_.InitShootData();
  data_.SelectGun(0);
  data_.SelectBullet(0);
  Refresh();
  return result;
}

std::optional<CShootControlUI::Action> CShootControlUI::OnClick(const QString& name) {
  if (name.compare(QLatin1String("shootdate_save_btn"), Qt::CaseInsensitive) == 0) return Action::kSendToMouse;
  if (name.compare(QLatin1String("bullet_selected_prev"), Qt::CaseInsensitive) == 0) {
    SelectBullet(data_.SelectedBullet() - 1);
  } else if (name.compare(QLatin1String("bullet_selected_next"), Qt::CaseInsensitive) == 0) {
    SelectBullet(data_.SelectedBullet() + 1);
  } else if (name.compare(QLatin1String("shootdate_reset_btn"), Qt::CaseInsensitive) == 0) {
    ShowFailure(data_.ResetGun(data_.SelectedGun()));
    data_.ShowBullet();
    Refresh();
  } else if (name.compare(QLatin1String("shootdate_import_btn"), Qt::CaseInsensitive) == 0) {
    const QString path = prompts_.File(QString::fromLatin1(kFileFilter), false);
    if (!path.isEmpty()) {
      ShowFailure(data_.ImportGun(path.toStdString()));
      Refresh();
    }
  } else if (name.compare(QLatin1String("shootdate_export_btn"), Qt::CaseInsensitive) == 0) {
    const QString path = prompts_.File(QString::fromLatin1(kFileFilter), true,
                                       QStringLiteral("ShootData_%1.shoot").arg(data_.SelectedGun()));
    if (!path.isEmpty()) ShowFailure(data_.ExportGun(path.toStdString()));
  } else {
    return std::nullopt;
  }
  return Action::kNone;
}

bool CShootControlUI::OnSelectChanged(const QString& name, bool checked) {
  if (const int gun = IndexedName(name, kGunPrefix, ShootData::kGunCount); gun >= 0) {
    if (checked) SelectGun(gun);
    return true;
  }
  if (const int bullet = IndexedName(name, kBulletPrefix, ShootData::kBulletCount); bullet >= 0) {
    if (checked) SelectBullet(bullet);
    return true;
  }
  if (name == kXCheck || name == kYCheck) {
    // The label follows at once; the direction is written with the bullet.
    SaveBullet();
    return true;
  }
  return false;
}

bool CShootControlUI::OnKillFocus(const QString& name) {
  if (name != kXEdit && name != kYEdit && name != kDelayEdit) return false;
  SaveBullet();
  return true;
}

void CShootControlUI::SelectGun(int gun) {
  data_.SelectGun(gun);
  Refresh();
}

void CShootControlUI::SelectBullet(int bullet) {
  data_.SelectBullet(bullet);
  Refresh();
}

void CShootControlUI::SaveBullet() {
  BulletFields& fields = data_.Fields();
  if (x_left_) fields.x_left = x_left_->isChecked();
  if (y_up_) fields.y_up = y_up_->isChecked();
  if (x_distance_) fields.x_text = x_distance_->text().toStdString();
  if (y_distance_) fields.y_text = y_distance_->text().toStdString();
  if (delay_) fields.delay_text = delay_->text().toStdString();
  ShowFailure(data_.SaveBullet());
  // The fields show what was stored (a field without a number is kept as 0).
  data_.ShowBullet();
  Refresh();
}

void CShootControlUI::ShowFailure(const PanelResult& result) {
  if (result.done()) return;
  if (!result.reason_key.empty()) platform::DebugOutput("shoot panel: " + result.reason_key);
  if (!result.message_key.empty()) (void)prompts_.Message(QString::fromStdString(result.message_key), 0);
}

void CShootControlUI::Refresh() {
  std::vector<std::unique_ptr<QSignalBlocker>> quiet;
  const auto block = [&quiet](QObject* control) {
    if (control != nullptr) quiet.push_back(std::make_unique<QSignalBlocker>(control));
  };
  for (const QPointer<QAbstractButton>& option : guns_) block(option);
  for (const QPointer<QAbstractButton>& option : bullets_) block(option);
  for (QObject* control : {static_cast<QObject*>(x_left_.data()), static_cast<QObject*>(y_up_.data()),
                           static_cast<QObject*>(x_distance_.data()), static_cast<QObject*>(y_distance_.data()),
                           static_cast<QObject*>(delay_.data())}) {
    block(control);
  }
  const int gun = data_.SelectedGun();
  const int bullet = data_.SelectedBullet();
  if (QAbstractButton* option = guns_[static_cast<size_t>(gun)]) option->setChecked(true);
  if (gun_pictures_ && gun < gun_pictures_->count()) gun_pictures_->setCurrentIndex(gun);
  if (bullet >= 0) {
    if (QAbstractButton* option = bullets_[static_cast<size_t>(bullet)]) option->setChecked(true);
  }
  if (bullet_number_) bullet_number_->setText(QString::number(data_.BulletNumber()));
  const BulletFields& fields = data_.Fields();
  if (x_left_) x_left_->setChecked(fields.x_left);
  if (y_up_) y_up_->setChecked(fields.y_up);
  if (x_distance_) x_distance_->setText(QString::fromStdString(fields.x_text));
  if (y_distance_) y_distance_->setText(QString::fromStdString(fields.y_text));
  if (delay_) delay_->setText(QString::fromStdString(fields.delay_text));
  ShowDirectionLabels();
}

void CShootControlUI::ShowDirectionLabels() {
  // The boxes' labels name the direction the stored bullet moves.
  if (x_left_) {
    x_left_->setProperty("textKey", QString::fromLatin1(data_.XLabelKey()));
    x_left_->setText(KeyText::Language(QString::fromLatin1(data_.XLabelKey())));
  }
  if (y_up_) {
    y_up_->setProperty("textKey", QString::fromLatin1(data_.YLabelKey()));
    y_up_->setText(KeyText::Language(QString::fromLatin1(data_.YLabelKey())));
  }
}

}  // namespace zt640
