#include "platform/ipfilter/CSecModelIpFilter.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/ipfilter/tests/FakeKernelFilter.h"
#include "test_support/RunLogCapture.h"
#include "test_support/TempDir.h"

namespace ipfilter {
namespace {

class ModuleTest : public ::testing::Test {
 protected:
  ModuleTest()
      : module_(dir_.file("sec_policy/ip_blacklist.pol"), dir_.file("sec_policy/ip_filter.state"),
                kernel_) {
    dir_.make_dirs("sec_policy");
  }
  unsigned int count(int (IIpRuleSet::*query)(void*, unsigned int, unsigned int&)) {
    unsigned int size = 0;
    (module_.rules()->*query)(nullptr, 0, size);
    return size / sizeof(rpc::IpScope);
  }

  test_support::TempDir dir_;
  FakeKernelFilter kernel_;
  test_support::RunLogCapture log_;
  CSecModelIpFilter module_;
};

TEST_F(ModuleTest, OpenLoadsTheRuleFileAndLogsEachBadLine) {
  dir_.write("sec_policy/ip_blacklist.pol", "10.0.0.1-10.0.0.5\nnot a range\n10.0.1.1\n");
  ASSERT_EQ(0, module_.init());
  ASSERT_EQ(0, module_.open());
  EXPECT_EQ(2u, count(&IIpRuleSet::query_persis));
  EXPECT_TRUE(kernel_.member(KernelSet::kPersis, 0x0A000003u));
  EXPECT_TRUE(kernel_.filter_on && kernel_.persis_on);  // no state file: both on
  ASSERT_EQ(1u, log_.lines().size());
  EXPECT_NE(std::string::npos, log_.lines()[0].find("ip_blacklist.pol line 2"));
}

TEST_F(ModuleTest, PersistentEntriesAndSwitchesSurviveARestart) {
  ASSERT_EQ(0, module_.open());  // no rule file: an empty list
  EXPECT_EQ(0u, count(&IIpRuleSet::query_all));
  IIpRuleSet* rules = module_.rules();
  const rpc::IpScope persistent{0x0A000001u, 0x0A000009u, 0};
  const rpc::IpScope temporary{0x0B000001u, 0x0B000001u, 300};
  ASSERT_EQ(0, rules->add_scope(&persistent));
  ASSERT_EQ(0, rules->add_scope(&temporary));
  ASSERT_EQ(0, rules->save_persis(dir_.file("sec_policy/ip_blacklist.pol").c_str()));
  ASSERT_EQ(0, rules->stop_persis());
  ASSERT_EQ(0, module_.close());
  EXPECT_EQ(kIpfNotOpen, rules->add_scope(&persistent));

  kernel_.temp.clear();
  kernel_.persis.clear();
  ASSERT_EQ(0, module_.open());
  EXPECT_EQ(1u, count(&IIpRuleSet::query_persis));
  EXPECT_EQ(0u, count(&IIpRuleSet::query_temp));  // temporary entries do not outlive the process
  EXPECT_TRUE(kernel_.member(KernelSet::kPersis, 0x0A000005u));
  EXPECT_TRUE(kernel_.filter_on);
  EXPECT_FALSE(kernel_.persis_on);
  EXPECT_TRUE(log_.lines().empty());
}

TEST_F(ModuleTest, TheExpiryThreadRemovesTemporaryEntriesWithoutCallers) {
  ASSERT_EQ(0, module_.open());
  const rpc::IpScope temporary{0x0B000001u, 0x0B000001u, 1};
  ASSERT_EQ(0, module_.rules()->add_scope(&temporary));
  // Poll the fake kernel (not the rule set, whose queries expire by themselves).
  for (int i = 0; i < 100 && kernel_.member(KernelSet::kTemp, 0x0B000001u); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(kernel_.member(KernelSet::kTemp, 0x0B000001u));
  module_.release();
}

}  // namespace
}  // namespace ipfilter
