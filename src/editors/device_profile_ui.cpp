#include "editors/device_profile_ui.h"

#include <QSignalBlocker>
#include <QSize>
#include <algorithm>
#include <array>

#include "profiles/import_file.h"
#include "ui/embedded_skin.h"
#include "ui/resource_manager.h"

namespace zt640 {

namespace {

constexpr char kCombo[] = "device_profile_combo";
constexpr char kNameEdit[] = "device_profile_name_edit";
constexpr char kButtonRow[] = "profile_fun_layout";
constexpr char kAdd[] = "device_add_btn";
constexpr char kDelete[] = "device_sub_btn";
constexpr char kCopy[] = "device_copy_btn";
constexpr char kReset[] = "device_reset_btn";
constexpr char kImport[] = "device_import_btn";
constexpr char kExport[] = "device_export_btn";
constexpr char kRename[] = "device_profile_edit_save_btn";
constexpr char kSpread[] = "profile_fun_spread_btn";

constexpr std::array<const char*, 7> kButtons = {kAdd, kDelete, kCopy, kReset, kImport, kExport, kRename};

bool Is(const QString& name, const char* control) { return name.compare(QLatin1String(control), Qt::CaseInsensitive) == 0; }

/// An import candidate must at least look like a profile before anything happens;
/// anything else is ignored without a word.
bool LooksLikeProfile(const std::string& path) {
  const std::optional<ImportedFile> file = ImportFile::ReadObject(path);
  return file && file->document.isMember("profilename") && file->document.isMember("profileUUID");
}

}  // namespace

CDeviceProfileUI::CDeviceProfileUI(QWidget* parent) : QWidget(parent) {
  setProperty("controlClass", QStringLiteral("CDeviceProfileUI"));
  QWidget* skin = ui::EmbedSkin(this, QStringLiteral("DeviceProfile.ui"), "profile panel");
  if (skin == nullptr) return;
  combo_ = skin->findChild<QComboBox*>(QLatin1String(kCombo));
  name_edit_ = skin->findChild<QLineEdit*>(QLatin1String(kNameEdit));
  button_row_ = skin->findChild<QWidget*>(QLatin1String(kButtonRow));
  spread_button_ = skin->findChild<QAbstractButton*>(QLatin1String(kSpread));
  ui::ResourceManager::Instance().Language().Bind(skin);
}

PanelResult CDeviceProfileUI::Load(DeviceKind device_kind, const std::string& device_data_folder,
                                   const std::string& default_profile_path) {
  list_.SetDeviceKind(device_kind);
  list_.SetProfileFolders(device_data_folder, default_profile_path);
  const PanelResult result = list_.LoadProfileList();
  Refresh();
  return result;
}

void CDeviceProfileUI::Refresh() {
  if (combo_) {
    const QSignalBlocker blocker(combo_);
    combo_->clear();
    for (const ProfileEntry& entry : list_.Entries()) {
      combo_->addItem(QString::fromStdString(entry.name));
      combo_->setItemData(combo_->count() - 1, QSize(0, kEntryHeight), Qt::SizeHintRole);
    }
    combo_->setCurrentIndex(list_.GetSelectedProfile());
  }
  RefreshNameEdit();
}

void CDeviceProfileUI::RefreshNameEdit() {
  if (!name_edit_) return;
  const QSignalBlocker blocker(name_edit_);
  name_edit_->setText(QString::fromStdString(list_.NameEditText()));
}

std::optional<CDeviceProfileUI::Follow> CDeviceProfileUI::OnClick(const QString& name) {
  if (name == QLatin1String(kSpread)) {
    ToggleExpanded();
    return Follow::kNone;
  }
  const auto button = std::find_if(kButtons.begin(), kButtons.end(), [&name](const char* b) { return Is(name, b); });
  if (button == kButtons.end()) return std::nullopt;
  const QString control = QLatin1String(*button);
  if (control == QLatin1String(kAdd) || control == QLatin1String(kCopy)) {
    const PanelResult result = control == QLatin1String(kAdd) ? list_.AddProfile() : list_.CopyProfile();
    Refresh();
    Show(result);
  } else if (control == QLatin1String(kDelete)) {
    return Delete();
  } else if (control == QLatin1String(kReset)) {
    return Reset();
  } else if (control == QLatin1String(kRename)) {
    Rename();
  } else if (control == QLatin1String(kImport)) {
    Import();
  } else if (control == QLatin1String(kExport)) {
    Export();
  }
  return Follow::kNone;
}

CDeviceProfileUI::Follow CDeviceProfileUI::Delete() {
  const std::string active_before = list_.GetActiveProfileUuid();
  const PanelResult result = list_.DeleteProfile();
  Refresh();
  Show(result);
  return result.done() && list_.GetActiveProfileUuid() != active_before ? Follow::kActivateSelected : Follow::kNone;
}

CDeviceProfileUI::Follow CDeviceProfileUI::Reset() {
  if (list_.GetSelectedProfile() < 0) return Follow::kNone;
  if (prompts_.Message(QLatin1String(message_key::kConfirmReset), 1) != 1) return Follow::kNone;
  const PanelResult result = list_.ResetProfile();
  Show(result);
  return result.done() ? Follow::kReloadActive : Follow::kNone;
}

void CDeviceProfileUI::Rename() {
  if (!name_edit_ || name_edit_->text().isEmpty()) return;
  const PanelResult result = list_.RenameProfile(name_edit_->text().toStdString());
  // A refused name stays in the field for the user to correct; otherwise the panel
  // shows what the list holds now.
  if (result.status != PanelStatus::kRefused) Refresh();
  Show(result);
}

void CDeviceProfileUI::Import() {
  if (list_.GetSelectedProfile() < 0) return;
  const QString path = prompts_.File(QLatin1String(kFileFilter), false);
  if (path.isEmpty() || !LooksLikeProfile(path.toStdString())) return;
  const PanelResult result = list_.ImportProfile(path.toStdString());
  Refresh();
  Show(result);
}

void CDeviceProfileUI::Export() {
  const int selected = list_.GetSelectedProfile();
  if (selected < 0) return;
  const QString suggested = QString::fromStdString(list_.Entries()[static_cast<size_t>(selected)].name) + ".json";
  const QString path = prompts_.File(QLatin1String(kFileFilter), true, suggested);
  if (path.isEmpty()) return;
  Show(list_.ExportProfile(path.toStdString()));
}

void CDeviceProfileUI::ToggleExpanded() {
  expanded_ = !expanded_;
  if (button_row_) button_row_->setVisible(expanded_);
  if (spread_button_) spread_button_->setText(expanded_ ? QStringLiteral("\u25B4") : QStringLiteral("\u25BE"));
}

bool CDeviceProfileUI::OnItemSelect(const QString& name, int index) {
  if (!Is(name, kCombo)) return false;
  list_.ChooseEntry(index);
  RefreshNameEdit();
  return true;
}

void CDeviceProfileUI::Show(const PanelResult& result) const {
  // An OK box: how it was closed carries nothing.
  if (!result.message_key.empty()) (void)prompts_.Message(QString::fromStdString(result.message_key), 0);
}

}  // namespace zt640
