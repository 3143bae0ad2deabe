#pragma once

#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QWidget>

#include "catalogue/device_kind.h"
#include "transport/power_record.h"


namespace zt640 {

/// The battery and power widget of one device: charge, charging state, the
/// wireless mark and, for a mouse pad, the phone lying on it. The inner layout
/// "device_power_Layout" shows only for a device type that runs on a battery.
class CMpDevicePowerUI : public QWidget {
  Q_OBJECT
 public:
  explicit CMpDevicePowerUI(const QString& skin_file, QWidget* parent = nullptr);

  [[nodiscard]] bool IsBuilt() const { return layout_ != nullptr; }
  void SetKindAndVariant(DeviceKind kind, int variant) {
    kind_ = kind;
    variant_ = variant;
  }
  [[nodiscard]] DeviceKind Kind() const { return kind_; }
  [[nodiscard]] int Variant() const { return variant_; }
  void SetWireless(bool wireless);
  void ShowPowerStatus(const PowerRecord& record);

  /// The image each charging state shows ("file='power/...'"), for states 0 to 2.
  [[nodiscard]] static QString StatusImage(int state);
  /// The language key of a phone type (1 iPhone, 2 Samsung, 3 other, else none).
  [[nodiscard]] static QString PhoneTypeKey(int type);

 private:
  QPointer<QWidget> layout_;
  QPointer<QLabel> value_;
  QPointer<QProgressBar> progress_;
  QPointer<QLabel> status_;
  QPointer<QLabel> wireless_logo_;
  QPointer<QLabel> phone_;
  DeviceKind kind_ = DeviceKind::kNone;
  int variant_ = 0;
};

}  // namespace zt640
