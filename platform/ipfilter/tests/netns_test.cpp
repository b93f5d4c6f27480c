// Enforcement in the kernel, seen from the network: the test runs in a child
// process with a network namespace of its own ("server"), joined by a veth
// pair to a second namespace ("client") from which TCP connects are tried.
// Nothing here touches the machine's own namespace, and both namespaces
// vanish with their processes.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sched.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/ipfilter/CIpsetKernelFilter.h"
#include "platform/ipfilter/CIpsetSocket.h"
#include "platform/ipfilter/CSecModelIpFilter.h"
#include "test_support/RunLogCapture.h"
#include "test_support/TempDir.h"

namespace ipfilter {
namespace {

const char kServer[] = "10.99.0.1";
const uint16_t kPort = 8099;
const int kConnectTimeoutMs = 600;

std::string g_skip_reason;  // set when the namespace pair cannot be built
int g_client_channel = -1;  // socket to the client process

uint32_t ip(const char* text) {
  in_addr addr;
  inet_pton(AF_INET, text, &addr);
  return ntohl(addr.s_addr);
}

std::string find_ip_tool() {
  for (const char* path : {"/usr/sbin/ip", "/sbin/ip", "/usr/bin/ip", "/bin/ip"})
    if (access(path, X_OK) == 0) return path;
  return "";
}

// Runs `ip` with fixed arguments, output discarded; true on exit code 0.
bool ip_tool(std::vector<std::string> args) {
  static const std::string tool = find_ip_tool();
  if (tool.empty()) return false;
  args.insert(args.begin(), tool);
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(&arg[0]);
  argv.push_back(nullptr);
  const pid_t child = fork();
  if (child == 0) {
    const int null_fd = open("/dev/null", O_RDWR);
    dup2(null_fd, 1);
    dup2(null_fd, 2);
    execv(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) &&
         WEXITSTATUS(status) == 0;
}

// True when a TCP connection from `source` to the server completes in time.
bool try_connect(uint32_t source) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  sockaddr_in local = {};
  local.sin_family = AF_INET;
  local.sin_addr.s_addr = htonl(source);
  sockaddr_in remote = {};
  remote.sin_family = AF_INET;
  remote.sin_port = htons(kPort);
  inet_pton(AF_INET, kServer, &remote.sin_addr);
  bool ok = false;
  if (bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) == 0) {
    int r = connect(fd, reinterpret_cast<sockaddr*>(&remote), sizeof remote);
    if (r != 0 && errno == EINPROGRESS) {
      pollfd p = {fd, POLLOUT, 0};
      int error = 0;
      socklen_t len = sizeof error;
      r = poll(&p, 1, kConnectTimeoutMs) == 1 &&
                  getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &len) == 0 && error == 0
              ? 0
              : -1;
    }
    ok = r == 0;
  }
  close(fd);
  return ok;
}

// The client: its own namespace, one end of the veth, and a loop answering
// "connect from this source?" requests until the channel closes.
void run_client(int channel, pid_t server_pid) {
  if (unshare(CLONE_NEWNET) != 0 ||
      !ip_tool({"link", "add", "name", "vc", "type", "veth", "peer", "name", "vs", "netns",
                std::to_string(server_pid)}) ||
      !ip_tool({"link", "set", "lo", "up"}) || !ip_tool({"link", "set", "vc", "up"}))
    _exit(1);
  for (int host = 2; host <= 9; ++host)
    if (!ip_tool({"addr", "add", "10.99.0." + std::to_string(host) + "/24", "dev", "vc"})) _exit(1);
  char ready = 1;
  if (write(channel, &ready, 1) != 1) _exit(1);
  uint32_t source;
  while (read(channel, &source, sizeof source) == sizeof source) {
    const char answer = try_connect(source) ? 1 : 0;
    if (write(channel, &answer, 1) != 1) break;
  }
  _exit(0);
}

