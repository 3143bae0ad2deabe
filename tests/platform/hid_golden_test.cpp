// Every descriptor fixture in fixtures/hid against the facts in its .expect file
// (format in fixtures/hid/README.md).

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "platform/hid/report_descriptor_parser.h"
#include "platform/hid_fake_sysfs.h"

namespace zt640::platform {
namespace {

namespace fs = std::filesystem;

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<fs::path> Fixtures() {
  std::vector<fs::path> paths;
  for (const auto& entry : fs::directory_iterator(fs::path(ZT640_FIXTURES_DIR) / "hid")) {
    if (entry.path().extension() == ".hex") paths.push_back(entry.path());
  }
  std::sort(paths.begin(), paths.end());
  return paths;
}

uint32_t Number(const std::string& text) { return static_cast<uint32_t>(std::stoul(text, nullptr, 0)); }

HidReportType TypeNamed(const std::string& name) {
  if (name == "output") return HidReportType::kOutput;
  if (name == "feature") return HidReportType::kFeature;
  EXPECT_EQ(name, "input");
  return HidReportType::kInput;
}

std::string CapsText(const std::vector<HidpFieldCaps>& caps, uint16_t page) {
  std::ostringstream text;
  bool first = true;
  for (const HidpFieldCaps& cap : caps) {
    if (cap.usage_page != page) continue;
    if (!first) text << ',';
    first = false;
    text << std::hex << "0x" << cap.usage_min;
    if (cap.is_range) text << "-0x" << cap.usage_max;
  }
  return text.str();
}

// The expected caps list normalised to the same spelling as CapsText.
std::string Normalised(const std::string& list) {
  std::ostringstream text;
  std::stringstream items(list);
  std::string item;
  bool first = true;
  while (std::getline(items, item, ',')) {
    if (!first) text << ',';
    first = false;
    const size_t dash = item.find('-');
    text << std::hex << "0x" << Number(item.substr(0, dash));
    if (dash != std::string::npos) text << "-0x" << Number(item.substr(dash + 1));
  }
  return text.str();
}

uint32_t CapsField(const HIDP_CAPS& caps, const std::string& key, bool* known) {
  const std::map<std::string, uint32_t> fields = {
      {"usage_page", caps.usage_page},
      {"usage", caps.usage},
      {"input", caps.input_report_byte_length},
      {"output", caps.output_report_byte_length},
      {"feature", caps.feature_report_byte_length},
      {"link_nodes", caps.number_link_collection_nodes},
      {"input_button_caps", caps.number_input_button_caps},
      {"input_value_caps", caps.number_input_value_caps},
      {"input_data_indices", caps.number_input_data_indices},
      {"output_button_caps", caps.number_output_button_caps},
      {"output_value_caps", caps.number_output_value_caps},
      {"output_data_indices", caps.number_output_data_indices},
      {"feature_button_caps", caps.number_feature_button_caps},
      {"feature_value_caps", caps.number_feature_value_caps},
      {"feature_data_indices", caps.number_feature_data_indices},
  };
  const auto found = fields.find(key);
  *known = found != fields.end();
  return *known ? found->second : 0;
}

class HidGoldenTest : public ::testing::TestWithParam<fs::path> {};

TEST_P(HidGoldenTest, Descriptor_MatchesExpectedFacts) {
  const fs::path hex = GetParam();
  fs::path expect = hex;
  expect.replace_extension(".expect");
  ASSERT_TRUE(fs::exists(expect)) << "missing " << expect;
  const std::vector<uint8_t> bytes = zt640::test::HexBytes(ReadText(hex));
  const ReportDescriptorParseResult parsed = ReportDescriptorParser::Parse(bytes);
  ASSERT_TRUE(parsed.ok) << parsed.error;

  std::istringstream lines(ReadText(expect));
  std::string line;
  int checked = 0;
  while (std::getline(lines, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream words(line);
    std::string kind;
    words >> kind;
    if (kind == "collections") {
      std::string count;
      words >> count;
      EXPECT_EQ(parsed.collections.size(), Number(count)) << line;
      ++checked;
      continue;
    }
    std::string index_text;
    words >> index_text;
    const uint32_t index = Number(index_text);
    ASSERT_GE(index, 1u) << line;
    ASSERT_LE(index, parsed.collections.size()) << line;
    const HidCollection& collection = parsed.collections[index - 1];
    std::map<std::string, std::string> keys;
    std::string word;
    while (words >> word) {
      const size_t equals = word.find('=');
      ASSERT_NE(equals, std::string::npos) << line;
      keys[word.substr(0, equals)] = word.substr(equals + 1);
    }
    if (kind == "collection") {
      for (const auto& [key, value] : keys) {
        if (key == "numbered") {
          EXPECT_EQ(collection.numbered_reports, Number(value) != 0) << line;
          continue;
        }
        bool known = false;
        const uint32_t actual = CapsField(collection.caps, key, &known);
        EXPECT_TRUE(known) << "unknown key " << key << " in: " << line;
        EXPECT_EQ(actual, Number(value)) << key << " in: " << line;
      }
    } else if (kind == "report") {
      const auto id = static_cast<uint8_t>(Number(keys.at("id")));
      for (const char* type : {"input", "output", "feature"}) {
        if (keys.count(type) == 0) continue;
        EXPECT_EQ(collection.ReportByteLength(TypeNamed(type), id), Number(keys.at(type)))
            << type << " in: " << line;
      }
    } else if (kind == "button_caps" || kind == "value_caps") {
      const int type = ReportTypeIndex(TypeNamed(keys.at("type")));
      const auto page = static_cast<uint16_t>(Number(keys.at("page")));
      const auto& caps =
          kind == "button_caps" ? collection.button_caps[type] : collection.value_caps[type];
      EXPECT_EQ(CapsText(caps, page), Normalised(keys.at("caps"))) << line;
    } else if (kind == "max_usage_list") {
      EXPECT_EQ(collection.MaxUsageListLength(TypeNamed(keys.at("type")),
                                              static_cast<uint16_t>(Number(keys.at("page")))),
                Number(keys.at("length")))
          << line;
    } else {
      ADD_FAILURE() << "unknown fact: " << line;
    }
    ++checked;
  }
  EXPECT_GT(checked, 0) << "no facts in " << expect;
}

INSTANTIATE_TEST_SUITE_P(Fixtures, HidGoldenTest, ::testing::ValuesIn(Fixtures()),
                         [](const ::testing::TestParamInfo<fs::path>& info) {
                           std::string name = info.param.stem().string();
                           for (char& c : name) {
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           }
                           return name;
                         });

}  // namespace
}  // namespace zt640::platform
