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

/// The fields whose change saves the assignment at once.
constexpr std::array<const char*, 9> kSavingEdits{
    "keyset_mouseswing_num_edit",  "keyset_mouseswing_delay_edit",   "keyset_mouseswing_speed_edit",
    "keyset_mousewheel_num_edit",  "keyset_mousewheel_delay_edit",   "keyset_mousewheel_speed_edit",
    "keyset_mousefire_interval_edit", "keyset_mousefire_num_edit", "keyset_macro_cycle_edit"};

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
  KeepItemKeys(w_.function);
  KeepItemKeys(w_.swing_direction);
  KeepItemKeys(w_.wheel_direction);
  KeepItemKeys(w_.play_mode);
  FillTableCombos();
  BuildKeyboardPage();
  ui::LanguageManager& language = ui::ResourceManager::Instance().Language();
  language.Bind(root_);
  connect(&language, &ui::LanguageManager::LanguageChanged, this, [this] { Retranslate(); });
  Retranslate();
  Refresh();
}

void CKeySetControlUI::FindWidgets() {
  auto combo = [this](const char* name) { return root_->findChild<QComboBox*>(QLatin1String(name)); };
  auto edit = [this](const char* name) { return root_->findChild<QLineEdit*>(QLatin1String(name)); };
  w_.panel = root_->objectName() == QLatin1String("keyset_layout")
                 ? root_
                 : root_->findChild<QWidget*>(QStringLiteral("keyset_layout"));
  w_.function = combo("keyset_function_combo");
  w_.pages = root_->findChild<QStackedWidget*>(QStringLiteral("function_switch_tablayout"));
  w_.mouse_key = combo("keyset_mousekey_combo");
  w_.swing_direction = combo("keyset_mouseswing_combo");
  w_.swing_count = edit("keyset_mouseswing_num_edit");
  w_.swing_delay = edit("keyset_mouseswing_delay_edit");
  w_.swing_speed = edit("keyset_mouseswing_speed_edit");
  w_.wheel_direction = combo("keyset_mousewheel_combo");
  w_.wheel_count = edit("keyset_mousewheel_num_edit");
  w_.wheel_delay = edit("keyset_mousewheel_delay_edit");
  w_.wheel_speed = edit("keyset_mousewheel_speed_edit");
  w_.dpi = combo("keyset_mousedpi_combo");
  w_.fire_interval = edit("keyset_mousefire_interval_edit");
  w_.fire_count = edit("keyset_mousefire_num_edit");
  w_.keyboard_text = edit("keyset_keyboard_text_edit");
  w_.media = combo("keyset_media_combo");
  w_.system = combo("keyset_system_combo");
  w_.macro = combo("keyset_macro_combo");
  w_.play_mode = combo("keyset_macro_over_combo");
  w_.cycle_layout = root_->findChild<QWidget*>(QStringLiteral("keyset_macro_cycle_layout"));
  w_.cycle = edit("keyset_macro_cycle_edit");
  w_.gun = combo("keyset_gunkey_combo");
  w_.combination = combo("keyset_combokey_combo");
  for (size_t box = 0; box < w_.modifier_boxes.size(); ++box) {
    w_.modifier_boxes[box] = root_->findChild<QAbstractButton*>(QStringLiteral("key_ComBox_check_%1").arg(box));
  }
  if (w_.keyboard_text != nullptr) w_.keyboard_text->setReadOnly(true);
  if (auto* capture = qobject_cast<KeyCaptureEdit*>(w_.keyboard_text)) {
    connect(capture, &KeyCaptureEdit::KeyCaptured, this, &CKeySetControlUI::KeyCaptured);
  }
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
  if (w_.function == nullptr) return KeySetEditor().controls().function_entries;
  // The skin gives the entries' user data as one comma-separated list
  // ("itemData"); an empty piece leaves its entry without a number.
  const QStringList data = w_.function->property("itemData").toString().split(QLatin1Char(','));
  for (int i = 0; i < w_.function->count(); ++i) {
    const QString text = i < data.size() ? data[i].trimmed() : QString();
    w_.function->setItemData(i, text, Qt::UserRole);
    bool ok = false;
    const int number = text.toInt(&ok);
    entries.push_back(KeySetFunctionEntry{ok ? std::optional<int>(number) : std::nullopt, true});
  }
  return entries;
}

