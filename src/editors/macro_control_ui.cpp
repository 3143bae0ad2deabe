#include "editors/macro_control_ui.h"

#include <QAbstractButton>
#include <QHeaderView>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QSize>
#include <algorithm>
#include <array>

#include "profiles/global_utils.h"
#include "profiles/json_access.h"
#include "profiles/macro_deletion.h"
#include "ui/embedded_skin.h"
#include "ui/resource_manager.h"

namespace zt640 {

namespace {

constexpr char kNameList[] = "macro_name_list";
constexpr char kNameEdit[] = "macro_edit_macroname";
constexpr char kEventList[] = "macro_action";
constexpr char kDelay[] = "macro_delay";
constexpr char kEventEditor[] = "macro_action_layout";

constexpr char kAdd[] = "macro_btn_name_add";
constexpr char kDelete[] = "macro_btn_name_sub";
constexpr char kRename[] = "macro_btn_name_edit";
constexpr char kSave[] = "macro_btn_save";
constexpr char kCancel[] = "macro_btn_cancel";
constexpr char kImport[] = "macro_btn_import";
constexpr char kExport[] = "macro_btn_export";

/// Buttons that act on the selected macro.
constexpr std::array<const char*, 5> kSelectionButtons = {kDelete, kRename, kSave, kCancel, kExport};
/// Recording and event-list editing: present in the panel, not available yet.
constexpr std::array<const char*, 8> kUnavailableButtons = {
    "macro_btn_starredio", "macro_btn_stopredio", "macro_btn_up",     "macro_btn_down",
    "macro_btn_uptop",     "macro_btn_downbottom", "macro_btn_delete", "macro_btn_deleteall"};
constexpr std::array<const char*, 7> kLibraryButtons = {kAdd, kDelete, kRename, kSave, kCancel, kImport, kExport};

enum EventColumn { kNameColumn, kActionColumn, kButtonColumn, kDelayColumn, kColumnCount };
constexpr std::array<const char*, kColumnCount> kColumnKeys = {"macro_event_name_text", "macro_event_action_text",
                                                              "macro_event_button_text", "macro_event_delay_text"};

bool Is(const QString& name, const char* control) { return name.compare(QLatin1String(control), Qt::CaseInsensitive) == 0; }

QTableWidgetItem* ReadOnlyItem(const QString& text) {
  auto* item = new QTableWidgetItem(text);
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  return item;
}

}  // namespace

CMacroControlUI::CMacroControlUI(QWidget* parent) : QWidget(parent) {
  setProperty("controlClass", QStringLiteral("CMacroControlUI"));
  QWidget* skin = ui::EmbedSkin(this, QStringLiteral("MacroControl.ui"), "macro panel");
  if (skin == nullptr) return;
  names_ = skin->findChild<QListWidget*>(QLatin1String(kNameList));
  name_edit_ = skin->findChild<QLineEdit*>(QLatin1String(kNameEdit));
  events_ = skin->findChild<QTableWidget*>(QLatin1String(kEventList));
  delay_ = skin->findChild<QLineEdit*>(QLatin1String(kDelay));
  event_editor_ = skin->findChild<QWidget*>(QLatin1String(kEventEditor));
  for (const char* name : kSelectionButtons) selection_buttons_.emplace_back(skin->findChild<QWidget*>(QLatin1String(name)));
  for (const char* name : kUnavailableButtons) {
    if (auto* button = skin->findChild<QWidget*>(QLatin1String(name))) button->setEnabled(false);
  }
  if (delay_) {
    delay_->setMaxLength(static_cast<int>(MacroEventEntry::kMaxDelayDigits));
    delay_->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,6}")), delay_));
  }
  if (events_) {
    events_->setColumnCount(kColumnCount);
    events_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    events_->setSelectionBehavior(QAbstractItemView::SelectRows);
    events_->setSelectionMode(QAbstractItemView::SingleSelection);
    events_->verticalHeader()->setDefaultSectionSize(kEntryHeight);
    connect(events_, &QTableWidget::currentCellChanged, this, [this](int row) { SelectEvent(row); });
  }
  ui::LanguageManager& language = ui::ResourceManager::Instance().Language();
  language.Bind(skin);
  connect(&language, &ui::LanguageManager::LanguageChanged, this, [this] { RefreshEvents(); });
  Refresh();
}

QString CMacroControlUI::Text(const char* key) const {
  return ui::ResourceManager::Instance().Language().Text(QLatin1String(key));
}

PanelResult CMacroControlUI::Load(const std::string& device_data_folder) {
  library_.SetMacroFolder(device_data_folder);
  const PanelResult result = library_.LoadMacroList();
  if (library_.GetSelectedMacro() < 0) library_.SelectMacro(0);
  event_row_ = -1;
  Refresh();
  return result;
}

