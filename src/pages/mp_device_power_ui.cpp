#include "pages/mp_device_power_ui.h"

#include <QLabel>
#include <QProgressBar>

#include "ui/embedded_skin.h"
#include "ui/resource_manager.h"

namespace zt640 {

CMpDevicePowerUI::CMpDevicePowerUI(const QString& skin_file, QWidget* parent) : QWidget(parent) {
  setProperty("controlClass", QStringLiteral("CMpDevicePowerUI"));
  QWidget* skin = ui::EmbedSkin(this, skin_file, "power widget");
  if (skin == nullptr) return;
  layout_ = skin->findChild<QWidget*>(QStringLiteral("device_power_Layout"));
  value_ = skin->findChild<QLabel*>(QStringLiteral("device_power_value"));
  progress_ = skin->findChild<QProgressBar*>(QStringLiteral("device_Power_progress"));
  status_ = skin->findChild<QLabel*>(QStringLiteral("device_power_status"));
  wireless_logo_ = skin->findChild<QLabel*>(QStringLiteral("device_wuxian_logo"));
  phone_ = skin->findChild<QLabel*>(QStringLiteral("device_phone_type"));
  if (phone_) phone_->hide();
}

void CMpDevicePowerUI::SetWireless(bool wireless) {
  if (layout_) layout_->setVisible(wireless);
}

QString CMpDevicePowerUI::StatusImage(int state) {
  switch (state) {
    case 0:
      return QStringLiteral("file='power/powered.png'");
    case 1:
      return QStringLiteral("file='power/powering.png'");
    case 2:
      return QStringLiteral("file='power/power.png'");
    default:
      return {};
  }
}

QString CMpDevicePowerUI::PhoneTypeKey(int type) {
  switch (type) {
    case 1:
      return QStringLiteral("Phone_type_iphone");
    case 2:
      return QStringLiteral("Phone_type_samsung");
    case 3:
      return QStringLiteral("Phone_type_other");
    default:
      return QStringLiteral("Phone_type_no_device");
  }
}

void CMpDevicePowerUI::ShowPowerStatus(const PowerRecord& record) {
  // A device reporting more than 100 % is shown full rather than as a negative bar.
  const int percent = std::min<int>(record.battery_percent(), 100);
  if (value_) value_->setText(QStringLiteral("%1%").arg(percent));
  if (progress_) progress_->setValue(100 - percent);
  if (status_) {
    const QString image = StatusImage(record.charge_state());
    status_->setProperty("image", image);
    static constexpr const char* kGlyphs[] = {"▮", "⚡", "▯"};
    status_->setText(record.charge_state() <= 2 ? QString::fromUtf8(kGlyphs[record.charge_state()]) : QString());
  }
  if (wireless_logo_) wireless_logo_->setVisible(record.via_receiver() != 0);
  if (phone_) {
    phone_->setVisible(kind_ == DeviceKind::kMousePad);
    if (kind_ == DeviceKind::kMousePad) {
      const QString key = PhoneTypeKey(record.phone_type());
      phone_->setProperty("textKey", key);
      phone_->setProperty("image", QStringLiteral("file='power/%1.png'").arg(key));
      phone_->setText(ui::ResourceManager::Instance().Language().Text(key));
    }
  }
}

}  // namespace zt640
