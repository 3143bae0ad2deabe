#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <chrono>
#include <string>

#include "platform/ipc/unique_fd.h"
#include "support/local_update_service.h"
#include "updateclient/update_client.h"

namespace {

using namespace std::chrono_literals;
using zt640::ExchangeTimeouts;
using zt640::UpdateClient;
using zt640::UpdateFault;
using zt640::UpdateResult;
using zt640::UpdateStatus;
using zt640::test::LocalUpdateService;
using zt640::test::ServiceReply;

constexpr uint32_t kFirmware = 1;
constexpr uint32_t kApplication = 0;
const std::string kKeyboardKey = "ZTGEAR_1_ZTK640FW_K640_1";
const std::string kApplicationKey = "ZTGEAR_0_ZTA_P640_1";

/// Short time-outs keep the slow-service case quick; loopback answers well within them.
constexpr ExchangeTimeouts kTestTimeouts{.connect = 500ms, .send = 50ms, .receive = 200ms};

UpdateClient ClientFor(const std::string& base_url) { return UpdateClient({base_url, kTestTimeouts}); }

struct ReplyCase {
  const char* label;
  ServiceReply reply;
  std::string key;
  uint32_t current_version;
  uint32_t version_format;
  UpdateStatus status;
  std::string current_text;
  std::string new_text;
  UpdateFault fault;
  std::string path;
};

class UpdateClientReply : public testing::TestWithParam<ReplyCase> {};

TEST_P(UpdateClientReply, GivesTheResultOfEachKindOfReply) {
  const ReplyCase& c = GetParam();
  LocalUpdateService service;
  ASSERT_TRUE(service.started());
  service.SetReply(c.reply);
  const UpdateResult result = ClientFor(service.BaseUrl()).QueryUpdate(c.key, c.current_version, c.version_format);
  EXPECT_EQ(result.status, c.status);
  EXPECT_EQ(result.current_version_text, c.current_text);
  EXPECT_EQ(result.new_version_text, c.new_text);
  EXPECT_EQ(result.fault, c.fault);
  EXPECT_EQ(result.path, c.path);
  EXPECT_EQ(result.spare, "");
  ASSERT_EQ(service.Requests().size(), 1u);
}

const std::string kFirmwarePath = "https://downloads.zt640.invalid/firmware/K640_0106.bin";

INSTANTIATE_TEST_SUITE_P(
    Kinds, UpdateClientReply,
    testing::Values(
        ReplyCase{"FirmwareUpToDate", ServiceReply::kUpToDate, kKeyboardKey, 0x0105, kFirmware,
                  UpdateStatus::kCurrent, "V0105", "V105", UpdateFault::kNone, ""},
        ReplyCase{"NewerFirmware", ServiceReply::kNewerFirmware, kKeyboardKey, 0x0105, kFirmware,
                  UpdateStatus::kNewer, "V0105", "V0106", UpdateFault::kNone, kFirmwarePath},
        // The same firmware or an older one counts as up to date.
        ReplyCase{"SameFirmware", ServiceReply::kNewerFirmware, kKeyboardKey, 0x0106, kFirmware,
                  UpdateStatus::kCurrent, "V0106", "V0106", UpdateFault::kNone, kFirmwarePath},
        ReplyCase{"ApplicationAt103", ServiceReply::kNewerApplication, kApplicationKey, 103, kApplication,
                  UpdateStatus::kCurrent, "V103", "V1.0.3", UpdateFault::kNone,
                  "https://downloads.zt640.invalid/app/zt640_1.0.3.deb"},
        ReplyCase{"NewerApplication", ServiceReply::kNewerApplication, kApplicationKey, 102, kApplication,
                  UpdateStatus::kNewer, "V102", "V1.0.3", UpdateFault::kNone,
                  "https://downloads.zt640.invalid/app/zt640_1.0.3.deb"},
        ReplyCase{"Malformed", ServiceReply::kMalformed, kKeyboardKey, 0x0105, kFirmware, UpdateStatus::kUnset,
                  "", "", UpdateFault::kNotJson, ""},
        ReplyCase{"Oversized", ServiceReply::kOversized, kKeyboardKey, 0x0105, kFirmware, UpdateStatus::kUnset,
                  "", "", UpdateFault::kTooLarge, ""},
        ReplyCase{"Slow", ServiceReply::kSlow, kKeyboardKey, 0x0105, kFirmware, UpdateStatus::kUnset, "", "",
                  UpdateFault::kTimedOut, ""},
        // A plain http download address is dropped; the versions still count.
        ReplyCase{"InsecurePath", ServiceReply::kInsecurePath, kKeyboardKey, 0x0105, kFirmware,
                  UpdateStatus::kNewer, "V0105", "V0106", UpdateFault::kInsecurePath, ""},
        ReplyCase{"WrongTypes", ServiceReply::kWrongTypes, kKeyboardKey, 0x0105, kFirmware, UpdateStatus::kUnset,
                  "", "", UpdateFault::kWrongType, ""}),
    [](const testing::TestParamInfo<ReplyCase>& info) { return std::string(info.param.label); });

TEST(UpdateClient, PostsTheFormBodyWithTheServiceHeaders) {
  LocalUpdateService service;
  ASSERT_TRUE(service.started());
  const UpdateClient client = ClientFor(service.BaseUrl());
  EXPECT_EQ(client.QueryUpdate(kKeyboardKey, 0x0105, kFirmware).status, UpdateStatus::kCurrent);
  EXPECT_EQ(client.QueryUpdate(kApplicationKey, 103, kApplication).status, UpdateStatus::kCurrent);
  EXPECT_EQ(client.QueryUpdate("NULL", 0, kFirmware).status, UpdateStatus::kCurrent);

  const auto requests = service.Requests();
  ASSERT_EQ(requests.size(), 3u);
  const std::string bodies[] = {"app_key=ZTGEAR_1_ZTK640FW_K640_1&version=105",
                                "app_key=ZTGEAR_0_ZTA_P640_1&version=103", "app_key=NULL&version=0"};
  for (std::size_t i = 0; i < requests.size(); ++i) {
    SCOPED_TRACE(i);
    const auto& request = requests[i];
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.target, "/api/updates");
    EXPECT_EQ(request.body, bodies[i]);
    EXPECT_EQ(request.headers.at("content-length"), std::to_string(bodies[i].size()));
    EXPECT_EQ(request.headers.at("content-type"), "application/x-www-form-urlencoded");
    EXPECT_EQ(request.headers.at("accept"), "application/prs.Vornik.v1+json");
    EXPECT_EQ(request.headers.at("user-agent"), "WinHTTP Client/1.0");
    EXPECT_EQ(request.headers.count("expect"), 0u);
  }
}

