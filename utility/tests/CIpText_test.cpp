#include "utility/CIpText.h"

#include <gtest/gtest.h>

namespace utility {
namespace {

TEST(CIpTextTest, ReadsAndShowsAddresses) {
  static const struct {
    const char* text;
    std::uint32_t value;
  } rows[] = {
      {"0.0.0.0", 0},
      {"10.0.0.1", 0x0A000001},
      {"192.168.1.255", 0xC0A801FF},
      {"255.255.255.255", 0xFFFFFFFF},
      {"1.2.3.4", 0x01020304},
  };
  for (const auto& row : rows) {
    std::uint32_t value = 7;
    EXPECT_TRUE(CIpText::parse_address(row.text, value)) << row.text;
    EXPECT_EQ(row.value, value) << row.text;
    EXPECT_EQ(row.text, CIpText::format_address(row.value));
  }
}

TEST(CIpTextTest, RefusesAnythingButFourPlainOctets) {
  static const char* const errors[] = {
      "",         "10.0.0",      "10.0.0.1.",  "10.0.0.1.2", "256.0.0.1", "10.0.0.256",
      " 10.0.0.1", "10.0.0.1 ",  "+10.0.0.1",  "-1.0.0.1",   "10..0.1",   "10.0.0.01",
      "010.0.0.1", "10.0.0.1000", "0x0A.0.0.1", "10.0.0.1x", "a.b.c.d",   "10.0.0.1\n",
      "1e1.0.0.1", "4294967297.0.0.0",
  };
  for (const char* text : errors) {
    std::uint32_t value = 7;
    EXPECT_FALSE(CIpText::parse_address(text, value)) << "[" << text << "]";
    EXPECT_EQ(7u, value) << text;
  }
}

TEST(CIpTextTest, ReadsRangesAndRefusesReversedOnes) {
  std::uint32_t start = 0;
  std::uint32_t end = 0;
  std::string error;
  ASSERT_TRUE(CIpText::parse_range("10.0.0.7", start, end, error)) << error;
  EXPECT_EQ(0x0A000007u, start);
  EXPECT_EQ(0x0A000007u, end);
  ASSERT_TRUE(CIpText::parse_range("10.0.0.1-10.0.1.0", start, end, error)) << error;
  EXPECT_EQ("10.0.0.1-10.0.1.0", CIpText::format_range(start, end));

  static const struct {
    const char* text;
    const char* error;
  } errors[] = {
      {"10.0.0.9-10.0.0.1", "ends below its start"},
      {"10.0.0.1-", "\"\" is not an IPv4 address"},
      {"-10.0.0.1", "\"\" is not an IPv4 address"},
      {"10.0.0.1-10.0.0.2-10.0.0.3", "\"10.0.0.2-10.0.0.3\" is not"},
      {"10.0.0.1 - 10.0.0.2", "\"10.0.0.1 \" is not"},
  };
  for (const auto& row : errors) {
    EXPECT_FALSE(CIpText::parse_range(row.text, start, end, error)) << row.text;
    EXPECT_NE(std::string::npos, error.find(row.error)) << row.text << ": " << error;
  }
}

}  // namespace
}  // namespace utility
