#include <gtest/gtest.h>

#include <string>

#include "updateclient/update_reply.h"

namespace {

using zt640::ParseUpdateReply;
using zt640::ReadServiceVersion;
using zt640::UpdateFault;
using zt640::UpdateResult;
using zt640::UpdateStatus;

constexpr uint32_t kFirmware = 1;
constexpr uint32_t kApplication = 0;

UpdateResult Parse(const std::string& reply, uint32_t current, uint32_t format) {
  UpdateResult result;
  ParseUpdateReply(reply, current, format, result);
  return result;
}

TEST(UpdateReply, TakesEveryMemberOfAFirmwareReply) {
  const UpdateResult result = Parse(R"({"device_id":7,"name":"K640 firmware","path":"https://d.example/k.bin",)"
                                    R"("version":"0106","version_name":"K640 V0106"})",
                                    0x0105, kFirmware);
  EXPECT_EQ(result.status, UpdateStatus::kNewer);
  EXPECT_EQ(result.device_id, 7);
  EXPECT_EQ(result.name, "K640 firmware");
  EXPECT_EQ(result.path, "https://d.example/k.bin");
  EXPECT_EQ(result.version_name, "K640 V0106");
  EXPECT_EQ(result.current_version_text, "V0105");
  EXPECT_EQ(result.new_version_text, "V0106");
  EXPECT_EQ(result.fault, UpdateFault::kNone);
}

struct VersionCase {
  const char* reply;
  uint32_t current;
  uint32_t format;
  UpdateStatus status;
  const char* current_text;
  const char* new_text;
};

TEST(UpdateReply, ComparesVersionsInTheTargetsBase) {
  const VersionCase cases[] = {
      // Decimal reading stops at the letter: "1A" is 1 for the application.
      {R"({"version":"1A","version_name":"V1A"})", 1, kApplication, UpdateStatus::kCurrent, "V1", "V1A"},
      {R"({"version":"1A","version_name":"V1A"})", 0x19, kFirmware, UpdateStatus::kNewer, "V0019", "V1A"},
      {R"({"version":"103","version_name":"V1.0.3"})", 103, kApplication, UpdateStatus::kCurrent, "V103", "V1.0.3"},
      {R"({"version":"0104"})", 0x0105, kFirmware, UpdateStatus::kCurrent, "V0105", "V0104"},
      // Compared as signed numbers: an all-ones version is -1, never newer.
      {R"({"version":"FFFFFFFF"})", 0x0105, kFirmware, UpdateStatus::kCurrent, "V0105", "VFFFFFFFF"},
      {R"({"version":"99999999999"})", 5, kApplication, UpdateStatus::kCurrent, "V5", ""},
      // Absent members read as empty: an empty object says "up to date".
      {"{}", 0x0105, kFirmware, UpdateStatus::kCurrent, "V0105", "V"},
  };
  for (const VersionCase& c : cases) {
    SCOPED_TRACE(c.reply);
    const UpdateResult result = Parse(c.reply, c.current, c.format);
    EXPECT_EQ(result.status, c.status);
    EXPECT_EQ(result.current_version_text, c.current_text);
    EXPECT_EQ(result.new_version_text, c.new_text);
    EXPECT_EQ(result.fault, UpdateFault::kNone);
  }
}

TEST(UpdateReply, UnusableRepliesLeaveTheResultUnset) {
  const std::pair<std::string, UpdateFault> cases[] = {
      {"NO_LINK_SERVER", UpdateFault::kNotJson},
      {"", UpdateFault::kNotJson},
      {"[1,2]", UpdateFault::kNotJson},
      {"\"0106\"", UpdateFault::kNotJson},
      {R"({"version":"0106"} trailing)", UpdateFault::kNotJson},
      {std::string(100000, '[') + std::string(100000, ']'), UpdateFault::kNotJson},
      {R"({"version":262})", UpdateFault::kWrongType},
      {R"({"name":{"text":"K640"}})", UpdateFault::kWrongType},
      {R"({"device_id":"2"})", UpdateFault::kWrongType},
      {R"({"device_id":1.5})", UpdateFault::kWrongType},
      {R"({"path":true})", UpdateFault::kWrongType},
      {R"({"size":-1})", UpdateFault::kWrongType},
      {R"({"size":"1024"})", UpdateFault::kWrongType},
      {R"({"sha256":"abc"})", UpdateFault::kWrongType},
      {R"({"sha256":")" + std::string(63, 'a') + "g\"}", UpdateFault::kWrongType},
  };
  for (const auto& [reply, fault] : cases) {
    SCOPED_TRACE(reply.substr(0, 40));
    UpdateResult result;
    result.name = "kept";
    ParseUpdateReply(reply, 0x0105, kFirmware, result);
    EXPECT_EQ(result.fault, fault);
    EXPECT_EQ(result.status, UpdateStatus::kUnset);
    EXPECT_EQ(result.name, "kept");
    EXPECT_EQ(result.current_version_text, "");
    EXPECT_EQ(result.new_version_text, "");
  }
}

TEST(UpdateReply, TakesTheDownloadsSizeAndDigestWhenGiven) {
  const std::string digest = "BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD";
  const UpdateResult given = Parse(R"({"version":"0106","size":5000000000,"sha256":")" + digest + "\"}", 0x0105,
                                   kFirmware);
  EXPECT_EQ(given.fault, UpdateFault::kNone);
  EXPECT_EQ(given.size, 5000000000);
  EXPECT_EQ(given.sha256, "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  const UpdateResult absent = Parse(R"({"version":"0106","sha256":""})", 0x0105, kFirmware);
  EXPECT_EQ(absent.fault, UpdateFault::kNone);
  EXPECT_EQ(absent.size, 0);
  EXPECT_EQ(absent.sha256, "");
}

TEST(UpdateReply, DropsADownloadPathThatIsNotHttps) {
  for (const char* path : {"http://downloads.example/k.bin", "ftp://downloads.example/k.bin", "file:///tmp/k.bin",
                           "/tmp/k.bin", "http://127.0.0.1.example/k.bin"}) {
    SCOPED_TRACE(path);
    const UpdateResult result =
        Parse(std::string(R"({"version":"0106","path":")") + path + "\"}", 0x0105, kFirmware);
    EXPECT_EQ(result.path, "");
    EXPECT_EQ(result.fault, UpdateFault::kInsecurePath);
    EXPECT_EQ(result.status, UpdateStatus::kNewer);
  }
  // Plain http to this computer is the local service's download address.
  const UpdateResult local = Parse(R"({"version":"0106","path":"http://127.0.0.1:8080/k.bin"})", 0x0105, kFirmware);
  EXPECT_EQ(local.path, "http://127.0.0.1:8080/k.bin");
  EXPECT_EQ(local.fault, UpdateFault::kNone);
}

TEST(UpdateReply, ReadsServiceVersionsUpToTheFirstForeignCharacter) {
  EXPECT_EQ(ReadServiceVersion("0106", 16), 0x0106u);
  EXPECT_EQ(ReadServiceVersion("0106", 10), 106u);
  EXPECT_EQ(ReadServiceVersion("1A", 10), 1u);
  EXPECT_EQ(ReadServiceVersion("1A", 16), 0x1Au);
  EXPECT_EQ(ReadServiceVersion(" 12x", 10), 12u);
  EXPECT_EQ(ReadServiceVersion("V0106", 16), 0u);
  EXPECT_EQ(ReadServiceVersion("", 16), 0u);
  EXPECT_EQ(ReadServiceVersion("123456789ABCDEF", 16), 0xFFFFFFFFu);
}

}  // namespace
