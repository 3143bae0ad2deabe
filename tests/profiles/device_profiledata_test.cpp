#include <gtest/gtest.h>

#include "profiles/global_utils.h"
#include "profiles/hs6533_profiledata.h"
#include "profiles/mouse_profiledata.h"
#include "temp_folder.h"

namespace zt640 {
namespace {

using test::TempFolder;
using test::WriteText;

template <typename Profile>
class DeviceProfileFixture : public ::testing::Test {
 protected:
  void Load(const std::string& section) {
    const std::string path = folder_.File("p.Json");
    WriteText(path, R"({"Device":[)" + section + "]}");
    data_.SetProfilePath(path);
    data_.LoadProfile(path);
  }
  TempFolder folder_;
  Profile data_;
};

using MouseProfile = DeviceProfileFixture<CMouseProfiledata>;
using HeadsetProfile = DeviceProfileFixture<CHs6533Profiledata>;

DpiStage Stage(uint16_t dpi) { return DpiStage{1, 0, dpi, dpi, 1, 2, 3}; }

TEST_F(MouseProfile, GetDpiStages_MergesIntoLongerList) {
  Load(R"({"DPIStages":{"StageActive":2,"StageDPIs":[{"StageDPIX":26000,"StageDPIY":70000,"StageActive":1},{},{},{}]}})");
  data_.SetDpiStages({Stage(100), Stage(200), Stage(300), Stage(400), Stage(500), Stage(600)});
  Load(R"({"DPIStages":{"StageActive":2,"StageDPIs":[{"StageDPIX":26000,"StageDPIY":70000,"StageActive":1},{},{},{}]}})");
  const std::vector<DpiStage> stages = data_.GetDpiStages();
  ASSERT_EQ(stages.size(), 6u);
  EXPECT_EQ(stages[0].dpi_x, 26000);
  EXPECT_EQ(stages[0].dpi_y, 4464);
  EXPECT_EQ(stages[1], DpiStage{});
  EXPECT_EQ(stages[4], Stage(500));
  EXPECT_EQ(stages[5], Stage(600));
  EXPECT_EQ(data_.GetActiveDpiStage(), 2);
}

TEST_F(MouseProfile, GetDpiStages_AbsentGroupKeepsMembers) {
  data_.SetDpiStages({Stage(800)});
  data_.SetActiveDpiStage(0);
  Load("{}");
  EXPECT_EQ(data_.GetDpiStages(), std::vector<DpiStage>{Stage(800)});
  EXPECT_EQ(data_.GetActiveDpiStage(), 0);
}

TEST_F(MouseProfile, SetDpiStages_KeepsLaterElementsAndActiveStage) {
  Load(R"({"DPIStages":{"StageActive":3,"StageDPIs":[{},{},{"StageDPIX":1}]}})");
  data_.SetDpiStages({Stage(1600)});
  const Json::Value& group = data_.MainDocument()["DPIStages"];
  EXPECT_EQ(group["StageActive"].asInt(), 3);
  ASSERT_EQ(group["StageDPIs"].size(), 3u);
  EXPECT_EQ(group["StageDPIs"][0]["StageDPIX"].asInt(), 1600);
  EXPECT_EQ(group["StageDPIs"][0]["StageColorB"].asInt(), 3);
  EXPECT_EQ(group["StageDPIs"][2]["StageDPIX"].asInt(), 1);
}

TEST(DpiStageRecord, DpiStage_DeviceImageIsLittleEndian) {
  const std::array<uint8_t, 9> expected{0x01, 0x00, 0x90, 0x65, 0x40, 0x06, 0x0A, 0x0B, 0x0C};
  const DpiStage stage{1, 0, 26000, 1600, 10, 11, 12};
  EXPECT_EQ(stage.ToBytes(), expected);
  EXPECT_EQ(DpiStage::FromBytes(expected), stage);
}

TEST_F(MouseProfile, GetMouseOptions_ReportStageNeedsBothGroups) {
  Load(R"({"SystemStages":{"DoubleClickTime":500,"MouseSpeed":70010,"WheelScorlllinse":3}})");
  MouseOptions options = data_.GetMouseOptions();
  EXPECT_EQ(options.double_click_time, 500);
  EXPECT_EQ(options.mouse_speed, 4474);
  EXPECT_EQ(options.report_stage, 0);
  EXPECT_EQ(options.ToWords()[0], 500u | 4474u << 16);
  Load(R"({"ReportStages":{"StageActive":3}})");
  EXPECT_EQ(data_.GetMouseOptions(), MouseOptions{});
  Load(R"({"SystemStages":{},"ReportStages":{"StageActive":3}})");
  EXPECT_EQ(data_.GetMouseOptions().report_stage, 3);
}

TEST_F(MouseProfile, SetMouseOptions_WritesSixValues) {
  Load("{}");
  const MouseOptions options = MouseOptions::FromWords({500u | 10u << 16, 1u | 3u << 16, 3u | 2u << 16});
  data_.SetMouseOptions(options);
  const Json::Value& section = data_.MainDocument();
  EXPECT_EQ(section["SystemStages"]["MouseSpeed"].asInt(), 10);
  EXPECT_EQ(section["SystemStages"]["ScorllPage"].asInt(), 3);
  EXPECT_EQ(section["ReportStages"]["StageActive"].asInt(), 2);
  EXPECT_EQ(data_.GetMouseOptions(), options);
}

TEST_F(MouseProfile, GetCorrectList_ReadsEntriesAndNames) {
  Load(R"({"CorrectInfo":[{"CorrectPixThresh":260,"CorrectMinSq":2,"CorrectSelect":1,"CorrectName":"直线修正"},7]})");
  const std::vector<CorrectEntry> list = data_.GetCorrectList();
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0], (CorrectEntry{4, 2, 1, "直线修正"}));
  EXPECT_EQ(list[1], CorrectEntry{});
  Load("{}");
  EXPECT_TRUE(data_.GetCorrectList().empty());
}

