#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
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

class PrivateFontsTest : public testing::TestWithParam<FontCase> {};

/// Loads the case's folder and ends the process with 0 when the outcome is as
/// expected. Run in a child process: a font registered in this test program would
/// be torn down after Qt's font database at exit.
[[noreturn]] void LoadAndExit(const FontCase& c, const QString& folder) {
  test::QtApp();
  const QString path = QDir(folder).filePath(QString::fromLatin1(PrivateFonts::kFiles[1]));
  std::vector<QString> asked;
  PrivateFonts fonts;
  const int available = c.lookup ? fonts.Load(folder, [&](const QString& file) {
    asked.push_back(file);
    return c.system_has;
  })
                                 : fonts.Load(folder);
  bool ok = fonts.StateOf(1) == c.expected &&
            available == (c.expected == PrivateFonts::State::kMissing ? 0 : 1);
  for (std::size_t index : {0u, 2u, 3u}) ok = ok && fonts.StateOf(index) == PrivateFonts::State::kMissing;
  // Only files that exist are looked up.
  const bool looked_up = c.lookup && c.content != nullptr;
  ok = ok && asked.size() == (looked_up ? 1u : 0u) && (!looked_up || asked[0] == path);
  fonts.Remove();
  ok = ok && fonts.StateOf(1) == PrivateFonts::State::kMissing;
  std::fprintf(stderr, "state %d, available %d, looked up %zu\n", static_cast<int>(fonts.StateOf(1)), available,
               asked.size());
  std::_Exit(ok ? 0 : 1);
}

TEST_P(PrivateFontsTest, SkipsWhatTheSystemOffersAndRegistersTheRest) {
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
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(LoadAndExit(c, folder.path()), testing::ExitedWithCode(0), "");
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
