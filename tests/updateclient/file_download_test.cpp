#include <gtest/gtest.h>

#include <stdlib.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/local_update_service.h"
#include "updateclient/file_download.h"
#include "updateclient/sha256.h"

namespace zt640 {
namespace {

using namespace std::chrono_literals;
using test::LocalUpdateService;
using test::ServedFile;

std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
  return names;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string Digest(const std::string& bytes) {
  Sha256 sha;
  sha.Update(bytes.data(), bytes.size());
  return sha.FinishHex();
}

TEST(Sha256, GivesTheStandardsDigests) {
  const std::pair<std::string, const char*> cases[] = {
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
  };
  for (const auto& [message, digest] : cases) {
    SCOPED_TRACE(message.substr(0, 20));
    EXPECT_EQ(Digest(message), digest);
    // Fed in uneven pieces the digest is the same.
    Sha256 pieces;
    for (std::size_t at = 0; at < message.size(); at += 37) {
      pieces.Update(message.data() + at, std::min<std::size_t>(37, message.size() - at));
    }
    EXPECT_EQ(pieces.FinishHex(), digest);
  }
}

TEST(DownloadFileName, KeepsOnlyAPlainNameFromThePath) {
  const std::pair<const char*, const char*> cases[] = {
      {"https://d.example/firmware/K640_0106.bin", "K640_0106.bin"},
      {"https://d.example/app/zt640_1.0.3.deb?token=a/b#x", "zt640_1.0.3.deb"},
      {"https://d.example/a/..%2F..%2Fetc%2Fpasswd", "_2F.._2Fetc_2Fpasswd"},
      {"https://d.example/a/.hidden", "hidden"},
      {"https://d.example/a/na me;rm -rf", "na_me_rm_-rf"},
      {"https://d.example/a/..", ""},
      {"https://d.example/files/", ""},
      {"https://d.example", ""},
      {"K640_0106.bin", ""},
  };
  for (const auto& [address, name] : cases) {
    SCOPED_TRACE(address);
    EXPECT_EQ(DownloadFileName(address), name);
  }
}

class FileDownloadTest : public testing::Test {
 protected:
  FileDownloadTest() {
    char templ[] = "/tmp/zt640-download-XXXXXX";
    folder_ = mkdtemp(templ);
  }
  ~FileDownloadTest() override { std::filesystem::remove_all(folder_); }

  DownloadRequest Request(const std::string& target) const {
    DownloadRequest request;
    request.address = service_.FileUrl(target);
    request.folder = folder_;
    request.connect_timeout = 2000ms;
    request.stall_timeout = 5000ms;
    return request;
  }

  LocalUpdateService service_;
  std::string folder_;
};

TEST_F(FileDownloadTest, KeepsTheFileOnlyWhenItIsWholeAndMatches) {
  ASSERT_TRUE(service_.started());
  const std::string firmware(300000, '\x5A');
  service_.ServeFile("/files/K640_0106.bin", ServedFile{firmware});
  service_.ServeFile("/files/missing.bin", ServedFile{firmware, false, 404});
  struct Case {
    const char* name;
    const char* target;
    int64_t size;
    std::string sha256;
    DownloadOutcome outcome;
  };
  const Case cases[] = {
      {"size and digest match", "/files/K640_0106.bin", 300000, Digest(firmware), DownloadOutcome::kDone},
      {"nothing named to check", "/files/K640_0106.bin", 0, "", DownloadOutcome::kDone},
      {"announced longer", "/files/K640_0106.bin", 300001, "", DownloadOutcome::kSizeMismatch},
      {"announced shorter", "/files/K640_0106.bin", 299999, "", DownloadOutcome::kTooLarge},
      {"another digest", "/files/K640_0106.bin", 300000, Digest("other"), DownloadOutcome::kDigestMismatch},
      {"error status", "/files/missing.bin", 0, "", DownloadOutcome::kHttpError},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directory(folder_);
    DownloadRequest request = Request(c.target);
    request.expected_size = c.size;
    request.sha256 = c.sha256;
    int64_t last_received = 0;
    const DownloadResult result =
        DownloadFile(request, [&](int64_t received, int64_t) { last_received = received; }, [] { return false; });
    EXPECT_EQ(result.outcome, c.outcome) << DownloadOutcomeText(result.outcome);
    if (c.outcome == DownloadOutcome::kDone) {
      EXPECT_EQ(result.file_path, folder_ + "/K640_0106.bin");
      EXPECT_EQ(ReadAll(result.file_path), firmware);
      EXPECT_EQ(last_received, 300000);
      EXPECT_EQ(FolderEntries(folder_), std::vector<std::string>{"K640_0106.bin"});
    } else {
      EXPECT_TRUE(FolderEntries(folder_).empty()) << "a failed download leaves nothing behind";
    }
  }
}

TEST_F(FileDownloadTest, ATakenNameGetsANumberAndTheOldFileStays) {
  service_.ServeFile("/files/K640_0106.bin", ServedFile{"new"});
  std::ofstream(folder_ + "/K640_0106.bin") << "old";
  const DownloadResult result = DownloadFile(Request("/files/K640_0106.bin"), {}, {});
  ASSERT_EQ(result.outcome, DownloadOutcome::kDone);
  EXPECT_EQ(result.file_path, folder_ + "/K640_0106-1.bin");
  EXPECT_EQ(ReadAll(folder_ + "/K640_0106.bin"), "old");
  EXPECT_EQ(ReadAll(result.file_path), "new");
}

TEST_F(FileDownloadTest, ACancelInTheMiddleRemovesThePartialFileWithinHalfASecond) {
  service_.ServeFile("/files/K640_0106.bin", ServedFile{std::string(200000, 'x'), true});
  std::atomic<bool> cancel{false};
  std::atomic<int64_t> received_before_cancel{0};
  std::chrono::steady_clock::time_point cancelled_at;
  const DownloadResult result = DownloadFile(
      Request("/files/K640_0106.bin"),
      [&](int64_t received, int64_t) {
        received_before_cancel = received;
        // Once half the file is in, the rest never comes: stop here.
        if (received == 100000 && !cancel) {
          EXPECT_EQ(FolderEntries(folder_), std::vector<std::string>{"K640_0106.bin.part"});
          cancelled_at = std::chrono::steady_clock::now();
          cancel = true;
        }
      },
      [&] { return cancel.load(); });
  EXPECT_LT(std::chrono::steady_clock::now() - cancelled_at, 500ms);
  EXPECT_EQ(result.outcome, DownloadOutcome::kCancelled);
  EXPECT_EQ(received_before_cancel, 100000);
  EXPECT_TRUE(FolderEntries(folder_).empty());
}

TEST_F(FileDownloadTest, RefusesUnsafeAddressesAndFoldersBeforeAnyTransfer) {
  DownloadRequest plain = Request("/files/x.bin");
  plain.address = "http://downloads.example/x.bin";
  EXPECT_EQ(DownloadFile(plain, {}, {}).outcome, DownloadOutcome::kRefusedAddress);
  DownloadRequest nameless = Request("/files/");
  EXPECT_EQ(DownloadFile(nameless, {}, {}).outcome, DownloadOutcome::kNoFileName);
  DownloadRequest nowhere = Request("/files/x.bin");
  nowhere.folder = folder_ + "/absent";
  EXPECT_EQ(DownloadFile(nowhere, {}, {}).outcome, DownloadOutcome::kFolderUnusable);
  EXPECT_TRUE(service_.Requests().empty());
}

}  // namespace
}  // namespace zt640
