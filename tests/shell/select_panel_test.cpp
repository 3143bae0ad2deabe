#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "pages/device_key_button_ui.h"
#include "pages/picture_controls.h"
#include "pages/select_panel_ui.h"
#include "support/qt_app.h"
#include "ui/control_factory.h"
#include "ui/skin_loader.h"

namespace zt640 {
namespace {

struct Raised {
  QObject* sender = nullptr;
  QString kind;
};

/// A panel with four buttons placed by hand:
///   a (10,10) b (50,10)   30 x 30 each
///   c (10,60)             d (200,100)
class SelectPanelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::QtApp();
    panel_ = std::make_unique<CSelectPanelUI>();
    panel_->resize(300, 160);
    a_ = AddButton("key_0", QRect(10, 10, 30, 30));
    b_ = AddButton("key_1", QRect(50, 10, 30, 30));
    c_ = AddButton("key_2", QRect(10, 60, 30, 30));
    d_ = AddButton("key_3", QRect(200, 100, 30, 30));
    panel_->SetNotifyHandler([this](QObject* sender, const QString& kind, qint64, qint64) {
      raised_.push_back({sender, kind});
    });
    panel_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(panel_.get()));
  }

  CDeviceKeyButtonUI* AddButton(const char* name, const QRect& geometry) {
    auto* button = new CDeviceKeyButtonUI(panel_.get());
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(geometry);
    button->SetNotifyHandler([this](QObject* sender, const QString& kind, qint64, qint64) {
      raised_.push_back({sender, kind});
    });
    return button;
  }

  void Drag(QWidget* start_widget, QPoint from, QPoint to) {
    QTest::mousePress(start_widget, Qt::LeftButton, Qt::NoModifier, from);
    QTest::mouseMove(panel_.get(), to);
    QTest::mouseRelease(panel_.get(), Qt::LeftButton, Qt::NoModifier, to);
  }

  [[nodiscard]] int SelectEnds() const {
    int count = 0;
    for (const Raised& raised : raised_) {
      if (raised.kind == QLatin1String("click_select_end")) {
        EXPECT_EQ(raised.sender, panel_.get());
        ++count;
      }
    }
    return count;
  }

  [[nodiscard]] std::vector<CDeviceKeyButtonUI*> Selected() const { return panel_->SelectedButtons(); }

  std::unique_ptr<CSelectPanelUI> panel_;
  CDeviceKeyButtonUI* a_ = nullptr;
  CDeviceKeyButtonUI* b_ = nullptr;
  CDeviceKeyButtonUI* c_ = nullptr;
  CDeviceKeyButtonUI* d_ = nullptr;
  std::vector<Raised> raised_;
};

TEST_F(SelectPanelTest, DragSelectsIntersectingButtonsAndANewDragReplacesTheSelection) {
  // Corner to corner over a only.
  Drag(panel_.get(), QPoint(5, 5), QPoint(45, 45));
  EXPECT_EQ(Selected(), (std::vector<CDeviceKeyButtonUI*>{a_}));
  EXPECT_EQ(SelectEnds(), 1);
  EXPECT_FALSE(panel_->IsDragging());

  // Dragged up and to the left: the corners are sorted; touching b's edge is enough.
  Drag(panel_.get(), QPoint(120, 95), QPoint(79, 5));
  EXPECT_EQ(Selected(), (std::vector<CDeviceKeyButtonUI*>{b_}));
  EXPECT_FALSE(a_->IsSelected());
  EXPECT_EQ(SelectEnds(), 2);

  // A wide band takes every button it meets.
  Drag(panel_.get(), QPoint(5, 150), QPoint(295, 50));
  EXPECT_EQ(Selected(), (std::vector<CDeviceKeyButtonUI*>{c_, d_}));

  panel_->ClearSelection();
  EXPECT_TRUE(Selected().empty());
}

TEST_F(SelectPanelTest, PressAndReleaseWithoutMoveChangesNothing) {
  Drag(panel_.get(), QPoint(5, 5), QPoint(45, 45));
  ASSERT_EQ(Selected(), (std::vector<CDeviceKeyButtonUI*>{a_}));
  raised_.clear();

  QTest::mouseClick(panel_.get(), Qt::LeftButton, Qt::NoModifier, QPoint(150, 60));
  EXPECT_EQ(Selected(), (std::vector<CDeviceKeyButtonUI*>{a_}));
  EXPECT_EQ(SelectEnds(), 0);
}

