#include <gtest/gtest.h>

#include <QPaintEvent>
#include <QRegion>

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QPaintEvent>
#include <QRegion>
#include <QScreen>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <thread>

#include "pages/device_key_button_ui.h"
#include "pages/keyboard/keyboard_options_panel.h"
#include "pages/keyboard/keyboard_picture.h"
#include "pages/select_panel_ui.h"
#include "support/qt_app.h"
#include "ui/notify_hub.h"
#include "ui/resource_manager.h"

namespace zt640 {
namespace {

/// Counts the paint events each watched widget receives.
class PaintCounter : public QObject {
 public:
  void Watch(QWidget* widget) {
    if (widget != nullptr) widget->installEventFilter(this);
  }
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++counts[watched];
    return false;
  }
  std::map<QObject*, int> counts;
};

class KeyboardPictureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::QtApp();
    window_ = std::make_unique<QWidget>();
    panel_ = new CSelectPanelUI(window_.get());
    // About 48 px per key: the picture is 24.9 x 7.4 keys with its case.
    panel_->setGeometry(0, 0, 1210, 360);
    window_->resize(1210, 360);
    picture_ = std::make_unique<KeyboardPicture>(panel_);
  }

  void ShowWindow() {
    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
  }

  [[nodiscard]] CDeviceKeyButtonUI* Key(int index) const { return picture_->Button(index); }

  std::unique_ptr<QWidget> window_;
  CSelectPanelUI* panel_ = nullptr;
  std::unique_ptr<KeyboardPicture> picture_;
};

TEST_F(KeyboardPictureTest, EveryKeyWithAPlaceHasOneNamedButtonWhereAKeyboardHasIt) {
  const auto buttons = panel_->findChildren<CDeviceKeyButtonUI*>();
  // 126 UI keys, less the four whose factory value is "no key".
  EXPECT_EQ(buttons.size(), 122);
  for (int key = 0; key < KeyboardPicture::kKeyCount; ++key) {
    const bool no_key = key == 18 || key == 19 || key == 20 || key == 104;
    if (no_key) {
      EXPECT_EQ(Key(key), nullptr) << key;
      continue;
    }
    ASSERT_NE(Key(key), nullptr) << key;
    EXPECT_EQ(Key(key)->objectName(), QStringLiteral("key_%1").arg(key));
    EXPECT_TRUE(panel_->rect().contains(Key(key)->geometry())) << key;
  }
  EXPECT_EQ(picture_->Button(-1), nullptr);
  EXPECT_EQ(picture_->Button(KeyboardPicture::kKeyCount), nullptr);

  // Esc (0) above ` (21), Tab (42) under it, M1 (120) left of ` on its row; the
  // space bar (108) is the widest key and left of the arrows (113-115); the number
  // pad's 0 (116) is right of them, twice as wide as its 1 (97) above it.
  EXPECT_EQ(Key(0)->x(), Key(21)->x());
  EXPECT_LT(Key(0)->y(), Key(21)->y());
  EXPECT_EQ(Key(42)->x(), Key(21)->x());
  EXPECT_EQ(Key(120)->y(), Key(21)->y());
  EXPECT_LT(Key(120)->x(), Key(21)->x());
  for (CDeviceKeyButtonUI* button : buttons) {
    if (button == Key(108)) continue;
    EXPECT_LT(button->width(), Key(108)->width()) << button->objectName().toStdString();
  }
  EXPECT_LT(Key(108)->geometry().right(), Key(113)->x());
  EXPECT_LT(Key(115)->geometry().right(), Key(116)->x());
  EXPECT_EQ(Key(116)->x(), Key(97)->x());
  EXPECT_NEAR(Key(116)->width(), 2 * Key(97)->width() + (Key(98)->x() - Key(97)->geometry().right() - 1), 2);
}

