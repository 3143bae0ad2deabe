#include "update/update_info_list_item_ui.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>

#include "ui/resource_manager.h"

namespace zt640 {

namespace {

QString ColourName(uint32_t argb) { return QStringLiteral("#%1").arg(argb & 0xFFFFFFu, 6, 16, QLatin1Char('0')); }

QLabel* AddLabel(QHBoxLayout* layout, QWidget* parent, const char* name) {
  auto* label = new QLabel(parent);
  label->setObjectName(QLatin1String(name));
  layout->addWidget(label);
  return label;
}

}  // namespace

CUpdateInfoListItemUI::CUpdateInfoListItemUI(QWidget* parent) : QFrame(parent) {
  setObjectName(QStringLiteral("UpdateInfoListItemUI"));
  setFixedHeight(kHeight);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(12, 0, 12, 0);
  layout->setSpacing(12);
  check_ = new QCheckBox(this);
  check_->setObjectName(QStringLiteral("check_name_select"));
  layout->addWidget(check_, 2);
  old_rev_ = AddLabel(layout, this, "OldRev");
  new_rev_ = AddLabel(layout, this, "updateRev");
  layout->addStretch(1);
  status_text_ = AddLabel(layout, this, "update_status_text");
  progress_box_ = new QWidget(this);
  progress_box_->setObjectName(QStringLiteral("update_status_ing"));
  auto* progress_layout = new QHBoxLayout(progress_box_);
  progress_layout->setContentsMargins(0, 0, 0, 0);
  progress_value_ = AddLabel(progress_layout, progress_box_, "update_progress_value");
  layout->addWidget(progress_box_);
  done_mark_ = AddLabel(layout, this, "update_status_ok");
  done_mark_->setText(QStringLiteral("✓"));
  ApplyLook();
}

void CUpdateInfoListItemUI::SetRow(const UpdateRow& row) {
  check_->setText(QString::fromStdString(row.name));
  old_rev_->setText(QString::fromStdString(row.current_version_text));
  new_rev_->setText(QString::fromStdString(row.new_version_text));
  new_rev_->setVisible(!row.new_version_text.empty());
  path_ = QString::fromStdString(row.path);
  SetState(row.state);
  check_->setEnabled(row.check_enabled);
  check_->setChecked(row.checked);
}

void CUpdateInfoListItemUI::SetState(UpdateRowState state) {
  if (state == state_) return;
  state_ = state;
  ApplyLook();
}

void CUpdateInfoListItemUI::ApplyLook() {
  const UpdateRowLook& look = LookOf(state_);
  // The key travels with the label, so a language switch re-resolves it.
  status_text_->setProperty("textKey", QString::fromLatin1(look.status_text_key));
  status_text_->setText(ui::ResourceManager::Instance().Language().Text(QString::fromLatin1(look.status_text_key)));
  progress_box_->setVisible(look.progress_shown);
  done_mark_->setVisible(look.done_mark);
  check_->setEnabled(look.check_enabled);
  check_->setStyleSheet(QStringLiteral("QCheckBox { color: %1; } QCheckBox:checked { color: %2; } "
                                       "QCheckBox:disabled { color: %3; }")
                            .arg(ColourName(look.name_colour), ColourName(look.selected_colour),
                                 ColourName(look.disabled_colour)));
}

void CUpdateInfoListItemUI::SetProgress(int percent) {
  progress_value_->setText(QStringLiteral("%1%2").arg(percent).arg(QStringLiteral("%")));
}

void CUpdateInfoListItemUI::SetCheckEnabled(bool enabled) { check_->setEnabled(enabled); }
void CUpdateInfoListItemUI::SetChecked(bool checked) { check_->setChecked(checked); }
bool CUpdateInfoListItemUI::IsChecked() const { return check_->isChecked(); }
bool CUpdateInfoListItemUI::IsCheckEnabled() const { return check_->isEnabled(); }

}  // namespace zt640
