#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <cstdlib>
#include <optional>
#include <string>

#include "platform/paths/program_paths.h"
#include "platform/settings/registry_store.h"
#include "shell/about_wnd.h"
#include "shell/custom_controls.h"
#include "shell/language_choice.h"
#include "shell/main_wnd.h"
#include "shell/registered_window_messages.h"
#include "shell/skin_choice.h"
#include "shell/skin_frame.h"
#include "shell/system_settings.h"
#include "support/qt_app.h"
#include "support/scripted_prompts.h"
#include "ui/control_factory.h"
#include "ui/language_manager.h"
#include "ui/resource_manager.h"

namespace zt640 {
namespace {

const QString kShippedLanguages = QStringLiteral(ZT640_SOURCE_DIR "/data/DefaultData/Language.config");
const QString kSkinFolder = QStringLiteral(ZT640_SOURCE_DIR "/data/skin");

QByteArray ReadBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteBytes(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  file.write(bytes);
}

/// Points the settings store and the user data root at a fresh folder for each test.
class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME"}) {
      const char* value = std::getenv(name);
      saved_.emplace_back(name, value != nullptr ? std::optional<std::string>(value) : std::nullopt);
    }
    ::setenv("XDG_CONFIG_HOME", Path("config").toStdString().c_str(), 1);
    ::setenv("XDG_DATA_HOME", Path("data").toStdString().c_str(), 1);
  }

  void TearDown() override {
    for (const auto& [name, value] : saved_) {
      if (value) {
        ::setenv(name.c_str(), value->c_str(), 1);
      } else {
        ::unsetenv(name.c_str());
      }
    }
  }

  [[nodiscard]] QString Path(const QString& name) const { return dir_.filePath(name); }
  [[nodiscard]] static platform::RegistryStore Store() {
    return platform::RegistryStore(platform::RegistryStore::DefaultPath());
  }

  static void PrepareSkins() {
    test::QtApp();
    ui::ResourceManager::Instance().SetResourcePath(kSkinFolder);
    ASSERT_TRUE(ui::ResourceManager::Instance().LoadResource("res.xml"));
    RegisterCustomControls(ui::ControlFactory::Instance());
    ASSERT_TRUE(RegisterActivationMessage());
    ASSERT_TRUE(RegisterGuidMessages());
  }

  QTemporaryDir dir_;
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

TEST_F(SettingsTest, StartLanguageComesFromTheStoreElseFromTheLocale) {
  // The shipped list has Chinese (520) first; a reordered list shows the locale picks by
  // name, not by place.
  WriteBytes(Path("reordered.config"), R"({"Language":[
      {"Language_ID":521,"Language_file":"lan_en.xml","Language_name":"English","Language_text":"English"},
      {"Language_ID":520,"Language_file":"lan_cn.xml","Language_name":"Chinese","Language_text":"CN"}]})");
  WriteBytes(Path("damaged.config"), "{\"Language\":[{\"Language_ID\":");
  struct Case {
    const char* what;
    std::optional<std::uint32_t> stored;
    QString list;
    QLocale locale;
    int index;
  };
  const Case cases[] = {
      {"first start, Chinese desktop", std::nullopt, kShippedLanguages, QLocale(QLocale::Chinese, QLocale::China), 0},
      {"first start, Taiwanese desktop", std::nullopt, kShippedLanguages, QLocale(QLocale::Chinese, QLocale::Taiwan), 0},
      {"first start, English desktop", std::nullopt, kShippedLanguages, QLocale(QLocale::English), 1},
      {"first start, German desktop", std::nullopt, kShippedLanguages, QLocale(QLocale::German), 1},
      {"first start, list reordered", std::nullopt, Path("reordered.config"), QLocale(QLocale::Chinese), 1},
      {"stored English wins over the locale", 521, kShippedLanguages, QLocale(QLocale::Chinese), 1},
      {"stored id not in the list", 999, kShippedLanguages, QLocale(QLocale::English), 0},
      {"damaged list", std::nullopt, Path("damaged.config"), QLocale(QLocale::English), 0},
      {"missing list", 521, Path("none.config"), QLocale(QLocale::English), 0},
  };
  for (const Case& c : cases) {
    QFile::remove(QString::fromStdString(platform::RegistryStore::DefaultPath()));
    platform::RegistryStore store = Store();
    if (c.stored) {
      ASSERT_TRUE(SaveLanguageId(store, *c.stored)) << c.what;
    }
    EXPECT_EQ(ReadLanguageIndex(store, c.list, c.locale), c.index) << c.what;
  }
  EXPECT_EQ(ReadBytes(Path("damaged.config")), "{\"Language\":[{\"Language_ID\":");
}

