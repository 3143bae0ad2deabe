#include "shell/damaged_file_status.h"

#include <QBoxLayout>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>
#include <QPointer>

#include "profiles/damaged_files.h"
#include "ui/resource_manager.h"

namespace zt640 {

namespace {

constexpr char kNoticeLabelName[] = "damaged_file_label";
/// Space between the notice and its neighbours on the status line, in pixels.
constexpr int kNoticeGap = 12;

/// The notice label beside the status line, made on the first notice.
QLabel* NoticeLabel(QLabel& status_line) {
  QWidget* parent = status_line.parentWidget();
  if (parent == nullptr) return nullptr;
  if (auto* label = parent->findChild<QLabel*>(QLatin1String(kNoticeLabelName), Qt::FindDirectChildrenOnly)) {
    return label;
  }
  auto* label = new QLabel(parent);
  label->setObjectName(QLatin1String(kNoticeLabelName));
  label->setContentsMargins(kNoticeGap, 0, kNoticeGap, 0);
  if (auto* layout = qobject_cast<QBoxLayout*>(parent->layout())) {
    layout->insertWidget(layout->indexOf(&status_line) + 1, label);
  }
  label->show();
  return label;
}

void Show(QLabel& status_line, const DamagedFileNotice& notice) {
  QLabel* label = NoticeLabel(status_line);
  if (label == nullptr) return;
  const QString path = QString::fromStdString(notice.path);
  const QString backup = QString::fromStdString(notice.backup_path);
  const QString text =
      ui::ResourceManager::Instance().Language().Text(QStringLiteral("status_damaged_file_text"));
  label->setText(text.arg(QFileInfo(path).fileName(), QFileInfo(backup).fileName()));
  const QString earlier = label->toolTip();
  label->setToolTip((earlier.isEmpty() ? QString() : earlier + QLatin1Char('\n')) + text.arg(path, backup));
}

}  // namespace

void ShowDamagedFilesOn(QLabel* status_line) {
  const QPointer<QLabel> status(status_line);
  DamagedFiles::SetListener([status](const DamagedFileNotice& notice) {
    QCoreApplication* application = QCoreApplication::instance();
    if (application == nullptr) return;
    QMetaObject::invokeMethod(
        application,
        [status, notice] {
          if (status) Show(*status, notice);
        },
        Qt::QueuedConnection);
  });
}

}  // namespace zt640