TEST_F(KeyboardPictureTest, KeysTheKeyboardLacksAreHiddenAndTheirNeighboursTakeTheirPlaces) {
  ShowWindow();
  const QRect enter = Key(75)->geometry();
  std::vector<bool> present(KeyboardPicture::kKeyCount, true);
  present[55] = false;   // the ANSI backslash: Enter becomes the ISO L
  present[101] = false;  // Yen: Backspace grows over it
  picture_->SetKeysPresent(present);
  EXPECT_TRUE(Key(55)->isHidden());
  EXPECT_TRUE(Key(101)->isHidden());
  EXPECT_FALSE(picture_->IsKeyPresent(55));
  EXPECT_TRUE(picture_->IsKeyPresent(75));
  // Enter reaches up into the backslash's row; only its L takes clicks.
  EXPECT_LT(Key(75)->y(), enter.y());
  EXPECT_EQ(Key(75)->Shape().size(), 2u);
  const QRegion l_shape = Key(75)->mask().translated(Key(75)->pos());
  const QRect l_box = Key(75)->geometry();
  EXPECT_TRUE(l_shape.contains(l_box.topLeft() + QPoint(1, 1)));
  EXPECT_FALSE(l_shape.contains(l_box.bottomLeft() + QPoint(1, -1)));
  EXPECT_GT(Key(34)->width(), 2 * Key(33)->width());

  // No two visible keys share a pixel, shapes included.
  const auto buttons = panel_->findChildren<CDeviceKeyButtonUI*>();
  for (qsizetype i = 0; i < buttons.size(); ++i) {
    if (buttons[i]->isHidden()) continue;
    const auto area = [](const CDeviceKeyButtonUI* b) {
      return b->mask().isEmpty() ? QRegion(b->geometry()) : b->mask().translated(b->pos());
    };
    for (qsizetype j = i + 1; j < buttons.size(); ++j) {
      if (buttons[j]->isHidden()) continue;
      EXPECT_FALSE(area(buttons[i]).intersects(area(buttons[j])))
          << buttons[i]->objectName().toStdString() << " " << buttons[j]->objectName().toStdString();
    }
  }

  // Every key back: the picture is as it was.
  picture_->SetKeysPresent({});
  EXPECT_FALSE(Key(55)->isHidden());
  EXPECT_EQ(Key(75)->geometry(), enter);
  EXPECT_TRUE(Key(75)->Shape().empty());
}

TEST_F(KeyboardPictureTest, LayoutDumpListsEveryShownKeyInWindowPixels) {
  ShowWindow();
  picture_->SetKeyText(0, QStringLiteral("Esc"), QStringLiteral("Escape"));
  picture_->SetKeyText(57, QStringLiteral("A very long caption that cannot fit"));
  std::vector<bool> present(KeyboardPicture::kKeyCount, true);
  present[62] = false;
  picture_->SetKeysPresent(present);
  EXPECT_EQ(Key(0)->toolTip(), QStringLiteral("Escape"));

  QTemporaryDir folder;
  const QString path = folder.filePath(QStringLiteral("layout.json"));
  ASSERT_TRUE(picture_->WriteLayoutDump(path));
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QJsonObject dump = QJsonDocument::fromJson(file.readAll()).object();
  EXPECT_EQ(dump.value(QStringLiteral("window")).toArray(), (QJsonArray{window_->width(), window_->height()}));
  const QJsonArray keys = dump.value(QStringLiteral("keys")).toArray();
  EXPECT_EQ(keys.size(), 121);
  std::map<QString, QJsonObject> by_name;
  for (const QJsonValue& key : keys) by_name[key.toObject().value(QStringLiteral("name")).toString()] = key.toObject();
  EXPECT_FALSE(by_name.contains(QStringLiteral("key_62")));
  const QJsonObject esc = by_name[QStringLiteral("key_0")];
  const QPoint at = Key(0)->mapTo(window_.get(), QPoint(0, 0));
  EXPECT_EQ(esc.value(QStringLiteral("rect")).toArray(), (QJsonArray{at.x(), at.y(), Key(0)->width(), Key(0)->height()}));
  EXPECT_EQ(esc.value(QStringLiteral("caption")).toString(), QStringLiteral("Esc"));
  EXPECT_FALSE(esc.value(QStringLiteral("elided")).toBool());
  EXPECT_TRUE(by_name[QStringLiteral("key_57")].value(QStringLiteral("elided")).toBool());
}

