#include <gtest/gtest.h>

#include <QLineF>
#include <functional>
#include <memory>
#include <thread>

#include "pages/device_key_button_ui.h"
#include "pages/headset/headset_picture.h"
#include "pages/pad/pad_picture.h"
#include "pages/select_panel_ui.h"
#include "support/qt_app.h"

namespace zt640 {
namespace {

struct Kind {
  const char* name;
  int zones;
  std::function<std::unique_ptr<ZonePicture>(CSelectPanelUI*, int)> make;
};

const Kind kKinds[] = {
    {"headset", 13, [](CSelectPanelUI* panel, int count) { return std::make_unique<HeadsetPicture>(panel, count); }},
    {"pad", 15, [](CSelectPanelUI* panel, int count) { return std::make_unique<PadPicture>(panel, count); }},
};

TEST(ZonePictureTest, ZonesSitApartOnTheDrawnBodyInsideThePanel) {
  test::QtApp();
  for (const Kind& kind : kKinds) {
    for (const QSize size : {QSize(700, 240), QSize(300, 400)}) {
      SCOPED_TRACE(testing::Message() << kind.name << " " << size.width() << "x" << size.height());
      CSelectPanelUI panel;
      panel.resize(size);
      const std::unique_ptr<ZonePicture> picture = kind.make(&panel, kind.zones);
      ASSERT_EQ(picture->LightCount(), kind.zones);
      EXPECT_EQ(panel.findChild<CDeviceKeyButtonUI*>(QStringLiteral("light_%1").arg(kind.zones)), nullptr);
      for (int zone = 0; zone < kind.zones; ++zone) {
        const CDeviceKeyButtonUI* light = panel.findChild<CDeviceKeyButtonUI*>(QStringLiteral("light_%1").arg(zone));
        ASSERT_EQ(light, picture->Light(zone)) << zone;
        EXPECT_TRUE(panel.rect().contains(light->geometry())) << zone;
        EXPECT_TRUE(picture->Body().contains(QRectF(light->geometry()).center())) << zone;
        // No zone hides another.
        for (int other = 0; other < zone; ++other) {
          EXPECT_FALSE(light->geometry().intersects(picture->Light(other)->geometry())) << zone << " " << other;
        }
      }
    }
  }
}

TEST(ZonePictureTest, ColoursFromTheWorkerShowOnTheTickAndStrayZonesAreIgnored) {
  test::QtApp();
  for (const Kind& kind : kKinds) {
    SCOPED_TRACE(kind.name);
    CSelectPanelUI panel;
    panel.resize(600, 300);
    const std::unique_ptr<ZonePicture> picture = kind.make(&panel, kind.zones);
    std::thread worker([&picture, &kind] {
      picture->StoreLightColour(static_cast<unsigned>(kind.zones - 1), 255, 0, 0, 255);
      picture->StoreLightColour(static_cast<unsigned>(kind.zones), 1, 2, 3, 255);
    });
    worker.join();
    EXPECT_EQ(picture->ApplyStoredColours(), 1);
    EXPECT_EQ(picture->Light(kind.zones - 1)->LightColour(), QColor(255, 0, 0));
    EXPECT_EQ(picture->ApplyStoredColours(), 0);
  }
}

}  // namespace
}  // namespace zt640
