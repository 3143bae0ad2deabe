// The main window's user preferences: language, background, the desktop's own
// keyboard and mouse settings, and the about box.
#include <QApplication>
#include <QDir>
#include <QLayout>
#include <QPushButton>

#include "platform/diag/debug_output.h"
#include "platform/paths/program_paths.h"
#include "platform/settings/registry_store.h"
#include "shell/about_wnd.h"
#include "shell/language_choice.h"
#include "shell/main_wnd.h"
#include "shell/skin_frame.h"
#include "ui/language_manager.h"
#include "ui/resource_manager.h"

namespace zt640 {

namespace {
constexpr char kNoSystemSettingsKey[] = "system_settings_none_text";
constexpr char kSystemSettingsFailedKey[] = "system_settings_failed_text";

}  // namespace

void CMainWnd::ApplyLanguage(int index, bool save) {
  if (index == language_index_) return;
  (void)ApplyLanguageFrom(ui::LanguageManager::ReadLanguageList(language_config_), index, save);  // reported inside
}

bool CMainWnd::ApplyLanguageFrom(const std::vector<ui::LanguageEntry>& list, int index, bool save) {
  if (index == language_index_) return true;
  // Before the first language the program's style sheet, applied at start, already
  // holds the fonts.
  if (language_index_ != -1 && LanguageChangeRebuildsFonts(language_index_, index)) RebuildFonts();
  language_index_ = index;
  if (index < 0 || static_cast<std::size_t>(index) >= list.size()) {
    platform::DebugOutput("language list missing or without entry " + std::to_string(index) +
                          "; the texts stay as they are");
    return false;
  }
  const ui::LanguageEntry& entry = list[static_cast<std::size_t>(index)];
  // Loading re-resolves every bound text, in this window and every other open one,
  // and tells the panels that draw their own texts.
  QString error;
  const bool loaded = ui::ResourceManager::Instance().LoadLanguage(entry.file, &error);
  if (!loaded) platform::DebugOutput(error.toStdString());
  if (save) {
    platform::RegistryStore store(platform::RegistryStore::DefaultPath());
    if (!SaveLanguageId(store, static_cast<std::uint32_t>(entry.id))) {
      platform::DebugOutput("language choice not kept: the settings store cannot be written");
    }
  }
  update();
  if (layout() != nullptr) layout()->activate();
  return loaded;
}

void CMainWnd::LoadBaseLanguage() {
  QString error;
  if (!ui::ResourceManager::Instance().LoadLanguage(QStringLiteral("lan_cn.xml"), &error)) {
    platform::DebugOutput(error.toStdString());
  }
  update();
  if (layout() != nullptr) layout()->activate();
}

void CMainWnd::RebuildFonts() {
  // The style sheet names the faces and sizes of every window; applying it again
  // re-resolves them for the new language's glyphs.
  qApp->setStyleSheet(ui::ResourceManager::Instance().StyleSheet(dpi_));
}

SkinChoiceFile CMainWnd::SkinFile() const {
  const std::string root = platform::UserDataRoot();
  const QString path = root.empty() ? QString() : QDir(QString::fromStdString(root)).filePath(SkinChoiceFile::kFileName);
  return SkinChoiceFile(path, ui::ResourceManager::Instance().ResourcePath());
}

void CMainWnd::ApplySkin(const SkinChoice& choice) {
  skin_ = choice;
  QWidget* root = FindControl(QStringLiteral("root"));
  if (root == nullptr) return;
  if (choice.kind == SkinChoice::Kind::kColour) {
    root->setStyleSheet(
        QStringLiteral("QFrame#root { background: %1; border-image: none; }").arg(choice.colour.name()));
    return;
  }
  const QString file = SkinImageFile(ui::ResourceManager::Instance().ResourcePath(), choice.image);
  root->setStyleSheet(QStringLiteral("QFrame#root { background: none; %1 }").arg(StretchedImageStyle(file)));
}

CSkinFrame* CMainWnd::SkinFrame() const { return skin_frame_.data(); }

void CMainWnd::OpenSkinFrame() {
  if (skin_frame_) skin_frame_->close();
  auto* frame = new CSkinFrame(this, SkinFile(), [this](const SkinChoice& choice) { ApplySkin(choice); }, prompts_);
  const QRect anchor = skin_button_ ? QRect(skin_button_->mapToGlobal(QPoint(0, 0)), skin_button_->size())
                                    : QRect(mapToGlobal(QPoint(0, 0)), QSize(width(), 0));
  QString error;
  if (!frame->Open(anchor, dpi_, &error)) {
    platform::DebugOutput("skin frame not opened: " + error.toStdString());
    delete frame;
    return;
  }
  skin_frame_ = frame;
}

void CMainWnd::OpenSystemSettingsPanel(int index) {
  switch (OpenSystemSettings(index, system_settings_)) {
    case SystemSettingsResult::kStarted:
    case SystemSettingsResult::kUnknownIndex:
      break;
    case SystemSettingsResult::kNoPanel:
      (void)prompts_.Message(QString::fromLatin1(kNoSystemSettingsKey), 0);  // confirm only
      break;
    case SystemSettingsResult::kStartFailed:
      (void)prompts_.Message(QString::fromLatin1(kSystemSettingsFailedKey), 0);  // confirm only
      break;
  }
}

void CMainWnd::OpenAboutBox() {
  if (about_) {
    about_->raise();
    about_->activateWindow();
    return;
  }
  CAboutWnd box(this);
  QString error;
  if (!box.Setup(dpi_, &error)) {
    platform::DebugOutput("about box not shown: " + error.toStdString());
    return;
  }
  about_ = &box;
  (void)box.ShowModal();  // the box has no answer
}

}  // namespace zt640
