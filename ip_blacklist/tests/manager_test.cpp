// The manager against the scripted filter: log lines, rule-file saves,
// batches, statuses and the lock around adds and saves.
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "ip_blacklist/IIpBlackListManager.h"
#include "ip_blacklist/tests/BlacklistTest.h"
#include "ip_blacklist/tests/FakeIpFilter.h"

namespace {

using blacklist_test::fake_filter;
using blacklist_test::ip;
using blacklist_test::log_messages;
using rpc::IpScope;

const char kAddFailed[] = "添加失败";

class ManagerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake_filter().reset();
    dir_.make_dirs("runlog");
    manager_.set_install_dir(dir_.path());
    manager_.set_intake_enabled(false);
    ASSERT_EQ(ec::kBlOk, manager_.init(nullptr));
  }

  std::string rule_file() const { return dir_.path() + "/sec_policy/ip_blacklist.pol"; }

  test_support::TempDir dir_{true};
  rpc::IIpBlackListManager manager_;
};

TEST_F(ManagerTest, TemporaryAddLogsItsRangeAndLeavesTheRuleFilePersistentAddSavesIt) {
  const IpScope temporary{ip(10, 0, 0, 1), ip(10, 0, 0, 255), 300};
  EXPECT_EQ(rule_file(), manager_.rule_path);
  EXPECT_EQ(ec::kBlOk, manager_.add_ip_scope_into_blacklist(nullptr, temporary));
  EXPECT_EQ(
      std::vector<std::string>{
          "[add blacklist] start_ip:10.0.0.1, end_ip:10.0.0.255, time_out:300"},
      log_messages(dir_));
  EXPECT_TRUE(fake_filter().saves().empty());

  const IpScope persistent{ip(10, 0, 0, 1), ip(10, 0, 0, 255), 0};
  EXPECT_EQ(ec::kBlOk, manager_.add_ip_scope_into_blacklist(nullptr, persistent));
  EXPECT_EQ(std::vector<std::string>{rule_file()}, fake_filter().saves());
  EXPECT_EQ(2u, fake_filter().added().size());
  EXPECT_EQ("[add blacklist] start_ip:10.0.0.1, end_ip:10.0.0.255, time_out:0",
            log_messages(dir_).back());
}

TEST_F(ManagerTest, RefusedAddIsLoggedAndNotSaved) {
  const IpScope bad{ip(10, 0, 0, 9), ip(10, 0, 0, 1), 0};  // start above end
  fake_filter().script_adds({22});
  EXPECT_EQ(ec::kBlAddFailed, manager_.add_ip_scope_into_blacklist(nullptr, bad));
  EXPECT_EQ((std::vector<std::string>{
                "[add blacklist] start_ip:10.0.0.9, end_ip:10.0.0.1, time_out:0", kAddFailed}),
            log_messages(dir_));

  fake_filter().script_adds({55});
  EXPECT_EQ(ec::kBlNotOpen, manager_.add_ip_scope_into_blacklist(nullptr, bad));
  EXPECT_EQ(3u, log_messages(dir_).size()) << "55 is not logged as a failed add";
  EXPECT_TRUE(fake_filter().saves().empty());
}