TEST_F(HeadsetProfile, GetHeadsetOptions_ValuesAreNotCut) {
  Load(R"({"SystemSetStages":{"MicInValue":300,"EqType":13,"CustomEqSeletIndex":-2}})");
  const HeadsetOptions options = data_.GetHeadsetOptions();
  EXPECT_EQ(options.mic_in_value, 300);
  EXPECT_EQ(options.eq_type, 13);
  EXPECT_EQ(options.custom_eq_index, -2);
  data_.SetHeadsetOptions(HeadsetOptions{1, 2, 3, 4, 5, 6, 7, 8});
  EXPECT_EQ(data_.MainDocument()["SystemSetStages"]["MicMoniterValue"].asInt(), 8);
  EXPECT_EQ(data_.GetHeadsetOptions(), (HeadsetOptions{1, 2, 3, 4, 5, 6, 7, 8}));
}

TEST_F(HeadsetProfile, GetEqValues_MapsTypes) {
  Load(R"({"EQHzValueInfo":[null,[{"value":1},{"value":2}],null,[{"value":-3}]]})");
  EXPECT_TRUE(data_.GetEqValues(13).empty());
  const std::vector<int32_t> preset1{1, 2, 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(data_.GetEqValues(0), preset1);
  EXPECT_EQ(data_.GetEqValues(20), preset1);
  EXPECT_EQ(data_.GetEqValues(-4), preset1);
  EXPECT_EQ(data_.GetEqValues(3)[0], -3);
}

TEST_F(HeadsetProfile, GetEqValues_AbsentPresetWritesTenZeroBands) {
  Load("{}");
  EXPECT_EQ(data_.GetEqValues(3), std::vector<int32_t>(10, 0));
  const Json::Value& info = data_.MainDocument()["EQHzValueInfo"];
  ASSERT_EQ(info.size(), 4u);
  EXPECT_TRUE(info[0].isNull());
  EXPECT_TRUE(info[2].isNull());
  ASSERT_EQ(info[3].size(), 10u);
  EXPECT_EQ(info[3][9]["value"].asInt(), 0);
  EXPECT_TRUE(info[3][9]["value"].isInt());
}

TEST_F(HeadsetProfile, SetEqValues_CustomTypeWritesNothing) {
  Load("{}");
  data_.SetEqValues(13, EqBands{1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
  EXPECT_FALSE(data_.MainDocument().isMember("EQHzValueInfo"));
  data_.SetEqValues(2, EqBands{1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
  EXPECT_EQ(data_.GetEqValues(2), (std::vector<int32_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
}

TEST_F(HeadsetProfile, CustomEq_NamesReplacedAndBandsKept) {
  Load(R"({"CustomEQNameInfo":[{"Name":"a"},{"Name":"b"},{"Name":"c"}],"CustomEQHzValueInfo":[[{"value":5}]]})");
  EXPECT_EQ(data_.GetCustomEqNames(), (std::vector<std::string>{"a", "b", "c"}));
  data_.SetCustomEqNames({"摇滚", "Électro"});
  EXPECT_EQ(data_.GetCustomEqNames(), (std::vector<std::string>{"摇滚", "Électro"}));
  EXPECT_EQ(data_.MainDocument()["CustomEQNameInfo"].size(), 2u);
  EXPECT_EQ(data_.GetCustomEqValues(0)[0], 5);
  data_.SetCustomEqValues(1, EqBands{9, 9, 9, 9, 9, 9, 9, 9, 9, 9});
  EXPECT_EQ(data_.GetCustomEqValues(1), std::vector<int32_t>(10, 9));
}

TEST_F(HeadsetProfile, GetCustomEqValues_HugePositionDoesNotGrowDocument) {
  Load(R"({"CustomEQHzValueInfo":[]})");
  EXPECT_EQ(data_.GetCustomEqValues(2000000000), std::vector<int32_t>(10, 0));
  EXPECT_EQ(data_.GetCustomEqValues(-1), std::vector<int32_t>(10, 0));
  EXPECT_EQ(data_.MainDocument()["CustomEQHzValueInfo"].size(), 0u);
}

}  // namespace
}  // namespace zt640
