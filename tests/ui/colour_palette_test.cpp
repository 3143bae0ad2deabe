#include "ui/colour_palette.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>
#include <QMouseEvent>
#include <QTest>
#include <vector>

#include "support/qt_app.h"

namespace zt640::ui {
namespace {

struct Raised {
  QString kind;
  qint64 wparam;
};

class ColourPaletteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    palette_.resize(320, 200);
    palette_.SetNotifyHandler([this](QObject* sender, const QString& kind, qint64 wparam, qint64) {
      EXPECT_EQ(sender, &palette_);
      raised_.push_back({kind, wparam});
    });
  }

  /// The colour drawn at `point` right now.
  QRgb DrawnAt(const QPoint& point) { return palette_.grab().toImage().pixel(point) | 0xFF000000u; }

  void Drag(const QPoint& to) {
    QMouseEvent move(QEvent::MouseMove, QPointF(to), palette_.mapToGlobal(QPointF(to)), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(&palette_, &move);
  }

  QApplication& app_ = test::QtApp();  // before any widget
  ColourPalette palette_;
  std::vector<Raised> raised_;
};

TEST_F(ColourPaletteTest, ClickInFieldOrStripChoosesTheColourDrawnThere) {
  palette_.SetColour(0xFFFFFFFF);  // full brightness: the field shows exactly what a click picks
  const QRect field = palette_.FieldRect();
  const QRect strip = palette_.StripRect();
  ASSERT_FALSE(field.intersects(strip));

  const QPoint in_field(field.left() + field.width() * 2 / 3, field.top() + field.height() / 4);
  const QRgb field_colour = DrawnAt(in_field);
  QTest::mouseClick(&palette_, Qt::LeftButton, Qt::NoModifier, in_field);
  EXPECT_EQ(palette_.Colour(), field_colour);
  ASSERT_EQ(raised_.size(), 1u);
  EXPECT_EQ(raised_[0].kind, "colorchanged");
  EXPECT_EQ(raised_[0].wparam, static_cast<qint64>(field_colour));
  EXPECT_FALSE(qRed(field_colour) == qGreen(field_colour) && qGreen(field_colour) == qBlue(field_colour))
      << "the point should lie on a coloured part of the field";

  // The strip now runs the picked hue and saturation from bright to dark.
  const QPoint in_strip(strip.center().x(), strip.top() + strip.height() * 3 / 4);
  const QRgb strip_colour = DrawnAt(in_strip);
  QTest::mouseClick(&palette_, Qt::LeftButton, Qt::NoModifier, in_strip);
  EXPECT_EQ(palette_.Colour(), strip_colour);
  EXPECT_LT(qMax(qRed(strip_colour), qMax(qGreen(strip_colour), qBlue(strip_colour))),
            qMax(qRed(field_colour), qMax(qGreen(field_colour), qBlue(field_colour))));
  ASSERT_EQ(raised_.size(), 2u);
  EXPECT_EQ(raised_[1].wparam, static_cast<qint64>(strip_colour));

  // A field pick after darkening keeps the brightness chosen in the strip.
  QTest::mouseClick(&palette_, Qt::LeftButton, Qt::NoModifier, in_field);
  EXPECT_EQ(QColor(palette_.Colour()).value(), QColor(strip_colour).value());
}

TEST_F(ColourPaletteTest, DragBeyondTheFieldPicksAlongItsEdge) {
  palette_.SetColour(0xFFFFFFFF);
  const QRect field = palette_.FieldRect();
  QTest::mousePress(&palette_, Qt::LeftButton, Qt::NoModifier, QPoint(field.left() + 5, field.top()));
  Drag(QPoint(field.left() - 40, field.top() - 40));  // top-left corner: hue 0, full saturation
  EXPECT_EQ(palette_.Colour(), qRgb(255, 0, 0));
  // Dragging over the strip does not switch to it.
  Drag(QPoint(palette_.StripRect().center().x(), field.bottom() + 50));
  EXPECT_EQ(QColor(palette_.Colour()).hsvSaturation(), 0);
  EXPECT_EQ(QColor(palette_.Colour()).value(), 255);
  QTest::mouseRelease(&palette_, Qt::LeftButton, Qt::NoModifier, QPoint(field.left(), field.top()));
  EXPECT_EQ(raised_.size(), 3u);
}

TEST_F(ColourPaletteTest, SetColourRoundTripsAndRaisesNothing) {
  for (const QRgb colour : {0xFF123456u, 0xFF000000u, 0xFF808080u, 0xFFFFFFFFu, 0xFFFE0102u, 0xFF00FF7Fu}) {
    palette_.SetColour(colour);
    EXPECT_EQ(palette_.Colour(), colour) << std::hex << colour;
  }
  palette_.SetColour(0x00123456);  // alpha is always full
  EXPECT_EQ(palette_.Colour(), 0xFF123456u);
  palette_.grab();
  EXPECT_TRUE(raised_.empty());
}

TEST_F(ColourPaletteTest, ArrowKeysStepTheColourAndReportIt) {
  palette_.SetColour(qRgb(255, 0, 0));
  QTest::keyClick(&palette_, Qt::Key_Left);  // the hue does not wrap below 0
  EXPECT_EQ(palette_.Colour(), qRgb(255, 0, 0));
  QTest::keyClick(&palette_, Qt::Key_Right);
  EXPECT_GT(qGreen(palette_.Colour()), 0);  // red moved towards yellow
  QTest::keyClick(&palette_, Qt::Key_PageDown);
  EXPECT_LT(QColor(palette_.Colour()).value(), 255);
  ASSERT_EQ(raised_.size(), 3u);
  EXPECT_EQ(raised_.back().wparam, static_cast<qint64>(palette_.Colour()));
}

}  // namespace
}  // namespace zt640::ui
