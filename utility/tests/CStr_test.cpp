#include "utility/CStr.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <string>
#include <vector>

namespace utility {
namespace {

typedef std::vector<std::string> Words;

TEST(CStrTest, Trims) {
  typedef void (*Trim)(std::string&);
  struct Row {
    const char* name;
    Trim trim;
    const char* input;
    const char* expected;
  };
  static const Row rows[] = {
      {"trim", CStr::trim, " \t\r\n", ""},
      {"trim", CStr::trim, "\t a b \r\n", "a b"},
      {"trim", CStr::trim, "", ""},
      {"trim", CStr::trim, "\va\f", "\va\f"},  // only " \t\r\n" count
      {"left_trim", CStr::left_trim, " \na ", "a "},
      {"right_trim", CStr::right_trim, " a\r\n", " a"},
      {"trim_byte", [](std::string& s) { CStr::trim_byte('/', s); }, "//a/b//", "a/b"},
      {"trim_byte", [](std::string& s) { CStr::trim_byte('/', s); }, "///", ""},
      {"left_trim_byte", [](std::string& s) { CStr::left_trim_byte('0', s); }, "00100", "100"},
      {"right_trim_byte", [](std::string& s) { CStr::right_trim_byte('0', s); }, "00100", "001"},
  };
  for (const Row& row : rows) {
    std::string text = row.input;
    row.trim(text);
    EXPECT_EQ(row.expected, text) << row.name << " [" << row.input << "]";
  }
}

TEST(CStrTest, StringReplaceNeverRescansTheReplacement) {
  static const struct {
    const char* text;
    const char* from;
    const char* to;
    const char* expected;
  } rows[] = {
      {"aaa", "a", "aa", "aaaaaa"}, {"abcabc", "bc", "", "aa"},
      {"aaaa", "aa", "a", "aa"},    {"abc", "", "x", "abc"},
      {"abc", "d", "x", "abc"},     {"/usr//lib", "//", "/", "/usr/lib"},
  };
  for (const auto& row : rows) {
    std::string text = row.text;
    CStr::string_replace(text, row.from, row.to);
    EXPECT_EQ(row.expected, text) << row.text << " " << row.from << "->" << row.to;
  }
}

TEST(CStrTest, TrimRemarkCutsAtTheMark) {
  static const struct {
    const char* mark;
    const char* text;
    const char* expected;
  } rows[] = {
      {"#", "Listen 80 # port", "Listen 80 "},
      {"#", "no remark", "no remark"},
      {"", "anything", ""},
      {"//", "a//b//c", "a"},
  };
  for (const auto& row : rows) {
    std::string text = row.text;
    CStr::trim_remark(row.mark, text);
    EXPECT_EQ(row.expected, text) << row.mark << " [" << row.text << "]";
  }
}

// The span removal exactly as defined: search from the start every time.
std::string cut_spans_slowly(const std::string& open, const std::string& close, std::string text) {
  for (;;) {
    std::size_t begin = text.find(open);
    if (begin == std::string::npos) return text;
    std::size_t end = text.find(close, begin);
    if (end == std::string::npos) return text;
    std::string next = text.substr(0, begin) + text.substr(end + close.size());
    if (next == text) return text;
    text = next;
  }
}

TEST(CStrTest, TrimRemarkRemovesSpans) {
  static const struct {
    const char* open;
    const char* close;
    const char* text;
    const char* expected;
  } rows[] = {
      {"\"", "\"", "\"web01\"", "web01"},
      {"'", "'", "'db'", "db"},
      {"\"", "\"", "\"a\"b\"", "ab"},  // each quote goes on its own
      {"/*", "*/", "x/*c*/y/*d", "xy/*d"},
      {"/*", "*/", "/*/", ""},    // close searched from where open starts
      {"ab", "!", "aab!b!", ""},  // a span made by the join of two others
      {"", "*/", "a*/b*/c", "c"},
      {"<", "", "a<b>", "a<b>"},
  };
  for (const auto& row : rows) {
    std::string text = row.text;
    CStr::trim_remark(row.open, row.close, text);
    EXPECT_EQ(row.expected, text) << row.open << " " << row.close << " [" << row.text << "]";
  }
}

TEST(CStrTest, TrimRemarkMatchesTheDefinitionOnRandomTexts) {
  std::mt19937 random(7);
  const char kAlphabet[] = "ab/*";
  auto make = [&](std::size_t max) {
    std::string s(random() % (max + 1), ' ');
    for (char& c : s) c = kAlphabet[random() % 4];
    return s;
  };
  for (int round = 0; round < 5000; ++round) {
    std::string open = make(3), close = make(3), text = make(24);
    if (close.empty()) continue;
    std::string fast = text;
    CStr::trim_remark(open, close, fast);
    ASSERT_EQ(cut_spans_slowly(open, close, text), fast)
        << "open [" << open << "] close [" << close << "] text [" << text << "]";
  }
}

TEST(CStrTest, ExtLineSplitsWordsAndAppends) {
  Words out = {"kept"};
  CStr::ext_line(out, "  eth0: 1 2\n");
  CStr::ext_line(out, " \t\r\n");
  CStr::ext_line(out, "a\tb\v\fc");
  EXPECT_EQ((Words{"kept", "eth0:", "1", "2", "a", "b", "c"}), out);
}

TEST(CStrTest, ExtLineSplitsAtSeparators) {
  static const struct {
    const char* separator;
    const char* text;
    Words expected;
  } rows[] = {
      {",", "a,,b", {"a", "", "b"}},
      {",", ",a", {"", "a"}},
      {",", "a,b,", {"a", "b"}},
      {",", "", {}},
      {",", ",", {""}},
      {"::", "a::b:c::", {"a", "b:c"}},
      {"", "a,b", {"a,b"}},
      {"", "", {}},
  };
  for (const auto& row : rows) {
    Words out;
    CStr::ext_line(row.separator, out, row.text);
    EXPECT_EQ(row.expected, out) << "[" << row.separator << "] [" << row.text << "]";
  }
}

TEST(CStrTest, NumberConversions) {
  static const struct {
    const char* text;
    long long as_signed;  // atol and atoll
    unsigned long long as_unsigned;
  } rows[] = {
      {"  42abc", 42, 42},
      {"abc", 0, 0},
      {"", 0, 0},
      {"-7", -7, 0},
      {"-0", 0, 0},
      {"+5", 5, 5},
      {"\t\n 9 8", 9, 9},
      {"- 5", 0, 0},
      {"-", 0, 0},
      {"0x10", 0, 0},
      {"007", 7, 7},
      {"9223372036854775807", LLONG_MAX, 9223372036854775807ULL},
      {"9223372036854775808", 0, 9223372036854775808ULL},
      {"-9223372036854775808", LLONG_MIN, 0},
      {"-9223372036854775809", 0, 0},
      {"18446744073709551615", 0, ULLONG_MAX},
      {"18446744073709551616", 0, 0},
      {"99999999999999999999999", 0, 0},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(row.as_signed, CStr::atoll(row.text)) << row.text;
    EXPECT_EQ(row.as_unsigned, CStr::atoull(row.text)) << row.text;
    if (row.as_signed >= LONG_MIN && row.as_signed <= LONG_MAX) {
      EXPECT_EQ(row.as_signed, CStr::atol(row.text)) << row.text;
    }
  }
  EXPECT_EQ("-9223372036854775808", CStr::lltoa(LLONG_MIN));
  EXPECT_EQ("0", CStr::lltoa(0));
  EXPECT_EQ("-1", CStr::lltoa(-1));
  EXPECT_EQ("18446744073709551615", CStr::ulltoa(ULLONG_MAX));
}

TEST(CStrTest, TenMegabyteTexts) {
  const std::size_t kSize = 10 << 20;
  std::string text(kSize, ' ');
  CStr::trim(text);
  EXPECT_EQ("", text);

  text.assign(kSize, 'a');
  CStr::string_replace(text, "a", "bb");
  EXPECT_EQ(2 * kSize, text.size());
  EXPECT_EQ(std::string::npos, text.find('a'));

  text.assign(kSize, '"');
  CStr::trim_remark("\"", "\"", text);
  EXPECT_EQ("", text);

  std::string unclosed;
  for (std::size_t i = 0; i < kSize / 3; ++i) unclosed += "/* ";
  text = unclosed;
  CStr::trim_remark("/*", "*/", text);
  EXPECT_TRUE(unclosed == text);

  std::string words;
  for (std::size_t i = 0; i < kSize / 2; ++i) words += "x ";
  Words out;
  CStr::ext_line(out, words);
  EXPECT_EQ(kSize / 2, out.size());
  out.clear();
  CStr::ext_line(" ", out, words);
  EXPECT_EQ(kSize / 2, out.size());

  EXPECT_EQ(0, CStr::atol(std::string(kSize, '9')));
  EXPECT_EQ(0u, CStr::atoull(std::string(kSize, ' ')));
}

}  // namespace
}  // namespace utility
