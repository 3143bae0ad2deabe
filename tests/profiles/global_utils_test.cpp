#include "profiles/global_utils.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "temp_folder.h"

namespace zt640 {
namespace {

using test::ReadText;
using test::TempFolder;
using test::WriteText;

const std::string kFixtures = std::string(ZT640_FIXTURES_DIR) + "/profiles/";

class WriteJsonGolden : public ::testing::TestWithParam<const char*> {};

TEST_P(WriteJsonGolden, WriteJsonFile_MatchesGoldenBytes) {
  const std::string name = GetParam();
  const Json::Value document = CGlobalUtils::ParseJsonFile(kFixtures + name + ".input.json");
  ASSERT_FALSE(document.isNull());
  const std::string golden = ReadText(kFixtures + name + ".golden.json");
  ASSERT_FALSE(golden.empty());
  EXPECT_EQ(CGlobalUtils::StyledJsonText(document), golden);

  TempFolder folder;
  const std::string path = folder.File("out.Json");
  ASSERT_TRUE(CGlobalUtils::WriteJsonFile(path, document));
  EXPECT_EQ(ReadText(path), golden);
  // Reading the written file back and writing it again changes nothing.
  EXPECT_EQ(CGlobalUtils::StyledJsonText(CGlobalUtils::ParseJsonFile(path)), golden);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, WriteJsonGolden,
                         ::testing::Values("keyboard_profile", "array_layout", "utf8_names"));

TEST(StyledJsonText, StyledJsonText_EveryLineEndIsCrLfWithOneExtraLineEnd) {
  Json::Value document;
  document["b"] = 1;
  document["a"] = "x";
  EXPECT_EQ(CGlobalUtils::StyledJsonText(document), "{\r\n   \"a\" : \"x\",\r\n   \"b\" : 1\r\n}\r\n\r\n");
}

TEST(StyledJsonText, StyledJsonText_KeepsTextAsUtf8ButEscapesControlCharacters) {
  Json::Value document;
  document["emoji"] = "\xF0\x9F\x8E\xAE pad";  // outside the basic plane: one 4-byte sequence
  document["control"] = std::string("bell\x07 tab\t");
  document["literal"] = "\\u00e9 stays text";
  document["name"] = "caf\xC3\xA9";
  document["name"].setComment(std::string("// caf\\u00e9 note"), Json::commentBefore);
  const std::string text = CGlobalUtils::StyledJsonText(document);
  EXPECT_NE(text.find("\"emoji\" : \"\xF0\x9F\x8E\xAE pad\""), std::string::npos) << text;
  EXPECT_NE(text.find("\"bell\\u0007 tab\\t\""), std::string::npos) << text;
  EXPECT_NE(text.find("\"\\\\u00e9 stays text\""), std::string::npos) << text;
  EXPECT_NE(text.find("// caf\\u00e9 note"), std::string::npos) << text;
  EXPECT_NE(text.find("\"caf\xC3\xA9\""), std::string::npos) << text;
  // Whatever was written reads back to the same values.
  const auto back = CGlobalUtils::ParseJsonText(text);
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ((*back)["emoji"], document["emoji"]);
  EXPECT_EQ((*back)["control"], document["control"]);
  EXPECT_EQ((*back)["literal"], document["literal"]);
}

TEST(ParseJsonFile, ParseJsonFile_BadFilesReadAsNull) {
  TempFolder folder;
  const std::string truncated = folder.File("truncated.Json");
  WriteText(truncated, "{\"Device\": [ {\"LightInfo\": {\"Speed\": 3");
  const std::string binary = folder.File("binary.Json");
  WriteText(binary, std::string("\x01\x02\xff\xfe", 4));
  const std::string empty = folder.File("empty.Json");
  WriteText(empty, "");
  const std::string deep = folder.File("deep.Json");
  WriteText(deep, std::string(100000, '[') + std::string(100000, ']'));

  EXPECT_TRUE(CGlobalUtils::ParseJsonFile(folder.File("missing.Json")).isNull());
  EXPECT_TRUE(CGlobalUtils::ParseJsonFile(truncated).isNull());
  EXPECT_TRUE(CGlobalUtils::ParseJsonFile(binary).isNull());
  EXPECT_TRUE(CGlobalUtils::ParseJsonFile(empty).isNull());
  EXPECT_TRUE(CGlobalUtils::ParseJsonFile(deep).isNull());
  EXPECT_TRUE(CGlobalUtils::ParseJsonFile(folder.path()).isNull());
}

TEST(ParseJsonFile, ReadjsonFile_StopsAtFirstZeroByte) {
  TempFolder folder;
  const std::string path = folder.File("zero.Json");
  WriteText(path, std::string("{\"a\":1}\0garbage", 15));
  EXPECT_EQ(CGlobalUtils::readjsonFile(path), "{\"a\":1}");
  EXPECT_EQ(CGlobalUtils::ParseJsonFile(path)["a"].asInt(), 1);
}

TEST(ParseJsonFile, ParseJsonFile_KeepsCommentsThroughRewrite) {
  TempFolder folder;
  const std::string path = folder.File("commented.Json");
  WriteText(path, "{\r\n   // the speed\r\n   \"Speed\" : 3\r\n}\r\n");
  const Json::Value document = CGlobalUtils::ParseJsonFile(path);
  ASSERT_TRUE(CGlobalUtils::WriteJsonFile(path, document));
  EXPECT_EQ(ReadText(path), "{\r\n   // the speed\r\n   \"Speed\" : 3\r\n}\r\n\r\n");
}

TEST(WriteJsonFile, WriteJsonFile_FailureLeavesOldFileAndNoLitter) {
  TempFolder folder;
  // A "folder" that is a plain file: nothing can be created inside it.
  const std::string blocker = folder.File("blocker");
  WriteText(blocker, "x");
  Json::Value document;
  document["a"] = 1;
  EXPECT_FALSE(CGlobalUtils::WriteJsonFile(blocker + "/out.Json", document));
  EXPECT_FALSE(CGlobalUtils::WriteJsonFile(folder.File("no/such/folder/out.Json"), document));

  // A target that is a folder cannot be replaced; the folder stays.
  const std::string target_folder = folder.File("target");
  std::filesystem::create_directory(target_folder);
  WriteText(target_folder + "/keep", "keep");
  EXPECT_FALSE(CGlobalUtils::WriteJsonFile(target_folder, document));
  EXPECT_EQ(ReadText(target_folder + "/keep"), "keep");
  size_t entries = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.path())) ++entries;
  EXPECT_EQ(entries, 2u) << "no temporary file may be left behind";
}