TEST_F(KeyboardPictureTest, ButtonsScaleWithThePanelAndNeverOverlap) {
  ShowWindow();
  const int full_width = Key(0)->width();
  panel_->resize(605, 360);
  EXPECT_NEAR(Key(0)->width(), full_width / 2, 2);
  const auto buttons = panel_->findChildren<CDeviceKeyButtonUI*>();
  for (qsizetype i = 0; i < buttons.size(); ++i) {
    EXPECT_TRUE(panel_->rect().contains(buttons[i]->geometry()));
    EXPECT_GT(buttons[i]->width(), 0);
    for (qsizetype j = i + 1; j < buttons.size(); ++j) {
      EXPECT_FALSE(buttons[i]->geometry().intersects(buttons[j]->geometry()))
          << buttons[i]->objectName().toStdString() << " " << buttons[j]->objectName().toStdString();
    }
  }
}

TEST_F(KeyboardPictureTest, StoredColoursReachOnlyTheButtonsWhoseColourChanged) {
  std::thread worker([this] {
    for (unsigned key = 0; key < KeyboardPicture::kKeyCount; ++key) {
      picture_->StoreKeyColour(key, 200, static_cast<uint8_t>(key), 10, 128);
    }
    // Outside the keyboard: ignored.
    picture_->StoreKeyColour(KeyboardPicture::kKeyCount, 1, 2, 3, 4);
    picture_->StoreKeyColour(1000, 1, 2, 3, 4);
  });
  worker.join();

  // Every key with a button: all but the four "no key" keys.
  EXPECT_EQ(picture_->ApplyStoredColours(), KeyboardPicture::kKeyCount - 4);
  // Each channel is scaled by the brightness.
  EXPECT_EQ(Key(0)->LightColour(), QColor(100, 0, 5));
  EXPECT_EQ(Key(100)->LightColour(), QColor(100, 50, 5));

  EXPECT_EQ(picture_->ApplyStoredColours(), 0);
  for (unsigned key = 0; key < KeyboardPicture::kKeyCount; ++key) {
    picture_->StoreKeyColour(key, 200, static_cast<uint8_t>(key), 10, 128);
  }
  EXPECT_EQ(picture_->ApplyStoredColours(), 0);

  picture_->StoreKeyColour(7, 255, 255, 255, 255);
  picture_->StoreKeyColour(9, 255, 255, 255, 0);
  EXPECT_EQ(picture_->ApplyStoredColours(), 2);
  EXPECT_EQ(Key(7)->LightColour(), QColor(255, 255, 255));
  EXPECT_EQ(Key(9)->LightColour(), QColor(0, 0, 0));

  // A colour stored and stored back before the tick changes nothing on screen.
  picture_->StoreKeyColour(7, 1, 1, 1, 255);
  picture_->StoreKeyColour(7, 255, 255, 255, 255);
  EXPECT_EQ(picture_->ApplyStoredColours(), 0);
}

/// Keeps the regions the panel is asked to paint.
class RegionRecorder : public QObject {
 public:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) painted += static_cast<QPaintEvent*>(event)->region();
    return false;
  }
  QRegion painted;
};

TEST_F(KeyboardPictureTest, ATickRepaintsOnlyTheRingsOfChangedKeysAndOnlyWhileLightsShow) {
  ShowWindow();
  picture_->SetLightsVisible(true);
  PaintCounter counter;
  for (int key = 0; key < KeyboardPicture::kKeyCount; ++key) counter.Watch(Key(key));
  RegionRecorder panel_paints;
  panel_->installEventFilter(&panel_paints);
  QCoreApplication::processEvents();
  counter.counts.clear();
  panel_paints.painted = QRegion();

  picture_->StoreKeyColour(5, 255, 0, 0, 255);
  ASSERT_EQ(picture_->ApplyStoredColours(), 1);
  QCoreApplication::processEvents();
  // The light shows around the key; no key button is repainted for it.
  EXPECT_TRUE(counter.counts.empty());
  const QRect key = Key(5)->geometry();
  EXPECT_FALSE(panel_paints.painted.isEmpty());
  EXPECT_FALSE(panel_paints.painted.intersects(key));
  EXPECT_TRUE(key.adjusted(-key.width() / 4, -key.height() / 4, key.width() / 4, key.height() / 4)
                  .contains(panel_paints.painted.boundingRect()));
  const QImage shown = panel_->grab().toImage();
  EXPECT_EQ(shown.pixelColor(key.left() - 1, key.center().y()), QColor(255, 0, 0));
  EXPECT_NE(shown.pixelColor(Key(6)->geometry().left() - 1, Key(6)->geometry().center().y()), QColor(255, 0, 0));

  panel_paints.painted = QRegion();
  EXPECT_EQ(picture_->ApplyStoredColours(), 0);
  QCoreApplication::processEvents();
  EXPECT_TRUE(panel_paints.painted.isEmpty());

  // With the light display off a new colour is kept but not painted.
  picture_->SetLightsVisible(false);
  QCoreApplication::processEvents();
  panel_paints.painted = QRegion();
  counter.counts.clear();
  picture_->StoreKeyColour(5, 0, 255, 0, 255);
  ASSERT_EQ(picture_->ApplyStoredColours(), 1);
  QCoreApplication::processEvents();
  EXPECT_TRUE(counter.counts.empty());
  EXPECT_TRUE(panel_paints.painted.isEmpty());
  EXPECT_EQ(Key(5)->LightColour(), QColor(0, 255, 0));
}

