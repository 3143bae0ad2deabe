#include "editors/key_set_control_ui.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QStandardItemModel>
#include <QVBoxLayout>
#include <algorithm>
#include <cstring>
#include <span>

#include "editors/key_capture_edit.h"
#include "platform/diag/debug_output.h"
#include "profiles/key_catalogue.h"
#include "profiles/key_tables.h"
#include "ui/builder_callback.h"
#include "ui/control_factory.h"
#include "ui/key_text.h"
#include "ui/resource_manager.h"
#include "ui/skin_loader.h"

namespace zt640 {

namespace {

/// Item data role holding the language key of a list entry's text.
constexpr int kTextKeyRole = Qt::UserRole + 1;
constexpr const char* kKeyNamePrefix = "keyboard_key_";
constexpr const char* kDisabledNameKey = "close_text";
/// Position of the keyboard page that stands for a disabled key; the other
/// positions without a key carry the same value and stay hidden.
constexpr size_t kDisabledPosition = 104;
constexpr size_t kSpacePosition = 94;
/// First position of each row of the keyboard page, then the position count.
constexpr std::array<size_t, 8> kKeyboardRowStarts{0, 16, 37, 57, 74, 91, 104, EditorKeyboardPage::kPositionCount};

/// Where a list's entries come from.
enum class ListEntries { kSkin, kKeyTable, kGunNames, kMacroNames };

/// A list of the editor, the row of the controls it shows and picks, and its
/// entries. FindWidgets, Refresh, ReadBack and OnItemSelect all go by this table.
struct ListField {
  const char* name;
  int KeySetControls::*row;
  ListEntries entries;
  std::span<const KeyTableRow> (*table)() = nullptr;  ///< for kKeyTable
};

constexpr std::array<ListField, CKeySetControlUI::kListCount> kListFields{{
    {"keyset_function_combo", &KeySetControls::function_selection, ListEntries::kSkin},
    {"keyset_mousekey_combo", &KeySetControls::mouse_key_row, ListEntries::kKeyTable, &KeyTables::MouseButtons},
    {"keyset_mouseswing_combo", &KeySetControls::swing_direction, ListEntries::kSkin},
    {"keyset_mousewheel_combo", &KeySetControls::wheel_direction, ListEntries::kSkin},
    {"keyset_mousedpi_combo", &KeySetControls::dpi_row, ListEntries::kKeyTable, &KeyTables::DpiActions},
    {"keyset_media_combo", &KeySetControls::media_row, ListEntries::kKeyTable, &KeyTables::ConsumerControls},
    {"keyset_system_combo", &KeySetControls::system_row, ListEntries::kKeyTable, &KeyTables::SystemControls},
    {"keyset_macro_combo", &KeySetControls::macro_row, ListEntries::kMacroNames},
    {"keyset_macro_over_combo", &KeySetControls::play_mode, ListEntries::kSkin},
    {"keyset_gunkey_combo", &KeySetControls::gun_row, ListEntries::kGunNames},
    {"keyset_combokey_combo", &KeySetControls::combo_row, ListEntries::kKeyTable, &KeyTables::CombinationKeys},
}};
static_assert(std::ranges::all_of(kListFields, [](const ListField& field) { return field.name != nullptr; }),
              "kListCount is the number of lists in the table");

/// An edit of the editor and the text of the controls it shows. Every one of
/// them saves the assignment at once when the user changed its text.
struct EditField {
  const char* name;
  std::string KeySetControls::*text;
};

constexpr std::array<EditField, CKeySetControlUI::kEditCount> kEditFields{{
    {"keyset_mouseswing_num_edit", &KeySetControls::swing_count},
    {"keyset_mouseswing_delay_edit", &KeySetControls::swing_delay},
    {"keyset_mouseswing_speed_edit", &KeySetControls::swing_speed},
    {"keyset_mousewheel_num_edit", &KeySetControls::wheel_count},
    {"keyset_mousewheel_delay_edit", &KeySetControls::wheel_delay},
    {"keyset_mousewheel_speed_edit", &KeySetControls::wheel_speed},
    {"keyset_mousefire_interval_edit", &KeySetControls::fire_interval},
    {"keyset_mousefire_num_edit", &KeySetControls::fire_count},
    {"keyset_macro_cycle_edit", &KeySetControls::cycle_text},
}};
static_assert(std::ranges::all_of(kEditFields, [](const EditField& field) { return field.name != nullptr; }),
              "kEditCount is the number of edits in the table");

/// Lets the skin name the capture field's own class.
class KeySetBuilder : public ui::BuilderCallback {
 public:
  QWidget* CreateControl(const QString& class_name, QWidget* parent) override {
    if (class_name == QLatin1String("KeyCaptureEdit")) return new KeyCaptureEdit(parent);
    return nullptr;
  }
};

bool SameName(const QString& a, const char* b) { return a.compare(QLatin1String(b), Qt::CaseInsensitive) == 0; }

/// N of "<prefix>N" (prefix without case, N decimal below `count`).
std::optional<size_t> IndexAfterPrefix(const QString& name, const char* prefix, size_t count) {
  const QLatin1String start(prefix);
  if (!name.startsWith(start, Qt::CaseInsensitive)) return std::nullopt;
  const QString digits = name.mid(start.size());
  bool ok = false;
  const uint value = digits.toUInt(&ok, 10);
  if (!ok || digits.isEmpty() || !digits.front().isDigit() || value >= count) return std::nullopt;
  return static_cast<size_t>(value);
}

/// The text of a name key in the current language, readable when the language
/// file lacks it.
QString NameText(const QString& key) { return QString::fromStdString(KeyText::ForNameKey(key.toStdString())); }

QString PositionNameKey(size_t position) {
  if (const std::optional<size_t> row = EditorKeyboardPage::CatalogueRow(position)) {
    return QString::fromUtf8(KeyCatalogue::Rows()[*row].name_key);
  }
  return QString::fromLatin1(kDisabledNameKey);
}

void FillFromTable(QComboBox* combo, std::span<const KeyTableRow> table) {
  if (combo == nullptr) return;
  const QSignalBlocker block(combo);
  combo->clear();
  for (const KeyTableRow& row : table) {
    combo->addItem(QString());
    combo->setItemData(combo->count() - 1, QString::fromUtf8(row.name_key), kTextKeyRole);
  }
  combo->setCurrentIndex(-1);
}

/// Keeps the skin's entry texts as language keys of the entries.
void KeepItemKeys(QComboBox* combo) {
  if (combo == nullptr) return;
  for (int i = 0; i < combo->count(); ++i) combo->setItemData(i, combo->itemText(i), kTextKeyRole);
}

void ShowIndex(QComboBox* combo, int index) {
  if (combo == nullptr) return;
  const QSignalBlocker block(combo);
  combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
}

void ShowText(QLineEdit* edit, const std::string& text) {
  if (edit == nullptr) return;
  const QString shown = QString::fromStdString(text);
  if (edit->text() == shown) return;
  const QSignalBlocker block(edit);
  edit->setText(shown);
}

void ReadIndex(const QComboBox* combo, int& field) {
  if (combo != nullptr) field = combo->currentIndex();
}

void ReadText(const QLineEdit* edit, std::string& field) {
  if (edit != nullptr) field = edit->text().toStdString();
}

}  // namespace

CKeySetControlUI::CKeySetControlUI(QWidget* parent) : QWidget(parent) {
  setProperty("controlClass", QStringLiteral("CKeySetControlUI"));
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  KeySetBuilder builder;
  ui::SkinLoader loader(ui::ControlFactory::Instance(), &builder);
  QString error;
  root_ = loader.Build(ui::ResourceManager::Instance().SkinPath(QString::fromLatin1(kSkinFile)), this, &error);
  if (root_ == nullptr) {
    platform::DebugOutput("key assignment editor skin not built: " + error.toStdString());
    return;
  }
  layout->addWidget(root_);
  FindWidgets();
  editor_ = KeySetEditor(FunctionEntriesFromSkin());
  for (size_t i = 0; i < kListFields.size(); ++i) {
    if (kListFields[i].entries == ListEntries::kSkin) KeepItemKeys(w_.lists[i]);
  }
  FillTableCombos();
  BuildKeyboardPage();
  ui::LanguageManager& language = ui::ResourceManager::Instance().Language();
  language.Bind(root_);
  connect(&language, &ui::LanguageManager::LanguageChanged, this, [this] { Retranslate(); });
  Retranslate();
  Refresh();
}

void CKeySetControlUI::FindWidgets() {
  w_.panel = root_->objectName() == QLatin1String("keyset_layout")
                 ? root_
                 : root_->findChild<QWidget*>(QStringLiteral("keyset_layout"));
  w_.pages = root_->findChild<QStackedWidget*>(QStringLiteral("function_switch_tablayout"));
  for (size_t i = 0; i < kListFields.size(); ++i) {
    w_.lists[i] = root_->findChild<QComboBox*>(QLatin1String(kListFields[i].name));
  }
  for (size_t i = 0; i < kEditFields.size(); ++i) {
    w_.edits[i] = root_->findChild<QLineEdit*>(QLatin1String(kEditFields[i].name));
  }
  w_.keyboard_text = root_->findChild<QLineEdit*>(QStringLiteral("keyset_keyboard_text_edit"));
  w_.cycle_layout = root_->findChild<QWidget*>(QStringLiteral("keyset_macro_cycle_layout"));
  for (size_t box = 0; box < w_.modifier_boxes.size(); ++box) {
    w_.modifier_boxes[box] = root_->findChild<QAbstractButton*>(QStringLiteral("key_ComBox_check_%1").arg(box));
  }
  if (w_.keyboard_text != nullptr) w_.keyboard_text->setReadOnly(true);
  if (auto* capture = qobject_cast<KeyCaptureEdit*>(w_.keyboard_text)) {
    connect(capture, &KeyCaptureEdit::KeyCaptured, this, &CKeySetControlUI::KeyCaptured);
  }
}

QComboBox* CKeySetControlUI::List(int KeySetControls::*row) const {
  for (size_t i = 0; i < kListFields.size(); ++i) {
    if (kListFields[i].row == row) return w_.lists[i];
  }
  return nullptr;
}

void CKeySetControlUI::SetOwnKeyCapture(bool on) {
  if (auto* capture = qobject_cast<KeyCaptureEdit*>(w_.keyboard_text)) capture->SetOwnCapture(on);
}

bool CKeySetControlUI::OwnKeyCapture() const {
  const auto* capture = qobject_cast<const KeyCaptureEdit*>(w_.keyboard_text);
  return capture != nullptr && capture->OwnCapture();
}

std::vector<KeySetFunctionEntry> CKeySetControlUI::FunctionEntriesFromSkin() {
  std::vector<KeySetFunctionEntry> entries;
  QComboBox* function = List(&KeySetControls::function_selection);
  if (function == nullptr) return KeySetEditor().controls().function_entries;
  // The skin gives the entries' user data as one comma-separated list
  // ("itemData"); an empty piece leaves its entry without a number.
  const QStringList data = function->property("itemData").toString().split(QLatin1Char(','));
  for (int i = 0; i < function->count(); ++i) {
    const QString text = i < data.size() ? data[i].trimmed() : QString();
    function->setItemData(i, text, Qt::UserRole);
    bool ok = false;
    const int number = text.toInt(&ok);
    entries.push_back(KeySetFunctionEntry{ok ? std::optional<int>(number) : std::nullopt, true});
  }
  return entries;
}

void CKeySetControlUI::FillTableCombos() {
  for (size_t i = 0; i < kListFields.size(); ++i) {
    QComboBox* combo = w_.lists[i];
    if (kListFields[i].entries == ListEntries::kKeyTable) FillFromTable(combo, kListFields[i].table());
    if (kListFields[i].entries != ListEntries::kGunNames || combo == nullptr) continue;
    const QSignalBlocker block(combo);
    combo->clear();
    for (const char* key : KeyTables::GunKeyNames()) {
      combo->addItem(QString());
      combo->setItemData(combo->count() - 1, QString::fromUtf8(key), kTextKeyRole);
    }
    combo->setCurrentIndex(-1);
  }
}

void CKeySetControlUI::BuildKeyboardPage() {
  QWidget* page = root_->findChild<QWidget*>(QLatin1String(kKeyboardPageName));
  if (page == nullptr) return;
  keyboard_group_ = new QButtonGroup(this);
  keyboard_group_->setExclusive(true);
  auto* rows = new QVBoxLayout(page);
  rows->setContentsMargins(0, 0, 0, 0);
  rows->setSpacing(2);
  for (size_t r = 0; r + 1 < kKeyboardRowStarts.size(); ++r) {
    auto* row = new QHBoxLayout;
    row->setSpacing(2);
    for (size_t position = kKeyboardRowStarts[r]; position < kKeyboardRowStarts[r + 1]; ++position) {
      auto* key = new QPushButton(page);
      key->setObjectName(QString::fromStdString(EditorKeyboardPage::OptionName(position)));
      key->setCheckable(true);
      key->setFocusPolicy(Qt::NoFocus);
      key->setMinimumSize(30, 24);
      key->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
      key->setProperty("keyNameKey", PositionNameKey(position));
      const bool has_key = EditorKeyboardPage::CatalogueRow(position).has_value();
      key->setVisible(has_key || position == kDisabledPosition);
      keyboard_group_->addButton(key, static_cast<int>(position));
      w_.keyboard_keys[position] = key;
      row->addWidget(key, position == kSpacePosition ? 4 : 0);
    }
    row->addStretch(1);
    rows->addLayout(row);
  }
}

void CKeySetControlUI::Retranslate() {
  for (QComboBox* combo : root_->findChildren<QComboBox*>()) {
    for (int i = 0; i < combo->count(); ++i) {
      const QVariant key = combo->itemData(i, kTextKeyRole);
      if (key.isValid()) combo->setItemText(i, NameText(key.toString()));
    }
  }
  for (QAbstractButton* key : w_.keyboard_keys) {
    if (key == nullptr) continue;
    // Long names do not fit a small key; the tip always shows the whole name.
    const QString text = NameText(key->property("keyNameKey").toString());
    key->setText(text);
    key->setToolTip(text);
  }
  if (w_.keyboard_text != nullptr) {
    const std::string& key = editor_.controls().keyboard_text;
    const QSignalBlocker block(w_.keyboard_text);
    w_.keyboard_text->setText(key.empty() ? QString() : NameText(QString::fromStdString(key)));
  }
}

void CKeySetControlUI::SetDeviceKind(DeviceKind kind) {
  ReadBack();
  editor_.SetDeviceKind(kind);
  Refresh();
}

void CKeySetControlUI::FillMacroList(std::vector<std::string> names) {
  ReadBack();
  editor_.FillMacroList(std::move(names));
  Refresh();
}

bool CKeySetControlUI::RenameMacro(size_t index, std::string name) {
  ReadBack();
  const bool renamed = editor_.RenameMacro(index, std::move(name));
  if (renamed) Refresh();
  return renamed;
}

void CKeySetControlUI::AppendMacro(std::string name) {
  ReadBack();
  editor_.controls().macro_names.push_back(std::move(name));
  Refresh();
}

void CKeySetControlUI::RemoveMacro(size_t index) {
  ReadBack();
  KeySetControls& c = editor_.controls();
  if (index >= c.macro_names.size()) return;
  c.macro_names.erase(c.macro_names.begin() + static_cast<std::ptrdiff_t>(index));
  const int removed = static_cast<int>(index);
  if (c.macro_row == removed) {
    c.macro_row = -1;
  } else if (c.macro_row > removed) {
    --c.macro_row;
  }
  Refresh();
}

void CKeySetControlUI::ShowKey(const KeyListEntry& entry) {
  ReadBack();
  editor_.ShowKey(entry);
  Refresh();
}

void CKeySetControlUI::Refresh() {
  if (root_ == nullptr) return;
  const KeySetControls& c = editor_.controls();
  if (QComboBox* macro = List(&KeySetControls::macro_row)) {
    bool same = macro->count() == static_cast<int>(c.macro_names.size());
    for (int i = 0; same && i < macro->count(); ++i) {
      same = macro->itemText(i) == QString::fromStdString(c.macro_names[static_cast<size_t>(i)]);
    }
    if (!same) {
      const QSignalBlocker block(macro);
      macro->clear();
      for (const std::string& name : c.macro_names) macro->addItem(QString::fromStdString(name));
    }
  }
  if (QComboBox* function = List(&KeySetControls::function_selection)) {
    auto* view = qobject_cast<QListView*>(function->view());
    auto* model = qobject_cast<QStandardItemModel*>(function->model());
    for (int i = 0; i < function->count(); ++i) {
      const size_t entry = static_cast<size_t>(i);
      const bool visible = entry >= c.function_entries.size() || c.function_entries[entry].visible;
      if (view != nullptr) view->setRowHidden(i, !visible);
      // A disabled entry is also skipped by the wheel and the arrow keys.
      if (model != nullptr && model->item(i) != nullptr) model->item(i)->setEnabled(visible);
    }
  }
  for (size_t i = 0; i < kListFields.size(); ++i) ShowIndex(w_.lists[i], c.*kListFields[i].row);
  for (size_t i = 0; i < kEditFields.size(); ++i) ShowText(w_.edits[i], c.*kEditFields[i].text);
  if (w_.pages != nullptr && c.page >= 0 && c.page < w_.pages->count()) {
    const QSignalBlocker block(w_.pages);
    w_.pages->setCurrentIndex(c.page);
  }
  if (w_.panel != nullptr) w_.panel->setVisible(c.panel_visible);
  if (w_.cycle_layout != nullptr) w_.cycle_layout->setVisible(c.cycle_visible);

  if (keyboard_group_ != nullptr) {
    // An exclusive group refuses to leave every option unchecked.
    keyboard_group_->setExclusive(false);
    for (size_t position = 0; position < w_.keyboard_keys.size(); ++position) {
      QAbstractButton* key = w_.keyboard_keys[position];
      if (key == nullptr) continue;
      const QSignalBlocker block(key);
      key->setChecked(static_cast<int>(position) == c.keyboard_position);
    }
    keyboard_group_->setExclusive(true);
  }
  for (size_t box = 0; box < w_.modifier_boxes.size(); ++box) {
    if (w_.modifier_boxes[box] == nullptr) continue;
    const QSignalBlocker block(w_.modifier_boxes[box]);
    w_.modifier_boxes[box]->setChecked(c.modifier_boxes[box]);
  }
  if (w_.keyboard_text != nullptr) {
    const QSignalBlocker block(w_.keyboard_text);
    w_.keyboard_text->setText(c.keyboard_text.empty() ? QString() : NameText(QString::fromStdString(c.keyboard_text)));
  }
  RememberEditTexts();
}

void CKeySetControlUI::ReadBack() {
  if (root_ == nullptr) return;
  KeySetControls& c = editor_.controls();
  for (size_t i = 0; i < kListFields.size(); ++i) ReadIndex(w_.lists[i], c.*kListFields[i].row);
  for (size_t i = 0; i < kEditFields.size(); ++i) ReadText(w_.edits[i], c.*kEditFields[i].text);
  if (keyboard_group_ != nullptr) c.keyboard_position = keyboard_group_->checkedId();
  for (size_t box = 0; box < w_.modifier_boxes.size(); ++box) {
    if (w_.modifier_boxes[box] != nullptr) c.modifier_boxes[box] = w_.modifier_boxes[box]->isChecked();
  }
  // The key-name field is read-only: it shows the name key's text and is never read.
}

CKeySetControlUI::Action CKeySetControlUI::Store(Action action) {
  last_entry_ = editor_.Read();
  RememberEditTexts();
  return action;
}

void CKeySetControlUI::RememberEditTexts() {
  for (QLineEdit* edit : w_.edits) {
    if (edit != nullptr) shown_edit_texts_.insert(edit->objectName(), edit->text());
  }
}

bool CKeySetControlUI::IsSavingEdit(const QString& name) {
  for (const EditField& field : kEditFields) {
    if (SameName(name, field.name)) return true;
  }
  return false;
}

QLineEdit* CKeySetControlUI::EditByName(const QString& name) const {
  for (QLineEdit* edit : w_.edits) {
    if (edit != nullptr && edit->objectName().compare(name, Qt::CaseInsensitive) == 0) return edit;
  }
  return nullptr;
}

std::optional<CKeySetControlUI::Action> CKeySetControlUI::OnClick(const QString& name) {
  if (SameName(name, "key_butt_keysave")) {
    ReadBack();
    return Store(Action::kStore);
  }
  if (SameName(name, "key_butt_prosave")) {
    ReadBack();
    return Store(Action::kStoreToProfile);
  }
  if (SameName(name, "key_butt_keydefalut")) {
    ReadBack();
    editor_.ShowDefault();
    Refresh();
    return Action::kNone;
  }
  if (SameName(name, "key_butt_keycancel")) {
    ReadBack();
    editor_.ShowCurrent();
    Refresh();
    return Action::kNone;
  }
  return std::nullopt;
}

std::optional<CKeySetControlUI::Action> CKeySetControlUI::OnItemSelect(const QString& name, int index) {
  KeySetControls& c = editor_.controls();
  if (SameName(name, "keyset_function_combo")) {
    ReadBack();
    editor_.SelectFunction(index);
  } else if (SameName(name, "keyset_macro_over_combo")) {
    ReadBack();
    editor_.SelectPlayMode(index);
  } else {
    const ListField* list = nullptr;
    for (const ListField& field : kListFields) {
      if (SameName(name, field.name)) list = &field;
    }
    if (list == nullptr) return std::nullopt;
    ReadBack();
    c.*list->row = index;
  }
  Refresh();
  return Action::kNone;
}

std::optional<CKeySetControlUI::Action> CKeySetControlUI::OnSelectChanged(const QString& name, bool checked) {
  if (const std::optional<size_t> position =
          IndexAfterPrefix(name, kKeyNamePrefix, EditorKeyboardPage::kPositionCount)) {
    ReadBack();
    if (checked) {
      editor_.SelectKeyboardPosition(static_cast<int>(*position));
      // The key-name field follows the picked key, so it never names another one.
      const std::optional<size_t> row = EditorKeyboardPage::CatalogueRow(*position);
      editor_.controls().keyboard_text = row ? KeyCatalogue::Rows()[*row].name_key : "";
    }
    Refresh();
    return Action::kNone;
  }
  if (const std::optional<size_t> box = IndexAfterPrefix(name, "key_ComBox_check_", 5)) {
    ReadBack();
    editor_.controls().modifier_boxes[*box] = checked;
    Refresh();
    return Action::kNone;
  }
  return std::nullopt;
}

std::optional<CKeySetControlUI::Action> CKeySetControlUI::OnKillFocus(const QString& name) {
  if (SameName(name, "keyset_keyboard_text_edit")) return Action::kNone;
  if (!IsSavingEdit(name)) return std::nullopt;
  ReadBack();
  const QLineEdit* edit = EditByName(name);
  if (edit == nullptr || edit->text() == shown_edit_texts_.value(edit->objectName())) return Action::kNone;
  return Store(Action::kStore);
}

std::optional<CKeySetControlUI::Action> CKeySetControlUI::CaptureKey(uint8_t scan_code, bool extended) {
  ReadBack();
  const std::optional<KeyListEntry> entry = editor_.CaptureKey(scan_code, extended);
  if (!entry) return Action::kNone;
  last_entry_ = *entry;
  Refresh();
  return Action::kStore;
}

}  // namespace zt640