TEST(WriteJsonFile, WriteJsonFile_KeepsPermissionsAndSymlink) {
  TempFolder folder;
  const std::string real = folder.File("real.Json");
  WriteText(real, "{}");
  ASSERT_EQ(::chmod(real.c_str(), 0640), 0);
  const std::string link = folder.File("link.Json");
  std::filesystem::create_symlink(real, link);
  Json::Value document;
  document["a"] = 2;
  ASSERT_TRUE(CGlobalUtils::WriteJsonFile(link, document));
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(ReadText(real), CGlobalUtils::StyledJsonText(document));
  struct stat info {};
  ASSERT_EQ(::stat(real.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
}

TEST(TextHelpers, MakeTimeStampName_FormatsFieldsWithZeros) {
  EXPECT_EQ(CGlobalUtils::MakeTimeStampName(LocalTimeStamp{2023, 7, 4, 9, 5, 31, 42}), "2023_07_04_09_05_31_042");
  const std::string now = CGlobalUtils::MakeTimeStampName();
  EXPECT_EQ(now.size(), 23u);
  EXPECT_EQ(std::count(now.begin(), now.end(), '_'), 6);
}

TEST(TextHelpers, Utf8Wide_RoundTripAndMalformedInput) {
  const std::string text = "ZT640 有线RGB Keyboard É 😀";
  EXPECT_EQ(CGlobalUtils::Utf8FromWide(CGlobalUtils::WideFromUtf8(text)), text);
  EXPECT_EQ(CGlobalUtils::WideFromUtf8("有"), std::wstring(1, wchar_t{0x6709}));
  EXPECT_EQ(CGlobalUtils::WideFromUtf8("a\xC3"), (std::wstring{L'a', wchar_t{0xFFFD}}));
  EXPECT_EQ(CGlobalUtils::WideFromUtf8("\xC0\xAF"), (std::wstring{wchar_t{0xFFFD}, wchar_t{0xFFFD}}));
  EXPECT_EQ(CGlobalUtils::WideFromUtf8("\xED\xA0\x80").front(), wchar_t{0xFFFD});
  EXPECT_EQ(CGlobalUtils::Utf8FromWide(std::wstring(1, wchar_t{0xD800})), "\xEF\xBF\xBD");
}

TEST(TextHelpers, FileTitle_DropsFolderAndExtension) {
  EXPECT_EQ(CGlobalUtils::FileTitle("/home/u/.local/share/x/2023_07_04_09_05_31_042.Json"), "2023_07_04_09_05_31_042");
  EXPECT_EQ(CGlobalUtils::FileTitle("macro.config"), "macro");
  EXPECT_EQ(CGlobalUtils::FileTitle("/a.b/name"), "name");
  EXPECT_EQ(CGlobalUtils::FileTitle("archive.tar.gz"), "archive.tar");
}

TEST(TextHelpers, SplitNameNumber_SplitsAtLastUnderscore) {
  const auto split = CGlobalUtils::SplitNameNumber("DPI_slider_12");
  ASSERT_TRUE(split.has_value());
  EXPECT_EQ(split->prefix, "DPI_slider_");
  EXPECT_EQ(split->number, 12);
  EXPECT_EQ(CGlobalUtils::SplitNameNumber("key_abc")->number, 0);
  EXPECT_EQ(CGlobalUtils::SplitNameNumber("key_")->number, 0);
  EXPECT_EQ(CGlobalUtils::SplitNameNumber("key_99999999999")->number, 2147483647);
  EXPECT_FALSE(CGlobalUtils::SplitNameNumber("closebtn").has_value());
}

TEST(TextHelpers, HexWord_EightUpperCaseDigits) {
  EXPECT_EQ(CGlobalUtils::HexWord(0x00ABCDEF), "00ABCDEF");
  EXPECT_EQ(CGlobalUtils::HexWord(0xFFFFFFFF), "FFFFFFFF");
}

TEST(TextHelpers, EqualsIgnoreCase_FoldsBeyondAscii) {
  EXPECT_TRUE(CGlobalUtils::EqualsIgnoreCase("Électro", "éLECTRO"));
  EXPECT_TRUE(CGlobalUtils::EqualsIgnoreCase("ΣΟΦΊΑ", "σοφία"));
  EXPECT_TRUE(CGlobalUtils::EqualsIgnoreCase("МУЗЫКА", "музыка"));
  EXPECT_TRUE(CGlobalUtils::EqualsIgnoreCase("ŁÓDŹ", "łódź"));
  EXPECT_TRUE(CGlobalUtils::EqualsIgnoreCase("摇滚", "摇滚"));
  EXPECT_TRUE(CGlobalUtils::EqualsIgnoreCase("ＡＢＣ", "ａｂｃ"));
  EXPECT_FALSE(CGlobalUtils::EqualsIgnoreCase("abc", "abcd"));
  EXPECT_FALSE(CGlobalUtils::EqualsIgnoreCase("é", "e"));
  EXPECT_EQ(CGlobalUtils::FoldCase("ÀÉÎ Straße"), "àéî straße");
}

TEST(TextHelpers, ParseVid_InheritedFromDevicePath) {
  EXPECT_EQ(CGlobalUtils::ParseVid("/dev/hidraw5#vid_320f&pid_505b&mi_01&col04"), 0x320F);
}

}  // namespace
}  // namespace zt640
