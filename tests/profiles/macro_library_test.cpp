#include "profiles/macro_library.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "profiles/global_utils.h"
#include "temp_folder.h"

namespace zt640 {
namespace {

using test::ReadText;
using test::TempFolder;
using test::WriteText;

class MacroLibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = temp_.path() + "/keyboard/";
    std::filesystem::create_directories(folder_);
    library_.SetMacroFolder(folder_);
  }

  void WriteLibrary(const std::vector<std::pair<std::string, std::string>>& macros) {
    Json::Value document;
    document["MacroInfo"] = Json::Value(Json::arrayValue);
    for (const auto& [name, guid] : macros) {
      Json::Value element;
      element["MacroName"] = name;
      element["Guid"] = guid;
      document["MacroInfo"].append(element);
    }
    ASSERT_TRUE(CGlobalUtils::WriteJsonFile(folder_ + "macro.config", document));
    ASSERT_TRUE(library_.LoadMacroList().done());
  }

  Json::Value Library() const { return CGlobalUtils::ParseJsonFile(folder_ + "macro.config"); }

  static Json::Value Event(const char* action, int type, int button, const char* delay) {
    Json::Value event;
    event["Action"] = action;
    event["Type"] = type;
    event["Button"] = button;
    event["Delay"] = delay;
    return event;
  }

  TempFolder temp_;
  std::string folder_;
  MacroLibrary library_;
};

TEST_F(MacroLibraryTest, Add_SkipsTakenNamesInAnyCase) {
  WriteLibrary({{"macro_1", "g1"}, {"Macro_2", "g2"}});
  const PanelResult added = library_.AddMacro();
  ASSERT_TRUE(added.done());
  EXPECT_EQ(added.value, "macro_3");
  EXPECT_EQ(library_.GetSelectedMacro(), 2);
  EXPECT_TRUE(library_.Events().empty());
  EXPECT_EQ(Library()["MacroInfo"][2]["MacroName"].asString(), "macro_3");
  EXPECT_EQ(Library()["MacroInfo"][2]["Guid"].asString(), library_.Entries()[2].guid);
}

TEST_F(MacroLibraryTest, Add_FullLibraryChangesNothing) {
  std::vector<std::pair<std::string, std::string>> macros;
  for (int i = 0; i < 50; ++i) macros.emplace_back("m" + std::to_string(i), "g" + std::to_string(i));
  WriteLibrary(macros);
  const std::string before = ReadText(folder_ + "macro.config");
  const PanelResult added = library_.AddMacro();
  EXPECT_FALSE(added.done());
  EXPECT_TRUE(added.value.empty());
  EXPECT_TRUE(added.message_key.empty());  // the window shows nothing
  EXPECT_EQ(ReadText(folder_ + "macro.config"), before);
}

TEST_F(MacroLibraryTest, Import_NamesAfterFileAndCopiesBytes) {
  WriteLibrary({{"fire", "g1"}, {"Fire_2", "g2"}});
  const std::string source = temp_.File("Fire.mac");
  const std::string bytes = "{ \"Events\" : [ {\"Action\":\"down\",\"Type\":10,\"Button\":4,\"Delay\":\"50\"} ],\n"
                            "  \"Guid\" : \"other\", \"MacroName\" : \"x\", \"Version\" : 64 }\n";
  WriteText(source, bytes);
  const PanelResult imported = library_.ImportMacro(source);
  ASSERT_TRUE(imported.done());
  EXPECT_EQ(imported.value, "Fire_3");
  EXPECT_EQ(ReadText(folder_ + library_.Entries()[2].guid + ".mac"), bytes);
  ASSERT_EQ(library_.Events().size(), 1u);
  EXPECT_EQ(library_.Events()[0].delay_text, "50");
  EXPECT_EQ(library_.Events()[0].labels.name_key, "keyboard_key_A");
}

TEST_F(MacroLibraryTest, Import_InvalidFilesRefused) {
  WriteLibrary({{"a", "g1"}});
  const std::string before = ReadText(folder_ + "macro.config");
  const std::string source = temp_.File("bad.mac");
  std::string many = R"({"Events":[)";
  for (int i = 0; i < 251; ++i) many += std::string(i ? "," : "") + R"({"Type":1,"Button":1,"Delay":"1"})";
  many += "]}";
  for (const std::string& text : {std::string("{}"), std::string("[1]"), std::string(R"({"Events":[5]})"),
                                  std::string(R"({"Events":[{"Type":"x","Button":1,"Delay":"1"}]})"),
                                  std::string(R"({"Events":[{"Type":1,"Button":1,"Delay":"-1"}]})"), many}) {
    WriteText(source, text);
    EXPECT_EQ(library_.ImportMacro(source).message_key, "import_invalid_macro_text") << text.substr(0, 60);
  }
  EXPECT_EQ(ReadText(folder_ + "macro.config"), before);
}

