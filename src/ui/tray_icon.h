#pragma once

#include <QIcon>
#include <QObject>
#include <QString>
#include <cstdint>

class QSystemTrayIcon;

namespace zt640::ui {

class WindowImplBase;

/// The window's icon in the desktop's status area. Clicks arrive at the owner window as
/// posted message `message` with lparam 514 (left button up) or 517 (right button up),
/// as the owner's handler expects.
class TrayIcon : public QObject {
  Q_OBJECT
 public:
  static constexpr std::int64_t kLeftButtonUp = 514;
  static constexpr std::int64_t kRightButtonUp = 517;

  explicit TrayIcon(QObject* parent = nullptr);
  ~TrayIcon() override;

  /// Shows the icon; false when the desktop has no status area (nothing is shown).
  bool CreateTrayIcon(WindowImplBase* owner, const QIcon& icon, const QString& tooltip, std::uint32_t message);
  void DeleteTrayIcon();

  [[nodiscard]] bool IsShown() const;
  [[nodiscard]] static bool IsAvailable();

 private:
  QSystemTrayIcon* icon_ = nullptr;
};

}  // namespace zt640::ui
