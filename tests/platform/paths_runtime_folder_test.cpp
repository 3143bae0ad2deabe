#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <fstream>

#include "platform/paths/program_paths.h"
#include "platform/paths/runtime_folder.h"

namespace zt640::platform {
namespace {

class RuntimeFolderTest : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/zt640-paths-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    folder_ = pattern;
    const char* old = std::getenv("XDG_RUNTIME_DIR");
    saved_ = old != nullptr ? old : "";
    had_ = old != nullptr;
  }
  void TearDown() override {
    if (had_) {
      ::setenv("XDG_RUNTIME_DIR", saved_.c_str(), 1);
    } else {
      ::unsetenv("XDG_RUNTIME_DIR");
    }
    std::system(("rm -rf '" + folder_ + "'").c_str());
  }
  std::string folder_;
  std::string saved_;
  bool had_ = false;
};

TEST_F(RuntimeFolderTest, LivesBelowXdgRuntimeDirWithMode0700) {
  ::setenv("XDG_RUNTIME_DIR", folder_.c_str(), 1);
  const RuntimeFolderResult result = RuntimeFolder();
  ASSERT_TRUE(result.ok) << result.reason;
  EXPECT_EQ(result.path, folder_ + "/zt640");
  struct stat info {};
  ASSERT_EQ(::stat(result.path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
}

TEST_F(RuntimeFolderTest, FallsBackToAPrivateTmpFolderWhenUnsetOrUnusable) {
  ::unsetenv("XDG_RUNTIME_DIR");
  const RuntimeFolderResult unset = RuntimeFolder();
  ASSERT_TRUE(unset.ok) << unset.reason;
  EXPECT_EQ(unset.path, "/tmp/zt640-" + std::to_string(::getuid()));
  std::ofstream(folder_ + "/zt640") << "a file, not a folder";
  ::setenv("XDG_RUNTIME_DIR", folder_.c_str(), 1);
  EXPECT_EQ(RuntimeFolder().path, unset.path);
}

TEST_F(RuntimeFolderTest, EnsurePrivateFolderTightensModeAndRejectsFiles) {
  const std::string open_folder = folder_ + "/open";
  ASSERT_EQ(::mkdir(open_folder.c_str(), 0777), 0);
  ::chmod(open_folder.c_str(), 0777);
  ASSERT_TRUE(EnsurePrivateFolder(open_folder).ok);
  struct stat info {};
  ASSERT_EQ(::stat(open_folder.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
  std::ofstream(folder_ + "/file") << "x";
  EXPECT_FALSE(EnsurePrivateFolder(folder_ + "/file").ok);
}

TEST_F(RuntimeFolderTest, ResourceFolderPrefersBesideTheProgramThenShare) {
  ASSERT_EQ(::mkdir((folder_ + "/bin").c_str(), 0700), 0);
  ASSERT_EQ(::system(("mkdir -p '" + folder_ + "/share/zt640/skin'").c_str()), 0);
  EXPECT_EQ(ResourceFolderFrom(folder_ + "/bin", "skin"), folder_ + "/bin/../share/zt640/skin");
  ASSERT_EQ(::mkdir((folder_ + "/bin/skin").c_str(), 0700), 0);
  EXPECT_EQ(ResourceFolderFrom(folder_ + "/bin", "skin"), folder_ + "/bin/skin");
}

}  // namespace
}  // namespace zt640::platform