TEST_F(MacroLibraryTest, Export_CopiesBytesOrWritesEmptyFile) {
  WriteLibrary({{"a", "g1"}, {"b", "g2"}});
  WriteText(folder_ + "g1.mac", "{\"Events\":[]}\n");
  library_.SelectMacro(0);
  ASSERT_TRUE(library_.ExportMacro(temp_.File("a.mac")).done());
  EXPECT_EQ(ReadText(temp_.File("a.mac")), "{\"Events\":[]}\n");
  library_.SelectMacro(1);
  ASSERT_TRUE(library_.ExportMacro(temp_.File("b.mac")).done());
  EXPECT_TRUE(std::filesystem::exists(temp_.File("b.mac")));
  EXPECT_EQ(ReadText(temp_.File("b.mac")), "");
}

TEST_F(MacroLibraryTest, Rename_Rules) {
  WriteLibrary({{"macro_1", "g1"}, {"other", "g2"}});
  library_.SelectMacro(0);
  library_.SetNameEditText("  ");
  EXPECT_TRUE(library_.RenameMacro().message_key.empty());
  library_.SetNameEditText("A&B");
  EXPECT_EQ(library_.RenameMacro().message_key, "message_text_5_3");
  library_.SetNameEditText("MACRO_1");
  EXPECT_EQ(library_.RenameMacro().message_key, "message_text_5");
  EXPECT_EQ(Library()["MacroInfo"][0]["MacroName"].asString(), "macro_1");
  library_.SetNameEditText("Стрельба");
  ASSERT_TRUE(library_.RenameMacro().done());
  EXPECT_TRUE(library_.NameEditText().empty());
  EXPECT_EQ(Library()["MacroInfo"][0]["MacroName"].asString(), "Стрельба");
  EXPECT_EQ(Library()["MacroInfo"][0]["Guid"].asString(), "g1");
}

TEST_F(MacroLibraryTest, Save_WritesEventsDelaysAndVersion) {
  WriteLibrary({{"m", "g1"}});
  library_.SelectMacro(0);
  auto& events = library_.Events();
  events.push_back(MacroEventEntry::FromEvent(Event("down", 10, 4, "10")));
  events.push_back(MacroEventEntry::FromEvent(Event("up", 10, 4, "10")));
  events.push_back(MacroEventEntry::FromEvent(Event("down", 1, 1, "3")));
  events[0].delay_text = "";
  events[1].delay_text = "007";
  events[2].delay_text = "999999";
  ASSERT_TRUE(library_.SaveSelectedMacro().done());
  const Json::Value file = CGlobalUtils::ParseJsonFile(folder_ + "g1.mac");
  EXPECT_EQ(file["Version"].asInt(), 64);
  EXPECT_EQ(file["Guid"].asString(), "g1");
  EXPECT_EQ(file["MacroName"].asString(), "m");
  ASSERT_EQ(file["Events"].size(), 3u);
  EXPECT_EQ(file["Events"][0]["Delay"], Json::Value("0"));
  EXPECT_EQ(file["Events"][1]["Delay"], Json::Value("7"));
  EXPECT_EQ(file["Events"][2]["Delay"], Json::Value("65535"));
  EXPECT_EQ(events[0].delay_text, "0");
  // Keys in the styled writer's order.
  const std::string text = ReadText(folder_ + "g1.mac");
  EXPECT_LT(text.find("\"Events\""), text.find("\"Guid\""));
  EXPECT_LT(text.find("\"MacroName\""), text.find("\"Version\""));
}

TEST_F(MacroLibraryTest, Save_StopsAtFirstEmptyEntry) {
  WriteLibrary({{"m", "g1"}});
  library_.SelectMacro(0);
  library_.Events().push_back(MacroEventEntry::FromEvent(Event("down", 10, 4, "1")));
  library_.Events().push_back(MacroEventEntry{});
  library_.Events().push_back(MacroEventEntry::FromEvent(Event("up", 10, 4, "1")));
  ASSERT_TRUE(library_.SaveSelectedMacro().done());
  EXPECT_EQ(CGlobalUtils::ParseJsonFile(folder_ + "g1.mac")["Events"].size(), 1u);
}

