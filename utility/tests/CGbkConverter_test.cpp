#include "utility/CGbkConverter.h"

#include <gtest/gtest.h>

namespace utility {
namespace {

const char kChineseUtf8[] = "\xE4\xB8\xAD\xE6\x96\x87 ok";  // "中文 ok"
const char kChineseGbk[] = "\xD6\xD0\xCE\xC4 ok";
const char kReplacement[] = "\xEF\xBF\xBD";

TEST(CGbkConverterTest, ChineseTextRoundTrips) {
  std::string gbk;
  ASSERT_TRUE(CGbkConverter::to_gbk(kChineseUtf8, gbk));
  EXPECT_EQ(kChineseGbk, gbk);
  EXPECT_EQ(kChineseUtf8, CGbkConverter::to_utf8(gbk));
  ASSERT_TRUE(CGbkConverter::to_gbk("", gbk));
  EXPECT_EQ("", gbk);
}

TEST(CGbkConverterTest, RefusesInputThatIsNotUtf8OrNotInGbk) {
  static const char* const errors[] = {
      "abc\xFF",             // not UTF-8
      "\xE4\xB8",            // cut in the middle of a character
      "\xF0\x9F\x98\x80",    // U+1F600, not in GBK
  };
  for (const char* text : errors) {
    std::string gbk = "stale";
    EXPECT_FALSE(CGbkConverter::to_gbk(text, gbk)) << text;
    EXPECT_EQ("", gbk);
  }
}

TEST(CGbkConverterTest, ReplacesInvalidOutputBytes) {
  static const struct {
    std::string gbk;
    std::string utf8;
  } cases[] = {
      {"a\xFF" "b", std::string("a") + kReplacement + "b"},
      {"\xD6\xD0\xD6", std::string("\xE4\xB8\xAD") + kReplacement},  // truncated second char
      {"\xFF\xFF", std::string(kReplacement) + kReplacement},
      {std::string("x\0y", 3), std::string("x\0y", 3)},
  };
  for (const auto& row : cases) {
    EXPECT_EQ(row.utf8, CGbkConverter::to_utf8(row.gbk)) << row.gbk;
  }
}

}  // namespace
}  // namespace utility
