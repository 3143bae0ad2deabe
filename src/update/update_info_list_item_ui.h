#pragma once

#include <QFrame>
#include <QString>

#include "update/update_pass.h"
#include "update/update_row_state.h"

class QCheckBox;
class QLabel;

namespace zt640 {

/// One row of the update list: a check option "check_name_select" with the target's
/// name, the current version in "OldRev", the new one in "updateRev" (hidden when
/// empty), the state's text in "update_status_text", the progress ("update_status_ing"
/// with "update_progress_value") and the done mark "update_status_ok" as the state
/// asks. Keeps the row's download path.
class CUpdateInfoListItemUI : public QFrame {
  Q_OBJECT
 public:
  static constexpr int kHeight = 50;

  explicit CUpdateInfoListItemUI(QWidget* parent = nullptr);

  /// Shows `row`: its name, versions, state, path and check box.
  void SetRow(const UpdateRow& row);

  /// Changes the state and its look; the state it already has changes nothing.
  void SetState(UpdateRowState state);
  [[nodiscard]] UpdateRowState State() const { return state_; }

  /// Shows `percent` as "%d%".
  void SetProgress(int percent);

  void SetCheckEnabled(bool enabled);
  void SetChecked(bool checked);
  [[nodiscard]] bool IsChecked() const;
  [[nodiscard]] bool IsCheckEnabled() const;

  [[nodiscard]] const QString& DownloadPath() const { return path_; }

 private:
  void ApplyLook();

  QCheckBox* check_ = nullptr;
  QLabel* old_rev_ = nullptr;
  QLabel* new_rev_ = nullptr;
  QLabel* status_text_ = nullptr;
  QWidget* progress_box_ = nullptr;
  QLabel* progress_value_ = nullptr;
  QLabel* done_mark_ = nullptr;
  UpdateRowState state_ = UpdateRowState::kUpToDate;
  QString path_;
};

}  // namespace zt640
