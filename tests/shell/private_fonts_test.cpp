#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QTemporaryDir>

#include <string>
#include <vector>

#include "shell/private_fonts.h"
#include "support/qt_app.h"

namespace zt640 {
namespace {

constexpr char kFace[] = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

struct FontCase {
  const char* name;
  const char* content;  ///< "face": a real font file, "text": not a font, nullptr: absent
  bool lookup;          ///< a lookup is given
  bool system_has;      ///< what it answers
  PrivateFonts::State expected;
};

class PrivateFontsTest : public testing::TestWithParam<FontCase> {
 protected:
  // A removed font leaves an empty entry behind, which the test program's static
  // application would act on after the font cache is gone.
  void TearDown() override { QFontDatabase::removeAllApplicationFonts(); }
};

TEST_P(PrivateFontsTest, SkipsWhatTheSystemOffersAndRegistersTheRest) {
  test::QtApp();
  if (!QFile::exists(QString::fromLatin1(kFace))) GTEST_SKIP() << kFace << " is not installed";
  const FontCase& c = GetParam();
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  // The case's file takes the second name; the others are absent.
  const QString path = QDir(folder.path()).filePath(QString::fromLatin1(PrivateFonts::kFiles[1]));
  if (c.content != nullptr && std::string(c.content) == "face") {
    ASSERT_TRUE(QFile::copy(QString::fromLatin1(kFace), path));
  }
  if (c.content != nullptr && std::string(c.content) == "text") {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a font");
  }

  std::vector<QString> asked;
  PrivateFonts fonts;
  const int available = c.lookup ? fonts.Load(folder.path(), [&](const QString& file) {
    asked.push_back(file);
    return c.system_has;
  })
                                 : fonts.Load(folder.path());
  EXPECT_EQ(fonts.StateOf(1), c.expected);
  EXPECT_EQ(available, c.expected == PrivateFonts::State::kMissing ? 0 : 1);
  for (std::size_t index : {0u, 2u, 3u}) EXPECT_EQ(fonts.StateOf(index), PrivateFonts::State::kMissing);
  // Only files that exist are looked up.
  if (c.lookup && c.content != nullptr) {
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0], path);
  } else {
    EXPECT_TRUE(asked.empty());
  }

  fonts.Remove();
  EXPECT_EQ(fonts.StateOf(1), PrivateFonts::State::kMissing);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PrivateFontsTest,
    testing::Values(FontCase{"NoLookupRegisters", "face", false, false, PrivateFonts::State::kRegistered},
                    FontCase{"UnknownToSystemRegisters", "face", true, false, PrivateFonts::State::kRegistered},
                    FontCase{"OfferedBySystemSkipped", "face", true, true, PrivateFonts::State::kSystem},
                    FontCase{"NotAFontMissing", "text", true, false, PrivateFonts::State::kMissing},
                    FontCase{"AbsentMissing", nullptr, true, true, PrivateFonts::State::kMissing}),
    [](const testing::TestParamInfo<FontCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace zt640
