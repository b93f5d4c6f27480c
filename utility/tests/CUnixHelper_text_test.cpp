#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "utility/CUnixHelper.h"

namespace {

using utility::CUnixHelper;

TEST(TrimSpaceTest, TrimsBothEndsInPlace) {
  struct Row {
    const char* input;
    const char* expected;
  };
  const Row rows[] = {
      {"  a b \t\n", "a b"}, {"abc", "abc"},     {"", ""},
      {" \t\n\v\f\r", ""},   {"\r\nx\r\n", "x"}, {"\xA1\xA1 ", "\xA1\xA1"},
  };
  for (const Row& row : rows) {
    std::string buffer = row.input;
    char* text = &buffer[0];
    EXPECT_EQ(text, CUnixHelper::trim_space(text));
    EXPECT_STREQ(row.expected, text) << "[" << row.input << "]";
  }
  EXPECT_EQ(nullptr, CUnixHelper::trim_space(nullptr));
}

struct ParseRow {
  const char* text;
  const char* delims;
  std::vector<std::string> words;
};

const ParseRow kParseRows[] = {
    {"  a b   c ", " ", {"a", "b", "c"}},
    {"/usr/bin:/bin:", ":", {"/usr/bin", "/bin", ""}},
    {"a,b;c", ",;", {"a", "b", "c"}},
    {"a :: b", ":", {"a ", "", "b"}},  // only the start of a later word is trimmed
    {" single ", ":", {"single"}},
    {"x '' y", " ", {"x", "", "y"}},
    {"x \"\"abc y", " ", {"x", "", "y"}},
    {"x ''", " ", {"x", ""}},
    {"echo \"a\nb\" c", " ", {"echo", "a b", "c"}},
    {"'a\nb'", " ", {"a b"}},
    {"'abc' d", " ", {"'abc'", "d"}},
    {"a=b", "", {"a=b"}},
};

TEST(ParseTest, SplitsIntoWords) {
  for (const ParseRow& row : kParseRows) {
    SCOPED_TRACE(row.text);
    std::string buffer = row.text;
    char* words[CUnixHelper::kMaxWords];
    int count = -1;
    ASSERT_TRUE(CUnixHelper::parse(&buffer[0], row.delims, words, count));
    ASSERT_EQ(static_cast<int>(row.words.size()), count);
    for (int i = 0; i < count; ++i) EXPECT_EQ(row.words[i], words[i]) << "word " << i;
  }
}

TEST(ParseTest, RefusesWhatDoesNotFit) {
  char* words[CUnixHelper::kMaxWords];
  int count = 0;
  std::string full;
  for (int i = 0; i < CUnixHelper::kMaxWords; ++i) full += " w";
  std::string buffer = full;
  EXPECT_TRUE(CUnixHelper::parse(&buffer[0], " ", words, count));
  EXPECT_EQ(CUnixHelper::kMaxWords, count);

  buffer = full + " w";
  EXPECT_FALSE(CUnixHelper::parse(&buffer[0], " ", words, count));
  EXPECT_FALSE(CUnixHelper::parse(nullptr, " ", words, count));
  buffer = "a b";
  EXPECT_FALSE(CUnixHelper::parse(&buffer[0], nullptr, words, count));
}

}  // namespace