// Builds the pair from inside the server namespace; empty on success.
std::string build_namespaces() {
  if (find_ip_tool().empty()) return "the ip tool is not installed";
  int pair[2];
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) return "no socketpair";
  const pid_t server_pid = getpid();
  const pid_t client = fork();
  if (client == 0) {
    close(pair[0]);
    run_client(pair[1], server_pid);
  }
  close(pair[1]);
  char ready = 0;
  if (client < 0 || read(pair[0], &ready, 1) != 1)
    return "the client namespace or the veth pair could not be created";
  if (!ip_tool({"link", "set", "lo", "up"}) ||
      !ip_tool({"addr", "add", std::string(kServer) + "/24", "dev", "vs"}) ||
      !ip_tool({"link", "set", "vs", "up"}))
    return "the server side of the veth could not be configured";
  g_client_channel = pair[0];
  return "";
}

class Listener {
 public:
  Listener() : fd_(socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0)) {
    const int one = 1;
    setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr = {};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(kPort);
    inet_pton(AF_INET, kServer, &addr.sin_addr);
    ok_ = bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 && listen(fd_, 64) == 0;
  }
  ~Listener() { close(fd_); }
  bool ok() const { return ok_; }
  void drain() {
    int conn;
    while ((conn = accept(fd_, nullptr, nullptr)) >= 0) close(conn);
  }

 private:
  int fd_;
  bool ok_;
};

class NetnsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!g_skip_reason.empty()) GTEST_SKIP() << g_skip_reason;
    ASSERT_TRUE(listener_.ok());
    kernel_.reset(new CIpsetKernelFilter());
    if (!kernel_->open()) GTEST_SKIP() << "ip_set or iptables is not usable in a namespace here";
    dir_.make_dirs("sec_policy");
    module_ = make_module();
    ASSERT_EQ(0, module_->open());
    ASSERT_TRUE(module_->rule_set().enforcing());
  }
  void TearDown() override {
    if (module_) {
      module_->close();
      module_->remove_kernel_state();
    }
    // Every kernel operation succeeded: a failure would have been logged.
    const std::vector<std::string> lines = log_.lines();
    EXPECT_TRUE(lines.empty()) << (lines.empty() ? "" : lines.front());
  }
  std::unique_ptr<CSecModelIpFilter> make_module() {
    return std::unique_ptr<CSecModelIpFilter>(
        new CSecModelIpFilter(dir_.file("sec_policy/ip_blacklist.pol"),
                              dir_.file("sec_policy/ip_filter.state"), *kernel_));
  }
  bool reachable(const char* source) {
    const uint32_t address = ip(source);
    char answer = 0;
    const bool asked = write(g_client_channel, &address, sizeof address) == sizeof address &&
                       read(g_client_channel, &answer, 1) == 1;
    listener_.drain();
    return asked && answer == 1;
  }
  int add(const char* first, const char* last, uint32_t time_out) {
    const rpc::IpScope scope{ip(first), ip(last), time_out};
    return module_->rules()->add_scope(&scope);
  }
  int del(const char* first, const char* last) {
    const rpc::IpScope scope{ip(first), ip(last), 0};
    return module_->rules()->del_scope(&scope);
  }

  test_support::TempDir dir_;
  Listener listener_;
  std::unique_ptr<CIpsetKernelFilter> kernel_;
  std::unique_ptr<CSecModelIpFilter> module_;
  test_support::RunLogCapture log_;
};

TEST_F(NetnsTest, BlacklistedSourcesAreDroppedUntilDeleted) {
  ASSERT_TRUE(reachable("10.99.0.2"));
  ASSERT_EQ(0, add("10.99.0.2", "10.99.0.3", 0));
  EXPECT_FALSE(reachable("10.99.0.2"));
  EXPECT_FALSE(reachable("10.99.0.3"));
  EXPECT_TRUE(reachable("10.99.0.4"));
  // An overlapping range of several blocks, deleted again: the addresses
  // the first range still covers stay blocked.
  ASSERT_EQ(0, add("10.99.0.3", "10.99.0.6", 0));
  EXPECT_FALSE(reachable("10.99.0.5"));
  ASSERT_EQ(0, del("10.99.0.3", "10.99.0.6"));
  EXPECT_FALSE(reachable("10.99.0.3"));
  EXPECT_TRUE(reachable("10.99.0.5"));
  ASSERT_EQ(0, del("10.99.0.2", "10.99.0.3"));
  EXPECT_TRUE(reachable("10.99.0.2"));
}