TEST_F(KeyboardPictureTest, RingsShowTheirColoursThroughLightsOffAndOnAndAResize) {
  // Polishing by a style sheet must leave the keys opaque, or every frame of
  // lights repaints all of them.
  window_->setStyleSheet(QStringLiteral("QPushButton { background: #202020; }"));
  ShowWindow();
  picture_->SetLightsVisible(true);
  for (unsigned key = 0; key < KeyboardPicture::kKeyCount; ++key) {
    picture_->StoreKeyColour(key, static_cast<uint8_t>(2 * key), 100, 255, 255);
  }
  ASSERT_GT(picture_->ApplyStoredColours(), 16);
  QCoreApplication::processEvents();
  const auto ring_left_of = [this](const QImage& image, int key) {
    const QRect place = Key(key)->geometry();
    return image.pixelColor(place.left() - 1, place.center().y());
  };
  struct Case {
    const char* what;
    bool lights;
    QSize size;
  };
  for (const Case& step : {Case{"all keys changed", true, {1210, 360}}, Case{"lights off", false, {1210, 360}},
                           Case{"lights on again", true, {1210, 360}}, Case{"smaller panel", true, {900, 268}}}) {
    SCOPED_TRACE(step.what);
    picture_->SetLightsVisible(step.lights);
    panel_->resize(step.size);
    QCoreApplication::processEvents();
    const QImage shown = panel_->grab().toImage();
    for (int key : {0, 5, 7, 100}) {
      ASSERT_NE(Key(key), nullptr);
      EXPECT_TRUE(Key(key)->testAttribute(Qt::WA_OpaquePaintEvent));
      const QColor lit(2 * key, 100, 255);
      if (step.lights) {
        EXPECT_EQ(ring_left_of(shown, key), lit) << "key " << key;
      } else {
        EXPECT_NE(ring_left_of(shown, key), lit) << "key " << key;
      }
    }
  }
}

TEST_F(KeyboardPictureTest, RefreshRunsOnlyWhileThePanelIsOnScreen) {
  EXPECT_FALSE(picture_->IsRefreshing());
  const QScreen* screen = panel_->screen();
  const double rate = screen != nullptr && screen->refreshRate() >= 1 ? screen->refreshRate() : 60.0;
  EXPECT_EQ(picture_->RefreshIntervalMs(),
            static_cast<int>(std::lround(1000.0 / std::min<double>(rate, KeyboardPicture::kMaxPreviewHz))));

  ShowWindow();
  EXPECT_TRUE(picture_->IsRefreshing());

  // The timer brings stored colours to the buttons by itself.
  picture_->StoreKeyColour(3, 0, 0, 255, 255);
  EXPECT_TRUE(QTest::qWaitFor([&] { return Key(3)->LightColour() == QColor(0, 0, 255); }, 2000));
  EXPECT_EQ(Key(3)->LightColour(), QColor(0, 0, 255));

  panel_->hide();
  EXPECT_FALSE(picture_->IsRefreshing());
  panel_->show();
  EXPECT_TRUE(picture_->IsRefreshing());

  window_->showMinimized();
  EXPECT_FALSE(picture_->IsRefreshing());
  window_->showNormal();
  EXPECT_TRUE(picture_->IsRefreshing());

  window_->hide();
  EXPECT_FALSE(picture_->IsRefreshing());
}