TEST_F(SettingsTest, ADamagedSettingsStoreReadsAsAFirstStartAndIsKept) {
  const QString store_path = QString::fromStdString(platform::RegistryStore::DefaultPath());
  ASSERT_TRUE(QDir().mkpath(QFileInfo(store_path).absolutePath()));
  WriteBytes(store_path, "{ \"SOFTWARE\\\\x\" : ");
  EXPECT_EQ(ReadLanguageIndex(Store(), kShippedLanguages, QLocale(QLocale::English)), 1);
  EXPECT_EQ(ReadBytes(store_path), "{ \"SOFTWARE\\\\x\" : ");
}

TEST(LanguageFonts, RebuiltOnlyWhenEitherSideIsADefaultFaceLanguage) {
  struct Case {
    int previous, next;
    bool rebuilt;
  };
  const Case cases[] = {{1, 3, false}, {3, 1, false}, {1, 0, true},  {-1, 1, true},
                        {15, 4, true}, {4, 2, true},  {0, 1, true},  {4, 15, true}};
  for (const Case& c : cases) {
    EXPECT_EQ(LanguageChangeRebuildsFonts(c.previous, c.next), c.rebuilt) << c.previous << " -> " << c.next;
  }
}

TEST_F(SettingsTest, LanguageMessageReloadsTheTextsOfEveryOpenWindowAndKeepsTheChoice) {
  PrepareSkins();
  platform::RegistryStore store = Store();
  ASSERT_TRUE(SaveLanguageId(store, 520));
  CMainWnd window("", MainWndPlugins{});
  window.SetLanguageConfig(kShippedLanguages);
  QString error;
  ASSERT_TRUE(window.Create("t", CMainWnd::kInitialWidth, CMainWnd::kInitialHeight, &error)) << error.toStdString();
  EXPECT_EQ(window.LanguageIndex(), 0);
  CAboutWnd about(&window);
  ASSERT_TRUE(about.Setup(96, &error)) << error.toStdString();
  EXPECT_EQ(about.size(), QSize(CAboutWnd::kWidth, CAboutWnd::kHeight));
  EXPECT_EQ(about.FindControl<QLabel>("software_ver_label")->text(), "软件版本：" + CAboutWnd::VersionText());
  EXPECT_TRUE(QRegularExpression("^V\\d+\\.\\d+\\.\\d+$").match(CAboutWnd::VersionText()).hasMatch());

  platform::WindowMessage change;
  change.message = CMainWnd::kLanguageChangedMessage;
  change.wparam = 1;
  EXPECT_EQ(window.messages().Send(change).result, 1);
  EXPECT_EQ(window.LanguageIndex(), 1);
  EXPECT_EQ(window.FindControl<QPushButton>("skinbtn")->text(), "Skin");
  EXPECT_EQ(about.FindControl<QLabel>("about_title")->text(), "About");
  EXPECT_EQ(about.FindControl<QLabel>("software_ver_label")->text(), "Software version: " + CAboutWnd::VersionText());
  EXPECT_EQ(ReadLanguageIndex(Store(), kShippedLanguages, QLocale(QLocale::Chinese)), 1);

  change.wparam = 0;
  EXPECT_EQ(window.messages().Send(change).result, 1);
  EXPECT_EQ(about.FindControl<QLabel>("about_title")->text(), "关于");
  EXPECT_EQ(ReadLanguageIndex(Store(), kShippedLanguages, QLocale(QLocale::English)), 0);

  // An index beyond the list changes no text and stores nothing.
  change.wparam = 7;
  EXPECT_EQ(window.messages().Send(change).result, 1);
  EXPECT_EQ(about.FindControl<QLabel>("about_title")->text(), "关于");
  EXPECT_EQ(ReadLanguageIndex(Store(), kShippedLanguages, QLocale(QLocale::English)), 0);
  window.Destroy();
}

