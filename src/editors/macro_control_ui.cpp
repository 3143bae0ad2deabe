#include "editors/macro_control_ui.h"

#include <QAbstractButton>
#include <QCursor>
#include <QHeaderView>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QSize>
#include <QTimer>
#include <algorithm>
#include <array>
#include <chrono>
#include <limits>

#include "platform/input/hook_event_sink.h"
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

constexpr char kStart[] = "macro_btn_starredio";
constexpr char kStop[] = "macro_btn_stopredio";
constexpr char kFixedTimeCheck[] = "macro_check_time";
constexpr char kFixedTime[] = "macro_fixed_time_edit";
constexpr char kInWindowNoteKey[] = "macro_in_window_record_text";
/// Delay before a recorded entry is scrolled into view.
constexpr int kScrollDelayMs = 50;

/// Buttons that act on the selected macro.
constexpr std::array<const char*, 5> kSelectionButtons = {kDelete, kRename, kSave, kCancel, kExport};
constexpr std::array<const char*, 7> kLibraryButtons = {kAdd, kDelete, kRename, kSave, kCancel, kImport, kExport};
/// Controls that a recording locks.
constexpr std::array<const char*, 4> kRecordingLocked = {"macro_name_tab", "macro_tab_macroaction_edit",
                                                         "macro_tab_macrodelay_edit", kEventList};

/// The list edit buttons and what they run.
struct ListEdit {
  const char* button;
  bool (*edit)(MacroEventList);
};
constexpr std::array<ListEdit, 6> kListEdits = {{
    {"macro_btn_up", &MacroRecorder::MoveEventUp},
    {"macro_btn_down", &MacroRecorder::MoveEventDown},
    {"macro_btn_uptop", &MacroRecorder::MoveEventToTop},
    {"macro_btn_downbottom", &MacroRecorder::MoveEventToBottom},
    {"macro_btn_delete", &MacroRecorder::DeleteEvent},
    {"macro_btn_deleteall", &MacroRecorder::DeleteAllEvents},
}};

/// The cursor-move buttons, their fields and their moves (in move_fields_ order).
struct MoveButton {
  const char* button;
  const char* field;
  MacroRecorder::MouseVariant variant;
};
constexpr std::array<MoveButton, 4> kMoveButtons = {{
    {"macro_inset_moveleftkey_btn", "mouse_x_left_edit", MacroRecorder::MouseVariant::kMoveLeft},
    {"macro_inset_moverightkey_btn", "mouse_x_right_edit", MacroRecorder::MouseVariant::kMoveRight},
    {"macro_inset_moveupkey_btn", "mouse_y_up_edit", MacroRecorder::MouseVariant::kMoveUp},
    {"macro_inset_movedownkey_btn", "mouse_y_down_edit", MacroRecorder::MouseVariant::kMoveDown},
}};

/// The mouse items of the "macro_action" menu: the press and/or release they insert.
struct MouseMenuItem {
  const char* item;
  std::uint32_t press;    ///< 0: none
  std::uint32_t release;  ///< 0: none
  MacroRecorder::MouseVariant variant;
};
namespace input = platform::input;
using Variant = MacroRecorder::MouseVariant;
constexpr std::array<MouseMenuItem, 15> kMouseMenuItems = {{
    {"left_down", input::kLeftButtonDown, 0, Variant::kNone},
    {"left_up", 0, input::kLeftButtonUp, Variant::kNone},
    {"left_click", input::kLeftButtonDown, input::kLeftButtonUp, Variant::kNone},
    {"middle_down", input::kMiddleButtonDown, 0, Variant::kNone},
    {"middle_up", 0, input::kMiddleButtonUp, Variant::kNone},
    {"middle_click", input::kMiddleButtonDown, input::kMiddleButtonUp, Variant::kNone},
    {"right_down", input::kRightButtonDown, 0, Variant::kNone},
    {"right_up", 0, input::kRightButtonUp, Variant::kNone},
    {"right_click", input::kRightButtonDown, input::kRightButtonUp, Variant::kNone},
    {"forward_down", input::kExtraButtonDown, 0, Variant::kForward},
    {"forward_up", 0, input::kExtraButtonUp, Variant::kForward},
    {"forward_click", input::kExtraButtonDown, input::kExtraButtonUp, Variant::kForward},
    {"back_down", input::kExtraButtonDown, 0, Variant::kBack},
    {"back_up", 0, input::kExtraButtonUp, Variant::kBack},
    {"back_click", input::kExtraButtonDown, input::kExtraButtonUp, Variant::kBack},
}};

/// The decimal number a field starts with (after blanks), saturating; 0 when none.
std::uint64_t LeadingNumber(const QString& text) {
  std::uint64_t value = 0;
  for (const QChar c : text.trimmed()) {
    if (c < QLatin1Char('0') || c > QLatin1Char('9')) break;
    const auto digit = static_cast<std::uint64_t>(c.unicode() - u'0');
    if (value > (std::numeric_limits<std::uint64_t>::max() - digit) / 10) return std::numeric_limits<std::uint64_t>::max();
    value = value * 10 + digit;
  }
  return value;
}