TEST_F(KeyboardPictureTest, FramesHandedOverOnTheUiThreadShowAtOnceAndHoldTheTickBack) {
  ShowWindow();
  const int period = picture_->RefreshIntervalMs();
  ASSERT_EQ(picture_->RefreshTickMs(), period);
  picture_->StoreKeyColour(3, 0, 0, 255, 255);
  EXPECT_EQ(picture_->ShowStoredColoursNow(), 1);
  EXPECT_EQ(Key(3)->LightColour(), QColor(0, 0, 255));
  EXPECT_GT(picture_->RefreshTickMs(), period);
  // Frames stop coming: the tick runs once more and is back at the display's pace,
  // bringing colours stored from other threads.
  picture_->StoreKeyColour(3, 255, 0, 0, 255);
  EXPECT_TRUE(QTest::qWaitFor([&] { return picture_->RefreshTickMs() == period; }, 2000));
  EXPECT_EQ(Key(3)->LightColour(), QColor(255, 0, 0));
}

TEST_F(KeyboardPictureTest, RubberBandSelectionGivesTheSelectedKeys) {
  ShowWindow();
  // From the case rim above Escape down to its centre: Escape alone.
  const QRect escape = Key(0)->geometry();
  const QPoint start(escape.center().x(), escape.top() - 3);
  QTest::mousePress(panel_, Qt::LeftButton, Qt::NoModifier, start);
  QTest::mouseMove(panel_, escape.center());
  QTest::mouseRelease(panel_, Qt::LeftButton, Qt::NoModifier, escape.center());
  EXPECT_EQ(picture_->SelectedKeys(), std::vector<int>{0});

  // Over the whole picture: every key.
  QTest::mousePress(panel_, Qt::LeftButton, Qt::NoModifier, QPoint(1, 1));
  QTest::mouseMove(panel_, QPoint(1208, 358));
  QTest::mouseRelease(panel_, Qt::LeftButton, Qt::NoModifier, QPoint(1208, 358));
  EXPECT_EQ(picture_->SelectedKeys().size(), static_cast<size_t>(KeyboardPicture::kKeyCount - 4));
}

TEST_F(KeyboardPictureTest, PictureAndPanelMayGoInEitherOrder) {
  picture_.reset();
  EXPECT_TRUE(panel_->findChildren<CDeviceKeyButtonUI*>().empty());

  picture_ = std::make_unique<KeyboardPicture>(panel_);
  ShowWindow();
  ASSERT_TRUE(picture_->IsRefreshing());
  window_.reset();
  EXPECT_FALSE(picture_->IsRefreshing());
  EXPECT_EQ(picture_->Button(0), nullptr);
  picture_->StoreKeyColour(0, 1, 2, 3, 4);
  EXPECT_EQ(picture_->ApplyStoredColours(), 0);
  picture_->SetLightsVisible(true);
  EXPECT_TRUE(picture_->SelectedKeys().empty());
}

class RecordingTarget : public ui::NotifyTarget {
 public:
  void Notify(const ui::Notification& notification) override {
    raised.push_back(notification.kind + QLatin1Char(':') + notification.sender_name);
  }
  std::vector<QString> raised;
};

class KeyboardOptionsPanelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::QtApp();
    ui::ResourceManager::Instance().SetResourcePath(ZT640_SOURCE_DIR "/data/skin");
    panel_ = std::make_unique<KeyboardOptionsPanel>();
    ASSERT_TRUE(panel_->IsBuilt());
    hub_ = std::make_unique<ui::NotifyHub>(target_);
    hub_->Attach(panel_.get());
  }

  template <typename T>
  [[nodiscard]] T* Find(const QString& name) const {
    T* control = panel_->findChild<T*>(name);
    EXPECT_NE(control, nullptr) << name.toStdString();
    return control;
  }

  RecordingTarget target_;
  std::unique_ptr<KeyboardOptionsPanel> panel_;
  std::unique_ptr<ui::NotifyHub> hub_;
};

