// zt640ctl profile / macro / shoot, run as a process against a temporary data root.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>

#include "temp_folder.h"

namespace zt640 {
namespace {

using test::ReadText;
using test::TempFolder;

struct CtlRun {
  int status = -1;
  std::string out;
};

class CtlDataCommandsTest : public ::testing::Test {
 protected:
  CtlRun Ctl(const std::string& arguments) {
    const std::string command = std::string(ZT640_CTL_PATH) + " " + arguments + " --data-root " + temp_.path() +
                                " --defaults " + ZT640_SOURCE_DIR + "/data/DefaultData/ 2>&1";
    CtlRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return run;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, n);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
  }

  std::map<std::string, std::string> Snapshot() const {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(temp_.path())) {
      if (entry.is_regular_file()) files[entry.path().string()] = ReadText(entry.path().string());
    }
    return files;
  }

  TempFolder temp_;
};

TEST_F(CtlDataCommandsTest, Profile_AddRenameRefusal) {
  EXPECT_EQ(Ctl("profile add --device mouse").out, "profile2\n");
  const CtlRun refused = Ctl("profile rename 'a&b' --device mouse");
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.out.find("cannot contain \"&\""), std::string::npos) << refused.out;
  const CtlRun listed = Ctl("profile list --device mouse");
  EXPECT_EQ(listed.status, 0);
  EXPECT_NE(listed.out.find("profile2"), std::string::npos);
  EXPECT_EQ(Ctl("profile select 9 --device mouse").status, 2);
}

TEST_F(CtlDataCommandsTest, ConfirmedActionsNeedYes) {
  ASSERT_EQ(Ctl("macro add --device keyboard").status, 0);
  ASSERT_EQ(Ctl("profile list --device keyboard").status, 0);
  const auto before = Snapshot();
  const CtlRun declined = Ctl("macro delete 0 --device keyboard");
  EXPECT_EQ(declined.status, 1);
  EXPECT_NE(declined.out.find("Delete the selected macro?"), std::string::npos) << declined.out;
  EXPECT_EQ(Ctl("profile reset --device keyboard").status, 1);
  EXPECT_EQ(Snapshot(), before);
  EXPECT_EQ(Ctl("macro delete 0 --device keyboard --yes").status, 0);
  EXPECT_EQ(Ctl("macro list --device keyboard").out, "");
}

TEST_F(CtlDataCommandsTest, Shoot_SetShowAndBadImport) {
  ASSERT_EQ(Ctl("shoot set 1 4 12 30 90 --left").status, 0);
  EXPECT_EQ(Ctl("shoot show 1 4").out, "gun 1 bullet 4: x 12 left, y 30 down, delay 90 ms\n");
  const std::string bad = temp_.File("bad.shoot");
  test::WriteText(bad, "[1,2,3]");
  const CtlRun refused = Ctl("shoot import 1 " + bad);
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.out.find("not a recoil pattern file"), std::string::npos) << refused.out;
  EXPECT_EQ(Ctl("shoot show 4 0").status, 2);
}

/// A damaged file, the read-only command that must leave it alone and the
/// command whose save replaces it.
struct DamagedFileCommand {
  const char* file;  ///< below the data root
  const char* bytes;
  const char* read;
  const char* expected_output;  ///< what the read prints on stdout
  const char* save;
};

size_t Occurrences(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

TEST_F(CtlDataCommandsTest, DamagedFiles_ReadLeavesThemSaveKeepsACopyBothSayItOnce) {
  const DamagedFileCommand commands[] = {
      {"keyboard/macro.config", R"({"MacroInfo":[{"MacroName":"fire","Guid":"2023_07_04_09_05_31_042"},]})",
       "macro list --device keyboard", "", "macro add --device keyboard"},
      {"mouse/ProfileList.ini", R"({"profilelist":[{"profilename":"Game","profileUUID":"2023_07)",
       "profile list --device mouse", "*0\tGame\t2023_07_04_09_05_31_042\n", "profile add --device mouse"},
      {"mouse/ShootData_0.Shoot", R"({"Events":[{"Action":"down","Button":1,"Delay":10,"Type":1},{"Act)",
       "shoot show 0 0", nullptr, "shoot set 0 0 1 2 3"},
  };
  std::filesystem::create_directories(temp_.path() + "/mouse");
  test::WriteText(temp_.path() + "/mouse/2023_07_04_09_05_31_042.Json",
                  R"({"profilename":"Game","profileUUID":"2023_07_04_09_05_31_042","Device":[{}]})");
  for (const DamagedFileCommand& command : commands) {
    SCOPED_TRACE(command.read);
    const std::string path = temp_.path() + "/" + command.file;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    test::WriteText(path, command.bytes);
    const CtlRun first = Ctl(command.read);
    EXPECT_EQ(first.status, 0) << first.out;
    const auto before = Snapshot();
    const CtlRun read = Ctl(command.read);
    EXPECT_EQ(read.status, 0);
    EXPECT_EQ(Snapshot(), before);
    EXPECT_EQ(ReadText(path), command.bytes);
    EXPECT_EQ(Occurrences(read.out, "is damaged"), 1u) << read.out;
    EXPECT_NE(read.out.find(path + ".bak"), std::string::npos) << read.out;
    if (command.expected_output != nullptr) {
      const std::string printed = read.out.substr(read.out.find('\n') + 1);
      EXPECT_EQ(printed, command.expected_output);
    }

    const CtlRun saved = Ctl(command.save);
    EXPECT_EQ(saved.status, 0) << saved.out;
    EXPECT_EQ(Occurrences(saved.out, "is damaged"), 1u) << saved.out;
    EXPECT_EQ(ReadText(path + ".bak"), command.bytes);
    EXPECT_NE(ReadText(path).find("\r\n"), std::string::npos);
    EXPECT_EQ(Ctl(command.read).out.find("is damaged"), std::string::npos);
  }
  // The rebuilt profile list kept the profile that was in the folder.
  EXPECT_NE(Ctl("profile list --device mouse").out.find("Game\t2023_07_04_09_05_31_042"), std::string::npos);
}

}  // namespace
}  // namespace zt640
