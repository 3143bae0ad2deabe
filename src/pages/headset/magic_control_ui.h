#pragma once

#include <QAbstractButton>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <array>

namespace zt640 {

/// The headset's voice changer panel, built from its skin: the box
/// "magic_enable_option" and, in "magic_option_layout" (shown only while the
/// box is ticked), the effects "magic_option_1".."4". Show calls block the
/// controls' signals.
class CMagicControlUI : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kEffectCount = 4;

  explicit CMagicControlUI(QWidget* parent = nullptr, const QString& skin_file = QStringLiteral("MagicControl.ui"));

  [[nodiscard]] bool IsBuilt() const { return built_; }

  /// The box, the effect (1-4; other values tick none) and whether the effects
  /// may be chosen.
  void ShowVoice(bool on, int effect, bool available);

 private:
  QPointer<QAbstractButton> enable_;
  QPointer<QWidget> layout_;
  std::array<QPointer<QAbstractButton>, kEffectCount> effects_;
  bool built_ = false;
};

}  // namespace zt640
