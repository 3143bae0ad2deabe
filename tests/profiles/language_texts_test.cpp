#include "profiles/language_texts.h"

#include <gtest/gtest.h>
#include <json/json.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "profiles/global_utils.h"

namespace zt640 {
namespace {

namespace fs = std::filesystem;

/// A string literal of a C++ source and the source text that follows it (spaces
/// left out), which tells whether the literal is the start of a built name.
struct SourceLiteral {
  std::string text;
  std::string after;
};

bool IsIdentifierChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_'; }

/// The ordinary string literals of a C++ source with their escapes resolved. Comments,
/// character literals and raw strings (test data, never a key) are left out.
std::vector<SourceLiteral> StringLiterals(const std::string& source) {
  std::vector<SourceLiteral> literals;
  const size_t n = source.size();
  size_t i = 0;
  while (i < n) {
    const char c = source[i];
    if (source.compare(i, 2, "//") == 0) {
      i = source.find('\n', i);
    } else if (source.compare(i, 2, "/*") == 0) {
      const size_t end = source.find("*/", i + 2);
      i = end == std::string::npos ? end : end + 2;
    } else if (c == 'R' && i + 1 < n && source[i + 1] == '"') {
      const size_t open = source.find('(', i + 2);
      if (open == std::string::npos) break;
      const std::string closing = ")" + source.substr(i + 2, open - i - 2) + "\"";
      const size_t end = source.find(closing, open);
      i = end == std::string::npos ? end : end + closing.size();
    } else if (c == '"') {
      SourceLiteral literal;
      size_t j = i + 1;
      for (; j < n && source[j] != '"'; ++j) {
        if (source[j] == '\\' && j + 1 < n) ++j;
        literal.text += source[j];
      }
      for (size_t k = j + 1; k < n && literal.after.size() < 40; ++k) {
        if (std::isspace(static_cast<unsigned char>(source[k])) == 0) literal.after += source[k];
      }
      literals.push_back(std::move(literal));
      i = j + 1;
    } else if (c == '\'' && (i == 0 || !IsIdentifierChar(source[i - 1]))) {
      size_t j = i + 1;
      while (j < n && source[j] != '\'') j += source[j] == '\\' ? 2 : 1;
      i = j + 1;
    } else {
      ++i;
    }
    if (i == std::string::npos) break;
  }
  return literals;
}

/// The shapes of literals that are language keys. Control names never take these
/// shapes (compare "system_Op_tab", a control, with "system_power", a key).
const std::vector<std::regex>& LiteralKeyShapes() {
  static const std::vector<std::regex> shapes = {
      std::regex(R"([a-z][a-z0-9_]*_text(_[0-9]+)*)"),          // texts, "message_text_5_3", "tips_text"
      std::regex(R"((keyboard_key|mouse_key)_.+)"),             // key and button names
      std::regex(R"((media|web|wed|custem|system)_[a-z_]+)"),   // media, browser, shortcut and system functions
      std::regex(R"(gun_[0-9]+_txt)"),                          // gun keys
      std::regex(R"(Phone_type_[a-z_]+)"),                      // the pad's phone types
      std::regex(R"(show_window)"),
  };
  return shapes;
}

/// Keys the code builds from a prefix and a number, with the numbers it uses.
struct NumberedKeys {
  const char* prefix;
  int first;
  int last;
};
constexpr NumberedKeys kNumberedKeys[] = {
    {"light_mode_", 0, 30},          // the keyboard's lighting modes
    {"light_audio_mode_", 0, 6},     // the audio lighting modes
    {"light_option_colour_", 0, 3},  // the colour choices of mode 17
};
/// Control names of the design that happen to take a key's shape; never language keys.
constexpr const char* kControlNamesShapedLikeKeys[] = {"update_status_text"};

/// Names built the same way that are control or file names, not language keys.
constexpr const char* kNumberedNonKeys[] = {"key_", "key_ComBox_check_", "keyboard_key_", "light_", "magic_option_", "ShootData_"};

/// The prefix of a name built from `literal` and a number ("light_mode_%1" with
/// `.arg`, or "key_" + a number), or empty.
std::string BuiltPrefix(const SourceLiteral& literal) {
  static const std::regex formatted(R"(([A-Za-z][A-Za-z0-9_]*_)%(1|d|u|zu))");
  std::smatch match;
  if (std::regex_match(literal.text, match, formatted)) return match[1];
  static const std::regex prefix(R"([A-Za-z][A-Za-z0-9_]*_)");
  const bool joined = literal.after.starts_with("+std::to_string(") || literal.after.starts_with(")+std::to_string(") ||
                      literal.after.starts_with("+QString::number(") || literal.after.starts_with(")+QString::number(");
  return joined && std::regex_match(literal.text, prefix) ? literal.text : std::string();
}

std::string XmlText(std::string text) {
  for (const auto& [entity, character] : std::map<std::string, std::string>{
           {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&apos;", "'"}, {"&amp;", "&"}}) {
    for (size_t at = text.find(entity); at != std::string::npos; at = text.find(entity, at + character.size())) {
      text.replace(at, entity.size(), character);
    }
  }
  return text;
}

/// The text of the first <string> element after `from` in a skin file.
std::string NextString(const std::string& skin, size_t from) {
  const size_t open = skin.find("<string>", from);
  const size_t close = skin.find("</string>", open);
  if (open == std::string::npos || close == std::string::npos) return {};
  return XmlText(skin.substr(open + 8, close - open - 8));
}

/// Keys in a skin file: the "textKey" and "toolTipKey" properties, and list entries
/// whose texts are keys (lower-case words joined by "_", as "keyset_function_0").
std::vector<std::string> SkinKeys(const std::string& skin) {
  std::vector<std::string> keys;
  for (const char* property : {"<property name=\"textKey\"", "<property name=\"toolTipKey\""}) {
    for (size_t at = skin.find(property); at != std::string::npos; at = skin.find(property, at + 1)) {
      keys.push_back(NextString(skin, at));
    }
  }
  static const std::regex entry_key(R"([a-z][a-z0-9]*(_[a-z0-9]+)+)");
  const std::string entry = "<item><propertyname=\"text\"><string>";
  for (size_t at = skin.find("<item>"); at != std::string::npos; at = skin.find("<item>", at + 1)) {
    std::string head;
    for (size_t k = at; k < skin.size() && head.size() < entry.size(); ++k) {
      if (std::isspace(static_cast<unsigned char>(skin[k])) == 0) head += skin[k];
    }
    if (head != entry) continue;
    const std::string text = NextString(skin, at);
    if (std::regex_match(text, entry_key)) keys.push_back(text);
  }
  return keys;
}

std::string ReadWhole(const fs::path& path) { return CGlobalUtils::readjsonFile(path.string()); }

/// Every language key the program's code and skins use, each with a file that uses it.
std::map<std::string, std::string> KeysInUse(std::vector<std::string>* unclassified_prefixes) {
  const fs::path source = ZT640_SOURCE_DIR;
  std::map<std::string, std::string> keys;
  for (const char* folder : {"src", "tools", "app"}) {
    if (!fs::exists(source / folder)) continue;
    for (const fs::directory_entry& file : fs::recursive_directory_iterator(source / folder)) {
      const std::string extension = file.path().extension().string();
      if (!file.is_regular_file() || (extension != ".cpp" && extension != ".h")) continue;
      const std::string where = fs::relative(file.path(), source).string();
      for (const SourceLiteral& literal : StringLiterals(ReadWhole(file.path()))) {
        for (const std::regex& shape : LiteralKeyShapes()) {
          if (std::regex_match(literal.text, shape) &&
              std::find(std::begin(kControlNamesShapedLikeKeys), std::end(kControlNamesShapedLikeKeys),
                        literal.text) == std::end(kControlNamesShapedLikeKeys)) {
            keys.emplace(literal.text, where);
          }
        }
        const std::string prefix = BuiltPrefix(literal);
        if (prefix.empty()) continue;
        const auto numbered = std::find_if(std::begin(kNumberedKeys), std::end(kNumberedKeys),
                                           [&](const NumberedKeys& family) { return prefix == family.prefix; });
        if (numbered != std::end(kNumberedKeys)) {
          for (int number = numbered->first; number <= numbered->last; ++number) {
            keys.emplace(prefix + std::to_string(number), where);
          }
        } else if (std::find(std::begin(kNumberedNonKeys), std::end(kNumberedNonKeys), prefix) ==
                   std::end(kNumberedNonKeys)) {
          unclassified_prefixes->push_back(prefix + " in " + where);
        }
      }
    }
  }
  for (const fs::directory_entry& file : fs::directory_iterator(source / "data" / "skin")) {
    if (file.path().extension() != ".ui") continue;
    for (const std::string& key : SkinKeys(ReadWhole(file.path()))) {
      keys.emplace(key, fs::relative(file.path(), source).string());
    }
  }
  return keys;
}

TEST(LanguageTextsTest, Parse_ResolvesEntitiesAndFallsBackToKey) {
  LanguageTexts texts;
  ASSERT_TRUE(texts.Parse("<?xml version=\"1.0\"?>\n<Language name=\"English\">\n"
                          "  <Text key=\"a\" value=\"No &quot;&amp;&quot; &#x41;&#66; &lt;x&gt;\"/>\n"
                          "  <Texts key=\"b\" value=\"ignored\"/>\n"
                          "  <Text value='单引号' key='c'/>\n"
                          "  <Text key=\"broken\" value=\"unterminated/>\n"
                          "</Language>\n"));
  EXPECT_EQ(texts.Text("a"), "No \"&\" AB <x>");
  EXPECT_EQ(texts.Text("c"), "单引号");
  EXPECT_EQ(texts.Text("b"), "b");
  EXPECT_EQ(texts.Text("missing"), "missing");
}

TEST(LanguageTextsTest, ShippedFilesHoldEveryPanelMessage) {
  for (const char* file : {"lan_en.xml", "lan_cn.xml"}) {
    LanguageTexts texts;
    ASSERT_TRUE(texts.Load(std::string(ZT640_SOURCE_DIR) + "/data/skin/" + file)) << file;
    for (const char* key : {"message_text_28", "message_text_22", "message_text_5", "message_text_25",
                            "message_text_5_3", "message_text_4", "message_text_2", "message_text_17",
                            "import_invalid_macro_text", "file_write_failed_text", "name_too_long_text"}) {
      EXPECT_NE(texts.Text(key), key) << file << " " << key;
    }
  }
}

TEST(LanguageTextsTest, KeyScanSkipsCommentsCharactersAndRawStrings) {
  const std::vector<SourceLiteral> literals = StringLiterals(
      "// \"in_comment_text\"\n"
      "/* \"block_text\" */ char q = '\"'; int n = 1'000;\n"
      "auto raw = R\"x(\"raw_text\")x\"; auto a = \"say \\\"hi\\\"\";\n"
      "auto b = \"key_\" + std::to_string(3); auto c = QStringLiteral(\"light_mode_%1\").arg(i);\n");
  ASSERT_EQ(literals.size(), 3u);
  EXPECT_EQ(literals[0].text, "say \"hi\"");
  EXPECT_EQ(BuiltPrefix(literals[1]), "key_");
  EXPECT_EQ(BuiltPrefix(literals[2]), "light_mode_");
  EXPECT_EQ(BuiltPrefix(literals[0]), "");
}

// Every key the code or a skin shows is in every language file of the list, so no
// text ever shows as its raw key.
TEST(LanguageTextsTest, EveryKeyInUseIsInEveryLanguageFile) {
  std::vector<std::string> unclassified;
  const std::map<std::string, std::string> keys = KeysInUse(&unclassified);
  EXPECT_TRUE(unclassified.empty()) << "names built from a prefix and a number that are neither known keys nor "
                                       "known control names; add them to kNumberedKeys or kNumberedNonKeys: "
                                    << testing::PrintToString(unclassified);
  // The scan itself must see each way a key is used.
  for (const char* sample : {"message_text_22", "mouse_move_to_left_text", "keyboard_key_LCtrl", "light_mode_30",
                             "light_audio_mode_6", "min_btn_tip", "keyset_function_0", "Phone_type_other"}) {
    EXPECT_TRUE(keys.contains(sample)) << sample;
  }

  const fs::path source = ZT640_SOURCE_DIR;
  const Json::Value list = CGlobalUtils::ParseJsonFile((source / "data" / "DefaultData" / "Language.config").string());
  ASSERT_GE(list["Language"].size(), 2u);
  for (const Json::Value& language : list["Language"]) {
    const std::string file = language["Language_file"].asString();
    LanguageTexts texts;
    ASSERT_TRUE(texts.Load((source / "data" / "skin" / file).string())) << file;
    std::vector<std::string> missing;
    for (const auto& [key, where] : keys) {
      if (texts.Text(key) == key) missing.push_back(key + " (" + where + ")");
    }
    EXPECT_TRUE(missing.empty()) << file << " lacks " << missing.size() << " keys: " << testing::PrintToString(missing);
  }
}

}  // namespace
}  // namespace zt640
