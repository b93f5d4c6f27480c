#include "platform/ipfilter/CRuleFile.h"

#include <dirent.h>
#include <gtest/gtest.h>

#include <sstream>

#include "platform/ipfilter/CFilterState.h"
#include "platform/ipfilter/CIpRange.h"
#include "test_support/TempDir.h"
#include "utility/CIpText.h"

namespace ipfilter {
namespace {

TEST(IpRangeTest, ParsesDottedRangesStrictly) {
  struct Row {
    const char* text;
    uint32_t start, end;
  };
  const Row good[] = {{"10.0.0.1-10.0.0.255", 0x0A000001u, 0x0A0000FFu},
                      {" 1.2.3.4 ", 0x01020304u, 0x01020304u},
                      {"0.0.0.0-255.255.255.255", 0, 0xFFFFFFFFu},
                      {"192.168.1.1 - 192.168.1.9\r", 0xC0A80101u, 0xC0A80109u}};
  for (const Row& row : good) {
    uint32_t start = 1, end = 1;
    ASSERT_TRUE(CIpRange::parse(row.text, start, end)) << row.text;
    EXPECT_EQ(row.start, start) << row.text;
    EXPECT_EQ(row.end, end) << row.text;
  }
  const char* bad[] = {"",
                       "1.2.3",
                       "1.2.3.4.5",
                       "256.1.1.1",
                       "1.2.3.4-",
                       "-1.2.3.4",
                       "1.2.3.4-5.6.7.8-9.9.9.9",
                       "01234.1.1.1",
                       "1.2.3.x",
                       "1..2.3"};
  for (const char* text : bad) {
    uint32_t start, end;
    EXPECT_FALSE(CIpRange::parse(text, start, end)) << text;
  }
  EXPECT_EQ("10.0.0.1-255.255.255.254", utility::CIpText::format_range(0x0A000001u, 0xFFFFFFFEu));
  EXPECT_EQ("0.0.0.0-100.9.10.99", utility::CIpText::format_range(0, 0x64090A63u));
  // Formatting and parsing agree on every octet value in every position.
  for (uint32_t octet = 0; octet < 256; ++octet) {
    const uint32_t value = octet * 0x01010101u ^ (octet << 8);
    uint32_t start = 0, end = 0;
    ASSERT_TRUE(CIpRange::parse(utility::CIpText::format_range(value, value + 1), start, end))
        << octet;
    EXPECT_EQ(value, start);
    EXPECT_EQ(value + 1, end);
  }
}

TEST(IpRangeTest, SplitsRangesIntoExactCidrBlocks) {
  struct Row {
    uint32_t start, end;
    std::size_t blocks;
  };
  // Wide ranges (over half the address space) split as exactly as narrow ones.
  const Row rows[] = {{0x0A000000u, 0x0A0000FFu, 1},
                      {0x0A000001u, 0x0A000014u, 6},
                      {0x01000000u, 0xC8000000u, 10},
                      {1, 0xFFFFFFFEu, 62},
                      {0x0A000005u, 0x0A000005u, 1}};
  for (const Row& row : rows) {
    SCOPED_TRACE(utility::CIpText::format_range(row.start, row.end));
    std::vector<Cidr> cidrs;
    CIpRange::to_cidrs(row.start, row.end, cidrs);
    EXPECT_EQ(row.blocks, cidrs.size());
    uint64_t next = row.start;  // blocks are adjacent, aligned and end at `end`
    for (const Cidr& c : cidrs) {
      const uint64_t size = uint64_t(1) << (32 - c.prefix);
      EXPECT_EQ(next, c.ip);
      EXPECT_EQ(0u, c.ip & (size - 1));
      next = c.ip + size;
    }
    EXPECT_EQ(uint64_t(row.end) + 1, next);
  }
}

TEST(RuleFileTest, SavesAndLoadsThePersistentRanges) {
  test_support::TempDir dir;
  const std::vector<rpc::IpScope> ranges = {{0x0A000001u, 0x0A0000FFu, 0},
                                            {0xC0A80101u, 0xC0A80101u, 0}};
  dir.write("rules.pol", "old content\n");
  ASSERT_TRUE(CRuleFile::save(dir.file("rules.pol"), ranges));
  const std::string text = dir.read("rules.pol");
  EXPECT_EQ('#', text[0]);
  EXPECT_NE(std::string::npos, text.find("\n10.0.0.1-10.0.0.255\n192.168.1.1-192.168.1.1\n"));

  const CRuleFile::Contents loaded = CRuleFile::load(dir.file("rules.pol"));
  ASSERT_EQ(2u, loaded.ranges.size());
  EXPECT_EQ(0xC0A80101u, loaded.ranges[1].start_ip);
  EXPECT_EQ(0u, loaded.bad_count);

  // No temporary file is left beside the rule file.
  int files = 0;
  DIR* d = opendir(dir.path().c_str());
  while (dirent* e = readdir(d)) files += e->d_name[0] != '.';
  closedir(d);
  EXPECT_EQ(1, files);

  EXPECT_TRUE(CRuleFile::load(dir.file("absent.pol")).missing);
}

TEST(RuleFileTest, JournalLinesApplyInOrderAndACutOneIsSkipped) {
  test_support::TempDir dir;
  ASSERT_TRUE(CRuleFile::save(dir.file("rules.pol"),
                              {{0x0A000001u, 0x0A0000FFu, 0}, {0x0A000101u, 0x0A000101u, 0}}));
  ASSERT_TRUE(CRuleFile::append(dir.file("rules.pol"), {{true, 0x0B000001u, 0x0B000002u},
                                                        {false, 0x0A000001u, 0x0A0000FFu},
                                                        {false, 0x0C000001u, 0x0C000001u}}));
  std::string text = dir.read("rules.pol");
  EXPECT_NE(std::string::npos, text.find("\n+ 11.0.0.1-11.0.0.2 ;\n- 10.0.0.1-10.0.0.255 ;\n"));
  // A crash in the middle of an append: the cut line reads as malformed,
  // everything before it stands.
  dir.write("rules.pol", text + "+ 12.0.0.1-12.0.0.25");
  const CRuleFile::Contents loaded = CRuleFile::load(dir.file("rules.pol"));
  ASSERT_EQ(2u, loaded.ranges.size());
  EXPECT_EQ(0x0A000101u, loaded.ranges[0].start_ip);
  EXPECT_EQ(0x0B000001u, loaded.ranges[1].start_ip);
  EXPECT_EQ(0x0B000002u, loaded.ranges[1].end_ip);
  EXPECT_EQ(1u, loaded.bad_count);
  EXPECT_FALSE(CRuleFile::append(dir.file("absent.pol"), {{true, 1, 2}}));
}

TEST(RuleFileTest, FailedSaveLeavesTheTargetAlone) {
  test_support::TempDir dir;
  dir.write("rules.pol/keep", "x");  // the target is a directory: rename fails
  EXPECT_FALSE(CRuleFile::save(dir.file("rules.pol"), {{1, 2, 0}}));
  EXPECT_EQ("x", dir.read("rules.pol/keep"));
  EXPECT_FALSE(CRuleFile::save(dir.file("no/such/dir/rules.pol"), {{1, 2, 0}}));
}

TEST(RuleFileTest, SkipsMalformedLinesAndKeepsTheValidOnes) {
  const std::string long_line(200, '1');
  std::istringstream in(
      "# header\n"
      "10.0.0.1-10.0.0.9\n"
      "\n"
      "garbage\n"            // line 4
      "10.0.0.9-10.0.0.1\n"  // 5: start above end
      "0.0.0.0-1.0.0.0\n" +  // 6: 0.0.0.0
      long_line +
      "\n" +                             // 7: over-long
      std::string("1.2.3.4\0x\n", 10) +  // 8: NUL inside
      "  172.16.0.1 - 172.16.0.3  \n"
      "8.8.8.8");  // last line without a line feed
  const CRuleFile::Contents contents = CRuleFile::parse(in);
  ASSERT_EQ(3u, contents.ranges.size());  // ascending
  EXPECT_EQ(0x08080808u, contents.ranges[0].start_ip);
  EXPECT_EQ(0x0A000001u, contents.ranges[1].start_ip);
  EXPECT_EQ(0xAC100003u, contents.ranges[2].end_ip);
  EXPECT_EQ((std::vector<unsigned long>{4, 5, 6, 7, 8}), contents.bad_lines);
  EXPECT_EQ(5u, contents.bad_count);
  EXPECT_FALSE(contents.truncated);
}

TEST(FilterStateTest, MissingOrUnreadableSwitchesCountAsOn) {
  struct Row {
    const char* text;
    bool filter_on, persis_on;
  };
  const Row rows[] = {{"", true, true},
                      {"filter off\npersis on\n", false, true},
                      {"persis off\n", true, false},
                      {"filter maybe\npersis off", true, false},
                      {"\x01\x02 junk", true, true}};
  for (const Row& row : rows) {
    const Switches s = CFilterState::parse(row.text);
    EXPECT_EQ(row.filter_on, s.filter_on) << row.text;
    EXPECT_EQ(row.persis_on, s.persis_on) << row.text;
  }
  test_support::TempDir dir;
  EXPECT_TRUE(CFilterState::load(dir.file("none")).persis_on);
  Switches off;
  off.filter_on = false;
  ASSERT_TRUE(CFilterState::save(dir.file("state"), off));
  EXPECT_FALSE(CFilterState::load(dir.file("state")).filter_on);
}

}  // namespace
}  // namespace ipfilter