TEST_F(SettingsTest, AStartShowsTheChosenLanguageElseTheWindowsBaseTexts) {
  PrepareSkins();
  WriteBytes(Path("no_file.config"), R"({"Language":[
      {"Language_ID":521,"Language_file":"lan_absent.xml","Language_name":"English","Language_text":"English"}]})");
  ui::LanguageManager base;
  ASSERT_TRUE(base.LoadLanguage(kSkinFolder + "/lan_cn.xml"));
  struct Case {
    const char* what;
    QString list;
    bool english;
  };
  const Case cases[] = {
      {"chosen language loads", kShippedLanguages, true},
      {"chosen language's file is missing", Path("no_file.config"), false},
      {"no language list", Path("none.config"), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    platform::RegistryStore store = Store();
    ASSERT_TRUE(SaveLanguageId(store, 521));
    CMainWnd window("", MainWndPlugins{});
    window.SetLanguageConfig(c.list);
    QString error;
    ASSERT_TRUE(window.Create("t", CMainWnd::kInitialWidth, CMainWnd::kInitialHeight, &error)) << error.toStdString();
    const QPushButton* skin = window.FindControl<QPushButton>("skinbtn");
    ASSERT_NE(skin, nullptr);
    EXPECT_EQ(skin->text(), c.english ? QStringLiteral("Skin") : base.Text(skin->property("textKey").toString()));
    window.Destroy();
  }
}

TEST_F(SettingsTest, TheChosenImageSurvivesARestartColoursAndPickedFilesDoNot) {
  PrepareSkins();
  test::ScriptedPrompts prompts;
  prompts.files = {QString(), Path("mine.png")};
  const auto click = [](CMainWnd& window, const char* name, int nth = 0) {
    CSkinFrame* frame = window.SkinFrame();
    ASSERT_NE(frame, nullptr);
    const auto buttons = frame->findChildren<QPushButton*>(QString::fromLatin1(name));
    ASSERT_GT(buttons.size(), nth) << name;
    buttons[nth]->click();
  };
  QString error;
  {
    CMainWnd window("", MainWndPlugins{});
    ASSERT_TRUE(window.Create("t", CMainWnd::kInitialWidth, CMainWnd::kInitialHeight, &error));
    window.SetPrompts(prompts.Prompts());
    EXPECT_EQ(window.CurrentSkin(), SkinChoice::Default());
    window.FindControl<QPushButton>("skinbtn")->click();
    click(window, "skin_image_btn", 1);
    EXPECT_EQ(window.CurrentSkin(), SkinChoice::Image("skinimage/ember.png"));
    EXPECT_TRUE(window.FindControl("root")->styleSheet().contains(kSkinFolder + "/skinimage/ember.png"));
    click(window, "skin_color");
    click(window, "skin_color_btn", 2);
    EXPECT_EQ(window.CurrentSkin(), SkinChoice::Colour(QColor("#0b2030")));
    EXPECT_TRUE(window.FindControl("root")->styleSheet().contains("#0b2030"));
    click(window, "skin_Custom");  // cancelled
    EXPECT_EQ(window.CurrentSkin(), SkinChoice::Colour(QColor("#0b2030")));
    window.OpenSkinFrame();
    click(window, "skin_Custom");
    EXPECT_EQ(window.CurrentSkin(), SkinChoice::Image(Path("mine.png")));
    window.Destroy();
  }
  const QString ini = QString::fromStdString(platform::UserDataRoot()) + "/main.ini";
  EXPECT_EQ(ReadBytes(ini), "[SKINIMAGE]\nFLAGS=1\nIMAGE=skinimage/ember.png\n");
  {
    CMainWnd restarted("", MainWndPlugins{});
    ASSERT_TRUE(restarted.Create("t", CMainWnd::kInitialWidth, CMainWnd::kInitialHeight, &error));
    EXPECT_EQ(restarted.CurrentSkin(), SkinChoice::Image("skinimage/ember.png"));
    restarted.OpenSkinFrame();
    click(restarted, "skin_reset");
    EXPECT_EQ(restarted.CurrentSkin(), SkinChoice::Default());
    restarted.Destroy();
  }
  EXPECT_EQ(ReadBytes(ini), "[SKINIMAGE]\nFLAGS=0\nIMAGE=common/background.png\n");
  EXPECT_EQ(prompts.dialogs.size(), 2u);
}