// Element messages go out without acknowledgements; a failure must still
// come back to the caller, for a single element and for a list.
TEST_F(NetnsTest, ElementFailuresAreReportedWithoutAcknowledgements) {
  CIpsetSocket socket;
  ASSERT_EQ(0, socket.open());
  const std::vector<IpsetElement> one = {{ip("10.98.0.1"), 32, 0}};
  const std::vector<IpsetElement> two = {{ip("10.98.0.1"), 32, 0}, {ip("10.98.1.0"), 24, 0}};
  EXPECT_NE(0, socket.add("zelmor_bl_absent", one, false));
  EXPECT_NE(0, socket.add("zelmor_bl_absent", two, false));
  ASSERT_EQ(0, socket.create("zelmor_bl_probe", false, 64));
  EXPECT_EQ(0, socket.add("zelmor_bl_probe", two, false));
  EXPECT_EQ(0, socket.del("zelmor_bl_probe", one));
  EXPECT_EQ(0, socket.destroy("zelmor_bl_probe"));
  EXPECT_NE(0, socket.del("zelmor_bl_probe", one));
}

TEST_F(NetnsTest, TemporaryEntryLapsesAfterItsTimeOut) {
  ASSERT_EQ(0, add("10.99.0.6", "10.99.0.6", 1));
  EXPECT_FALSE(reachable("10.99.0.6"));
  std::this_thread::sleep_for(std::chrono::milliseconds(2000));
  EXPECT_TRUE(reachable("10.99.0.6"));
}

TEST_F(NetnsTest, SwitchesDecideWhichSetsAreMatched) {
  ASSERT_EQ(0, add("10.99.0.7", "10.99.0.7", 0));
  ASSERT_EQ(0, add("10.99.0.8", "10.99.0.8", 300));
  ASSERT_EQ(0, module_->rules()->stop_persis());
  EXPECT_TRUE(reachable("10.99.0.7"));
  EXPECT_FALSE(reachable("10.99.0.8"));
  ASSERT_EQ(0, module_->rules()->stop_filter());
  EXPECT_TRUE(reachable("10.99.0.8"));
  ASSERT_EQ(0, module_->rules()->start_filter());
  ASSERT_EQ(0, module_->rules()->start_persis());
  EXPECT_FALSE(reachable("10.99.0.7"));
  EXPECT_FALSE(reachable("10.99.0.8"));
}

TEST_F(NetnsTest, PersistentBansHoldAcrossARestart) {
  ASSERT_EQ(0, add("10.99.0.9", "10.99.0.9", 0));
  ASSERT_EQ(0, module_->rules()->save_persis(dir_.file("sec_policy/ip_blacklist.pol").c_str()));
  module_->close();
  EXPECT_FALSE(reachable("10.99.0.9"));  // closed: the kernel keeps enforcing
  module_ = make_module();
  ASSERT_EQ(0, module_->open());
  EXPECT_FALSE(reachable("10.99.0.9"));
  module_->close();
  module_->remove_kernel_state();
  EXPECT_TRUE(reachable("10.99.0.9"));
}

}  // namespace
}  // namespace ipfilter

// The tests run in a child with its own network namespace; the parent only
// waits for it, so the machine's firewall is never touched.
int main(int argc, char** argv) {
  const pid_t child = fork();
  if (child < 0) return 1;
  if (child > 0) {
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
  }
  ::testing::InitGoogleTest(&argc, argv);
  if (unshare(CLONE_NEWNET) != 0)
    ipfilter::g_skip_reason = "no network namespaces here (unshare failed)";
  else
    ipfilter::g_skip_reason = ipfilter::build_namespaces();
  const int result = RUN_ALL_TESTS();
  if (ipfilter::g_client_channel >= 0) close(ipfilter::g_client_channel);
  while (wait(nullptr) > 0) {
  }
  return result;
}
