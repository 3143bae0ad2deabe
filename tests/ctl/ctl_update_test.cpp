#include <gtest/gtest.h>

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "support/local_update_service.h"
#include "support/simulator_process.h"

namespace {

using zt640::test::LocalUpdateService;
using zt640::test::Outcome;
using zt640::test::RunShell;
using zt640::test::ServiceReply;
using zt640::test::SimulatorProcess;

/// Data and configuration folders of their own, so no stored address or device id applies.
class Home {
 public:
  Home() {
    char templ[] = "/tmp/zt640-ctl-update-XXXXXX";
    folder_ = mkdtemp(templ);
  }
  ~Home() { std::filesystem::remove_all(folder_); }
  Home(const Home&) = delete;
  Home& operator=(const Home&) = delete;

  Outcome Run(const std::string& hid_root, const std::string& words, const std::string& env = {}) const {
    return RunShell("XDG_DATA_HOME=" + folder_ + "/data XDG_CONFIG_HOME=" + folder_ + "/config " + env + " " +
                    ZT640_CTL_PATH + " --root " + hid_root + " update " + words);
  }
  std::string EmptyHidRoot() const { return folder_ + "/no-devices"; }

 private:
  std::string folder_;
};

TEST(CtlUpdate, OneLinePerPresentTargetAndExitZeroWhenAllAnswered) {
  SimulatorProcess simulator({"--version", "0x0105"});
  ASSERT_TRUE(simulator.started());
  LocalUpdateService service;
  ASSERT_TRUE(service.started());
  service.SetReplyFor("ZTGEAR_1_ZTK640FW_K640_1", ServiceReply::kNewerFirmware);
  const Home home;

  const Outcome outcome = home.Run(simulator.root(), "check", "ZT640_UPDATE_URL=" + service.BaseUrl());
  ASSERT_EQ(outcome.status, 0) << outcome.err << outcome.out;
  // The keyboard is row 1; no mouse or pad is present; row 3 is the program itself.
  EXPECT_EQ(outcome.out.rfind("target=1 status=1 current=V0105 new=V0106 name=K640 firmware\ntarget=3 status=7 current=V",
                              0),
            0u)
      << outcome.out;
  EXPECT_EQ(std::count(outcome.out.begin(), outcome.out.end(), '\n'), 2);
  const auto requests = service.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].body, "app_key=ZTGEAR_1_ZTK640FW_K640_1&version=105");
  EXPECT_EQ(requests[1].body.rfind("app_key=ZTGEAR_0_ZTA_P640_1&version=", 0), 0u) << requests[1].body;
}

TEST(CtlUpdate, UrlOptionWinsAndAnUnansweredTargetFails) {
  LocalUpdateService service;
  ASSERT_TRUE(service.started());
  service.SetReply(ServiceReply::kMalformed);
  const Home home;
  // The environment names a refused address; --url replaces it.
  const Outcome malformed = home.Run(home.EmptyHidRoot(), "check --url " + service.BaseUrl(),
                                     "ZT640_UPDATE_URL=http://update.zt640.invalid/api/");
  EXPECT_EQ(malformed.status, 1);
  EXPECT_EQ(malformed.out.rfind("target=3 status=0 current=V", 0), 0u) << malformed.out;
  EXPECT_NE(malformed.err.find("not a JSON object"), std::string::npos) << malformed.err;
  EXPECT_EQ(service.Requests().size(), 1u);

  const Outcome refused = home.Run(home.EmptyHidRoot(), "check", "ZT640_UPDATE_URL=http://update.zt640.invalid/api/");
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.out, "");
  EXPECT_NE(refused.err.find("refused"), std::string::npos) << refused.err;
}

TEST(CtlUpdate, UnreachableServiceIsNoLinkServer) {
  std::string base_url;
  {
    const LocalUpdateService gone;  // its port is free again once it stops
    base_url = gone.BaseUrl();
  }
  const Home home;
  const Outcome outcome = home.Run(home.EmptyHidRoot(), "check --url " + base_url);
  EXPECT_EQ(outcome.status, 1);
  EXPECT_NE(outcome.out.find("status=0 "), std::string::npos) << outcome.out;
  EXPECT_NE(outcome.out.find(" name=NO_LINK_SERVER\n"), std::string::npos) << outcome.out;
}

TEST(CtlUpdate, RefusesUnknownWords) {
  const Home home;
  EXPECT_EQ(home.Run(home.EmptyHidRoot(), "").status, 2);
  EXPECT_EQ(home.Run(home.EmptyHidRoot(), "fetch").status, 2);
  EXPECT_EQ(home.Run(home.EmptyHidRoot(), "check --url").status, 2);
}

}  // namespace