TEST_F(SettingsTest, ADamagedMainIniGivesTheDefaultAndIsNeverLost) {
  const QString ini = Path("main.ini");
  QByteArray large(70 * 1024, 'x');
  struct Case {
    const char* what;
    QByteArray text;
    SkinChoice read;
    bool writable;
  };
  const Case cases[] = {
      {"valid", "[SKINIMAGE]\r\nFLAGS=1\r\nIMAGE=skinimage/glacier.png\r\n", SkinChoice::Image("skinimage/glacier.png"),
       true},
      {"binary", QByteArray("\x89PNG\0\0\x01[SKINIMAGE]", 16), SkinChoice::Default(), false},
      {"too large", large, SkinChoice::Default(), false},
      {"leaves the skin folder", "[SKINIMAGE]\nFLAGS=1\nIMAGE=../../etc/passwd\n", SkinChoice::Default(), true},
      {"absolute image", "[SKINIMAGE]\nFLAGS=1\nIMAGE=/etc/passwd\n", SkinChoice::Default(), true},
      {"missing image", "[SKINIMAGE]\nFLAGS=1\nIMAGE=skinimage/none.png\n", SkinChoice::Default(), true},
      {"flag not 1", "[SKINIMAGE]\nFLAGS=yes\nIMAGE=skinimage/ember.png\n", SkinChoice::Default(), true},
      {"keys in another section", "[OTHER]\nFLAGS=1\nIMAGE=skinimage/ember.png\n", SkinChoice::Default(), true},
      {"no equals sign", "[SKINIMAGE]\nFLAGS\nIMAGE\n", SkinChoice::Default(), true},
  };
  const SkinChoiceFile file(ini, kSkinFolder);
  for (const Case& c : cases) {
    WriteBytes(ini, c.text);
    EXPECT_EQ(file.Read(), c.read) << c.what;
    EXPECT_EQ(ReadBytes(ini), c.text) << c.what << ": reading changed the file";
    EXPECT_EQ(file.WriteImage("skinimage/nebula.png"), c.writable) << c.what;
    if (c.writable) {
      EXPECT_EQ(file.Read(), SkinChoice::Image("skinimage/nebula.png")) << c.what;
    } else {
      EXPECT_EQ(ReadBytes(ini), c.text) << c.what << ": a file we cannot read was replaced";
    }
  }
  // Other sections and lines stay where they were.
  WriteBytes(ini, "; note\n[WINDOW]\nX=3\n[SKINIMAGE]\nIMAGE=old.png\nOTHER=1\n");
  ASSERT_TRUE(file.WriteDefault());
  EXPECT_EQ(ReadBytes(ini), "; note\n[WINDOW]\nX=3\n[SKINIMAGE]\nFLAGS=0\nIMAGE=common/background.png\nOTHER=1\n");
  EXPECT_FALSE(file.WriteImage("../outside.png"));
}

