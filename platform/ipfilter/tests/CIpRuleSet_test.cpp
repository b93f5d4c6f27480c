#include "platform/ipfilter/CIpRuleSet.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <thread>
#include <vector>

#include "platform/ipfilter/CRuleFile.h"
#include "platform/ipfilter/tests/FakeKernelFilter.h"
#include "test_support/RunLogCapture.h"
#include "test_support/TempDir.h"
#include "utility/CIpText.h"

namespace ipfilter {
namespace {

uint32_t ip(unsigned a, unsigned b, unsigned c, unsigned d) {
  return (a << 24) | (b << 16) | (c << 8) | d;
}

class RuleSetTest : public ::testing::Test {
 protected:
  RuleSetTest() : rules_(kernel_, dir_.file("state"), [this] { return now_ms_; }) {}

  void open(const std::vector<rpc::IpScope>& persistent = {}) {
    ASSERT_EQ(kIpfOk, rules_.open(persistent, Switches()));
  }
  int add(uint32_t start, uint32_t end, uint32_t time_out) {
    const rpc::IpScope scope{start, end, time_out};
    return rules_.add_scope(&scope);
  }
  int del(uint32_t start, uint32_t end) {
    const rpc::IpScope scope{start, end, 0};
    return rules_.del_scope(&scope);
  }
  typedef int (CIpRuleSet::*Query)(void*, unsigned int, unsigned int&);
  std::vector<rpc::IpScope> list(Query query = &CIpRuleSet::query_all) {
    unsigned int size = 0;
    const int first = (rules_.*query)(nullptr, 0, size);
    if (first == kIpfOk) return {};
    EXPECT_EQ(kIpfBufferTooSmall, first);
    std::vector<rpc::IpScope> records(size / sizeof(rpc::IpScope));
    EXPECT_EQ(kIpfOk, (rules_.*query)(records.data(), size, size));
    return records;
  }

