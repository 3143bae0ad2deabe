#include "profiles/language_texts.h"

#include <gtest/gtest.h>

namespace zt640 {
namespace {

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

}  // namespace
}  // namespace zt640
