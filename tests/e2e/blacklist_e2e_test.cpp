// agentctl blacklist driving a real agent_host that has loaded the IP
// blacklist plug-in. The host runs in mount, network and IPC namespaces of
// its own: its packet filter and its intake queue never touch the machine.
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "frame/wire.h"
#include "platform/base/CRpcService.h"
#include "test_support/CHostProcess.h"
#include "test_support/CProgram.h"
#include "test_support/TempDir.h"
#include "test_support/test_paths.h"

namespace {

using test_support::CProgram;

const char kRuleFile[] = "install/sec_policy/ip_blacklist.pol";
const char kIface[] = "IIpBlackListManager";

std::vector<std::string> sorted_lines(const std::string& text) {
  std::vector<std::string> lines;
  std::string::size_type start = 0;
  while (start < text.size()) {
    std::string::size_type end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  std::sort(lines.begin(), lines.end());
  return lines;
}

std::string namespace_of(const std::string& pid, const char* kind) {
  char target[128] = {0};
  std::string link = "/proc/" + pid + "/ns/" + kind;
  ssize_t n = ::readlink(link.c_str(), target, sizeof target - 1);
  return n > 0 ? std::string(target, static_cast<std::size_t>(n)) : std::string();
}

// `count` IpScope records 10.<i>.0.1-10.<i>.0.9 ... as a JSON array.
std::string scopes_json(int count) {
  std::string json = "[";
  for (int i = 0; i < count; ++i) {
    unsigned start = 0x0B000000u + static_cast<unsigned>(i) * 16;
    json += (i ? "," : "") + std::string("{\"start_ip\":") + std::to_string(start) +
            ",\"end_ip\":" + std::to_string(start + 9) + ",\"time_out\":0}";
  }
  return json + "]";
}

class BlacklistTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    if (!test_support::CHostProcess::namespaces_available(why)) GTEST_SKIP() << why;
    dir_.reset(new test_support::TempDir());
    dir_->make_dirs("install/sec_policy");
    install_ = dir_->file("install");
    host_.reset(new test_support::CHostProcess(dir_->file("host.log")));
    host_->use_private_namespaces(install_);
    start_host();
  }

  void TearDown() override {
    if (host_ && host_->pid() > 0) {
      EXPECT_EQ(0, host_->stop()) << host_->log_text();
    }
  }

  void start_host() {
    ASSERT_TRUE(host_->start(std::string(AGENT_BIN_DIR) + "/agent_host", install_, AGENT_LIB_DIR,
                             "ip_blacklist"))
        << host_->error() << "\n" << host_->log_text();
  }

  CProgram::Outcome agentctl(std::vector<std::string> args, bool in_host_ipc = false) {
    args.insert(args.begin(), {std::string(AGENT_BIN_DIR) + "/agentctl", "--socket",
                               host_->socket_path()});
    return CProgram::run(args, dir_->path(), in_host_ipc ? host_->ipc_namespace() : "");
  }

  // Runs `blacklist ARGS`, expecting success.
  std::string blacklist_ok(std::vector<std::string> args) {
    args.insert(args.begin(), "blacklist");
    CProgram::Outcome run = agentctl(args);
    EXPECT_EQ(0, run.status) << args[1] << ": " << run.err;
    EXPECT_EQ("", run.err) << args[1];
    return run.out;
  }

  std::vector<std::string> listed(const std::string& part = std::string()) {
    std::vector<std::string> args = {"list"};
    if (!part.empty()) args.push_back(part);
    return sorted_lines(blacklist_ok(args));
  }

  std::unique_ptr<test_support::TempDir> dir_;
  std::unique_ptr<test_support::CHostProcess> host_;
  std::string install_;
};

