#include <gtest/gtest.h>
#include <json/json.h>

#include <QTest>
#include <QWidget>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "pages/device_key_button_ui.h"
#include "pages/keyboard/keyboard_picture.h"
#include "pages/select_panel_ui.h"
#include "profiles/global_utils.h"
#include "profiles/key_display_name.h"
#include "support/qt_app.h"
#include "ui/key_text.h"
#include "ui/resource_manager.h"

namespace zt640 {
namespace {

struct CaptionCase {
  int dpi;
  const char* language_file;
};

void PrintTo(const CaptionCase& c, std::ostream* os) { *os << c.dpi << " dpi, " << c.language_file; }

/// The keyboard's picture as its page shows it: the page's width at the scale
/// (a 1000-pixel window less the page's 20-pixel margins at 96 dpi), the style
/// sheet of that scale, and the factory profile's key captions.
class KeyboardCaptions : public ::testing::TestWithParam<CaptionCase> {
 protected:
  void SetUp() override {
    test::QtApp();
    auto& resources = ui::ResourceManager::Instance();
    resources.SetResourcePath(ZT640_SOURCE_DIR "/data/skin");
    ASSERT_TRUE(resources.LoadLanguage(QString::fromLatin1(GetParam().language_file)));
    resources.SetScale(GetParam().dpi);
    window_ = std::make_unique<QWidget>();
    window_->setStyleSheet(resources.StyleSheet(GetParam().dpi));
    const int width = static_cast<int>(std::lround(960 * GetParam().dpi / 96.0));
    panel_ = new CSelectPanelUI(window_.get());
    picture_ = std::make_unique<KeyboardPicture>(panel_);
    panel_->setGeometry(0, 0, width, panel_->heightForWidth(width));
    window_->resize(panel_->size());
  }

  void TearDown() override {
    picture_.reset();
    window_.reset();
    auto& resources = ui::ResourceManager::Instance();
    resources.SetScale(96);
    (void)resources.LoadLanguage(QStringLiteral("lan_en.xml"));
  }

  std::unique_ptr<QWidget> window_;
  CSelectPanelUI* panel_ = nullptr;
  std::unique_ptr<KeyboardPicture> picture_;
};

TEST_P(KeyboardCaptions, NoCaptionOfTheFactoryProfileIsCutShort) {
  const Json::Value profile = CGlobalUtils::ParseJsonFile(ZT640_SOURCE_DIR "/data/DefaultData/keyboard.Json");
  const Json::Value& keys = profile["Device"][0]["KeyList"];
  ASSERT_EQ(keys.size(), 126u);
  const NameKeyText short_of = [](std::string_view key) { return KeyText::ShortForNameKey(key); };
  int captions = 0;
  for (Json::ArrayIndex key = 0; key < keys.size(); ++key) {
    const KeyAssignment value = KeyAssignment::Unpack(keys[key]["DefaultAssignment"].asUInt());
    const auto caption = KeyDisplayName::Text(value, KeyPanelKind::Keyboard, {}, short_of);
    if (!caption || picture_->Button(static_cast<int>(key)) == nullptr) continue;
    picture_->SetKeyText(static_cast<int>(key), QString::fromStdString(*caption));
    ++captions;
  }
  EXPECT_GT(captions, 110);
  window_->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
  for (int key = 0; key < KeyboardPicture::kKeyCount; ++key) {
    CDeviceKeyButtonUI* button = picture_->Button(key);
    if (button == nullptr || button->text().isEmpty()) continue;
    EXPECT_FALSE(button->IsTextElided()) << "key_" << key << " \"" << button->text().toStdString() << "\" in "
                                         << button->width() << " px";
  }
}

INSTANTIATE_TEST_SUITE_P(ScalesAndLanguages, KeyboardCaptions,
                         ::testing::Values(CaptionCase{96, "lan_en.xml"}, CaptionCase{144, "lan_en.xml"},
                                           CaptionCase{96, "lan_cn.xml"}, CaptionCase{144, "lan_cn.xml"}),
                         [](const auto& info) {
                           return std::to_string(info.param.dpi) + "dpi_" +
                                  (std::string(info.param.language_file) == "lan_cn.xml" ? "cn" : "en");
                         });

}  // namespace
}  // namespace zt640
