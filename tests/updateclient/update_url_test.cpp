#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <optional>
#include <string>

#include "platform/paths/product_title.h"
#include "platform/settings/registry_store.h"
#include "updateclient/update_client.h"

namespace {

using zt640::ResolveUpdateBaseUrl;
using zt640::UpdateUrlSource;
using zt640::platform::RegistryStore;
using zt640::platform::SettingsResult;

/// Sets or clears ZT640_UPDATE_URL for one test and puts back what was there.
class UrlVariable {
 public:
  explicit UrlVariable(const char* value) {
    if (const char* old = getenv("ZT640_UPDATE_URL")) old_ = old;
    if (value != nullptr) {
      setenv("ZT640_UPDATE_URL", value, 1);
    } else {
      unsetenv("ZT640_UPDATE_URL");
    }
  }
  ~UrlVariable() {
    if (old_) {
      setenv("ZT640_UPDATE_URL", old_->c_str(), 1);
    } else {
      unsetenv("ZT640_UPDATE_URL");
    }
  }
  UrlVariable(const UrlVariable&) = delete;
  UrlVariable& operator=(const UrlVariable&) = delete;

 private:
  std::optional<std::string> old_;
};

TEST(UpdateUrl, EnvironmentThenSettingsThenBuiltIn) {
  char templ[] = "/tmp/zt640-update-url-XXXXXX";
  const std::string folder = mkdtemp(templ);
  RegistryStore store(folder + "/registry.json");
  {
    const UrlVariable none(nullptr);
    const auto built_in = ResolveUpdateBaseUrl(store);
    EXPECT_EQ(built_in.source, UpdateUrlSource::kBuiltIn);
    EXPECT_EQ(built_in.base_url.rfind("https://", 0), 0u) << built_in.base_url;
    EXPECT_EQ(built_in.base_url.substr(built_in.base_url.size() - 4), "api/");

    const std::string key = "SOFTWARE\\" + std::string(zt640::platform::kProductTitle);
    ASSERT_EQ(store.CreateKey(key), SettingsResult::kOk);
    ASSERT_EQ(store.WriteString(key, "UpdateURL", "https://mirror.example/zt640/api"), SettingsResult::kOk);
    const auto stored = ResolveUpdateBaseUrl(store);
    EXPECT_EQ(stored.source, UpdateUrlSource::kSettings);
    EXPECT_EQ(stored.base_url, "https://mirror.example/zt640/api/");
  }
  {
    const UrlVariable variable("http://127.0.0.1:9/api/");
    const auto chosen = ResolveUpdateBaseUrl(store);
    EXPECT_EQ(chosen.source, UpdateUrlSource::kEnvironment);
    EXPECT_EQ(chosen.base_url, "http://127.0.0.1:9/api/");
  }
  {
    const UrlVariable empty("");
    EXPECT_EQ(ResolveUpdateBaseUrl(store).source, UpdateUrlSource::kSettings);
  }
  std::filesystem::remove_all(folder);
}

}  // namespace