TEST_F(ManagerTest, BatchStopsAtTheFirstRefusalAndSavesOnlyForPersistentAdds) {
  struct Row {
    const char* what;
    std::vector<unsigned int> time_outs;
    std::deque<int> statuses;
    ec::EC result;
    std::size_t added;
    std::size_t saves;
    std::size_t log_lines;
  };
  const Row rows[] = {
      {"second of three fails, first persistent", {0, 0, 0}, {0, 22, 0}, ec::kBlAddFailed, 1, 1, 3},
      {"second of three fails, first temporary", {60, 0, 0}, {0, 22, 0}, ec::kBlAddFailed, 1, 0, 3},
      {"all added, one persistent", {60, 0, 60}, {}, ec::kBlOk, 3, 1, 3},
      {"all temporary", {60, 60}, {}, ec::kBlOk, 2, 0, 2},
      {"first answered 55", {0, 0}, {55}, ec::kBlNotOpen, 0, 0, 1},
      {"no scopes", {}, {}, ec::kBlOk, 0, 0, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    fake_filter().reset();
    test_support::TempDir dir(true);
    dir.make_dirs("runlog");
    rpc::IIpBlackListManager manager;
    manager.set_install_dir(dir.path());
    manager.set_intake_enabled(false);
    ASSERT_EQ(ec::kBlOk, manager.init(nullptr));

    std::vector<IpScope> scopes;
    for (std::size_t i = 0; i < row.time_outs.size(); ++i)
      scopes.push_back(IpScope{ip(10, 0, 0, 1 + i), ip(10, 0, 0, 1 + i), row.time_outs[i]});
    fake_filter().script_adds(row.statuses);
    EXPECT_EQ(row.result, manager.add_ip_scope_into_blacklist2(nullptr, scopes));
    std::vector<IpScope> added = fake_filter().added();
    ASSERT_EQ(row.added, added.size());
    for (std::size_t i = 0; i < added.size(); ++i)
      EXPECT_TRUE(blacklist_test::same(scopes[i], added[i]));
    EXPECT_EQ(row.saves, fake_filter().saves().size());
    std::vector<std::string> lines = log_messages(dir);
    EXPECT_EQ(row.log_lines, lines.size());
    if (row.result == ec::kBlAddFailed && !lines.empty()) {
      EXPECT_EQ(kAddFailed, lines.back());
    }
  }
}

TEST_F(ManagerTest, DeleteSavesTheRuleFileWhateverTimeOutTheCallerGives) {
  // The filter matches by start and end: a persistent entry may be removed
  // by a request that names a time-out, and the file must forget it too.
  EXPECT_EQ(ec::kBlOk, manager_.del_ip_scope_into_blacklist(
                           nullptr, IpScope{ip(1, 2, 3, 4), ip(1, 2, 3, 4), 300}));
  EXPECT_EQ(std::vector<std::string>{rule_file()}, fake_filter().saves());

  fake_filter().set_del_status(2);
  EXPECT_EQ(ec::kBlRuleFailed, manager_.del_ip_scope_into_blacklist(
                                   nullptr, IpScope{ip(1, 2, 3, 4), ip(1, 2, 3, 4), 0}));
  EXPECT_EQ(1u, fake_filter().saves().size()) << "nothing removed, nothing saved";
}

TEST_F(ManagerTest, RulePathIsLeftEmptyRatherThanCut) {
  // "<dir>/sec_policy/ip_blacklist.pol" must fit 4096 bytes with its NUL.
  const std::size_t suffix = std::string("/sec_policy/ip_blacklist.pol").size();
  const std::size_t longest = rpc::IIpBlackListManager::kRulePathBuffer - 1 - suffix;
  rpc::IIpBlackListManager manager;
  manager.set_install_dir("/" + std::string(longest - 1, 'd'));
  EXPECT_EQ(rpc::IIpBlackListManager::kRulePathBuffer - 1, manager.get_rule_path().size());
  manager.set_install_dir("/" + std::string(longest, 'd'));
  EXPECT_EQ("", manager.get_rule_path());
}

TEST_F(ManagerTest, WithoutARulePathOnlyClearingThePersistentListSaves) {
  manager_.rule_path.clear();
  EXPECT_EQ(ec::kBlOk, manager_.add_ip_scope_into_blacklist(
                           nullptr, IpScope{ip(1, 1, 1, 1), ip(1, 1, 1, 1), 0}));
  EXPECT_EQ(ec::kBlOk, manager_.add_ip_scope_into_blacklist2(
                           nullptr, {IpScope{ip(1, 1, 1, 2), ip(1, 1, 1, 2), 0}}));
  EXPECT_EQ(ec::kBlOk, manager_.del_ip_scope_into_blacklist(
                           nullptr, IpScope{ip(1, 1, 1, 1), ip(1, 1, 1, 1), 0}));
  EXPECT_TRUE(fake_filter().saves().empty());
  EXPECT_EQ(ec::kBlOk, manager_.clear_ip_persis_blacklist(nullptr));
  EXPECT_EQ(std::vector<std::string>{""}, fake_filter().saves());
}

// Every method, with what it needs, for the status tables.
struct Method {
  const char* name;
  std::function<ec::EC(rpc::IIpBlackListManager&)> call;
  bool simple;  // one rule-set call mapped 0 / 55 / other
};

std::vector<Method> all_methods() {
  const IpScope one{ip(10, 0, 0, 1), ip(10, 0, 0, 2), 0};
  std::vector<IpScope> out;
  return {
      {"start_ip_filter", [](rpc::IIpBlackListManager& m) { return m.start_ip_filter(nullptr); },
       true},
      {"stop_ip_filter", [](rpc::IIpBlackListManager& m) { return m.stop_ip_filter(nullptr); },
       true},
      {"add_ip_scope_into_blacklist",
       [one](rpc::IIpBlackListManager& m) { return m.add_ip_scope_into_blacklist(nullptr, one); },
       false},
      {"add_ip_scope_into_blacklist2",
       [one](rpc::IIpBlackListManager& m) {
         return m.add_ip_scope_into_blacklist2(nullptr, {one});
       },
       false},
      {"del_ip_scope_into_blacklist",
       [one](rpc::IIpBlackListManager& m) { return m.del_ip_scope_into_blacklist(nullptr, one); },
       true},
      {"start_ip_persis_blacklist",
       [](rpc::IIpBlackListManager& m) { return m.start_ip_persis_blacklist(nullptr); }, true},
      {"stop_ip_persis_blacklist",
       [](rpc::IIpBlackListManager& m) { return m.stop_ip_persis_blacklist(nullptr); }, true},
      {"clear_ip_blacklist",
       [](rpc::IIpBlackListManager& m) { return m.clear_ip_blacklist(nullptr); }, true},
      {"clear_ip_temp_blacklist",
       [](rpc::IIpBlackListManager& m) { return m.clear_ip_temp_blacklist(nullptr); }, true},
      {"clear_ip_persis_blacklist",
       [](rpc::IIpBlackListManager& m) { return m.clear_ip_persis_blacklist(nullptr); }, true},
      {"query_ip_blacklist",
       [](rpc::IIpBlackListManager& m) {
         std::vector<IpScope> v;
         return m.query_ip_blacklist(nullptr, v);
       },
       false},
      {"query_ip_temp_blacklist",
       [](rpc::IIpBlackListManager& m) {
         std::vector<IpScope> v;
         return m.query_ip_temp_blacklist(nullptr, v);
       },
       false},
      {"query_ip_persis_blacklist",
       [](rpc::IIpBlackListManager& m) {
         std::vector<IpScope> v;
         return m.query_ip_persis_blacklist(nullptr, v);
       },
       false},
  };
}

TEST_F(ManagerTest, StatusesMapToTheModuleCodes) {
  for (const Method& method : all_methods()) {
    SCOPED_TRACE(method.name);
    fake_filter().set_status(55);
    EXPECT_EQ(ec::kBlNotOpen, method.call(manager_));
    if (!method.simple) continue;
    fake_filter().set_status(1);
    EXPECT_EQ(ec::kBlRuleFailed, method.call(manager_));
    fake_filter().set_status(0);
    EXPECT_EQ(ec::kBlOk, method.call(manager_));
  }
}

TEST_F(ManagerTest, ReleasedManagerAnswersNotOpenWithoutTouchingTheModule) {
  manager_.release();
  manager_.release();
  EXPECT_EQ(1, fake_filter().closes());
  EXPECT_EQ(1, fake_filter().releases());
  for (const Method& method : all_methods()) {
    SCOPED_TRACE(method.name);
    EXPECT_EQ(ec::kBlNotOpen, method.call(manager_));
  }
  EXPECT_TRUE(fake_filter().added().empty());
  EXPECT_TRUE(fake_filter().saves().empty());
}

TEST_F(ManagerTest, InitReportsWhichStepOfTheModuleFailed) {
  struct Row {
    int init_status;
    int open_status;
    ec::EC result;
  };
  const Row rows[] = {{1, 0, ec::kBlInitFailed}, {0, 1, ec::kBlOpenFailed}};
  for (const Row& row : rows) {
    fake_filter().reset();
    fake_filter().set_init_status(row.init_status);
    fake_filter().set_open_status(row.open_status);
    rpc::IIpBlackListManager manager;
    manager.set_install_dir(dir_.path());
    manager.set_intake_enabled(false);
    EXPECT_EQ(row.result, manager.init(nullptr));
    EXPECT_EQ(ec::kBlNotOpen, manager.start_ip_filter(nullptr)) << "no module to drive";
  }
}

TEST_F(ManagerTest, AddsAndTheirSavesNeverOverlap) {
  std::vector<std::thread> threads;
  for (unsigned int t = 0; t < 4; ++t) {
    threads.emplace_back([this, t] {
      for (unsigned int i = 0; i < 25; ++i) {
        IpScope scope{ip(10, t, 0, i), ip(10, t, 0, i), i % 2 == 0 ? 0u : 60u};
        if (i % 5 == 0) {
          manager_.add_ip_scope_into_blacklist2(nullptr, {scope});
        } else {
          manager_.add_ip_scope_into_blacklist(nullptr, scope);
        }
        if (i % 7 == 0) manager_.clear_ip_persis_blacklist(nullptr);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(100u, fake_filter().added().size());
  EXPECT_FALSE(fake_filter().overlapped());
  EXPECT_EQ(100u, log_messages(dir_).size()) << "one whole line per add";
}

}  // namespace