TEST(UpdateClient, ACancelledQueryEndsInsideTheExchange) {
  LocalUpdateService service;
  ASSERT_TRUE(service.started());
  service.SetReply(ServiceReply::kSlow);
  // Time-outs far longer than the test may take: only the cancel check can end it.
  const UpdateClient client({service.BaseUrl(), {.connect = 30000ms, .send = 30000ms, .receive = 30000ms}});
  const UpdateResult result =
      client.QueryUpdate(kKeyboardKey, 0x0105, kFirmware, [&service] { return !service.Requests().empty(); });
  EXPECT_EQ(result.fault, UpdateFault::kCancelled);
  EXPECT_EQ(result.status, UpdateStatus::kUnset);
  EXPECT_EQ(result.name, "");
}

TEST(UpdateClient, UnreachableServiceGivesNoLinkServer) {
  // A port that was just free and has no listener: the connection is refused.
  uint16_t port = 0;
  {
    const zt640::platform::UniqueFd probe(socket(AF_INET, SOCK_STREAM, 0));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(bind(probe.get(), reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(getsockname(probe.get(), reinterpret_cast<sockaddr*>(&address), &length), 0);
    port = ntohs(address.sin_port);
  }
  const UpdateResult result =
      ClientFor("http://127.0.0.1:" + std::to_string(port) + "/api/").QueryUpdate(kKeyboardKey, 0x0105, kFirmware);
  EXPECT_EQ(result.name, "NO_LINK_SERVER");
  EXPECT_EQ(result.status, UpdateStatus::kUnset);
  EXPECT_EQ(result.current_version_text, "");
  EXPECT_EQ(result.fault, UpdateFault::kNoService);
}

TEST(UpdateClient, PlainHttpToAnotherHostIsNeverContacted) {
  for (const char* base : {"http://update.zt640.invalid/api/", "ftp://127.0.0.1/api/", "127.0.0.1/api/"}) {
    SCOPED_TRACE(base);
    const UpdateResult result = ClientFor(base).QueryUpdate(kKeyboardKey, 0x0105, kFirmware);
    EXPECT_EQ(result.fault, UpdateFault::kRefusedAddress);
    EXPECT_EQ(result.status, UpdateStatus::kUnset);
    EXPECT_EQ(result.name, "");
  }
}

}  // namespace