TEST_F(BlacklistTest, TheHostRunsInNamespacesOfItsOwn) {
  std::string child = std::to_string(host_->pid());
  for (const char* kind : {"net", "ipc", "mnt"}) {
    EXPECT_NE(namespace_of("self", kind), namespace_of(child, kind)) << kind;
    EXPECT_NE("", namespace_of(child, kind)) << kind;
  }
}

TEST_F(BlacklistTest, SwitchesAddsListsDeletesAndClears) {
  EXPECT_EQ("IP filtering is on\n", blacklist_ok({"filter", "on"}));
  EXPECT_EQ("the persistent blacklist is on\n", blacklist_ok({"persis", "on"}));
  EXPECT_EQ("added 10.0.0.1-10.0.0.255 (temporary, 300 s)\n",
            blacklist_ok({"add", "10.0.0.1-10.0.0.255", "--timeout", "300"}));
  EXPECT_EQ("added 10.0.1.5-10.0.1.5 (persistent)\n", blacklist_ok({"add", "10.0.1.5"}));
  blacklist_ok({"add", "192.168.0.0-192.168.255.255"});

  EXPECT_EQ((std::vector<std::string>{"10.0.0.1-10.0.0.255 timeout=300", "10.0.1.5-10.0.1.5",
                                      "192.168.0.0-192.168.255.255"}),
            listed());
  EXPECT_EQ((std::vector<std::string>{"10.0.0.1-10.0.0.255 timeout=300"}), listed("--temp"));
  EXPECT_EQ((std::vector<std::string>{"10.0.1.5-10.0.1.5", "192.168.0.0-192.168.255.255"}),
            listed("--persis"));

  EXPECT_EQ("deleted 10.0.1.5-10.0.1.5\n", blacklist_ok({"del", "10.0.1.5"}));
  CProgram::Outcome again = agentctl({"blacklist", "del", "10.0.1.5"});
  EXPECT_EQ(1, again.status);
  EXPECT_NE(std::string::npos, again.err.find("blacklist del 10.0.1.5 failed: 0x183C0000"))
      << again.err;

  EXPECT_EQ("cleared the temporary blacklist\n", blacklist_ok({"clear", "--temp"}));
  EXPECT_EQ((std::vector<std::string>{"192.168.0.0-192.168.255.255"}), listed());
  EXPECT_EQ("cleared the blacklist\n", blacklist_ok({"clear"}));
  EXPECT_TRUE(listed().empty());
  EXPECT_EQ("IP filtering is off\n", blacklist_ok({"filter", "off"}));
  EXPECT_EQ("the persistent blacklist is off\n", blacklist_ok({"persis", "off"}));
}

TEST_F(BlacklistTest, ABatchOfExactlyOneReplyListsInFull) {
  // 2,000 entries come back as one intermediate reply and an empty final one.
  CProgram::Outcome add = agentctl({"call", kIface, "add_ip_scope_into_blacklist2",
                                    scopes_json(2000)});
  ASSERT_EQ(0, add.status) << add.err;
  blacklist_ok({"add", "10.0.0.1", "--timeout", "60"});
  std::vector<std::string> all = listed();
  ASSERT_EQ(2001u, all.size());
  EXPECT_EQ("10.0.0.1-10.0.0.1 timeout=60", all[0]);
  EXPECT_EQ("11.0.0.0-11.0.0.9", all[1]);
  EXPECT_EQ(2000u, listed("--persis").size());
}

TEST_F(BlacklistTest, PersistentEntriesSurviveARestart) {
  blacklist_ok({"add", "10.0.1.5-10.0.1.6"});
  blacklist_ok({"add", "10.0.2.5", "--timeout", "600"});
  blacklist_ok({"add", "172.16.0.1"});
  blacklist_ok({"del", "172.16.0.1"});
  EXPECT_NE("", dir_->read(kRuleFile));
  ASSERT_EQ(0, host_->stop()) << host_->log_text();
  start_host();
  EXPECT_EQ((std::vector<std::string>{"10.0.1.5-10.0.1.6"}), listed());
}

