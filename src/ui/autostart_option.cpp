#include "ui/autostart_option.h"

#include <QAbstractButton>
#include <QSignalBlocker>

#include "platform/diag/debug_output.h"
#include "platform/paths/program_paths.h"

namespace zt640::ui {

AutostartOption::AutostartOption(QAbstractButton* box, platform::AutostartEntry entry, std::string program)
    : QObject(box), box_(box), entry_(std::move(entry)), program_(std::move(program)) {
  box_->setCheckable(true);
  Refresh();
  connect(box_, &QAbstractButton::toggled, this, &AutostartOption::OnToggled);
}

AutostartOption* AutostartOption::BindIn(QObject* window) {
  if (window == nullptr) return nullptr;
  auto* box = window->findChild<QAbstractButton*>(QStringLiteral("autostart_check"));
  if (box == nullptr) return nullptr;
  const std::string folder = platform::ProgramFolder();
  return new AutostartOption(box, platform::AutostartEntry(platform::AutostartEntry::DefaultFolder()),
                             folder.empty() ? std::string() : folder + "/zt640");
}

void AutostartOption::Refresh() {
  const QSignalBlocker quiet(box_);
  box_->setChecked(entry_.IsEnabled());
}

void AutostartOption::OnToggled(bool checked) {
  const platform::AutostartResult result = checked ? entry_.Enable(program_) : entry_.Disable();
  if (result != platform::AutostartResult::kOk) {
    platform::DebugOutput("autostart entry " + entry_.Path() + (checked ? " not written" : " not removed"));
  }
  Refresh();
}

}  // namespace zt640::ui
