// The realization machinery, driven in process through the test interface.
#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "frame/tests/RealizeFixture.h"
#include "platform/base/CRunLog.h"
#include "tests/test_iface/CIfaceRealize_ITestIface.h"

namespace {

using test_support::ReadReply;
using test_support::as_flag;
using test_support::as_text;
using test_support::as_u32;
using test_support::as_u64;

const char kIface[] = "ITestIface";

class RealizeTest : public test_support::RealizeFixture {
 protected:
  void SetUp() override {
    RealizeFixture::SetUp();
    ASSERT_EQ(rpc::kTestOk, realize_.init(nullptr));
  }
  void TearDown() override {
    realize_.release();
    RealizeFixture::TearDown();
  }

  unsigned int calls() { return realize_.implementation().call_count(); }

  rpc::CIfaceRealize_ITestIface realize_;
};

TEST_F(RealizeTest, PublishesItsDescriptionAndSortedMethodTable) {
  const rpc::IIfaceRealize::IAtt* att = realize_.iatt();
  EXPECT_EQ("ITestIface", att->name);
  EXPECT_EQ(36u, att->id.size());
  EXPECT_EQ("测试接口", att->description);
  EXPECT_EQ("", att->extra);

  ex_std::vector<const rpc::IIfaceRealize::FAtt*> fatts;
  fatts.push_back(nullptr);  // stale content is dropped
  ASSERT_EQ(ec::kRpcOk, realize_.fatts(fatts));
  ASSERT_EQ(13u, fatts.size());
  for (std::size_t i = 1; i < fatts.size(); ++i) EXPECT_LT(fatts[i - 1]->name, fatts[i]->name);
  EXPECT_EQ("add_u64", fatts.front()->name);
  EXPECT_EQ("stream_records", fatts.back()->name);

  std::map<std::string, std::string> signatures;
  for (const auto* f : fatts) signatures[f->name] = f->signature;
  EXPECT_EQ("(u64,u64)->(u64)", signatures["add_u64"]);
  EXPECT_EQ("(u32,string,bool)->(string)", signatures["describe"]);
  EXPECT_EQ("(TestRecord{id:u32,name:string,size:u64})->(TestRecord{id:u32,name:string,size:u64})",
            signatures["echo_record"]);
  EXPECT_EQ("([TestRecord{id:u32,name:string,size:u64}])->(string)", signatures["join_records"]);
  EXPECT_EQ("(u32)->()", signatures["sleep_ms"]);
  EXPECT_EQ("()->(u32)", signatures["calls"]);
}

TEST_F(RealizeTest, ArgumentsLandInOrderAndResultsComeBack) {
  ReadReply r1;
  ASSERT_EQ(ec::kRpcOk,
            call(realize_, request(kIface, "describe", {u32(42), text("\xd6\xd0"), flag(true)}), r1));
  ASSERT_TRUE(r1.parsed);
  EXPECT_EQ(rpc::kTestOk, r1.code);
  ASSERT_EQ(1u, r1.results());
  EXPECT_EQ("42|\xd6\xd0|true", as_text(r1.result(0)));

  ReadReply r2;
  ASSERT_EQ(ec::kRpcOk, call(realize_, request(kIface, "add_u64", {u64(1ull << 40), u64(5)}), r2));
  EXPECT_EQ((1ull << 40) + 5, as_u64(r2.result(0)));

  ReadReply r3;
  ASSERT_EQ(ec::kRpcOk, call(realize_, request(kIface, "echo_flag", {flag(false)}), r3));
  EXPECT_FALSE(as_flag(r3.result(0)));
}

TEST_F(RealizeTest, RecordsAndArraysTravelFieldByField) {
  ReadReply rec;
  ASSERT_EQ(ec::kRpcOk, call(realize_,
                             request(kIface, "echo_record",
                                     {record({u32(9), text("nine"), u64(0xFFFFFFFFFFull)})}),
                             rec));
  ASSERT_EQ(1u, rec.results());
  rpc::IParams* value = rec.result(0);
  ASSERT_EQ(rpc::kTypeRecord, value->type());
  rpc::IParams* fields = static_cast<rpc::IParams*>(value->value());
  ASSERT_EQ(3u, fields->count());
  EXPECT_EQ(9u, as_u32(fields->at(0)));
  EXPECT_EQ("nine", as_text(fields->at(1)));
  EXPECT_EQ(0xFFFFFFFFFFull, as_u64(fields->at(2)));

  ReadReply arr;
  ASSERT_EQ(ec::kRpcOk,
            call(realize_,
                 request(kIface, "join_records",
                         {array({{u32(1), text("a"), u64(10)}, {u32(2), text("b"), u64(20)}})}),
                 arr));
  EXPECT_EQ("1:a:10;2:b:20;", as_text(arr.result(0)));
}

TEST_F(RealizeTest, RefusesRequestsItCannotServe) {
  struct Row {
    const char* what;
    std::string block;
    ec::EC code;
  };
  const std::string good = request(kIface, "echo_u32", {u32(1)});
  const Row rows[] = {
      {"other interface's method", request(kIface, "query_ip_blacklist", {}), ec::kRpcNoMethod},
      {"differs in case", request(kIface, "Echo_u32", {u32(1)}), ec::kRpcNoMethod},
      {"argument missing", request(kIface, "echo_u32", {}), ec::kRpcMissingArg},
      {"argument of another type", request(kIface, "echo_u32", {text("1")}), ec::kRpcMissingArg},
      {"record field missing", request(kIface, "echo_record", {record({u32(1), text("x")})}),
       ec::kRpcMissingArg},
      {"record field of another type",
       request(kIface, "echo_record", {record({u32(1), u32(2), u64(3)})}), ec::kRpcMissingArg},
      {"array element short", request(kIface, "join_records", {array({{u32(1), text("a")}})}),
       ec::kRpcMissingArg},
      {"scalar where a record belongs", request(kIface, "echo_record", {u32(1)}),
       ec::kRpcMissingArg},
      {"shorter than the header", good.substr(0, 3), ec::kRpcParse},
      {"shorter than the interface name", good.substr(0, 6), ec::kRpcParse},
      {"payload cut short", good.substr(0, good.size() - 1), ec::kRpcParse},
      {"trailing garbage", good + "x", ec::kRpcParse},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    unsigned int before = calls();
    ReadReply reply;
    EXPECT_EQ(row.code, call(realize_, row.block, reply));
    EXPECT_EQ(nullptr, reply.reply) << "no reply block";
    EXPECT_EQ(before, calls()) << "the implementation must not run";
  }
}

TEST_F(RealizeTest, AFailingMethodRepliesWithItsCodeAlone) {
  ReadReply reply;
  ASSERT_EQ(ec::kRpcOk, call(realize_, request(kIface, "fail_with", {u32(0x183C0007)}), reply));
  ASSERT_TRUE(reply.parsed);
  EXPECT_EQ(0x183C0007u, reply.code);
  EXPECT_EQ(0u, reply.results());

  // The records built before the failure are freed (the sanitizer build
  // reports a leak otherwise) and nothing of them travels.
  ReadReply records;
  ASSERT_EQ(ec::kRpcOk,
            call(realize_, request(kIface, "fail_records", {u32(0x18FF0001)}), records));
  EXPECT_EQ(0x18FF0001u, records.code);
  EXPECT_EQ(0u, records.results());
}

TEST_F(RealizeTest, ReplyLimitIs65519Bytes) {
  ReadReply empty;
  ASSERT_EQ(ec::kRpcOk, call(realize_, request(kIface, "big_reply", {u32(0)}), empty));
  const unsigned int overhead = static_cast<unsigned int>(empty.length);

  ReadReply largest;
  ASSERT_EQ(ec::kRpcOk,
            call(realize_, request(kIface, "big_reply", {u32(65519 - overhead)}), largest));
  EXPECT_EQ(65519u, largest.length);

  std::vector<std::pair<std::string, std::string>> lines;
  fwbase::CRunLog::set_observer(
      [&lines](unsigned, const std::string& text, const std::string& location) {
        lines.emplace_back(text, location);
      });
  ReadReply too_long;
  EXPECT_EQ(ec::kRpcReplyTooLong,
            call(realize_, request(kIface, "big_reply", {u32(65520 - overhead)}), too_long));
  fwbase::CRunLog::set_observer(nullptr);
  EXPECT_EQ(nullptr, too_long.reply);
  ASSERT_EQ(1u, lines.size());
  EXPECT_EQ("请求包数据超长:65520(B)", lines[0].first);
  EXPECT_NE(std::string::npos, lines[0].second.find("cf_big_reply"));
  EXPECT_EQ(0u, lines[0].second.find("this(0x"));
}

TEST_F(RealizeTest, IntermediateRepliesGoOutThroughTheCommand) {
  std::vector<std::pair<ec::EC, std::vector<unsigned int>>> sent;
  rpc::CCommand command([this, &sent](ec::EC code, fwbase::IDataBlock* block) {
    ReadReply r;
    read(block, r);
    std::vector<unsigned int> ids;
    auto* elements = static_cast<std::vector<rpc::IParams*>*>(r.result(0)->value());
    for (rpc::IParams* e : *elements) ids.push_back(as_u32(e->at(0)));
    EXPECT_EQ(rpc::kTestOk, r.code);
    sent.emplace_back(code, ids);
    return ec::kFwOk;
  });
  ReadReply final_reply;
  ASSERT_EQ(ec::kRpcOk, call(realize_, request(kIface, "stream_records", {u32(5), u32(2)}),
                             final_reply, &command));
  ASSERT_EQ(2u, sent.size());
  EXPECT_TRUE(ec::succeeded(sent[0].first));
  EXPECT_EQ((std::vector<unsigned int>{0, 1}), sent[0].second);
  EXPECT_EQ((std::vector<unsigned int>{2, 3}), sent[1].second);
  auto* rest = static_cast<std::vector<rpc::IParams*>*>(final_reply.result(0)->value());
  ASSERT_EQ(1u, rest->size());
  EXPECT_EQ(4u, as_u32((*rest)[0]->at(0)));
  EXPECT_EQ("record-4", as_text((*rest)[0]->at(1)));
}

TEST_F(RealizeTest, AnIntermediateReplyWithoutACommandIsRefused) {
  fwbase::IDataBlock* in = block_of(request(kIface, "stream_records", {u32(3), u32(1)}));
  fwbase::IDataBlock* out = nullptr;
  EXPECT_EQ(ec::kRpcOk, realize_.call_func(in, out, nullptr));
  in->release();
  ASSERT_NE(nullptr, out);
  ReadReply reply;
  read(out, reply);
  EXPECT_EQ(ec::kFwBadArgument, reply.code) << "the method sees the refusal and fails";
}

TEST_F(RealizeTest, ServesSeveralThreadsAtOnce) {
  std::vector<std::thread> threads;
  std::atomic<int> good{0};
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([this, t, &good] {
      for (unsigned int i = 0; i < 200; ++i) {
        ReadReply r;
        unsigned int v = static_cast<unsigned int>(t) * 1000 + i;
        if (call(realize_, request(kIface, "echo_u32", {u32(v)}), r) == ec::kRpcOk &&
            as_u32(r.result(0)) == v)
          ++good;
      }
    });
  }
  for (auto& th : threads) th.join();
  EXPECT_EQ(800, good.load());
}

class LifecycleTest : public test_support::RealizeFixture {};

TEST_F(LifecycleTest, NoFactoryBeforeInitAndNothingAfterRelease) {
  rpc::CIfaceRealize_ITestIface realize;
  ReadReply reply;
  EXPECT_EQ(ec::kRpcCreateRequest, call(realize, request(kIface, "calls", {}), reply));

  ASSERT_EQ(rpc::kTestOk, realize.init(nullptr));
  realize.release();
  ex_std::vector<const rpc::IIfaceRealize::FAtt*> fatts;
  EXPECT_EQ(ec::kRpcOk, realize.fatts(fatts));
  EXPECT_TRUE(fatts.empty());
  EXPECT_EQ("ITestIface", realize.iatt()->name) << "the texts stay";
  EXPECT_EQ(ec::kRpcCreateRequest, call(realize, request(kIface, "calls", {}), reply));
}

TEST_F(LifecycleTest, InitFailsWithoutTheRpcObject) {
  env()->unregister_object("obj.fws.rpc");
  rpc::CIfaceRealize_ITestIface realize;
  EXPECT_EQ(ec::kFwNotFound, realize.init(nullptr));
}

}  // namespace
