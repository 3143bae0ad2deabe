#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>

#include "profiles/global_utils.h"
#include "temp_folder.h"

namespace zt640 {
namespace {

using test::ReadText;
using test::TempFolder;
using test::WriteText;

int RunCtl(const std::string& arguments) {
  const std::string command = std::string(ZT640_CTL_PATH) + " " + arguments + " 2>/dev/null";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class CtlJsonFormat : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(ZT640_CTL_PATH)) GTEST_SKIP() << "zt640ctl not built";
  }
  TempFolder folder_;
};

TEST_F(CtlJsonFormat, JsonFormat_RewritesInStyledLayout) {
  const std::string path = folder_.File("hand edited.Json");
  WriteText(path, "{\"b\":[1,2],\n\"a\":{\"x\":true}}");
  EXPECT_EQ(RunCtl("json-format '" + path + "'"), 0);
  EXPECT_EQ(ReadText(path), "{\r\n   \"a\" : {\r\n      \"x\" : true\r\n   },\r\n   \"b\" : [ 1, 2 ]\r\n}\r\n\r\n");
}

TEST_F(CtlJsonFormat, JsonFormat_InvalidFileUntouchedAndExitOne) {
  const std::string good = folder_.File("good.Json");
  const std::string bad = folder_.File("bad.Json");
  WriteText(good, "{\"a\":1}");
  WriteText(bad, "{\"a\":");
  EXPECT_EQ(RunCtl("json-format " + bad + " " + good), 1);
  EXPECT_EQ(ReadText(bad), "{\"a\":");
  EXPECT_EQ(ReadText(good), CGlobalUtils::StyledJsonText(CGlobalUtils::ParseJsonText("{\"a\":1}").value()));
  EXPECT_EQ(RunCtl("json-format " + folder_.File("missing.Json")), 1);
  EXPECT_EQ(RunCtl("json-format"), 2);
}

}  // namespace
}  // namespace zt640