void CMacroControlUI::Refresh() {
  RefreshNames();
  RefreshEvents();
  RefreshButtons();
}

void CMacroControlUI::RefreshNames() {
  if (!names_) return;
  const QSignalBlocker blocker(names_);
  const std::vector<MacroEntry>& entries = library_.Entries();
  bool same = names_->count() == static_cast<int>(entries.size());
  for (int i = 0; same && i < names_->count(); ++i) {
    same = names_->item(i)->text() == QString::fromStdString(entries[static_cast<size_t>(i)].name);
  }
  // Rebuilding only when the names differ keeps the list intact while it is still
  // delivering the user's own selection change.
  if (!same) {
    names_->clear();
    for (const MacroEntry& entry : entries) {
      auto* item = new QListWidgetItem(QString::fromStdString(entry.name), names_);
      item->setSizeHint(QSize(0, kEntryHeight));
    }
  }
  if (names_->currentRow() != library_.GetSelectedMacro()) names_->setCurrentRow(library_.GetSelectedMacro());
}

void CMacroControlUI::RefreshEvents() {
  const std::vector<MacroEventEntry>& events = library_.Events();
  const int count = static_cast<int>(events.size());
  if (event_row_ >= count) event_row_ = count - 1;
  if (event_row_ < 0 && count > 0) event_row_ = 0;
  if (events_) {
    const QSignalBlocker blocker(events_);
    QStringList headers;
    for (const char* key : kColumnKeys) headers << Text(key);
    events_->setHorizontalHeaderLabels(headers);
    events_->setRowCount(count);
    for (int row = 0; row < count; ++row) {
      const MacroEventEntry& entry = events[static_cast<size_t>(row)];
      const Json::Value event = CGlobalUtils::ParseJsonText(entry.json_text).value_or(Json::Value());
      const QString name = entry.labels.name_key.empty()
                               ? QString::number(JsonInt(MemberOrNull(event, "Type")))
                               : Text(entry.labels.name_key.c_str());
      const bool press = entry.labels.action_style == "macro_label_down_style";
      const QString action = entry.labels.action_text.empty()
                                 ? Text(press ? "macro_action_down_text" : "macro_action_up_text")
                                 : QString::fromStdString(entry.labels.action_text);
      events_->setItem(row, kNameColumn, ReadOnlyItem(name));
      events_->setItem(row, kActionColumn, ReadOnlyItem(action));
      events_->setItem(row, kButtonColumn, ReadOnlyItem(QString::number(JsonInt(MemberOrNull(event, "Button")))));
      events_->setItem(row, kDelayColumn, ReadOnlyItem(QString::fromStdString(entry.delay_text)));
    }
    events_->setCurrentCell(event_row_, event_row_ < 0 ? -1 : kNameColumn);
  }
  RefreshDelay();
}

void CMacroControlUI::RefreshDelay() {
  if (!delay_) return;
  const QSignalBlocker blocker(delay_);
  const std::vector<MacroEventEntry>& events = library_.Events();
  const bool valid = event_row_ >= 0 && event_row_ < static_cast<int>(events.size());
  delay_->setText(valid ? QString::fromStdString(events[static_cast<size_t>(event_row_)].delay_text) : QString());
  delay_->setEnabled(valid);
}

void CMacroControlUI::RefreshButtons() {
  const bool selected = library_.GetSelectedMacro() >= 0;
  for (const QPointer<QWidget>& button : selection_buttons_) {
    if (button) button->setEnabled(selected);
  }
  if (event_editor_) event_editor_->setVisible(selected);
}

void CMacroControlUI::SelectEvent(int row) {
  if (row == event_row_) return;
  TakeDelayText();
  event_row_ = row >= 0 && row < static_cast<int>(library_.Events().size()) ? row : -1;
  if (events_ && events_->currentRow() != event_row_) {
    const QSignalBlocker blocker(events_);
    events_->setCurrentCell(event_row_, event_row_ < 0 ? -1 : kNameColumn);
  }
  RefreshDelay();
}

void CMacroControlUI::TakeDelayText() {
  std::vector<MacroEventEntry>& events = library_.Events();
  if (!delay_ || event_row_ < 0 || event_row_ >= static_cast<int>(events.size())) return;
  MacroEventEntry& entry = events[static_cast<size_t>(event_row_)];
  entry.delay_text = delay_->text().toStdString();
  if (events_ && events_->item(event_row_, kDelayColumn) != nullptr) {
    events_->item(event_row_, kDelayColumn)->setText(delay_->text());
  }
}

