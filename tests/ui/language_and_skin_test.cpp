#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <memory>

#include "support/qt_app.h"
#include "ui/control_factory.h"
#include "ui/language_manager.h"
#include "ui/resource_manager.h"
#include "ui/skin_loader.h"
#include "ui/skin_scale.h"

namespace zt640::ui {
namespace {

void WriteFile(const QString& path, const QByteArray& text) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(text);
}

TEST(LanguageManager_LoadLanguage, ResolvesBoundWidgetsAgainOnEveryChange) {
  test::QtApp();
  QTemporaryDir dir;
  WriteFile(dir.filePath("cn.xml"), R"(<Language name="Chinese"><Text key="exit_text" value="退出"/></Language>)");
  WriteFile(dir.filePath("en.xml"), R"(<Language name="English"><Text key="exit_text" value="Exit"/>)"
                                    R"(<Text key="caps_text" value="Caps Lock" short="Caps"/></Language>)");
  WriteFile(dir.filePath("bad.xml"), "<Language><Text key=");
  LanguageManager language;
  QWidget root;
  auto* button = new QPushButton(&root);
  button->setProperty("textKey", "exit_text");
  auto* label = new QLabel(&root);
  label->setProperty("textKey", "missing_text");
  ASSERT_TRUE(language.LoadLanguage(dir.filePath("cn.xml")));
  language.Bind(&root);
  EXPECT_EQ(button->text(), "退出");
  EXPECT_EQ(label->text(), "missing_text");
  ASSERT_TRUE(language.LoadLanguage(dir.filePath("en.xml")));
  EXPECT_EQ(button->text(), "Exit");
  // A short form where the file gives one, else the text, else the key.
  EXPECT_EQ(language.Text("caps_text"), "Caps Lock");
  EXPECT_EQ(language.ShortText("caps_text"), "Caps");
  EXPECT_EQ(language.ShortText("exit_text"), "Exit");
  EXPECT_EQ(language.ShortText("missing_text"), "missing_text");
  QString error;
  EXPECT_FALSE(language.LoadLanguage(dir.filePath("bad.xml"), &error));
  EXPECT_FALSE(language.LoadLanguage(dir.filePath("none.xml"), &error));
  EXPECT_FALSE(error.isEmpty());
  EXPECT_EQ(button->text(), "Exit");
  EXPECT_EQ(language.LanguageName(), "English");
}

TEST(LanguageManager_ReadLanguageList, ShippedListNamesShippedFilesWithEveryKey) {
  const auto list = LanguageManager::ReadLanguageList(ZT640_SOURCE_DIR "/data/DefaultData/Language.config");
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].id, 520);
  LanguageManager first;
  LanguageManager second;
  ASSERT_TRUE(first.LoadLanguage(QString(ZT640_SOURCE_DIR "/data/skin/") + list[0].file));
  ASSERT_TRUE(second.LoadLanguage(QString(ZT640_SOURCE_DIR "/data/skin/") + list[1].file));
  // Every key a skin uses has a text in both languages.
  const QDir skins(ZT640_SOURCE_DIR "/data/skin");
  for (const QString& name : skins.entryList({"*.ui"})) {
    QFile file(skins.filePath(name));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    static const QRegularExpression key(R"re(name="(?:textKey|toolTipKey)"[^>]*>\s*<string>([^<]+)</string>)re");
    for (auto it = key.globalMatch(text); it.hasNext();) {
      const QString k = it.next().captured(1);
      EXPECT_TRUE(first.HasText(k)) << k.toStdString();
      EXPECT_TRUE(second.HasText(k)) << k.toStdString();
    }
  }
  EXPECT_TRUE(LanguageManager::ReadLanguageList("/nonexistent/Language.config").empty());
}