void CKeySetControlUI::FillTableCombos() {
  FillFromTable(w_.mouse_key, KeyTables::MouseButtons());
  FillFromTable(w_.dpi, KeyTables::DpiActions());
  FillFromTable(w_.media, KeyTables::ConsumerControls());
  FillFromTable(w_.system, KeyTables::SystemControls());
  FillFromTable(w_.combination, KeyTables::CombinationKeys());
  if (w_.gun != nullptr) {
    const QSignalBlocker block(w_.gun);
    w_.gun->clear();
    for (const char* key : KeyTables::GunKeyNames()) {
      w_.gun->addItem(QString());
      w_.gun->setItemData(w_.gun->count() - 1, QString::fromUtf8(key), kTextKeyRole);
    }
    w_.gun->setCurrentIndex(-1);
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
  if (w_.function != nullptr) {
    auto* view = qobject_cast<QListView*>(w_.function->view());
    auto* model = qobject_cast<QStandardItemModel*>(w_.function->model());
    for (int i = 0; i < w_.function->count(); ++i) {
      const size_t entry = static_cast<size_t>(i);
      const bool visible = entry >= c.function_entries.size() || c.function_entries[entry].visible;
      if (view != nullptr) view->setRowHidden(i, !visible);
      // A disabled entry is also skipped by the wheel and the arrow keys.
      if (model != nullptr && model->item(i) != nullptr) model->item(i)->setEnabled(visible);
    }
    ShowIndex(w_.function, c.function_selection);
  }
  if (w_.pages != nullptr && c.page >= 0 && c.page < w_.pages->count()) {
    const QSignalBlocker block(w_.pages);
    w_.pages->setCurrentIndex(c.page);
  }
  if (w_.panel != nullptr) w_.panel->setVisible(c.panel_visible);

  ShowIndex(w_.mouse_key, c.mouse_key_row);
  ShowIndex(w_.swing_direction, c.swing_direction);
  ShowText(w_.swing_count, c.swing_count);
  ShowText(w_.swing_delay, c.swing_delay);
  ShowText(w_.swing_speed, c.swing_speed);
  ShowIndex(w_.wheel_direction, c.wheel_direction);
  ShowText(w_.wheel_count, c.wheel_count);
  ShowText(w_.wheel_delay, c.wheel_delay);
  ShowText(w_.wheel_speed, c.wheel_speed);
  ShowIndex(w_.dpi, c.dpi_row);
  ShowText(w_.fire_interval, c.fire_interval);
  ShowText(w_.fire_count, c.fire_count);
  ShowIndex(w_.media, c.media_row);
  ShowIndex(w_.system, c.system_row);
  ShowIndex(w_.gun, c.gun_row);
  ShowIndex(w_.combination, c.combo_row);

  if (w_.macro != nullptr) {
    bool same = w_.macro->count() == static_cast<int>(c.macro_names.size());
    for (int i = 0; same && i < w_.macro->count(); ++i) {
      same = w_.macro->itemText(i) == QString::fromStdString(c.macro_names[static_cast<size_t>(i)]);
    }
    if (!same) {
      const QSignalBlocker block(w_.macro);
      w_.macro->clear();
      for (const std::string& name : c.macro_names) w_.macro->addItem(QString::fromStdString(name));
    }
    ShowIndex(w_.macro, c.macro_row);
  }
  ShowIndex(w_.play_mode, c.play_mode);
  if (w_.cycle_layout != nullptr) w_.cycle_layout->setVisible(c.cycle_visible);
  ShowText(w_.cycle, c.cycle_text);

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
  ReadIndex(w_.function, c.function_selection);
  ReadIndex(w_.mouse_key, c.mouse_key_row);
  ReadIndex(w_.swing_direction, c.swing_direction);
  ReadText(w_.swing_count, c.swing_count);
  ReadText(w_.swing_delay, c.swing_delay);
  ReadText(w_.swing_speed, c.swing_speed);
  ReadIndex(w_.wheel_direction, c.wheel_direction);
  ReadText(w_.wheel_count, c.wheel_count);
  ReadText(w_.wheel_delay, c.wheel_delay);
  ReadText(w_.wheel_speed, c.wheel_speed);
  ReadIndex(w_.dpi, c.dpi_row);
  ReadText(w_.fire_interval, c.fire_interval);
  ReadText(w_.fire_count, c.fire_count);
  ReadIndex(w_.media, c.media_row);
  ReadIndex(w_.system, c.system_row);
  ReadIndex(w_.macro, c.macro_row);
  ReadIndex(w_.play_mode, c.play_mode);
  ReadText(w_.cycle, c.cycle_text);
  ReadIndex(w_.gun, c.gun_row);
  ReadIndex(w_.combination, c.combo_row);
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
  for (QLineEdit* edit : {w_.swing_count, w_.swing_delay, w_.swing_speed, w_.wheel_count, w_.wheel_delay,
                          w_.wheel_speed, w_.fire_interval, w_.fire_count, w_.cycle}) {
    if (edit != nullptr) shown_edit_texts_.insert(edit->objectName(), edit->text());
  }
}

bool CKeySetControlUI::IsSavingEdit(const QString& name) {
  for (const char* field : kSavingEdits) {
    if (SameName(name, field)) return true;
  }
  return false;
}

QLineEdit* CKeySetControlUI::EditByName(const QString& name) const {
  for (QLineEdit* edit : {w_.swing_count, w_.swing_delay, w_.swing_speed, w_.wheel_count, w_.wheel_delay,
                          w_.wheel_speed, w_.fire_interval, w_.fire_count, w_.cycle}) {
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
    const std::array<std::pair<const char*, int*>, 9> rows{{
        {"keyset_mousekey_combo", &c.mouse_key_row},
        {"keyset_mouseswing_combo", &c.swing_direction},
        {"keyset_mousewheel_combo", &c.wheel_direction},
        {"keyset_mousedpi_combo", &c.dpi_row},
        {"keyset_media_combo", &c.media_row},
        {"keyset_system_combo", &c.system_row},
        {"keyset_macro_combo", &c.macro_row},
        {"keyset_gunkey_combo", &c.gun_row},
        {"keyset_combokey_combo", &c.combo_row},
    }};
    int* row = nullptr;
    for (const auto& [row_name, field] : rows) {
      if (SameName(name, row_name)) row = field;
    }
    if (row == nullptr) return std::nullopt;
    ReadBack();
    *row = index;
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
