#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/fonts/system_font_files.h"

namespace zt640::platform {
namespace {

std::string Bytes(char seed, std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(seed + static_cast<char>(i * 7));
  return bytes;
}

void Write(const std::string& path, const std::string& bytes) {
  std::ofstream file(path, std::ios::binary);
  file << bytes;
}

struct FontFileCase {
  const char* name;  ///< file in the test folder
  bool offered;
};

class SystemFontFilesTest : public testing::TestWithParam<FontFileCase> {
 protected:
  static void SetUpTestSuite() {
    char pattern[] = "/tmp/zt640-fonts-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    folder_ = pattern;
    const std::string face = Bytes('a', 100 * 1024);
    Write(folder_ + "/listed.ttc", face);
    Write(folder_ + "/copy.otf", face);
    Write(folder_ + "/same_size_other.ttf", Bytes('b', face.size()));
    Write(folder_ + "/shorter.ttf", face.substr(0, face.size() - 1));
    Write(folder_ + "/unlisted.ttf", Bytes('c', 4096));
    std::filesystem::create_symlink(folder_ + "/listed.ttc", folder_ + "/link.ttf");
    std::filesystem::create_symlink(folder_ + "/nowhere.ttf", folder_ + "/dangling.ttf");
    std::filesystem::create_directory(folder_ + "/folder.ttf");
  }
  static void TearDownTestSuite() { std::filesystem::remove_all(folder_); }

  static std::string folder_;
};
std::string SystemFontFilesTest::folder_;

TEST_P(SystemFontFilesTest, OffersListedFileItsLinksAndCopiesOnly) {
  // The lister reports a collection once per face.
  const SystemFontFiles files({folder_ + "/listed.ttc", folder_ + "/listed.ttc", folder_ + "/gone.ttf"});
  EXPECT_EQ(files.size(), 2u);
  EXPECT_EQ(files.Has(folder_ + "/" + GetParam().name), GetParam().offered);
}

INSTANTIATE_TEST_SUITE_P(Files, SystemFontFilesTest,
                         testing::Values(FontFileCase{"listed.ttc", true}, FontFileCase{"link.ttf", true},
                                         FontFileCase{"copy.otf", true}, FontFileCase{"same_size_other.ttf", false},
                                         FontFileCase{"shorter.ttf", false}, FontFileCase{"unlisted.ttf", false},
                                         FontFileCase{"missing.ttf", false}, FontFileCase{"dangling.ttf", false},
                                         FontFileCase{"folder.ttf", false}),
                         [](const testing::TestParamInfo<FontFileCase>& info) {
                           std::string name = info.param.name;
                           return name.substr(0, name.find('.'));
                         });

TEST(SystemFontFiles, FontconfigListsAnInstalledFace) {
  // The program's own build links this face into its "Font" folder.
  const std::string face = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
  if (!std::filesystem::exists(face)) GTEST_SKIP() << face << " is not installed";
  const SystemFontFiles files = SystemFontFiles::FromFontconfig();
  EXPECT_TRUE(files.Has(face));
  EXPECT_FALSE(files.Has("/proc/self/status"));
}

}  // namespace
}  // namespace zt640::platform
