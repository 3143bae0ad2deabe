#include "pages/keyboard/keyboard_options_panel.h"

#include <QSignalBlocker>
#include <algorithm>
#include <memory>
#include <vector>

#include "ui/embedded_skin.h"
#include "ui/resource_manager.h"

namespace zt640 {

namespace {

const QString kWinLock = QStringLiteral("winlockflag_option");
const QString kWFlag = QStringLiteral("wflag_option");
const QString kSixFlag = QStringLiteral("6flag_option");
const QString kRepeatRate = QStringLiteral("repeat_rate_slider");
const QString kRepeatDelayPrefix = QStringLiteral("repeat_delay_check_");
const QString kPollingRatePrefix = QStringLiteral("polling_rate_option_");
const QString kDelayTime = QStringLiteral("repeat_delay_time_label1");
const QString kResetRepeat = QStringLiteral("reset_repeat_btn");

int ShownChoice(uint16_t value) { return value < KeyboardOptionsPanel::kChoiceCount ? value : 0; }

}  // namespace

KeyboardOptionsPanel::KeyboardOptionsPanel(QWidget* parent, const QString& skin_file) : QWidget(parent) {
  setProperty("controlClass", QStringLiteral("KeyboardOptionsPanel"));
  QWidget* skin = ui::EmbedSkin(this, skin_file, "keyboard options");
  if (skin == nullptr) return;
  win_lock_ = skin->findChild<QAbstractButton*>(kWinLock);
  w_flag_ = skin->findChild<QAbstractButton*>(kWFlag);
  six_flag_ = skin->findChild<QAbstractButton*>(kSixFlag);
  repeat_rate_ = skin->findChild<QAbstractSlider*>(kRepeatRate);
  delay_time_ = skin->findChild<QLabel*>(kDelayTime);
  reset_repeat_ = skin->findChild<QAbstractButton*>(kResetRepeat);
  for (int i = 0; i < kChoiceCount; ++i) {
    repeat_delay_[i] = skin->findChild<QAbstractButton*>(kRepeatDelayPrefix + QString::number(i));
    polling_rate_[i] = skin->findChild<QAbstractButton*>(kPollingRatePrefix + QString::number(i));
  }
  for (QAbstractButton* flag : {win_lock_.data(), w_flag_.data(), six_flag_.data()}) {
    if (flag) flag->setCheckable(true);
  }
  for (auto* group : {&repeat_delay_, &polling_rate_}) {
    for (const QPointer<QAbstractButton>& option : *group) {
      if (!option) continue;
      option->setCheckable(true);
      option->setAutoExclusive(true);
    }
  }
  for (int i = 0; i < kChoiceCount; ++i) {
    if (!repeat_delay_[i]) continue;
    repeat_delay_[i]->setToolTip(QStringLiteral("%1 ms").arg(RepeatDelayMs(i)));
    connect(repeat_delay_[i], &QAbstractButton::toggled, this, [this] { ShowDelayTime(); });
  }
  ui::ResourceManager::Instance().Language().Bind(skin);
  built_ = true;
}

void KeyboardOptionsPanel::ShowOptions(const KeyboardOptions& options) {
  // Every control is blocked: checking one choice unchecks its neighbours, whose
  // signals would otherwise reach the hub.
  std::vector<std::unique_ptr<QSignalBlocker>> blockers;
  const auto block = [&blockers](QObject* control) {
    if (control != nullptr) blockers.push_back(std::make_unique<QSignalBlocker>(control));
  };
  block(win_lock_);
  block(w_flag_);
  block(six_flag_);
  block(repeat_rate_);
  for (int i = 0; i < kChoiceCount; ++i) {
    block(repeat_delay_[i]);
    block(polling_rate_[i]);
  }

  if (win_lock_) win_lock_->setChecked(options.win_flag != 0);
  if (w_flag_) w_flag_->setChecked(options.w_flag != 0);
  if (six_flag_) six_flag_->setChecked(options.key6_flag != 0);
  if (repeat_rate_) repeat_rate_->setValue(options.repeat);
  if (QAbstractButton* delay = repeat_delay_[ShownChoice(options.repeat_delay)]) delay->setChecked(true);
  if (QAbstractButton* rate = polling_rate_[ShownChoice(options.polling_rate)]) rate->setChecked(true);
  ShowDelayTime();
}

KeyboardOptions KeyboardOptionsPanel::ReadOptions(const KeyboardOptions& base) const {
  KeyboardOptions options = base;
  if (win_lock_) options.win_flag = win_lock_->isChecked() ? 1 : 0;
  if (w_flag_) options.w_flag = w_flag_->isChecked() ? 1 : 0;
  if (six_flag_) options.key6_flag = six_flag_->isChecked() ? 1 : 0;
  if (repeat_rate_) options.repeat = static_cast<uint16_t>(std::clamp(repeat_rate_->value(), 0, 0xFFFF));
  if (const int delay = CheckedIndex(repeat_delay_); delay >= 0) options.repeat_delay = static_cast<uint16_t>(delay);
  if (const int rate = CheckedIndex(polling_rate_); rate >= 0) options.polling_rate = static_cast<uint16_t>(rate);
  return options;
}

bool KeyboardOptionsPanel::IsOptionControl(const QString& name) {
  if (name == kWinLock || name == kWFlag || name == kSixFlag || name == kRepeatRate || name == kResetRepeat) {
    return true;
  }
  const qsizetype split = name.lastIndexOf(QLatin1Char('_'));
  if (split < 0) return false;
  const QString prefix = name.left(split + 1);
  if (prefix != kRepeatDelayPrefix && prefix != kPollingRatePrefix) return false;
  const QString suffix = name.mid(split + 1);
  if (suffix.isEmpty() || !std::all_of(suffix.begin(), suffix.end(), [](QChar c) { return c.isDigit(); })) return false;
  return suffix.toInt() < kChoiceCount;
}

int KeyboardOptionsPanel::CheckedIndex(const std::array<QPointer<QAbstractButton>, kChoiceCount>& group) {
  for (int i = 0; i < kChoiceCount; ++i) {
    if (group[i] && group[i]->isChecked()) return i;
  }
  return -1;
}

void KeyboardOptionsPanel::ShowDelayTime() {
  if (!delay_time_) return;
  const int choice = CheckedIndex(repeat_delay_);
  delay_time_->setText(choice >= 0 ? QStringLiteral("%1 ms").arg(RepeatDelayMs(choice)) : QString());
}

}  // namespace zt640
