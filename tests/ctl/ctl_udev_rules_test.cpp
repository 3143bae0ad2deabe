#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/paths/product_title.h"
#include "support/simulator_process.h"

namespace {

using zt640::test::Outcome;
using zt640::test::RunShell;

/// A user data root of its own, with "devices.json" holding `devices_json` when given.
class DataRoot {
 public:
  explicit DataRoot(const std::string& devices_json = {}) {
    char templ[] = "/tmp/zt640-udev-home-XXXXXX";
    home_ = mkdtemp(templ);
    if (devices_json.empty()) return;
    const std::filesystem::path root = std::filesystem::path(home_) / std::string(zt640::platform::kProductTitle);
    std::filesystem::create_directories(root);
    std::ofstream(root / "devices.json") << devices_json;
  }
  ~DataRoot() { std::filesystem::remove_all(home_); }
  DataRoot(const DataRoot&) = delete;
  DataRoot& operator=(const DataRoot&) = delete;

  Outcome Run(const std::string& words) const {
    return RunShell("XDG_DATA_HOME=" + home_ + " " + ZT640_CTL_PATH + " " + words);
  }

 private:
  std::string home_;
};

std::string Rule(const char* vendor, const char* product) {
  return std::string("KERNEL==\"hidraw*\", SUBSYSTEM==\"hidraw\", ATTRS{idVendor}==\"") + vendor +
         "\", ATTRS{idProduct}==\"" + product + "\", TAG+=\"uaccess\"\n";
}

std::size_t Count(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

// The shipped rule file is what the command prints for the built-in catalogue, so the
// package never grants less (or more) than `zt640ctl udev-rules` without devices.json.
TEST(CtlUdevRules, BuiltInRulesCoverTheKeyboardCableAndMatchTheShippedFile) {
  const DataRoot data;
  const Outcome outcome = data.Run("udev-rules");
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(outcome.err, "");
  EXPECT_EQ(Count(outcome.out, "TAG+=\"uaccess\""), 1u) << outcome.out;
  EXPECT_NE(outcome.out.find("# keyboard\n" + Rule("320f", "505b")), std::string::npos) << outcome.out;
  EXPECT_NE(outcome.out.find("devices.json: keyboard receiver, mouse, mouse receiver, mouse pad, headset\n"),
            std::string::npos)
      << outcome.out;

  std::ifstream shipped(ZT640_SOURCE_DIR "/data/udev/70-zt640.rules");
  std::stringstream text;
  text << shipped.rdbuf();
  EXPECT_EQ(text.str(), outcome.out);
}

TEST(CtlUdevRules, ConfiguredIdsGetOneRulePerUsbDevice) {
  // The receiver's two interfaces share one USB device; the mouse and the headset get
  // ids of another vendor, and a bad entry is reported but the others still apply.
  const DataRoot data(R"({"Interfaces":[)"
                      R"({"Row":2,"VendorId":"0x320F","ProductId":"0x5089"},)"
                      R"({"Row":3,"VendorId":"0x320F","ProductId":"0x5089"},)"
                      R"({"Row":4,"VendorId":"0x1A2B","ProductId":"0x221C"},)"
                      R"({"Row":5,"VendorId":"0x1A2B","ProductId":"0x221C"},)"
                      R"({"Row":10,"VendorId":4660,"ProductId":"0x1630"},)"
                      R"({"Row":1,"VendorId":"0x1111","ProductId":"0x2222"}]})");
  const Outcome outcome = data.Run("udev-rules");
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_NE(outcome.err.find("zt640ctl: "), std::string::npos);  // row 1 cannot be changed
  EXPECT_EQ(Count(outcome.out, "TAG+=\"uaccess\""), 4u) << outcome.out;
  EXPECT_NE(outcome.out.find("# keyboard\n" + Rule("320f", "505b")), std::string::npos) << outcome.out;
  EXPECT_NE(outcome.out.find("# keyboard receiver\n" + Rule("320f", "5089")), std::string::npos) << outcome.out;
  EXPECT_NE(outcome.out.find("# mouse\n" + Rule("1a2b", "221c")), std::string::npos) << outcome.out;
  EXPECT_NE(outcome.out.find("# headset\n" + Rule("1234", "1630")), std::string::npos) << outcome.out;
  EXPECT_EQ(outcome.out.find("1111"), std::string::npos) << outcome.out;
  EXPECT_NE(outcome.out.find("devices.json: mouse receiver, mouse pad\n"), std::string::npos) << outcome.out;
}

TEST(CtlUdevRules, RefusesArguments) {
  const DataRoot data;
  const Outcome outcome = data.Run("udev-rules --all");
  EXPECT_EQ(outcome.status, 2);
  EXPECT_EQ(outcome.out, "");
  EXPECT_NE(outcome.err.find("unknown argument '--all'"), std::string::npos) << outcome.err;
}

}  // namespace
