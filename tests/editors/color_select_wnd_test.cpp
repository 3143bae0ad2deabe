#include "editors/color_select_wnd.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

#include "profiles/colour_palette_file.h"
#include "profiles/temp_folder.h"
#include "support/qt_app.h"
#include "ui/colour_palette.h"
#include "ui/resource_manager.h"

namespace zt640 {
namespace {

using test::TempFolder;
using test::WriteText;

constexpr QRgb kInitial = 0xFF102030;

QRgb PresetColour(int i) { return 0xFF000000u | static_cast<QRgb>((i * 12) << 16 | (255 - i * 10) << 8 | i * 7); }

/// The colour at the middle of a control as drawn.
QRgb DrawnColour(QWidget* control) {
  return control->grab().toImage().pixel(control->width() / 2, control->height() / 2) | 0xFF000000u;
}

class ColorSelectWndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::QtApp();
    UseSkinFolder(ZT640_SOURCE_DIR "/data/skin");
    path_ = folder_.File("color_option_info.config");
    defaults_ = folder_.File("defaults.config");
  }
  void TearDown() override { UseSkinFolder(ZT640_SOURCE_DIR "/data/skin"); }

  static void UseSkinFolder(const QString& folder) {
    ui::ResourceManager::Instance().SetResourcePath(folder);
    ASSERT_TRUE(ui::ResourceManager::Instance().LoadResource("res.xml"));
  }

  /// A user file: presets PresetColour(i), collected slot 2 used, preset 4 and
  /// collected slot 2 selected.
  void WriteUserFile() {
    ColourPaletteFile file;
    for (int i = 0; i < ColourPaletteFile::kSlotCount; ++i) file.SetPreset(i, PresetColour(i));
    file.SetCollected(2, 0xFF445566);
    file.SetPresetSelection(4);
    file.SetCollectedSelection(2);
    ASSERT_TRUE(file.Save(path_));
  }

  [[nodiscard]] ColourPaletteFile Saved() const {
    ColourPaletteFile file;
    EXPECT_EQ(file.Load(path_, ""), ColourPaletteFile::LoadResult::kLoaded);
    return file;
  }

  template <typename T = QPushButton>
  T* Control(CColorSelectWnd& dialog, const QString& name) {
    T* control = dialog.FindControl<T>(name);
    EXPECT_NE(control, nullptr) << name.toStdString();
    return control;
  }

  static QString Preset(int i) { return QStringLiteral("color_option_%1").arg(i); }
  static QString Slot(int i) { return QStringLiteral("collect_color_option_%1").arg(i); }

  void ExpectBoxes(CColorSelectWnd& dialog, QRgb colour) {
    EXPECT_EQ(Control<QLineEdit>(dialog, "color_edit_r")->text(), QString::number(qRed(colour)));
    EXPECT_EQ(Control<QLineEdit>(dialog, "color_edit_g")->text(), QString::number(qGreen(colour)));
    EXPECT_EQ(Control<QLineEdit>(dialog, "color_edit_b")->text(), QString::number(qBlue(colour)));
  }

  /// Runs `act` on the shown dialog once its modal loop runs.
  static void WhenShown(std::function<void(QWidget*)> act) {
    QTimer::singleShot(0, [act = std::move(act)] {
      for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == QLatin1String("ColorSelectWnd") && widget->isVisible()) {
          act(widget);
          return;
        }
      }
      ADD_FAILURE() << "dialog not shown";
    });
  }

  TempFolder folder_;
  std::string path_;
  std::string defaults_;
};