TEST_F(MacroLibraryTest, Save_MoreThan250EventsRefusedAndFileKept) {
  WriteLibrary({{"m", "g1"}});
  WriteText(folder_ + "g1.mac", "{\"Events\":[]}");
  library_.SelectMacro(0);
  for (int i = 0; i < 251; ++i) library_.Events().push_back(MacroEventEntry::FromEvent(Event("down", 10, 4, "1")));
  EXPECT_EQ(library_.SaveSelectedMacro().message_key, "message_text_17");
  EXPECT_TRUE(library_.Events().empty());
  EXPECT_EQ(ReadText(folder_ + "g1.mac"), "{\"Events\":[]}");
}

TEST_F(MacroLibraryTest, Delete_WritesLibraryThenRemovesFile) {
  WriteLibrary({{"a", "g1"}, {"b", "g2"}});
  WriteText(folder_ + "g2.mac", "{}");
  library_.SelectMacro(1);
  PanelResult result;
  EXPECT_EQ(library_.DeleteMacro(&result), 1);
  EXPECT_TRUE(result.done());
  EXPECT_FALSE(std::filesystem::exists(folder_ + "g2.mac"));
  EXPECT_EQ(Library()["MacroInfo"].size(), 1u);
  EXPECT_EQ(library_.GetSelectedMacro(), 0);
  library_.SelectMacro(0);
  EXPECT_EQ(library_.DeleteMacro(), 0);
  EXPECT_EQ(library_.GetSelectedMacro(), -1);
  EXPECT_EQ(library_.DeleteMacro(), -1);
}

TEST_F(MacroLibraryTest, Load_RepairsWithoutMovingPositions) {
  WriteText(folder_ + "g1.mac", R"({"Events":[{"Action":"down","Type":10,"Button":5,"Delay":"1"}]})");
  WriteText(folder_ + "macro.config", R"({"MacroInfo":[
      {"MacroName":"a","Guid":"g1"},
      {"MacroName":"A","Guid":"g1"},
      {"MacroName":"c","Guid":"../outside"},
      3,
      {"MacroName":["x"],"Guid":"g5"}]})");
  ASSERT_TRUE(library_.LoadMacroList().done());
  ASSERT_EQ(library_.Entries().size(), 5u);
  EXPECT_EQ(library_.Entries()[0], (MacroEntry{"a", "g1"}));
  EXPECT_EQ(library_.Entries()[1].name, "A_2");
  EXPECT_NE(library_.Entries()[1].guid, "g1");
  // The later of two macros sharing a Guid keeps a copy of the events.
  EXPECT_EQ(ReadText(folder_ + library_.Entries()[1].guid + ".mac"), ReadText(folder_ + "g1.mac"));
  EXPECT_EQ(library_.Entries()[2].name, "c");
  EXPECT_EQ(library_.Entries()[2].guid.find('/'), std::string::npos);
  EXPECT_EQ(library_.Entries()[4].guid, "g5");
  EXPECT_EQ(Library()["MacroInfo"].size(), 5u);
}

TEST(MacroEventTest, ParseMacroEvent_DeviceRecord) {
  Json::Value event;
  event["Action"] = "down";
  event["Type"] = 10;
  event["Button"] = 0x04;
  event["Delay"] = "70000";
  const MacroEventRecord record = ParseMacroEvent(event);
  EXPECT_EQ(record.ToBytes(), (std::array<uint8_t, 4>{0x70, 0x11, 0x8A, 0x04}));
  EXPECT_EQ(MacroEventEntry::FromEvent(event).delay_text, "65535");
  event["Action"] = "Down";
  EXPECT_EQ(ParseMacroEvent(event).type_and_press, 0x0A);
  event["Delay"] = "abc";
  EXPECT_EQ(ParseMacroEvent(event).delay, 0);
}

TEST(MacroEventTest, Describe_NamesAndStyles) {
  Json::Value event;
  event["Action"] = "down";
  event["Type"] = 9;
  event["Button"] = 0x02;
  EXPECT_EQ(DescribeMacroEvent(event),
            (MacroEventLabels{"keyboard_key_LShift", "macro_label_keyboard_style", "macro_label_down_style", ""}));
  event["Type"] = 1;
  event["Button"] = 0x10;
  event["Action"] = "up";
  EXPECT_EQ(DescribeMacroEvent(event).name_key, "mouse_key_forward");
  EXPECT_EQ(DescribeMacroEvent(event).action_style, "macro_label_up_style");
  event["Type"] = 5;
  event["Button"] = 12;
  event["Action"] = "down";
  EXPECT_EQ(DescribeMacroEvent(event),
            (MacroEventLabels{"mouse_move_to_up_text", "macro_label_mouse_style", "macro_label_down_style", "12"}));
}

}  // namespace
}  // namespace zt640
