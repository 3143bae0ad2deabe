#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>

#include "shell/product_icon.h"
#include "support/qt_app.h"

namespace zt640 {
namespace {

TEST(ProductIcon, IsDrawnWholeAtEverySizeAskedFor) {
  test::QtApp();
  const QIcon icon = ProductIcon();
  EXPECT_EQ(icon.availableSizes().size(), 6);
  // The offered sizes and one beyond them, as a high-density tray may ask.
  for (const int size : {16, 48, 128, 256}) {
    SCOPED_TRACE(size);
    const QImage image = icon.pixmap(QSize(size, size)).toImage();
    ASSERT_EQ(image.size(), QSize(size, size));
    // Outside the rounded keycap nothing is drawn; its middle is solid.
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(image.pixel(size - 1, size - 1)), 0);
    EXPECT_EQ(qAlpha(image.pixel(size / 2, size / 2)), 255);
  }
}

}  // namespace
}  // namespace zt640