TEST_F(ColorSelectWndTest, OpensWithFileColoursRestoredSelectionsAndTheCallersColour) {
  WriteUserFile();
  CColorSelectWnd dialog(nullptr, path_, defaults_, false);
  QString error;
  ASSERT_TRUE(dialog.Setup(kInitial, 96, &error)) << error.toStdString();
  EXPECT_EQ(dialog.size(), QSize(800, 572));
  EXPECT_EQ(dialog.WindowClassName(), "ColorSelectWnd");

  for (int i = 0; i < ColourPaletteFile::kSlotCount; ++i) {
    EXPECT_EQ(DrawnColour(Control(dialog, Preset(i))), PresetColour(i)) << i;
    EXPECT_EQ(DrawnColour(Control(dialog, Slot(i))), i == 2 ? 0xFF445566u : 0xFFFFFFFFu) << i;
  }
  EXPECT_TRUE(Control(dialog, Preset(4))->isChecked());
  EXPECT_TRUE(Control(dialog, Slot(2))->isChecked());
  EXPECT_FALSE(Control(dialog, Preset(0))->isChecked());

  EXPECT_EQ(dialog.SelectedColour(), kInitial);
  EXPECT_EQ(Control<ui::ColourPalette>(dialog, "Pallet")->Colour(), kInitial);
  EXPECT_EQ(DrawnColour(Control(dialog, "color_show_btn")), kInitial);
  ExpectBoxes(dialog, kInitial);
  // Multicolour is not offered to this caller.
  EXPECT_FALSE(Control<QWidget>(dialog, "7color_layout")->isVisibleTo(&dialog));
  EXPECT_FALSE(Control(dialog, "7color")->isEnabled());
}

TEST_F(ColorSelectWndTest, ChoosingAPresetFillsEverythingAndTheSelectedSlotAndSaves) {
  WriteUserFile();
  CColorSelectWnd dialog(nullptr, path_, defaults_, false);
  ASSERT_TRUE(dialog.Setup(kInitial, 96, nullptr));

  Control(dialog, Preset(7))->click();
  const QRgb chosen = PresetColour(7);
  EXPECT_EQ(dialog.SelectedColour(), chosen);
  ExpectBoxes(dialog, chosen);
  EXPECT_EQ(Control<ui::ColourPalette>(dialog, "Pallet")->Colour(), chosen);
  EXPECT_EQ(DrawnColour(Control(dialog, "color_show_btn")), chosen);
  EXPECT_EQ(DrawnColour(Control(dialog, Slot(2))), chosen);

  const ColourPaletteFile saved = Saved();
  EXPECT_EQ(saved.Collected(2), (CollectedColour{chosen, true}));
  EXPECT_EQ(saved.PresetSelection(), 7);
  EXPECT_EQ(saved.CollectedSelection(), 2);
  EXPECT_EQ(saved.Preset(7), chosen);
}

TEST_F(ColorSelectWndTest, EmptySlotIsNoColourSourceButTakesTheNextChoice) {
  WriteUserFile();
  CColorSelectWnd dialog(nullptr, path_, defaults_, false);
  ASSERT_TRUE(dialog.Setup(kInitial, 96, nullptr));

  Control(dialog, Slot(5))->click();
  EXPECT_EQ(dialog.SelectedColour(), kInitial);
  ExpectBoxes(dialog, kInitial);
  EXPECT_EQ(DrawnColour(Control(dialog, Slot(5))), 0xFFFFFFFFu);
  EXPECT_FALSE(Saved().Collected(5).used);
  EXPECT_EQ(Saved().CollectedSelection(), 5);

  Control(dialog, Preset(1))->click();
  EXPECT_EQ(DrawnColour(Control(dialog, Slot(5))), PresetColour(1));
  EXPECT_EQ(Saved().Collected(5), (CollectedColour{PresetColour(1), true}));
  // The slot selected before keeps its own colour.
  EXPECT_EQ(Saved().Collected(2).colour, 0xFF445566u);

  // A used slot is a colour source.
  Control(dialog, Slot(2))->click();
  EXPECT_EQ(dialog.SelectedColour(), 0xFF445566u);
  ExpectBoxes(dialog, 0xFF445566u);
}

TEST_F(ColorSelectWndTest, TypedPartsAreCorrectedAndChosen) {
  WriteUserFile();
  CColorSelectWnd dialog(nullptr, path_, defaults_, false);
  ASSERT_TRUE(dialog.Setup(kInitial, 96, nullptr));
  auto* red = Control<QLineEdit>(dialog, "color_edit_r");
  auto* green = Control<QLineEdit>(dialog, "color_edit_g");

  red->setText("300");
  EXPECT_EQ(red->text(), "255");
  EXPECT_EQ(dialog.SelectedColour(), qRgb(255, 0x20, 0x30));
  green->setText("");
  EXPECT_EQ(dialog.SelectedColour(), qRgb(255, 0, 0x30));
  EXPECT_EQ(Control<ui::ColourPalette>(dialog, "Pallet")->Colour(), qRgb(255, 0, 0x30));
  EXPECT_EQ(Saved().Collected(2), (CollectedColour{qRgb(255, 0, 0x30), true}));
  QFocusEvent leave(QEvent::FocusOut);
  QApplication::sendEvent(green, &leave);
  EXPECT_EQ(green->text(), "0");
}