TEST_F(BlacklistTest, PostedRangesAreAdded) {
  CProgram::Outcome post =
      agentctl({"blacklist", "post", "10.1.1.1-10.1.1.9"}, true);
  ASSERT_EQ(0, post.status) << post.err;
  EXPECT_NE(std::string::npos, post.out.find("posted 10.1.1.1-10.1.1.9 (persistent)"))
      << post.out;
  ASSERT_EQ(0, agentctl({"blacklist", "post", "10.2.2.2", "--timeout", "90"}, true).status);
  std::vector<std::string> expected = {"10.1.1.1-10.1.1.9", "10.2.2.2-10.2.2.2 timeout=90"};
  // The intake thread adds them on its own time.
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (listed() != expected && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_EQ(expected, listed());
  EXPECT_NE(std::string::npos, dir_->read(kRuleFile).find("10.1.1.1")) << dir_->read(kRuleFile);
}

TEST_F(BlacklistTest, BadRangesAreRefusedAndTheAgentKeepsServing) {
  static const struct {
    std::vector<std::string> args;
    const char* error;
  } rows[] = {
      {{"call", kIface, "add_ip_scope_into_blacklist",
        R"({"start_ip":167772169,"end_ip":167772161,"time_out":0})"},
       "0x183C0008"},
      {{"blacklist", "add", "0.0.0.0"}, "failed: 0x183C0008 (the packet filter refused the range)"},
      {{"blacklist", "add", "255.255.255.255"}, "failed: 0x183C0008"},
  };
  for (const auto& row : rows) {
    CProgram::Outcome run = agentctl(row.args);
    EXPECT_EQ(1, run.status) << row.args.back();
    EXPECT_NE(std::string::npos, (run.out + run.err).find(row.error))
        << row.args.back() << ": " << run.out << run.err;
  }
  blacklist_ok({"add", "10.0.0.1"});
  EXPECT_EQ((std::vector<std::string>{"10.0.0.1-10.0.0.1"}), listed());
}

TEST_F(BlacklistTest, AnOverLongBatchIsRefusedAndTheAgentKeepsServing) {
  // agentctl refuses such a request itself; this one goes straight to the socket.
  rpc::CRpcService service;
  rpc::IRpcFactory& factory = *service.factory();
  rpc::IRequest* request = factory.create_request("add_ip_scope_into_blacklist2");
  ASSERT_NE(nullptr, request);
  std::vector<rpc::IParams*> elements;
  for (unsigned i = 0; i < 4000; ++i) {
    rpc::IParams* element = factory.create_list();
    for (unsigned value : {0x0B000000u + i * 16, 0x0B000000u + i * 16 + 9, 0u}) {
      element->append(factory.create_value(rpc::kTypeUInt32, &value, rpc::kCopy));
    }
    elements.push_back(element);
  }
  request->params()->append(factory.create_value(rpc::kTypeArray, &elements, rpc::kCopy));
  std::string payload(request->size(), '\0');
  ASSERT_EQ(payload.size(), request->serialize(&payload[0], payload.size()));
  request->release();
  std::string block = wire::make_request_block(kIface, payload);
  ASSERT_GT(block.size(), wire::kMaxRequestBody);
  int fd = wire::connect_unix(host_->socket_path());
  ASSERT_GE(fd, 0);
  std::string body;
  bool answered = wire::write_frame(fd, block.data(), block.size()) &&
                  wire::read_frame(fd, body, wire::kMaxReplyBody);
  ::close(fd);
  if (answered) {
    ASSERT_GE(body.size(), wire::kReplyHeader);
    EXPECT_TRUE(ec::failed(wire::get_u32(reinterpret_cast<const unsigned char*>(body.data()) + 1)));
  }
  EXPECT_TRUE(listed().empty());
  blacklist_ok({"add", "10.0.0.1"});
  EXPECT_EQ(1u, listed().size());
}

}  // namespace
