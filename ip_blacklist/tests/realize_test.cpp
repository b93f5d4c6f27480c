// The realization in process: description, method table, arguments over the
// wire, and the queries' intermediate replies.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "frame/tests/RealizeFixture.h"
#include "ip_blacklist/CIfaceRealize_IIpBlackListManager.h"
#include "ip_blacklist/tests/BlacklistTest.h"
#include "ip_blacklist/tests/FakeIpFilter.h"

namespace {

using blacklist_test::fake_filter;
using blacklist_test::ip;
using rpc::IpScope;
using test_support::as_u32;
using test_support::ReadReply;

const char kIface[] = "IIpBlackListManager";
const char kScope[] = "IpScope{start_ip:u32,end_ip:u32,time_out:u32}";

// The ranges a reply's only result carries.
std::vector<IpScope> scopes_of(const ReadReply& reply) {
  std::vector<IpScope> scopes;
  if (reply.reply == nullptr || reply.results() != 1) return scopes;
  auto* elements = static_cast<std::vector<rpc::IParams*>*>(reply.result(0)->value());
  for (rpc::IParams* e : *elements)
    scopes.push_back(IpScope{as_u32(e->at(0)), as_u32(e->at(1)), as_u32(e->at(2))});
  return scopes;
}

std::vector<IpScope> numbered(std::size_t count) {
  std::vector<IpScope> list;
  for (std::size_t i = 0; i < count; ++i)
    list.push_back(IpScope{ip(20, 0, 0, 0) + static_cast<unsigned int>(i),
                           ip(20, 0, 0, 0) + static_cast<unsigned int>(i),
                           static_cast<unsigned int>(i % 3)});
  return list;
}

class BlacklistRealizeTest : public test_support::RealizeFixture {
 protected:
  void SetUp() override {
    RealizeFixture::SetUp();
    fake_filter().reset();
    dir_.make_dirs("runlog");
    realize_.implementation().set_install_dir(dir_.path());
    realize_.implementation().set_intake_enabled(false);
    ASSERT_EQ(ec::kBlOk, realize_.init(nullptr));
  }
  void TearDown() override {
    realize_.release();
    RealizeFixture::TearDown();
  }

  rpc::IParams* scope(unsigned int start, unsigned int end, unsigned int time_out) {
    return record({u32(start), u32(end), u32(time_out)});
  }

  // Runs a query method; intermediate replies land in `sent`.
  ec::EC query(const std::string& method, std::vector<std::vector<IpScope>>& sent,
               ReadReply& final_reply, ec::EC sink_result = ec::kFwOk) {
    rpc::CCommand command([&](ec::EC code, fwbase::IDataBlock* block) {
      ReadReply r;
      read(block, r);
      EXPECT_EQ(ec::kBlOk, r.code);
      EXPECT_TRUE(ec::succeeded(code));
      sent.push_back(scopes_of(r));
      return sink_result;
    });
    return call(realize_, request(kIface, method, {}), final_reply, &command);
  }

