#include <gtest/gtest.h>

#include <fstream>

#include "platform/settings/registry_store.h"

namespace zt640::platform {
namespace {

class RegistryStoreTest : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/zt640-settings-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    folder_ = pattern;
  }
  void TearDown() override { std::system(("rm -rf '" + folder_ + "'").c_str()); }
  std::string folder_;
  const std::string key_ = "SOFTWARE\\ZT640 有线RGB Keyboard";
};

TEST_F(RegistryStoreTest, WritesNeedAnExistingKeyAndSurviveReopening) {
  RegistryStore store(folder_ + "/nested/registry.json");
  EXPECT_EQ(store.WriteDword(key_, "LANGUAGE", 521), SettingsResult::kNoKey);
  EXPECT_FALSE(store.ReadDword(key_, "LANGUAGE"));
  ASSERT_EQ(store.CreateKey(key_), SettingsResult::kOk);
  ASSERT_EQ(store.WriteDword(key_, "LANGUAGE", 521), SettingsResult::kOk);
  ASSERT_EQ(store.WriteString(key_, "Version", "V1.0"), SettingsResult::kOk);
  const RegistryStore reopened(folder_ + "/nested/registry.json");
  EXPECT_EQ(reopened.ReadDword(key_, "LANGUAGE"), 521u);
  EXPECT_EQ(reopened.ReadString(key_, "Version"), "V1.0");
  EXPECT_FALSE(reopened.ReadDword(key_, "Version"));
}

TEST_F(RegistryStoreTest, CorruptFileReadsAsEmpty) {
  const std::string path = folder_ + "/registry.json";
  std::ofstream(path) << "{ not json";
  const RegistryStore store(path);
  EXPECT_FALSE(store.KeyExists(key_));
  EXPECT_FALSE(store.ReadDword(key_, "LANGUAGE"));
}

TEST_F(RegistryStoreTest, NestingDeeperThanTheReaderAllowsReadsAsEmpty) {
  const std::string path = folder_ + "/registry.json";
  std::ofstream(path) << "{\"a\":" << std::string(5000, '[') << std::string(5000, ']') << "}";
  const RegistryStore store(path);
  EXPECT_FALSE(store.KeyExists(key_));
}

}  // namespace
}  // namespace zt640::platform