std::uint32_t SteadyTicks() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

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

CMacroControlUI::CMacroControlUI(QWidget* parent) : QWidget(parent), recorder_(&SteadyTicks) {
  setProperty("controlClass", QStringLiteral("CMacroControlUI"));
  QWidget* skin = ui::EmbedSkin(this, QStringLiteral("MacroControl.ui"), "macro panel");
  if (skin == nullptr) return;
  names_ = skin->findChild<QListWidget*>(QLatin1String(kNameList));
  name_edit_ = skin->findChild<QLineEdit*>(QLatin1String(kNameEdit));
  events_ = skin->findChild<QTableWidget*>(QLatin1String(kEventList));
  delay_ = skin->findChild<QLineEdit*>(QLatin1String(kDelay));
  event_editor_ = skin->findChild<QWidget*>(QLatin1String(kEventEditor));
  for (const char* name : kSelectionButtons) selection_buttons_.emplace_back(skin->findChild<QWidget*>(QLatin1String(name)));
  start_ = skin->findChild<QAbstractButton*>(QLatin1String(kStart));
  stop_ = skin->findChild<QAbstractButton*>(QLatin1String(kStop));
  fixed_time_check_ = skin->findChild<QAbstractButton*>(QLatin1String(kFixedTimeCheck));
  fixed_time_ = skin->findChild<QLineEdit*>(QLatin1String(kFixedTime));
  for (const char* name : kRecordingLocked) recording_locked_.emplace_back(skin->findChild<QWidget*>(QLatin1String(name)));
  for (size_t i = 0; i < kMoveButtons.size(); ++i) {
    move_fields_[i] = skin->findChild<QLineEdit*>(QLatin1String(kMoveButtons[i].field));
  }
  if (fixed_time_) fixed_time_->setText(QString::number(recorder_.FixedDelay()));
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
    events_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(events_, &QWidget::customContextMenuRequested, this, [this](const QPoint& position) {
      emit EventMenuRequested(events_->viewport()->mapToGlobal(position));
    });
  }
  SetRecordingState(false);
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
    for (int row = 0; row < count; ++row) FillRow(row);
    events_->setCurrentCell(event_row_, event_row_ < 0 ? -1 : kNameColumn);
  }
  RefreshDelay();
}