TEST_F(ColorSelectWndTest, MulticolourShowsARainbowUntilAColourIsChosen) {
  WriteUserFile();
  CColorSelectWnd dialog(nullptr, path_, defaults_, true);
  ASSERT_TRUE(dialog.Setup(kInitial, 96, nullptr));
  ASSERT_TRUE(Control<QWidget>(dialog, "7color_layout")->isVisibleTo(&dialog));
  QPushButton* option = Control(dialog, "7color");
  QPushButton* preview = Control(dialog, "color_show_btn");

  option->click();
  EXPECT_TRUE(dialog.MulticolourChosen());
  const QImage drawn = preview->grab().toImage();
  const int y = drawn.height() / 2;
  EXPECT_NE(drawn.pixel(4, y), drawn.pixel(drawn.width() - 5, y));
  EXPECT_NE(drawn.pixel(drawn.width() / 2, y) | 0xFF000000u, kInitial);

  Control(dialog, Preset(3))->click();
  EXPECT_FALSE(dialog.MulticolourChosen());
  EXPECT_FALSE(option->isChecked());
  EXPECT_EQ(DrawnColour(preview), PresetColour(3));
}

TEST_F(ColorSelectWndTest, PickReturnsOneWithTheColourOrZeroOnClose) {
  WriteUserFile();
  WhenShown([](QWidget* dialog) {
    dialog->findChild<QPushButton*>("color_option_9")->click();
    dialog->findChild<QPushButton*>("okbtn")->click();
  });
  QRgb chosen = 0;
  bool multicolour = true;
  EXPECT_EQ(CColorSelectWnd::Pick(nullptr, path_, defaults_, false, kInitial, 96, &chosen, &multicolour), 1);
  EXPECT_EQ(chosen, PresetColour(9));
  EXPECT_FALSE(multicolour);

  for (const char* close : {"closebtn", "cancel_btn"}) {
    WhenShown([close](QWidget* dialog) { dialog->findChild<QPushButton*>(close)->click(); });
    EXPECT_EQ(CColorSelectWnd::Pick(nullptr, path_, defaults_, false, kInitial, 96, &chosen, nullptr), 0) << close;
  }

  // A palette drag is saved by the time the dialog ends.
  WhenShown([](QWidget* dialog) {
    auto* palette = dialog->findChild<ui::ColourPalette*>("Pallet");
    const QRect field = palette->FieldRect();
    QTest::mouseClick(palette, Qt::LeftButton, Qt::NoModifier, field.topLeft() + QPoint(1, 1));
    dialog->findChild<QPushButton*>("okbtn")->click();
  });
  ASSERT_EQ(CColorSelectWnd::Pick(nullptr, path_, defaults_, false, 0xFFFFFFFF, 96, &chosen, nullptr), 1);
  EXPECT_EQ(Saved().Collected(2), (CollectedColour{chosen, true}));
}

TEST_F(ColorSelectWndTest, SkinWithoutPaletteClosesWithTwo) {
  WriteUserFile();
  QTemporaryDir skins;
  WriteText(skins.filePath("res.xml").toStdString(),
            R"(<Resources><Skin id="XML_PALLET" file="bare.ui"/></Resources>)");
  WriteText(skins.filePath("bare.ui").toStdString(), R"(<?xml version="1.0" encoding="UTF-8"?>
<ui version="4.0"><class>Bare</class><widget class="QWidget" name="root"><layout class="QVBoxLayout" name="l">
<item><widget class="QPushButton" name="closebtn"/></item><item><widget class="QPushButton" name="okbtn"/></item>
</layout></widget></ui>)");
  UseSkinFolder(skins.path());

  WhenShown([](QWidget* dialog) { dialog->findChild<QPushButton*>("closebtn")->click(); });
  QRgb chosen = 0;
  EXPECT_EQ(CColorSelectWnd::Pick(nullptr, path_, defaults_, false, kInitial, 96, &chosen, nullptr), 2);
  EXPECT_EQ(chosen, kInitial);
}

}  // namespace
}  // namespace zt640
