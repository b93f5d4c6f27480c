// Compiled with GBK as the execution character set: a plain literal holds
// the GBK bytes the agent stores, and u8"" of the same text its UTF-8 form.
#include "utility/CConv.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "utility/url_encode.h"

namespace utility {
namespace {

#define ALARM_TEXT "检测到异常登录，来源地址 10.0.0.8。"
#define DISK_TEXT "磁盘使用率超过阈值：95%（/var）"
#define SITE_TEXT "网站目录：/var/www/html 已保护"

struct Pair {
  const char* gbk;
  const char* utf8;
};

const Pair kTexts[] = {
    {ALARM_TEXT, u8"" ALARM_TEXT},
    {DISK_TEXT, u8"" DISK_TEXT},
    {SITE_TEXT, u8"" SITE_TEXT},
    {"\xD6\xD0\xCE\xC4", "\xE4\xB8\xAD\xE6\x96\x87"},  // the two characters for "Chinese"
    {"plain ascii", "plain ascii"},
};

TEST(CConvTest, ChineseTextsRoundTrip) {
  ASSERT_STRNE(ALARM_TEXT, u8"" ALARM_TEXT) << "the test must be compiled with GBK literals";
  for (const Pair& text : kTexts) {
    EXPECT_EQ(text.utf8, CConv::gbk_to_utf8_string(text.gbk)) << text.utf8;
    EXPECT_EQ(text.gbk, CConv::utf8_to_gbk_string(text.utf8)) << text.utf8;

    int size = CConv::gbk_to_utf8(text.gbk, nullptr, 0);
    ASSERT_EQ(static_cast<int>(3 * std::strlen(text.gbk) + 1), size);
    std::string buffer(size, 'x');
    int written = CConv::gbk_to_utf8(text.gbk, &buffer[0], size);
    EXPECT_EQ(static_cast<int>(std::strlen(text.utf8)), written) << text.utf8;
    EXPECT_STREQ(text.utf8, buffer.c_str());

    buffer.assign(size, 'x');
    written = CConv::utf8_to_gbk(text.utf8, &buffer[0], size);
    EXPECT_EQ(static_cast<int>(std::strlen(text.gbk)), written) << text.utf8;
    EXPECT_STREQ(text.gbk, buffer.c_str());
  }
}

TEST(CConvTest, InvalidSequenceGivesTheConvertedPrefix) {
  static const struct {
    const char* what;
    bool from_gbk;
    const char* input;
    const char* expected;
  } rows[] = {
      {"byte outside GBK", true, "中文\xFF\xFF尾", u8"中文"},
      {"GBK lead byte at the end", true, "中\xD6", u8"中"},
      {"invalid UTF-8", false, u8"中文\xFF尾", "中文"},
      {"UTF-8 cut short", false, u8"中\xE6\x96", "中"},
      {"not representable in GBK", false, u8"ok\U0001F600", "ok"},
      {"invalid first byte", true, "\xFF中", ""},
  };
  for (const auto& row : rows) {
    std::string converted =
        row.from_gbk ? CConv::gbk_to_utf8_string(row.input) : CConv::utf8_to_gbk_string(row.input);
    EXPECT_EQ(row.expected, converted) << row.what;

    char buffer[64];
    std::memset(buffer, 0, sizeof buffer);
    int written = row.from_gbk ? CConv::gbk_to_utf8(row.input, buffer, sizeof buffer)
                               : CConv::utf8_to_gbk(row.input, buffer, sizeof buffer);
    EXPECT_EQ(0, written) << row.what;
    EXPECT_STREQ(row.expected, buffer) << row.what;  // the prefix stays in the buffer
  }
}

TEST(CConvTest, ByteBufferContract) {
  EXPECT_EQ(0, CConv::gbk_to_utf8(nullptr, nullptr, 0));
  EXPECT_EQ(0, CConv::utf8_to_gbk(nullptr, nullptr, 0));
  EXPECT_EQ(13, CConv::utf8_to_gbk("abcd", nullptr, 0));

  char buffer[16];
  // A full buffer stops the conversion; what fitted stays.
  std::memset(buffer, 'x', sizeof buffer);
  EXPECT_EQ(0, CConv::gbk_to_utf8("中文", buffer, 4));
  EXPECT_EQ(std::string(u8"中"), std::string(buffer, 3));
  EXPECT_EQ('x', buffer[4]);
  // gbk_to_utf8 writes one terminator and leaves the rest alone.
  std::memset(buffer, 'x', sizeof buffer);
  EXPECT_EQ(2, CConv::gbk_to_utf8("ab", buffer, sizeof buffer));
  EXPECT_EQ(std::string("ab\0x", 4), std::string(buffer, 4));
  // Exactly full: no room for the terminator, none written.
  std::memset(buffer, 'x', sizeof buffer);
  EXPECT_EQ(2, CConv::gbk_to_utf8("ab", buffer, 2));
  EXPECT_EQ('x', buffer[2]);
  // utf8_to_gbk zeroes the whole buffer first.
  std::memset(buffer, 'x', sizeof buffer);
  EXPECT_EQ(2, CConv::utf8_to_gbk("ab", buffer, sizeof buffer));
  EXPECT_EQ(std::string("ab") + std::string(14, '\0'), std::string(buffer, sizeof buffer));
  EXPECT_EQ(0, CConv::utf8_to_gbk("ab", buffer, 0));
  EXPECT_EQ(0, CConv::gbk_to_utf8("ab", buffer, -1));
}

TEST(CConvTest, EmptyAndNullTexts) {
  EXPECT_EQ("", CConv::gbk_to_utf8_string(nullptr));
  EXPECT_EQ("", CConv::gbk_to_utf8_string(""));
  EXPECT_EQ("", CConv::utf8_to_gbk_string(nullptr));
  EXPECT_EQ("", CConv::utf8_to_gbk_string(""));
  EXPECT_EQ("", CConv::url_string(nullptr));
  EXPECT_EQ("", CConv::gbk_to_utf8_url_string(nullptr));
}

TEST(CConvTest, UrlEncoding) {
  static const struct {
    std::string text;
    const char* encoded;
  } rows[] = {
      {"a b&c~", "a+b%26c~"},
      {"AZaz09-._~", "AZaz09-._~"},
      {"\xC4", "%C4"},
      {"=/?%+\n", "%3D%2F%3F%25%2B%0A"},
      {std::string("\0\x7F\xFF", 3), "%00%7F%FF"},
      {"", ""},
  };
  for (const auto& row : rows) EXPECT_EQ(row.encoded, url_encode(row.text)) << row.encoded;
  EXPECT_EQ("a+b%26c~", CConv::url_string("a b&c~"));
  EXPECT_EQ("%E4%B8%AD%E6%96%87+1", CConv::gbk_to_utf8_url_string("中文 1"));
  EXPECT_EQ("%D6%D0", CConv::url_string("中"));

  const char kDigits[] = "0123456789ABCDEF";
  for (unsigned char v = 0; v < 16; ++v) EXPECT_EQ(kDigits[v], ToHex(v)) << int(v);
}

TEST(CConvTest, HasChineseChar) {
  static const struct {
    const char* text;
    bool expected;
  } rows[] = {
      {"", false},
      {"\xD6", false},     // one byte
      {"abc\xD6", false},  // the only high byte is the last one
      {"\xD6\xD0", true},
      {"a\xA4z", true},             // 0xA4 is the first lead byte that counts
      {"\xA3\xAC\xA3\xBA", false},  // full-width comma and colon
      {"\xA3\xD6", false},          // 0xA3 takes the byte after it along
      {"\xA3\xD6\xD6\xD0", true},
      {"\xA1\xA1\xA1\xA1", false},  // full-width spaces
      {"\xA1\xA2", false},          // 0xA1 alone moves on by one
      {"\xA1\xD6\xD0", true},
      {"\xA1\xA1\xD6", false},
      {"\xA2\xA3\xD6", false},  // the 0xA3 pair hides the 0xD6
      {"plain ascii", false},
      {ALARM_TEXT, true},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(row.expected, CConv::has_chinese_char(row.text)) << url_encode(row.text);
  }
}

TEST(CConvTest, TenMegabyteTexts) {
  const std::size_t kSize = 10 << 20;
  std::string gbk;
  while (gbk.size() < kSize) gbk += ALARM_TEXT;
  std::string utf8 = CConv::gbk_to_utf8_string(gbk.c_str());
  ASSERT_GT(utf8.size(), gbk.size());
  EXPECT_EQ(gbk, CConv::utf8_to_gbk_string(utf8.c_str()));
  EXPECT_TRUE(CConv::has_chinese_char(gbk));
  EXPECT_EQ(url_encode(utf8), CConv::gbk_to_utf8_url_string(gbk.c_str()));

  std::string garbage(kSize, '\xFF');
  EXPECT_EQ("", CConv::gbk_to_utf8_string(garbage.c_str()));
  EXPECT_EQ("", CConv::utf8_to_gbk_string(garbage.c_str()));
  std::string punctuation;
  while (punctuation.size() < kSize) punctuation += "\xA3\xAC\xA1\xA1";
  EXPECT_FALSE(CConv::has_chinese_char(punctuation));
}

}  // namespace
}  // namespace utility