void CMacroControlUI::FillRow(int row) {
  const MacroEventEntry& entry = library_.Events()[static_cast<size_t>(row)];
  const Json::Value event = CGlobalUtils::ParseJsonText(entry.json_text).value_or(Json::Value());
  const QString name = entry.labels.name_key.empty() ? QString::number(JsonInt(MemberOrNull(event, "Type")))
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
  for (const ListEdit& edit : kListEdits) {
    if (Is(name, edit.button)) {
      (void)EditEvents(edit.edit);  // an edit that changes nothing (no event selected) is no failure
      return ClickOutcome{};
    }
  }
  for (const MoveButton& move : kMoveButtons) {
    // The cursor-move buttons are matched exactly, as the main window's routes do.
    if (name == QLatin1String(move.button)) {
      if (InsertMouseEvent(0, move.variant)) Save();
      return ClickOutcome{};
    }
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

void CMacroControlUI::SetTickSource(MacroRecorder::TickSource ticks) { recorder_.SetTickSource(std::move(ticks)); }

void CMacroControlUI::SetRecordingState(bool recording) {
  for (const QPointer<QWidget>& widget : recording_locked_) {
    if (widget) widget->setEnabled(!recording);
  }
  if (start_) start_->setVisible(!recording);
  if (stop_) stop_->setVisible(recording);
}

void CMacroControlUI::BeginRecording(int timing_mode) {
  TakeDelayText();
  if (timing_mode == static_cast<int>(MacroRecorder::Timing::kFixed)) ReadFixedTime();
  recorder_.Begin(timing_mode);
  SetRecordingState(true);
}

void CMacroControlUI::EndRecording() {
  recorder_.End();
  SetRecordingState(false);
}

bool CMacroControlUI::IsFixedTimeChecked() const { return fixed_time_check_ && fixed_time_check_->isChecked(); }

void CMacroControlUI::ReadFixedTime() {
  if (!fixed_time_) return;
  const std::uint64_t value = LeadingNumber(fixed_time_->text());
  if (value == recorder_.FixedDelay()) return;
  recorder_.SetFixedDelay(value);
  const QSignalBlocker blocker(fixed_time_);
  fixed_time_->setText(QString::number(recorder_.FixedDelay()));
  fixed_time_->setCursorPosition(static_cast<int>(fixed_time_->text().size()));
}

QRect CMacroControlUI::StopButtonScreenRect() const {
  if (!stop_ || !stop_->isVisible()) return {};
  return QRect(stop_->mapToGlobal(QPoint(0, 0)), stop_->size());
}

void CMacroControlUI::ShowRecorded(input::HookMode mode, MacroRecorder::Outcome outcome) {
  if (outcome == MacroRecorder::Outcome::kIgnored || !events_) {
    RefreshDelay();
    return;
  }
  const QSignalBlocker blocker(events_);
  if (outcome == MacroRecorder::Outcome::kAdded) {
    // Only the new row and the row before it (its delay) are shown again: a long
    // recording would otherwise rebuild thousands of rows per event.
    const int added = mode == input::HookMode::kRecordBefore ? event_row_ - 1 : event_row_;
    events_->insertRow(added);
    for (int row = std::max(0, added - 1); row <= added; ++row) FillRow(row);
  } else if (event_row_ >= 0) {
    FillRow(event_row_);
  }
  events_->setCurrentCell(event_row_, event_row_ < 0 ? -1 : kNameColumn);
  RefreshDelay();
  QTimer::singleShot(kScrollDelayMs, this, [this] {
    if (events_ && event_row_ >= 0 && events_->item(event_row_, kNameColumn) != nullptr) {
      events_->scrollToItem(events_->item(event_row_, kNameColumn));
    }
  });
}

bool CMacroControlUI::OnKeyEvent(input::HookMode mode, std::uint32_t message_id, const input::KeyHookRecord& record) {
  const MacroRecorder::Outcome outcome = recorder_.OnKeyEvent(mode, message_id, record, EventList());
  ShowRecorded(mode, outcome);
  return outcome != MacroRecorder::Outcome::kIgnored;
}

bool CMacroControlUI::OnMouseEvent(input::HookMode mode, std::uint32_t message_id,
                                   const input::MouseHookRecord& record) {
  // The system-wide hook cannot know the cursor position; the send is synchronous, so
  // the cursor is still where the click happened.
  const QPoint at = record.x == input::kUnknownCursorPosition ? QCursor::pos() : QPoint(record.x, record.y);
  const bool on_stop = StopButtonScreenRect().contains(at);
  const MacroRecorder::Outcome outcome = recorder_.OnMouseEvent(mode, message_id, record, on_stop, EventList());
  ShowRecorded(mode, outcome);
  return outcome != MacroRecorder::Outcome::kIgnored;
}

bool CMacroControlUI::InsertMouseEvent(std::uint32_t message_id, MacroRecorder::MouseVariant variant) {
  if (library_.GetSelectedMacro() < 0) return false;
  std::uint64_t distance = 0;
  for (size_t i = 0; i < kMoveButtons.size(); ++i) {
    if (kMoveButtons[i].variant == variant && move_fields_[i]) distance = LeadingNumber(move_fields_[i]->text());
  }
  TakeDelayText();
  if (!recorder_.InsertMouseEvent(message_id, variant, distance, EventList())) return false;
  RefreshEvents();
  return true;
}

bool CMacroControlUI::EditEvents(bool (*edit)(MacroEventList)) {
  if (library_.GetSelectedMacro() < 0) return false;
  TakeDelayText();
  if (!edit(EventList())) return false;
  Save();
  return true;
}

bool CMacroControlUI::MoveEventUp() { return EditEvents(&MacroRecorder::MoveEventUp); }
bool CMacroControlUI::MoveEventDown() { return EditEvents(&MacroRecorder::MoveEventDown); }
bool CMacroControlUI::MoveEventToTop() { return EditEvents(&MacroRecorder::MoveEventToTop); }
bool CMacroControlUI::MoveEventToBottom() { return EditEvents(&MacroRecorder::MoveEventToBottom); }
bool CMacroControlUI::DeleteEvent() { return EditEvents(&MacroRecorder::DeleteEvent); }
bool CMacroControlUI::DeleteAllEvents() { return EditEvents(&MacroRecorder::DeleteAllEvents); }

bool CMacroControlUI::OnMenuItem(const QString& item) {
  for (const MouseMenuItem& entry : kMouseMenuItems) {
    if (item != QLatin1String(entry.item)) continue;
    bool inserted = false;
    if (entry.press != 0) inserted = InsertMouseEvent(entry.press, entry.variant) || inserted;
    if (entry.release != 0) inserted = InsertMouseEvent(entry.release, entry.variant) || inserted;
    if (inserted) Save();
    return true;
  }
  return false;
}

void CMacroControlUI::NoteInWindowRecording() {
  if (in_window_noted_) return;
  in_window_noted_ = true;
  (void)prompts_.Message(QLatin1String(kInWindowNoteKey), 0);  // an OK box: its answer carries nothing
}

void CMacroControlUI::Show(const PanelResult& result) const {
  // An OK box: how it was closed carries nothing.
  if (!result.message_key.empty()) (void)prompts_.Message(QString::fromStdString(result.message_key), 0);
}

}  // namespace zt640