TEST(SystemSettings, OpensTheRunningDesktopsPanelFirstAndNeverWaits) {
  struct Case {
    const char* what;
    QStringList installed;
    QString desktop;
    int index;
    bool start_works;
    SystemSettingsResult result;
    QString program;
    QString page;
  };
  const Case cases[] = {
      {"GNOME keyboard", {"gnome-control-center"}, "ubuntu:GNOME", 0, true, SystemSettingsResult::kStarted,
       "gnome-control-center", "keyboard"},
      {"GNOME mouse", {"gnome-control-center"}, "", 1, true, SystemSettingsResult::kStarted, "gnome-control-center",
       "mouse"},
      {"KDE mouse", {"systemsettings"}, "KDE", 1, true, SystemSettingsResult::kStarted, "systemsettings", "kcm_mouse"},
      {"KDE 5 keyboard", {"systemsettings5"}, "", 0, true, SystemSettingsResult::kStarted, "systemsettings5",
       "kcm_keyboard"},
      {"both, on KDE", {"gnome-control-center", "systemsettings"}, "KDE", 1, true, SystemSettingsResult::kStarted,
       "systemsettings", "kcm_mouse"},
      {"both, on GNOME", {"gnome-control-center", "systemsettings"}, "GNOME", 1, true, SystemSettingsResult::kStarted,
       "gnome-control-center", "mouse"},
      {"none installed", {}, "XFCE", 0, true, SystemSettingsResult::kNoPanel, "", ""},
      {"start fails", {"gnome-control-center"}, "", 0, false, SystemSettingsResult::kStartFailed,
       "gnome-control-center", "keyboard"},
      {"unknown index", {"gnome-control-center"}, "", 2, true, SystemSettingsResult::kUnknownIndex, "", ""},
  };
  for (const Case& c : cases) {
    QString started;
    QStringList arguments;
    SystemSettingsLauncher launcher;
    launcher.desktop = c.desktop;
    launcher.find_program = [&c](const QString& program) {
      return c.installed.contains(program) ? "/usr/bin/" + program : QString();
    };
    launcher.start_detached = [&](const QString& path, const QStringList& args) {
      started = path;
      arguments = args;
      return c.start_works;
    };
    EXPECT_EQ(OpenSystemSettings(c.index, launcher), c.result) << c.what;
    EXPECT_EQ(started, c.program.isEmpty() ? QString() : "/usr/bin/" + c.program) << c.what;
    EXPECT_EQ(arguments, c.page.isEmpty() ? QStringList() : QStringList{c.page}) << c.what;
  }
}

TEST_F(SettingsTest, WindowDeviceSetSaysSoWhenTheDesktopHasNoKnownPanel) {
  PrepareSkins();
  CMainWnd window("", MainWndPlugins{});
  QString error;
  ASSERT_TRUE(window.Create("t", CMainWnd::kInitialWidth, CMainWnd::kInitialHeight, &error));
  test::ScriptedPrompts prompts;
  window.SetPrompts(prompts.Prompts());
  QStringList started;
  SystemSettingsLauncher launcher;
  launcher.find_program = [](const QString& program) {
    return program == QLatin1String("systemsettings") ? QStringLiteral("/usr/bin/systemsettings") : QString();
  };
  launcher.start_detached = [&started](const QString& path, const QStringList& args) {
    started << path + " " + args.join(' ');
    return true;
  };
  window.SetSystemSettingsLauncher(launcher);
  ui::Notification click{QStringLiteral("click"), nullptr, QStringLiteral("windowdeviceset_1"), 0, 0};
  window.Notify(click);
  EXPECT_EQ(started, QStringList{"/usr/bin/systemsettings kcm_mouse"});
  EXPECT_TRUE(prompts.shown.empty());

  launcher.find_program = [](const QString&) { return QString(); };
  window.SetSystemSettingsLauncher(launcher);
  click.sender_name = QStringLiteral("windowdeviceset_0");
  window.Notify(click);
  EXPECT_EQ(started.size(), 1);
  EXPECT_EQ(prompts.Messages(), std::vector<QString>{"system_settings_none_text"});
  window.Destroy();
}

}  // namespace
}  // namespace zt640
