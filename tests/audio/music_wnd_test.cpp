// The music window: what its controls do to the styles, and what reaches the file
// (OK) or does not (close).
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLineEdit>
#include <QSlider>

#include <filesystem>
#include <fstream>
#include <functional>

#include "audio/audio_lighting.h"
#include "audio/music_wnd.h"
#include "profiles/global_utils.h"
#include "support/qt_app.h"
#include "ui/resource_manager.h"

namespace zt640 {
namespace {

class MusicWndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::QtApp();
    ui::ResourceManager::Instance().SetResourcePath(ZT640_SOURCE_DIR "/data/skin");
    ASSERT_TRUE(ui::ResourceManager::Instance().LoadResource("res.xml"));
    char pattern[] = "/tmp/zt640-music-XXXXXX";
    folder_ = ::mkdtemp(pattern);
    lighting_ = std::make_unique<AudioLighting>(AudioLighting::Setup{});
    lighting_->LoadStyles(UserPath(), ZT640_SOURCE_DIR "/data/DefaultData/AudioFile.json");
    shipped_ = CGlobalUtils::readjsonFile(UserPath());
  }
  void TearDown() override {
    lighting_.reset();
    std::filesystem::remove_all(folder_);
  }
  [[nodiscard]] std::string UserPath() const { return folder_ + "/AudioFile.json"; }

  /// Opens the window, runs `edit` on it while it is shown modally, and returns once it closed.
  void RunWindow(const std::function<void(MusicWnd&)>& edit) {
    QObject::connect(lighting_.get(), &AudioLighting::MusicWindowOpened, lighting_.get(),
                     [edit](MusicWnd* window) {
                       // Runs inside the modal loop, once the window is shown.
                       QMetaObject::invokeMethod(window, [window, edit] { edit(*window); }, Qt::QueuedConnection);
                     },
                     Qt::SingleShotConnection);
    lighting_->OpenMusicSettings(nullptr, 96);
  }

  static void Send(MusicWnd& window, const char* kind, const QString& name, qint64 wparam = 0) {
    window.Notify(ui::Notification{QString::fromLatin1(kind), nullptr, name, wparam, 0});
  }

  std::string folder_;
  std::unique_ptr<AudioLighting> lighting_;
  std::string shipped_;
};

TEST_F(MusicWndTest, OkStoresTheEdits) {
  AudioLighting* lighting = lighting_.get();
  RunWindow([lighting](MusicWnd& window) {
    // The capture runs while the window is open; a second open does nothing.
    EXPECT_TRUE(lighting->CaptureWanted());
    lighting->OpenMusicSettings(nullptr, 96);
    EXPECT_EQ(lighting->OpenMusicWindow(), &window);
    // The shipped third style is R 0, G 6, B 9.
    window.FindControl<QAbstractButton>(QStringLiteral("audio_select_tab3"))->click();
    EXPECT_EQ(window.FindControl<QSlider>(QStringLiteral("audio_g_slider"))->value(), 6);
    EXPECT_EQ(window.FindControl<QSlider>(QStringLiteral("audio_b_slider"))->maximum(), 9);
    window.FindControl<QSlider>(QStringLiteral("audio_g_slider"))->setValue(2);
    window.FindControl<QLineEdit>(QStringLiteral("audio_edit_name2"))->clear();
    Send(window, "killfocus", QStringLiteral("audio_edit_name2"));
    EXPECT_EQ(window.FindControl<QLineEdit>(QStringLiteral("audio_edit_name2"))->text(), MusicWnd::DefaultName(1));
    // Still in the edit when OK is pressed: taken all the same.
    window.FindControl<QLineEdit>(QStringLiteral("audio_edit_name1"))->setText(QStringLiteral("Bass"));
    window.FindControl<QAbstractButton>(QStringLiteral("okbtn"))->click();
  });
  EXPECT_FALSE(lighting_->CaptureWanted());
  EXPECT_EQ(lighting_->OpenMusicWindow(), nullptr);
  const Json::Value info = CGlobalUtils::ParseJsonFile(UserPath())["Device"]["AudioLightInfo"];
  EXPECT_EQ(info["nAudioStyle"].asInt(), 2);
  EXPECT_EQ(info["nStyleG2"].asInt(), 2);
  EXPECT_EQ(info["nStyleB2"].asInt(), 9);
  EXPECT_EQ(info["nStyleName1"].asString(), "Bass");
  EXPECT_EQ(info["nStyleName2"].asString(), "第二组");
  EXPECT_EQ(lighting_->Styles().Cache().Green(2), 2);
}

TEST_F(MusicWndTest, CloseKeepsTheFile) {
  RunWindow([](MusicWnd& window) {
    window.FindControl<QAbstractButton>(QStringLiteral("audio_select_tab4"))->click();
    window.FindControl<QSlider>(QStringLiteral("audio_r_slider"))->setValue(1);
    window.FindControl<QLineEdit>(QStringLiteral("audio_edit_name4"))->setText(QStringLiteral("x"));
    window.FindControl<QAbstractButton>(QStringLiteral("closebtn"))->click();
  });
  EXPECT_EQ(CGlobalUtils::readjsonFile(UserPath()), shipped_);
  EXPECT_EQ(lighting_->Styles().Cache().selected, 0);
}

}  // namespace
}  // namespace zt640