TEST_F(SelectPanelTest, DisabledPanelAndPressesOnButtonsStartNoBand) {
  panel_->setEnabled(false);
  Drag(panel_.get(), QPoint(5, 5), QPoint(295, 155));
  EXPECT_TRUE(Selected().empty());
  panel_->setEnabled(true);

  // A press on an enabled button is the button's own click.
  Drag(b_, QPoint(5, 5), QPoint(295, 155));
  EXPECT_TRUE(Selected().empty());

  // A disabled button passes its press on to the panel; that is still no press
  // on the panel itself.
  c_->setEnabled(false);
  Drag(c_, QPoint(5, 5), QPoint(295, 155));
  EXPECT_TRUE(Selected().empty());
  EXPECT_EQ(SelectEnds(), 0);
}

TEST_F(SelectPanelTest, DisablingThePanelMidDragDropsTheDrag) {
  QTest::mousePress(panel_.get(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
  QTest::mouseMove(panel_.get(), QPoint(100, 100));
  ASSERT_TRUE(panel_->IsDragging());
  EXPECT_EQ(panel_->SelectionRect(), QRect(QPoint(5, 5), QPoint(100, 100)));
  panel_->setEnabled(false);
  EXPECT_FALSE(panel_->IsDragging());
  panel_->setEnabled(true);
  QTest::mouseRelease(panel_.get(), Qt::LeftButton, Qt::NoModifier, QPoint(100, 100));
  EXPECT_TRUE(Selected().empty());
  EXPECT_EQ(SelectEnds(), 0);
}

TEST_F(SelectPanelTest, HiddenButtonsAreNeverSelected) {
  Drag(panel_.get(), QPoint(5, 5), QPoint(45, 45));
  ASSERT_TRUE(a_->IsSelected());
  a_->hide();
  Drag(panel_.get(), QPoint(5, 5), QPoint(295, 155));
  EXPECT_EQ(Selected(), (std::vector<CDeviceKeyButtonUI*>{b_, c_, d_}));
}

TEST_F(SelectPanelTest, KeyButtonClicksAndDoubleClicks) {
  EXPECT_FALSE(a_->isCheckable());
  QTest::mouseDClick(a_, Qt::LeftButton);
  ASSERT_EQ(raised_.size(), 1u);
  EXPECT_EQ(raised_[0].kind, QStringLiteral("dbclick"));
  EXPECT_EQ(raised_[0].sender, a_);
  EXPECT_FALSE(a_->isChecked());

  raised_.clear();
  a_->setEnabled(false);
  QTest::mouseDClick(a_, Qt::LeftButton);
  for (const Raised& raised : raised_) EXPECT_NE(raised.kind, QStringLiteral("dbclick"));
}

TEST(DeviceKeyButtonTest, StartsWithTheDesignDefaultsAndClampsDrawingValues) {
  test::QtApp();
  CDeviceKeyButtonUI button;
  EXPECT_EQ(button.LightFillAlpha(), 255);
  EXPECT_EQ(button.LightEdgeAlpha(), 200);
  EXPECT_FALSE(button.IsLightVisible());
  EXPECT_FALSE(button.IsKeySetImageVisible());
  EXPECT_FALSE(button.IsSelected());
  button.SetLightDrawing(300, -4);
  EXPECT_EQ(button.LightFillAlpha(), 255);
  EXPECT_EQ(button.LightEdgeAlpha(), 0);
}

TEST(PictureControlsTest, SkinBuildsTheControlsByBothNamesWithTheirAttributes) {
  test::QtApp();
  ui::ControlFactory factory;
  RegisterPictureControls(factory);
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  const QString path = folder.filePath(QStringLiteral("picture.ui"));
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(R"(<?xml version="1.0" encoding="UTF-8"?>
<ui version="4.0">
 <widget class="QWidget" name="page">
  <widget class="SelectPanel" name="device_key_light">
   <widget class="DeviceKeyButton" name="key_7">
    <property name="lightimage"><string>file='keys/light.png'</string></property>
    <property name="gmnametextcolor"><string>#ff00ff</string></property>
   </widget>
   <widget class="CDeviceKeyButtonUI" name="light_2"/>
  </widget>
 </widget>
</ui>)");
  file.close();

  ui::SkinLoader loader(factory, nullptr);
  QString error;
  std::unique_ptr<QWidget> page(loader.Build(path, nullptr, &error));
  ASSERT_NE(page, nullptr) << error.toStdString();
  auto* panel = page->findChild<CSelectPanelUI*>(QStringLiteral("device_key_light"));
  ASSERT_NE(panel, nullptr);
  auto* key = panel->findChild<CDeviceKeyButtonUI*>(QStringLiteral("key_7"));
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(key->LightImage(), QStringLiteral("file='keys/light.png'"));
  EXPECT_EQ(key->GmNameTextColor(), QStringLiteral("#ff00ff"));
  EXPECT_NE(panel->findChild<CDeviceKeyButtonUI*>(QStringLiteral("light_2")), nullptr);
  EXPECT_EQ(ui::ControlFactory::ControlClassName(panel), QStringLiteral("CSelectPanelUI"));
}

}  // namespace
}  // namespace zt640
