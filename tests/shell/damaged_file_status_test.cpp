// A damaged data file found at the window's start is left as it is and shown once on the status line.
#include <gtest/gtest.h>

#include <QLabel>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "profiles/damaged_files.h"
#include "shell/main_window_fixture.h"

namespace zt640 {
namespace {

using test::WaitFor;
using DamagedFileStatusTest = test::MainWindowFixture;

void WriteTextFile(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

std::string ReadTextFile(const std::string& path) {
  std::ostringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
}

TEST_F(DamagedFileStatusTest, DamagedLibraryAndListStayAndTheStatusLineNamesThem) {
  DamagedFiles::Reset();
  const std::string folder = folders_.user_data_root + "keyboard/";
  std::filesystem::create_directories(folder);
  const std::string library = R"({"MacroInfo":[{"MacroName":"fire","Guid":"2023_07_04_09_05_31_042"},]})";
  const std::string list = R"({"profilelist":[{"profilename":"Game","profileUUID":"2023_07_04_09_05)";
  WriteTextFile(folder + "macro.config", library);
  WriteTextFile(folder + "ProfileList.ini", list);
  WriteTextFile(folder + "2023_07_04_09_05_31_042.Json",
                      R"({"profilename":"Game","profileUUID":"2023_07_04_09_05_31_042","Device":[{}]})");

  Open(InterfaceCatalogue());
  QLabel* notice = nullptr;
  ASSERT_TRUE(WaitFor([&] {
    notice = window_->findChild<QLabel*>(QStringLiteral("damaged_file_label"));
    return notice != nullptr && notice->toolTip().count(QLatin1Char('\n')) == 1;
  })) << (notice != nullptr ? notice->toolTip().toStdString() : "no notice label");
  EXPECT_TRUE(notice->toolTip().contains(QString::fromStdString(folder + "macro.config.bak")));
  EXPECT_TRUE(notice->toolTip().contains(QString::fromStdString(folder + "ProfileList.ini.bak")));
  EXPECT_FALSE(notice->isHidden());

  // The start read both files and wrote neither; the profile list shows the profile found in the folder.
  EXPECT_EQ(ReadTextFile(folder + "macro.config"), library);
  EXPECT_EQ(ReadTextFile(folder + "ProfileList.ini"), list);
  EXPECT_FALSE(std::filesystem::exists(folder + "macro.config.bak"));
  DamagedFiles::SetListener(nullptr);
}

}  // namespace
}  // namespace zt640
