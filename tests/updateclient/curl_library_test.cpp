#include <gtest/gtest.h>

#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "support/local_update_service.h"
#include "updateclient/curl_library.h"
#include "updateclient/file_download.h"
#include "updateclient/http_exchange.h"

namespace zt640 {
namespace {

using namespace std::chrono_literals;

TEST(CurlLibrary, OpeningSaysWhyALibraryIsUnusable) {
  struct Case {
    const char* file;
    const char* reason_names;
  };
  const Case cases[] = {
      {"libzt640-absent-curl.so.4", "libzt640-absent-curl.so.4"},
      // Loads, but is not libcurl: the first function looked for is missing.
      {"libc.so.6", "curl_global_init"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    std::string reason;
    EXPECT_EQ(CurlLibrary::Open(c.file, &reason), nullptr);
    EXPECT_NE(reason.find(c.reason_names), std::string::npos) << reason;
  }
}

TEST(CurlLibrary, TheInstalledLibraryBindsEveryFunction) {
  std::string reason;
  const std::unique_ptr<CurlLibrary> curl = CurlLibrary::Open(CurlLibrary::kFileName, &reason);
  ASSERT_NE(curl, nullptr) << reason;
  EXPECT_NE(curl->easy_strerror(CURLE_OK), nullptr);
  EXPECT_EQ(CurlLibrary::Shared(), CurlLibrary::Shared());
  EXPECT_NE(CurlLibrary::Shared(), nullptr);
}

class WithoutCurlTest : public testing::Test {
 protected:
  WithoutCurlTest() {
    char templ[] = "/tmp/zt640-nocurl-XXXXXX";
    folder_ = mkdtemp(templ);
    missing_ = CurlLibrary::Open("libzt640-absent-curl.so.4");
  }
  ~WithoutCurlTest() override { std::filesystem::remove_all(folder_); }

  test::LocalUpdateService service_;
  std::string folder_;
  std::unique_ptr<CurlLibrary> missing_;
};

TEST_F(WithoutCurlTest, AnExchangeEndsAsAnUnreachableServiceAndSendsNothing) {
  ASSERT_TRUE(service_.started());
  ASSERT_EQ(missing_, nullptr);
  ExchangeReply reply;
  const long bytes =
      HttpExchange(missing_.get(), "POST", service_.BaseUrl() + "updates", "app_key=x", ExchangeTimeouts{}, reply);
  EXPECT_EQ(bytes, 0);
  EXPECT_EQ(reply.outcome, ExchangeOutcome::kNotSent);
  EXPECT_EQ(reply.body, "NO_LINK_SERVER");
  // A method no exchange accepts stays refused as before.
  EXPECT_EQ(HttpExchange(missing_.get(), "PUT", service_.BaseUrl() + "updates", "", ExchangeTimeouts{}, reply), -1);
  EXPECT_TRUE(service_.Requests().empty());
}

TEST_F(WithoutCurlTest, ADownloadEndsAsAnUnreachableServerAndLeavesNoFile) {
  ASSERT_TRUE(service_.started());
  service_.ServeFile("/files/K640_0106.bin", test::ServedFile{"firmware"});
  DownloadRequest request;
  request.address = service_.FileUrl("/files/K640_0106.bin");
  request.folder = folder_;
  request.connect_timeout = 2000ms;
  const DownloadResult result = DownloadFile(missing_.get(), request, {}, {});
  EXPECT_EQ(result.outcome, DownloadOutcome::kNotReached);
  EXPECT_TRUE(result.file_path.empty());
  EXPECT_TRUE(std::filesystem::is_empty(folder_));
  EXPECT_TRUE(service_.Requests().empty());
}

}  // namespace
}  // namespace zt640