TEST_F(KeyboardOptionsPanelTest, ShowsAndReadsBackEveryOptionWithoutNotifying) {
  KeyboardOptions shown;
  shown.repeat = 7;
  shown.repeat_delay = 2;
  shown.key6_flag = 1;
  shown.polling_rate = 3;
  shown.w_flag = 1;
  shown.win_flag = 0;
  shown.mac_mode = 5;
  shown.wheel = 9;
  panel_->ShowOptions(shown);
  EXPECT_TRUE(target_.raised.empty());
  EXPECT_EQ(Find<QLabel>(QStringLiteral("repeat_delay_time_label1"))->text(), QStringLiteral("750 ms"));

  // Options the panel does not show come from the base.
  KeyboardOptions base;
  base.repeat = 30;
  base.win_flag = 1;
  base.mac_mode = 5;
  base.wheel = 9;
  EXPECT_EQ(panel_->ReadOptions(base), shown);

  // Back the other way: a choice moves, the previous one is released.
  KeyboardOptions next;
  next.repeat_delay = 0;
  next.polling_rate = 1;
  next.win_flag = 1;
  panel_->ShowOptions(next);
  EXPECT_TRUE(target_.raised.empty());
  EXPECT_FALSE(Find<QAbstractButton>(QStringLiteral("polling_rate_option_3"))->isChecked());
  EXPECT_FALSE(Find<QAbstractButton>(QStringLiteral("repeat_delay_check_2"))->isChecked());
  EXPECT_EQ(panel_->ReadOptions(KeyboardOptions{}), next);
  EXPECT_EQ(Find<QLabel>(QStringLiteral("repeat_delay_time_label1"))->text(), QStringLiteral("250 ms"));

  // The user's own clicks do reach the hub.
  Find<QAbstractButton>(QStringLiteral("polling_rate_option_2"))->click();
  EXPECT_NE(std::find(target_.raised.begin(), target_.raised.end(), QStringLiteral("selectchanged:polling_rate_option_2")),
            target_.raised.end());
  EXPECT_EQ(panel_->ReadOptions(next).polling_rate, 2);
}

TEST_F(KeyboardOptionsPanelTest, ChoicesOutsideTheRangeShowAsZero) {
  KeyboardOptions options;
  options.repeat_delay = 3;
  options.polling_rate = 3;
  panel_->ShowOptions(options);

  options.repeat_delay = 4;
  options.polling_rate = 1000;
  options.repeat = 500;
  panel_->ShowOptions(options);
  EXPECT_TRUE(Find<QAbstractButton>(QStringLiteral("repeat_delay_check_0"))->isChecked());
  EXPECT_TRUE(Find<QAbstractButton>(QStringLiteral("polling_rate_option_0"))->isChecked());
  EXPECT_FALSE(Find<QAbstractButton>(QStringLiteral("polling_rate_option_3"))->isChecked());
  const KeyboardOptions read = panel_->ReadOptions(options);
  EXPECT_EQ(read.repeat_delay, 0);
  EXPECT_EQ(read.polling_rate, 0);
  EXPECT_EQ(read.repeat, Find<QAbstractSlider>(QStringLiteral("repeat_rate_slider"))->maximum());
}

TEST(KeyboardOptionsPanelNames, OptionControlsByNameAndIndex) {
  for (const char* name : {"winlockflag_option", "wflag_option", "6flag_option", "repeat_rate_slider", "reset_repeat_btn",
                           "repeat_delay_check_0", "repeat_delay_check_3", "polling_rate_option_0",
                           "polling_rate_option_3"}) {
    EXPECT_TRUE(KeyboardOptionsPanel::IsOptionControl(QString::fromLatin1(name))) << name;
  }
  for (const char* name : {"repeat_delay_check_4", "polling_rate_option_", "polling_rate_option_x",
                           "polling_rate_option_+1", "repeat_delay_check_-1", "wflag_option2",
                           "repeat_delay_time_label1", "DPI_select_check_1", "", "key_3"}) {
    EXPECT_FALSE(KeyboardOptionsPanel::IsOptionControl(QString::fromLatin1(name))) << name;
  }
}

TEST(KeyboardOptionsPanelSkin, MissingSkinLeavesAnEmptyPanel) {
  test::QtApp();
  ui::ResourceManager::Instance().SetResourcePath(ZT640_SOURCE_DIR "/data/skin");
  KeyboardOptionsPanel panel(nullptr, QStringLiteral("NoSuchOptions.ui"));
  EXPECT_FALSE(panel.IsBuilt());
  panel.ShowOptions(KeyboardOptions{});
  EXPECT_EQ(panel.ReadOptions(KeyboardOptions{}), KeyboardOptions{});
}

}  // namespace
}  // namespace zt640