  test_support::TempDir dir_;
  FakeKernelFilter kernel_;
  int64_t now_ms_ = 1000000;
  test_support::RunLogCapture log_;
  CIpRuleSet rules_;
};

TEST_F(RuleSetTest, EveryOperationAnswersNotOpenBeforeOpenAndAfterClose) {
  const rpc::IpScope scope{ip(10, 0, 0, 1), ip(10, 0, 0, 1), 0};
  unsigned int size = 7;
  const std::vector<std::function<int()>> ops = {
      [&] { return rules_.start_filter(); },
      [&] { return rules_.stop_filter(); },
      [&] { return rules_.add_scope(&scope); },
      [&] { return rules_.del_scope(&scope); },
      [&] { return rules_.start_persis(); },
      [&] { return rules_.stop_persis(); },
      [&] { return rules_.clear_all(); },
      [&] { return rules_.clear_temp(); },
      [&] { return rules_.clear_persis(); },
      [&] { return rules_.query_all(nullptr, 0, size); },
      [&] { return rules_.query_temp(nullptr, 0, size); },
      [&] { return rules_.query_persis(nullptr, 0, size); },
      [&] { return rules_.save_persis(dir_.file("rules").c_str()); },
  };
  for (int round = 0; round < 2; ++round) {
    for (std::size_t i = 0; i < ops.size(); ++i) EXPECT_EQ(kIpfNotOpen, ops[i]()) << "op " << i;
    open();
    rules_.close();
  }
  EXPECT_FALSE(dir_.exists("rules"));
}

TEST_F(RuleSetTest, RefusesBadRangesAndAbsentDeletes) {
  open();
  struct Row {
    uint32_t start, end;
  };
  const Row bad[] = {{ip(10, 0, 0, 9), ip(10, 0, 0, 1)},
                     {0, ip(10, 0, 0, 1)},
                     {ip(10, 0, 0, 1), 0xFFFFFFFFu},
                     {0, 0xFFFFFFFFu}};
  for (const Row& row : bad) {
    SCOPED_TRACE(utility::CIpText::format_range(row.start, row.end));
    EXPECT_EQ(kIpfBadArgument, add(row.start, row.end, 0));
    EXPECT_EQ(kIpfBadArgument, add(row.start, row.end, 30));
    EXPECT_EQ(kIpfBadArgument, del(row.start, row.end));
  }
  EXPECT_EQ(kIpfBadArgument, rules_.add_scope(nullptr));
  EXPECT_EQ(kIpfBadArgument, rules_.del_scope(nullptr));
  EXPECT_EQ(kIpfBadArgument, rules_.save_persis(nullptr));
  EXPECT_EQ(kIpfNotFound, del(ip(10, 0, 0, 1), ip(10, 0, 0, 2)));
  // The widest accepted range.
  EXPECT_EQ(kIpfOk, add(1, 0xFFFFFFFEu, 0));
  EXPECT_TRUE(kernel_.member(KernelSet::kPersis, ip(200, 1, 2, 3)));
  EXPECT_EQ(1u, list().size());
}

TEST_F(RuleSetTest, AddingAPresentRangeUpdatesItInsteadOfDuplicating) {
  open();
  const uint32_t a = ip(10, 0, 0, 1), b = ip(10, 0, 0, 255);
  ASSERT_EQ(kIpfOk, add(a, b, 300));
  ASSERT_EQ(kIpfOk, add(a, b, 600));
  std::vector<rpc::IpScope> all = list();
  ASSERT_EQ(1u, all.size());
  EXPECT_EQ(600u, all[0].time_out);
  EXPECT_EQ(600, kernel_.timeout_of(KernelSet::kTemp, ip(10, 0, 0, 7)));

  ASSERT_EQ(kIpfOk, add(a, b, 0));  // temporary -> persistent
  EXPECT_EQ(1u, list().size());
  EXPECT_EQ(1u, list(&CIpRuleSet::query_persis).size());
  EXPECT_TRUE(list(&CIpRuleSet::query_temp).empty());
  EXPECT_FALSE(kernel_.member(KernelSet::kTemp, ip(10, 0, 0, 7)));
  EXPECT_TRUE(kernel_.member(KernelSet::kPersis, ip(10, 0, 0, 7)));

  ASSERT_EQ(kIpfOk, add(a, b, 5));  // and back
  now_ms_ += 6000;
  EXPECT_TRUE(list().empty());
  EXPECT_FALSE(kernel_.member(KernelSet::kPersis, ip(10, 0, 0, 7)));
}

TEST_F(RuleSetTest, QueriesReportTheSizeNeededAndMergeBothListsInOrder) {
  open();
  unsigned int size = 99;
  EXPECT_EQ(kIpfOk, rules_.query_all(nullptr, 0, size));
  EXPECT_EQ(0u, size);
  ASSERT_EQ(kIpfOk, add(ip(10, 0, 0, 5), ip(10, 0, 0, 5), 0));
  ASSERT_EQ(kIpfOk, add(ip(10, 0, 0, 1), ip(10, 0, 0, 9), 60));
  ASSERT_EQ(kIpfOk, add(ip(10, 0, 0, 1), ip(10, 0, 0, 3), 0));
  ASSERT_EQ(kIpfOk, add(ip(9, 0, 0, 1), ip(9, 0, 0, 1), 0));

  rpc::IpScope records[4];
  EXPECT_EQ(kIpfBufferTooSmall, rules_.query_all(nullptr, 0, size));
  EXPECT_EQ(48u, size);
  size = 0;
  EXPECT_EQ(kIpfBufferTooSmall, rules_.query_all(records, 47, size));
  EXPECT_EQ(48u, size);
  ASSERT_EQ(kIpfOk, rules_.query_all(records, sizeof records, size));
  const rpc::IpScope expected[] = {{ip(9, 0, 0, 1), ip(9, 0, 0, 1), 0},
                                   {ip(10, 0, 0, 1), ip(10, 0, 0, 3), 0},
                                   {ip(10, 0, 0, 1), ip(10, 0, 0, 9), 60},
                                   {ip(10, 0, 0, 5), ip(10, 0, 0, 5), 0}};
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(expected[i].start_ip, records[i].start_ip);
    EXPECT_EQ(expected[i].end_ip, records[i].end_ip);
    EXPECT_EQ(expected[i].time_out, records[i].time_out);
  }
  EXPECT_EQ(3u, list(&CIpRuleSet::query_persis).size());
  EXPECT_EQ(1u, list(&CIpRuleSet::query_temp).size());
}

TEST_F(RuleSetTest, TemporaryEntriesExpireFromQueriesAndTheKernel) {
  open();
  ASSERT_EQ(kIpfOk, add(ip(10, 0, 0, 1), ip(10, 0, 0, 1), 10));
  ASSERT_EQ(kIpfOk, add(ip(10, 0, 0, 2), ip(10, 0, 0, 2), 20));
  ASSERT_EQ(kIpfOk, add(ip(10, 0, 0, 3), ip(10, 0, 0, 3), 3000000));  // beyond the kernel's
  EXPECT_EQ(10, kernel_.timeout_of(KernelSet::kTemp, ip(10, 0, 0, 1)));
  EXPECT_EQ(0, kernel_.timeout_of(KernelSet::kTemp, ip(10, 0, 0, 3)));
  EXPECT_EQ(10000, rules_.expire());

  now_ms_ += 10000;
  EXPECT_EQ(2u, list().size());
  EXPECT_FALSE(kernel_.member(KernelSet::kTemp, ip(10, 0, 0, 1)));
  now_ms_ += 10000;
  EXPECT_EQ(2999980000, rules_.expire());
  EXPECT_FALSE(kernel_.member(KernelSet::kTemp, ip(10, 0, 0, 2)));
  now_ms_ += 3000000000LL;
  EXPECT_EQ(-1, rules_.expire());
  EXPECT_TRUE(list().empty());
  EXPECT_TRUE(kernel_.temp.empty());
}

TEST_F(RuleSetTest, KernelSetsStayTheUnionOfTheRemainingRanges) {
  const uint32_t a1 = ip(10, 0, 0, 0), a2 = ip(10, 0, 0, 255);    // A
  const uint32_t b1 = ip(10, 0, 0, 128), b2 = ip(10, 0, 1, 255);  // B overlaps A's top half
  const uint32_t c1 = ip(10, 0, 0, 64), c2 = ip(10, 0, 0, 64);    // C inside A
  struct Probe {
    uint32_t address;
    bool member;
  };
  const Probe after_deleting_a[] = {{ip(10, 0, 0, 1), false},   {ip(10, 0, 0, 64), true},
                                    {ip(10, 0, 0, 127), false}, {ip(10, 0, 0, 128), true},
                                    {ip(10, 0, 0, 255), true},  {ip(10, 0, 1, 9), true}};
  for (uint32_t time_out : {0u, 300u}) {
    SCOPED_TRACE(time_out);
    open();
    const KernelSet set = time_out == 0 ? KernelSet::kPersis : KernelSet::kTemp;
    ASSERT_EQ(kIpfOk, add(b1, b2, time_out));
    ASSERT_EQ(kIpfOk, add(c1, c2, time_out));
    ASSERT_EQ(kIpfOk, add(a1, a2, time_out));
    ASSERT_EQ(kIpfOk, del(a1, a2));
    for (const Probe& probe : after_deleting_a)
      EXPECT_EQ(probe.member, kernel_.member(set, probe.address))
          << utility::CIpText::format_address(probe.address);
    rules_.close();
  }
}

TEST_F(RuleSetTest, ShortTemporaryRangeKeepsTheLongerTimeOutOfAnOverlap) {
  open();
  // Both ranges hold the block 10.0.0.0/25, which the later add overwrites.
  ASSERT_EQ(kIpfOk, add(ip(10, 0, 0, 0), ip(10, 0, 0, 191), 600));
  now_ms_ += 100000;
  ASSERT_EQ(kIpfOk, add(ip(10, 0, 0, 0), ip(10, 0, 0, 127), 60));
  EXPECT_EQ(500, kernel_.timeout_of(KernelSet::kTemp, ip(10, 0, 0, 5)));
  now_ms_ += 60000;  // the short one expires; the long one still covers it
  EXPECT_EQ(1u, list().size());
  EXPECT_EQ(440, kernel_.timeout_of(KernelSet::kTemp, ip(10, 0, 0, 5)));
  EXPECT_TRUE(kernel_.member(KernelSet::kTemp, ip(10, 0, 0, 150)));
}

TEST_F(RuleSetTest, ClearsEmptyTheirListInMemoryAndKernel) {
  struct Row {
    int (CIpRuleSet::*clear)();
    bool temp_left, persis_left;
  };
  const Row rows[] = {{&CIpRuleSet::clear_temp, false, true},
                      {&CIpRuleSet::clear_persis, true, false},
                      {&CIpRuleSet::clear_all, false, false}};
  for (const Row& row : rows) {
    open();
    ASSERT_EQ(kIpfOk, add(ip(10, 0, 0, 1), ip(10, 0, 0, 1), 0));
    ASSERT_EQ(kIpfOk, add(ip(10, 0, 0, 2), ip(10, 0, 0, 2), 30));
    ASSERT_EQ(kIpfOk, (rules_.*row.clear)());
    EXPECT_EQ(row.temp_left, !list(&CIpRuleSet::query_temp).empty());
    EXPECT_EQ(row.persis_left, !list(&CIpRuleSet::query_persis).empty());
    EXPECT_EQ(row.temp_left, kernel_.member(KernelSet::kTemp, ip(10, 0, 0, 2)));
    EXPECT_EQ(row.persis_left, kernel_.member(KernelSet::kPersis, ip(10, 0, 0, 1)));
    rules_.close();
  }
}

TEST_F(RuleSetTest, SwitchesReachTheKernelAndTheStateFile) {
  open();
  EXPECT_TRUE(kernel_.filter_on && kernel_.persis_on);
  ASSERT_EQ(kIpfOk, rules_.stop_persis());
  EXPECT_TRUE(kernel_.filter_on);
  EXPECT_FALSE(kernel_.persis_on);
  ASSERT_EQ(kIpfOk, rules_.stop_filter());
  EXPECT_FALSE(kernel_.filter_on);
  EXPECT_EQ("filter off\npersis off\n", dir_.read("state"));
  ASSERT_EQ(kIpfOk, rules_.start_filter());
  EXPECT_EQ("filter on\npersis off\n", dir_.read("state"));

  // The state cannot be kept: the switch is refused and nothing changes.
  const int calls = kernel_.switch_calls;
  dir_.make_dirs("state.blocker");
  CIpRuleSet blocked(kernel_, dir_.file("state.blocker"), [this] { return now_ms_; });
  ASSERT_EQ(kIpfOk, blocked.open({}, Switches()));
  EXPECT_EQ(kIpfIo, blocked.stop_filter());
  EXPECT_EQ(calls + 1, kernel_.switch_calls);  // only open's
  EXPECT_TRUE(kernel_.filter_on);
}

TEST_F(RuleSetTest, WithoutTheKernelPathSaysSoOnceAndKeepsFiltering) {
  kernel_.open_result = false;
  open({{ip(10, 0, 0, 1), ip(10, 0, 0, 1), 0}});
  EXPECT_FALSE(rules_.enforcing());
  ASSERT_EQ(1u, log_.lines().size());
  EXPECT_NE(std::string::npos, log_.lines()[0].find("ip_set"));
  EXPECT_EQ(kIpfOk, add(ip(10, 0, 0, 2), ip(10, 0, 0, 2), 30));
  EXPECT_EQ(kIpfOk, del(ip(10, 0, 0, 1), ip(10, 0, 0, 1)));
  EXPECT_EQ(kIpfOk, rules_.stop_filter());
  EXPECT_EQ(1u, list().size());
  EXPECT_TRUE(kernel_.temp.empty());
  EXPECT_EQ(1u, log_.lines().size());
}

TEST_F(RuleSetTest, SavesAppendChangesAndRewriteOnlyWhenTheyMust) {
  open();
  const std::string path = dir_.file("rules");
  const auto reloaded = [&] {
    std::vector<std::string> texts;
    for (const rpc::IpScope& r : CRuleFile::load(path).ranges)
      texts.push_back(utility::CIpText::format_range(r.start_ip, r.end_ip));
    return texts;
  };
  ASSERT_EQ(kIpfOk, add(ip(10, 0, 0, 1), ip(10, 0, 0, 9), 0));
  ASSERT_EQ(kIpfOk, rules_.save_persis(path.c_str()));
  const FileStamp whole = FileStamp::of(path);

  // A temporary change leaves the persistent list, and so the file, alone.
  ASSERT_EQ(kIpfOk, add(ip(10, 1, 0, 1), ip(10, 1, 0, 1), 60));
  ASSERT_EQ(kIpfOk, rules_.save_persis(path.c_str()));
  EXPECT_TRUE(whole == FileStamp::of(path));

  // Persistent changes are appended to the same file, in order.
  ASSERT_EQ(kIpfOk, add(ip(10, 2, 0, 1), ip(10, 2, 0, 1), 0));
  ASSERT_EQ(kIpfOk, add(ip(10, 3, 0, 1), ip(10, 3, 0, 1), 0));
  ASSERT_EQ(kIpfOk, del(ip(10, 0, 0, 1), ip(10, 0, 0, 9)));
  ASSERT_EQ(kIpfOk, rules_.save_persis(path.c_str()));
  EXPECT_EQ(whole.inode, FileStamp::of(path).inode);
  EXPECT_NE(std::string::npos,
            dir_.read("rules").find("\n+ 10.2.0.1-10.2.0.1 ;\n+ 10.3.0.1-10.3.0.1 ;\n"
                                    "- 10.0.0.1-10.0.0.9 ;\n"));
  EXPECT_EQ((std::vector<std::string>{"10.2.0.1-10.2.0.1", "10.3.0.1-10.3.0.1"}), reloaded());

  // A clear, a file removed or rewritten behind our back, or another path:
  // written whole again.
  ASSERT_EQ(kIpfOk, add(ip(10, 4, 0, 1), ip(10, 4, 0, 1), 0));
  dir_.write("rules", "edited\n");
  ASSERT_EQ(kIpfOk, rules_.save_persis(path.c_str()));
  EXPECT_EQ(std::string::npos, dir_.read("rules").find("edited"));
  EXPECT_EQ(3u, reloaded().size());
  ::unlink(path.c_str());
  ASSERT_EQ(kIpfOk, rules_.save_persis(path.c_str()));
  EXPECT_EQ(3u, reloaded().size());
  ASSERT_EQ(kIpfOk, rules_.clear_persis());
  ASSERT_EQ(kIpfOk, rules_.save_persis(path.c_str()));
  EXPECT_TRUE(reloaded().empty());
  EXPECT_EQ(std::string::npos, dir_.read("rules").find("+ "));
  ASSERT_EQ(kIpfOk, add(ip(10, 5, 0, 1), ip(10, 5, 0, 1), 0));
  ASSERT_EQ(kIpfOk, rules_.save_persis(dir_.file("other").c_str()));
  EXPECT_NE(std::string::npos, dir_.read("other").find("\n10.5.0.1-10.5.0.1\n"));
}

TEST_F(RuleSetTest, ConcurrentCallersSeeAConsistentSet) {
  open();
  std::atomic<bool> bad_status(false);
  std::vector<std::thread> threads;
  for (unsigned t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (unsigned i = 1; i <= 500; ++i) {
        const uint32_t a = ip(10, t, i >> 8, i & 0xFF);
        if (add(a, a, t % 2 == 0 ? 0 : 60) != kIpfOk) bad_status = true;
        unsigned int size = 0;
        const int q = rules_.query_all(nullptr, 0, size);
        if (q != kIpfBufferTooSmall || size % sizeof(rpc::IpScope) != 0) bad_status = true;
        if (i % 2 == 0 && del(a, a) != kIpfOk) bad_status = true;
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_FALSE(bad_status);
  EXPECT_EQ(1000u, list().size());
}

}  // namespace
}  // namespace ipfilter
