#include "devsim/descriptors.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace zt640::devsim {
namespace {

// The bytes of a fixture .hex file ('#' lines are comments).
std::vector<uint8_t> ReadHexFixture(const std::string& name) {
  std::ifstream in(std::string(ZT640_FIXTURES_DIR) + "/hid/" + name);
  std::vector<uint8_t> bytes;
  std::string line;
  while (std::getline(in, line)) {
    if (line.starts_with("#")) continue;
    std::istringstream words(line);
    std::string word;
    while (words >> word) bytes.push_back(static_cast<uint8_t>(std::stoul(word, nullptr, 16)));
  }
  return bytes;
}

// The parser's golden test checks the fixtures' facts; these keep the
// fixtures identical to what the simulator presents.
TEST(DescriptorsTest, BootKeyboard_MatchesFixture) {
  EXPECT_EQ(Descriptors::BootKeyboard(), ReadHexFixture("devsim_boot_keyboard.hex"));
}

TEST(DescriptorsTest, FourCollections_MatchesFixture) {
  EXPECT_EQ(Descriptors::FourCollections(), ReadHexFixture("devsim_four_collections.hex"));
}

}  // namespace
}  // namespace zt640::devsim
