#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFile>
#include <QTemporaryDir>

#include <string>

#include "platform/paths/autostart_entry.h"
#include "support/qt_app.h"
#include "ui/autostart_option.h"

namespace zt640::ui {
namespace {

std::string ReadText(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
}

TEST(AutostartEntry_EntryText, StartsTheProgramHiddenWithItsPathQuoted) {
  struct Case {
    std::string program;
    std::string exec;
  };
  const Case cases[] = {
      {"/usr/bin/zt640", "Exec=\"/usr/bin/zt640\" --hidden\n"},
      {"/opt/my apps/zt640", "Exec=\"/opt/my apps/zt640\" --hidden\n"},
      {"/home/a\"b/$x/`y`/zt640", "Exec=\"/home/a\\\"b/\\$x/\\`y\\`/zt640\" --hidden\n"},
      {"/home/100%/zt640", "Exec=\"/home/100%%/zt640\" --hidden\n"},
      {"/home/back\\slash/zt640", "Exec=\"/home/back\\\\\\\\slash/zt640\" --hidden\n"},
      {"", "Exec=zt640 --hidden\n"},
  };
  for (const Case& c : cases) {
    const std::string text = platform::AutostartEntry::EntryText(c.program);
    EXPECT_NE(text.find(c.exec), std::string::npos) << c.program << "\n" << text;
    EXPECT_EQ(text.rfind("[Desktop Entry]\nType=Application\n", 0), 0u);
  }
}

TEST(AutostartOption, TheBoxWritesAndRemovesTheEntryAndShowsWhatIsOnDisk) {
  test::QtApp();
  QTemporaryDir dir;
  const QString folder = dir.filePath("config/autostart");
  const QString entry_path = folder + "/org.zt640.Zt640.desktop";
  QCheckBox box;
  box.setObjectName("autostart_check");
  auto* option = new AutostartOption(&box, platform::AutostartEntry(folder.toStdString()), "/usr/bin/zt640");
  EXPECT_FALSE(box.isChecked());

  box.click();
  EXPECT_TRUE(box.isChecked());
  EXPECT_EQ(ReadText(entry_path), platform::AutostartEntry::EntryText("/usr/bin/zt640"));
  box.click();
  EXPECT_FALSE(box.isChecked());
  EXPECT_FALSE(QFile::exists(entry_path));

  // An entry made elsewhere (another session, by hand) shows as ticked.
  ASSERT_EQ(platform::AutostartEntry(folder.toStdString()).Enable(""), platform::AutostartResult::kOk);
  option->Refresh();
  EXPECT_TRUE(box.isChecked());

  // A folder that cannot be made leaves the box as the disk is.
  QFile blocker(dir.filePath("file"));
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  QCheckBox blocked;
  new AutostartOption(&blocked, platform::AutostartEntry(dir.filePath("file/autostart").toStdString()), "");
  blocked.click();
  EXPECT_FALSE(blocked.isChecked());
}

TEST(AutostartOption_BindIn, FindsTheSettingsWindowsBoxAndUsesTheConfigFolder) {
  test::QtApp();
  QTemporaryDir dir;
  const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
  qputenv("XDG_CONFIG_HOME", "relative/ignored");
  EXPECT_EQ(platform::AutostartEntry::DefaultFolder(), qgetenv("HOME").toStdString() + "/.config/autostart");
  qputenv("XDG_CONFIG_HOME", dir.path().toUtf8());
  EXPECT_EQ(platform::AutostartEntry::DefaultFolder(), dir.path().toStdString() + "/autostart");

  QWidget window;
  EXPECT_EQ(AutostartOption::BindIn(&window), nullptr);
  auto* box = new QCheckBox(&window);
  box->setObjectName("autostart_check");
  ASSERT_NE(AutostartOption::BindIn(&window), nullptr);
  box->click();
  EXPECT_TRUE(QFile::exists(dir.filePath("autostart/org.zt640.Zt640.desktop")));
  box->click();
  EXPECT_FALSE(QFile::exists(dir.filePath("autostart/org.zt640.Zt640.desktop")));
  if (saved.isNull()) {
    qunsetenv("XDG_CONFIG_HOME");
  } else {
    qputenv("XDG_CONFIG_HOME", saved);
  }
}

}  // namespace
}  // namespace zt640::ui