std::optional<CMacroControlUI::ClickOutcome> CMacroControlUI::OnClick(const QString& name, const ProfileList& profiles,
                                                                      CBasicProfiledata& active) {
  for (const char* unavailable : kUnavailableButtons) {
    if (Is(name, unavailable)) return ClickOutcome{};
  }
  const auto button =
      std::find_if(kLibraryButtons.begin(), kLibraryButtons.end(), [&name](const char* b) { return Is(name, b); });
  if (button == kLibraryButtons.end()) return std::nullopt;
  const QString control = QLatin1String(*button);
  if (control == QLatin1String(kAdd)) return Add();
  if (control == QLatin1String(kDelete)) return Delete(profiles, active);
  if (control == QLatin1String(kRename)) return Rename();
  if (control == QLatin1String(kImport)) return Import();
  if (control == QLatin1String(kExport)) {
    Export();
  } else if (control == QLatin1String(kSave)) {
    Save();
  } else if (control == QLatin1String(kCancel)) {
    library_.ShowSelectedMacro();
    event_row_ = -1;
    RefreshEvents();
  }
  return ClickOutcome{};
}

CMacroControlUI::ClickOutcome CMacroControlUI::Add() {
  ClickOutcome outcome;
  const PanelResult result = library_.AddMacro();
  if (result.done()) {
    outcome.changes.push_back({LibraryChange::kAdded, static_cast<int>(library_.Entries().size()) - 1, result.value});
  }
  event_row_ = -1;
  Refresh();
  Show(result);
  return outcome;
}

CMacroControlUI::ClickOutcome CMacroControlUI::Delete(const ProfileList& profiles, CBasicProfiledata& active) {
  ClickOutcome outcome;
  const int selected = library_.GetSelectedMacro();
  if (selected < 0) return outcome;
  const std::string name = library_.Entries()[static_cast<size_t>(selected)].name;
  const MacroDeletionConfirmations confirmations{
      [this] { return prompts_.Message(QLatin1String(message_key::kConfirmMacroDelete), 1) == 1; },
      [this] { return prompts_.Message(QLatin1String(message_key::kConfirmMacroInUse), 1) == 1; }};
  const MacroDeletionOutcome deletion = MacroDeletion::DeleteWithReferences(library_, profiles, active, confirmations);
  // A deleted macro is reported even when some profile could not be rewritten: the
  // library has lost the entry either way.
  if (deletion.position >= 0) outcome.changes.push_back({LibraryChange::kDeleted, deletion.position, name});
  outcome.active_keys_changed = deletion.active_changed;
  event_row_ = -1;
  Refresh();
  Show(deletion.result);
  return outcome;
}

CMacroControlUI::ClickOutcome CMacroControlUI::Rename() {
  ClickOutcome outcome;
  const int selected = library_.GetSelectedMacro();
  if (selected < 0 || !name_edit_) return outcome;
  library_.SetNameEditText(name_edit_->text().toStdString());
  const PanelResult result = library_.RenameMacro();
  if (result.done()) {
    outcome.changes.push_back({LibraryChange::kRenamed, selected, result.value});
    const QSignalBlocker blocker(name_edit_);
    name_edit_->clear();
    RefreshNames();
  }
  Show(result);
  return outcome;
}

CMacroControlUI::ClickOutcome CMacroControlUI::Import() {
  ClickOutcome outcome;
  const QString path = prompts_.File(QLatin1String(kFileFilter), false);
  if (path.isEmpty()) return outcome;
  const PanelResult result = library_.ImportMacro(path.toStdString());
  if (result.done()) {
    outcome.changes.push_back({LibraryChange::kAdded, static_cast<int>(library_.Entries().size()) - 1, result.value});
  }
  event_row_ = -1;
  Refresh();
  Show(result);
  return outcome;
}

void CMacroControlUI::Export() {
  const int selected = library_.GetSelectedMacro();
  if (selected < 0) return;
  const QString suggested = QString::fromStdString(library_.Entries()[static_cast<size_t>(selected)].name) + ".mac";
  const QString path = prompts_.File(QLatin1String(kFileFilter), true, suggested);
  if (path.isEmpty()) return;
  Show(library_.ExportMacro(path.toStdString()));
}

void CMacroControlUI::Save() {
  TakeDelayText();
  const PanelResult result = library_.SaveSelectedMacro();
  RefreshEvents();
  Show(result);
}

bool CMacroControlUI::OnItemSelect(const QString& name, int index) {
  if (!Is(name, kNameList)) return false;
  library_.SelectMacro(index);
  event_row_ = -1;
  Refresh();
  return true;
}

bool CMacroControlUI::OnKillFocus(const QString& name) {
  if (!Is(name, kDelay)) return false;
  if (library_.GetSelectedMacro() >= 0 && event_row_ >= 0) Save();
  return true;
}

void CMacroControlUI::Show(const PanelResult& result) const {
  if (!result.message_key.empty()) (void)prompts_.Message(QString::fromStdString(result.message_key), 0);
}

}  // namespace zt640