TEST(SkinLoader_Build, CreatesRegisteredClassesAsPlainControlsUnderTheirName) {
  test::QtApp();
  QTemporaryDir dir;
  WriteFile(dir.filePath("panel.ui"), R"(<?xml version="1.0" encoding="UTF-8"?>
<ui version="4.0"><class>Panel</class>
<widget class="QWidget" name="panel"><layout class="QVBoxLayout" name="l">
<item><widget class="CLightControlUI" name="light_panel"/></item>
<item><widget class="QPushButton" name="closebtn"/></item>
</layout></widget>
<customwidgets><customwidget><class>CLightControlUI</class><extends>QWidget</extends><container>1</container></customwidget></customwidgets>
</ui>)");
  ControlFactory factory;
  factory.RegistControl("CLightControlUI", ControlFactory::PlainControl("CLightControlUI", ControlBase::kContainer));
  const QStringList library_paths = QCoreApplication::libraryPaths();
  SkinLoader loader(factory, nullptr);
  // No Designer plugin is looked for, and the application's plugin paths are back.
  EXPECT_TRUE(loader.pluginPaths().isEmpty());
  EXPECT_EQ(QCoreApplication::libraryPaths(), library_paths);
  QString error;
  std::unique_ptr<QWidget> root(loader.Build(dir.filePath("panel.ui"), nullptr, &error));
  ASSERT_NE(root, nullptr) << error.toStdString();
  auto* light = root->findChild<QWidget*>("light_panel");
  ASSERT_NE(light, nullptr);
  EXPECT_EQ(ControlFactory::ControlClassName(light), "CLightControlUI");
  EXPECT_NE(root->findChild<QPushButton*>("closebtn"), nullptr);
  EXPECT_EQ(loader.Build(dir.filePath("missing.ui"), nullptr, &error), nullptr);
  EXPECT_TRUE(error.contains("missing"));
}

TEST(ScaleStyleSheet, MultipliesPixelSizesOnly) {
  EXPECT_EQ(ScaleStyleSheet("a { font-size: 14px; margin: 0px; border: 1px solid #2c313d; }", 144),
            "a { font-size: 21px; margin: 0px; border: 2px solid #2c313d; }");
  EXPECT_EQ(ScaleStyleSheet("a { width: 10px; }", 96), "a { width: 10px; }");
}

TEST(ApplySkinScale, ScalesSizesMarginsAndSpacingFromTheSkinValuesWithoutDrift) {
  test::QtApp();
  QWidget root;
  root.setMinimumSize(640, 220);
  auto* layout = new QVBoxLayout(&root);
  layout->setContentsMargins(20, 4, 20, 8);
  layout->setSpacing(10);
  auto* inner = new QHBoxLayout;
  inner->setSpacing(6);
  layout->addLayout(inner);
  auto* fixed = new QPushButton(&root);
  fixed->setFixedSize(30, 24);
  inner->addWidget(fixed);
  auto* free = new QPushButton(&root);
  inner->addWidget(free);
  struct Step {
    double factor;
    QSize root_minimum;
    QMargins margins;
    int spacing;
    int inner_spacing;
    QSize fixed_size;
  };
  // 1.5 twice in a row, then back to 1: always from the skin's own values.
  for (const Step& step : {Step{1.5, {960, 330}, {30, 6, 30, 12}, 15, 9, {45, 36}},
                           Step{1.5, {960, 330}, {30, 6, 30, 12}, 15, 9, {45, 36}},
                           Step{1.0, {640, 220}, {20, 4, 20, 8}, 10, 6, {30, 24}}}) {
    ApplySkinScale(&root, step.factor);
    EXPECT_EQ(root.minimumSize(), step.root_minimum) << step.factor;
    EXPECT_EQ(layout->contentsMargins(), step.margins) << step.factor;
    EXPECT_EQ(layout->spacing(), step.spacing) << step.factor;
    EXPECT_EQ(inner->spacing(), step.inner_spacing) << step.factor;
    EXPECT_EQ(fixed->minimumSize(), step.fixed_size) << step.factor;
    EXPECT_EQ(fixed->maximumSize(), step.fixed_size) << step.factor;
    EXPECT_EQ(free->maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX)) << step.factor;
  }
}

}  // namespace
}  // namespace zt640::ui