  test_support::TempDir dir_{true};
  rpc::CIfaceRealize_IIpBlackListManager realize_;
};

TEST_F(BlacklistRealizeTest, DescribesTheInterfaceAndItsThirteenMethods) {
  EXPECT_EQ("IIpBlackListManager", realize_.iatt()->name);
  EXPECT_EQ("8ee20282-7f91-4259-8eff-a3cb87e13a58", realize_.iatt()->id);
  EXPECT_EQ("IP黑名单管理接口", realize_.iatt()->description);

  const std::string scope = kScope;
  const std::map<std::string, std::pair<std::string, std::string>> expected = {
      {"start_ip_filter", {"开启IP过滤功能", "()->()"}},
      {"stop_ip_filter", {"关闭IP过滤功能", "()->()"}},
      {"add_ip_scope_into_blacklist", {"添加IP到黑名单", "(" + scope + ")->()"}},
      {"add_ip_scope_into_blacklist2", {"批量添加IP到黑名单", "([" + scope + "])->()"}},
      {"del_ip_scope_into_blacklist", {"删除黑名单中的IP", "(" + scope + ")->()"}},
      {"start_ip_persis_blacklist", {"开启IP永久黑名单功能", "()->()"}},
      {"stop_ip_persis_blacklist", {"关闭IP永久黑名单功能", "()->()"}},
      {"clear_ip_blacklist", {"清空IP黑名单", "()->()"}},
      {"clear_ip_temp_blacklist", {"清空临时IP黑名单", "()->()"}},
      {"clear_ip_persis_blacklist", {"清空永久IP黑名单", "()->()"}},
      {"query_ip_blacklist", {"查询IP黑名单", "()->([" + scope + "])"}},
      {"query_ip_temp_blacklist", {"查询临时IP黑名单", "()->([" + scope + "])"}},
      {"query_ip_persis_blacklist", {"查询永久IP黑名单", "()->([" + scope + "])"}},
  };
  ex_std::vector<const rpc::IIfaceRealize::FAtt*> fatts;
  ASSERT_EQ(ec::kRpcOk, realize_.fatts(fatts));
  std::map<std::string, std::pair<std::string, std::string>> published;
  for (const auto* f : fatts) published[f->name] = {f->description, f->signature};
  EXPECT_EQ(expected, published);
}

TEST_F(BlacklistRealizeTest, RangesArriveFieldByField) {
  ReadReply one;
  ASSERT_EQ(ec::kRpcOk, call(realize_,
                             request(kIface, "add_ip_scope_into_blacklist",
                                     {scope(ip(10, 0, 0, 1), ip(10, 0, 0, 255), 300)}),
                             one));
  EXPECT_EQ(ec::kBlOk, one.code);

  ReadReply batch;
  ASSERT_EQ(ec::kRpcOk, call(realize_,
                             request(kIface, "add_ip_scope_into_blacklist2",
                                     {array({{u32(ip(1, 1, 1, 1)), u32(ip(1, 1, 1, 9)), u32(0)},
                                             {u32(ip(2, 2, 2, 2)), u32(ip(2, 2, 2, 2)), u32(5)}})}),
                             batch));
  EXPECT_EQ(ec::kBlOk, batch.code);
  EXPECT_TRUE(blacklist_test::same(
      fake_filter().added(),
      {IpScope{ip(10, 0, 0, 1), ip(10, 0, 0, 255), 300}, IpScope{ip(1, 1, 1, 1), ip(1, 1, 1, 9), 0},
       IpScope{ip(2, 2, 2, 2), ip(2, 2, 2, 2), 5}}));
}

TEST_F(BlacklistRealizeTest, QueriesSendEvery2000EntriesAheadOfTheFinalReply) {
  struct Row {
    std::size_t entries;
    std::vector<std::size_t> intermediate;
    std::size_t final_size;
  };
  const Row rows[] = {{4500, {2000, 2000}, 500}, {2000, {2000}, 0}, {1999, {}, 1999}, {0, {}, 0}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.entries);
    fake_filter().reset();
    const std::vector<IpScope> list = numbered(row.entries);
    fake_filter().set_list(blacklist_test::kAll, list);
    std::vector<std::vector<IpScope>> sent;
    ReadReply final_reply;
    ASSERT_EQ(ec::kRpcOk, query("query_ip_blacklist", sent, final_reply));
    EXPECT_EQ(ec::kBlOk, final_reply.code);

    std::vector<IpScope> all;
    ASSERT_EQ(row.intermediate.size(), sent.size());
    for (std::size_t i = 0; i < sent.size(); ++i) {
      EXPECT_EQ(row.intermediate[i], sent[i].size());
      all.insert(all.end(), sent[i].begin(), sent[i].end());
    }
    std::vector<IpScope> rest = scopes_of(final_reply);
    EXPECT_EQ(row.final_size, rest.size());
    all.insert(all.end(), rest.begin(), rest.end());
    EXPECT_TRUE(blacklist_test::same(list, all)) << "every entry once, in order";
    if (row.entries == 0) {
      EXPECT_EQ(0, fake_filter().buffered_queries()) << "nothing allocated";
    }
  }
}

TEST_F(BlacklistRealizeTest, EachQueryReadsItsOwnList) {
  fake_filter().set_list(blacklist_test::kAll, numbered(3));
  fake_filter().set_list(blacklist_test::kTemp, numbered(2));
  fake_filter().set_list(blacklist_test::kPersis, numbered(1));
  const std::pair<const char*, std::size_t> rows[] = {
      {"query_ip_blacklist", 3}, {"query_ip_temp_blacklist", 2}, {"query_ip_persis_blacklist", 1}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.first);
    std::vector<std::vector<IpScope>> sent;
    ReadReply final_reply;
    ASSERT_EQ(ec::kRpcOk, query(row.first, sent, final_reply));
    EXPECT_EQ(row.second, scopes_of(final_reply).size());
  }
}

TEST_F(BlacklistRealizeTest, QueryFailuresReachTheConsole) {
  fake_filter().set_list(blacklist_test::kAll, numbered(4500));
  std::vector<std::vector<IpScope>> sent;
  ReadReply refused;
  ASSERT_EQ(ec::kRpcOk, query("query_ip_blacklist", sent, refused, ec::kFwIo));
  EXPECT_EQ(ec::kBlSendFailed, refused.code);
  EXPECT_EQ(1u, sent.size()) << "the first refused send ends the query";

  const std::pair<int, ec::EC> statuses[] = {{55, ec::kBlNotOpen}, {5, ec::kBlQueryFailed}};
  for (const auto& row : statuses) {
    SCOPED_TRACE(row.first);
    fake_filter().set_status(row.first);
    ReadReply reply;
    ASSERT_EQ(ec::kRpcOk, query("query_ip_blacklist", sent, reply));
    EXPECT_EQ(row.second, reply.code);
    EXPECT_EQ(0u, reply.results());
  }
}

TEST_F(BlacklistRealizeTest, AListThatGrowsWhileBeingReadIsReadWhole) {
  fake_filter().set_list(blacklist_test::kAll, numbered(10));
  fake_filter().grow_after_sizing(5);
  std::vector<std::vector<IpScope>> sent;
  ReadReply reply;
  ASSERT_EQ(ec::kRpcOk, query("query_ip_blacklist", sent, reply));
  EXPECT_EQ(ec::kBlOk, reply.code);
  EXPECT_EQ(15u, scopes_of(reply).size());
}

}  // namespace
