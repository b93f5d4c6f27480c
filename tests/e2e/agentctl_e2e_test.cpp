// agentctl driving a real agent_host that has loaded the test plug-in.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "test_support/CHostProcess.h"
#include "test_support/TempDir.h"
#include "test_support/test_paths.h"

namespace {

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

// The lines of `text`, without their line feeds.
std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> result;
  std::string::size_type start = 0;
  while (start < text.size()) {
    std::string::size_type end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    result.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return result;
}

class AgentctlTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new test_support::TempDir();
    host_ = new test_support::CHostProcess(dir_->file("host.log"));
    if (!host_->start(std::string(AGENT_BIN_DIR) + "/agent_host", dir_->path(), AGENT_LIB_DIR,
                      "test_iface")) {
      start_error_ = new std::string(host_->error() + "\n" + host_->log_text());
    }
  }

  static void TearDownTestSuite() {
    EXPECT_EQ(0, host_->stop());
    delete host_;
    delete dir_;
    delete start_error_;
    start_error_ = nullptr;
  }

  void SetUp() override {
    ASSERT_EQ(nullptr, start_error_) << *start_error_;
  }

  // Runs agentctl on the host's socket (unless the arguments name another).
  static Outcome agentctl(std::vector<std::string> args, bool own_socket = true) {
    if (own_socket) args.insert(args.begin(), {"--socket", host_->socket_path()});
    args.insert(args.begin(), std::string(AGENT_BIN_DIR) + "/agentctl");
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(&arg[0]);
    argv.push_back(nullptr);
    std::string out_path = dir_->file("agentctl.out");
    std::string err_path = dir_->file("agentctl.err");
    int out_fd = ::open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    int err_fd = ::open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    Outcome run;
    pid_t pid = ::fork();
    if (pid == 0) {
      ::dup2(out_fd, STDOUT_FILENO);
      ::dup2(err_fd, STDERR_FILENO);
      ::execv(argv[0], argv.data());
      ::_exit(127);
    }
    ::close(out_fd);
    ::close(err_fd);
    int raw = 0;
    if (pid > 0 && ::waitpid(pid, &raw, 0) == pid && WIFEXITED(raw)) run.status = WEXITSTATUS(raw);
    run.out = test_support::read_file(out_path);
    run.err = test_support::read_file(err_path);
    return run;
  }

  static test_support::TempDir* dir_;
  static test_support::CHostProcess* host_;
  static std::string* start_error_;
};

test_support::TempDir* AgentctlTest::dir_ = nullptr;
test_support::CHostProcess* AgentctlTest::host_ = nullptr;
std::string* AgentctlTest::start_error_ = nullptr;

TEST_F(AgentctlTest, ListShowsTheInterfaceAndItsMethodsInUtf8) {
  Outcome run = agentctl({"list"});
  ASSERT_EQ(0, run.status) << run.err;
  EXPECT_EQ("", run.err);
  std::vector<std::string> shown = lines(run.out);
  ASSERT_FALSE(shown.empty());
  EXPECT_EQ("ITestIface  5b0e6f3c-2a41-4c8e-9d17-0c6a2f4e8b91  测试接口", shown[0]);
  static const char* const methods[] = {
      "    echo_u32  (u32)->(u32)  回显数字",
      "    add_u64  (u64,u64)->(u64)  64位加法",
      "    echo_record  (TestRecord{id:u32,name:string,size:u64})->"
      "(TestRecord{id:u32,name:string,size:u64})  回显记录",
      "    stream_records  (u32,u32)->([TestRecord{id:u32,name:string,size:u64}])  分批返回记录",
  };
  for (const char* method : methods) {
    EXPECT_NE(std::string::npos, run.out.find(std::string(method) + "\n")) << method;
  }
}

TEST_F(AgentctlTest, CallsPrintOneJsonLine) {
  static const struct {
    std::vector<std::string> args;
    std::string line;
  } cases[] = {
      {{"echo_u32", "4294967295"}, R"({"code":"0x98FF0000","ok":true,"results":[4294967295]})"},
      {{"add_u64", "5000000000", "18000000000000000000"},
       R"({"code":"0x98FF0000","ok":true,"results":[18000000005000000000]})"},
      {{"echo_text", "\"中文 text\""},
       R"({"code":"0x98FF0000","ok":true,"results":["中文 text"]})"},
      {{"echo_flag", "false"}, R"({"code":"0x98FF0000","ok":true,"results":[false]})"},
      {{"echo_record", R"({"size": 6000000000, "name": "名字", "id": 9})"},
       R"({"code":"0x98FF0000","ok":true,"results":[{"id":9,"name":"名字","size":6000000000}]})"},
      {{"describe", "3", "\"三\"", "true"},
       R"({"code":"0x98FF0000","ok":true,"results":["3|三|true"]})"},
      {{"join_records", R"([{"id":1,"name":"a","size":2},{"id":3,"name":"b","size":4}])"},
       R"({"code":"0x98FF0000","ok":true,"results":["1:a:2;3:b:4;"]})"},
      {{"big_reply", "100"},
       R"({"code":"0x98FF0000","ok":true,"results":[")" + std::string(100, 'x') + "\"]}"},
  };
  for (const auto& row : cases) {
    std::vector<std::string> args = {"call", "ITestIface"};
    args.insert(args.end(), row.args.begin(), row.args.end());
    Outcome run = agentctl(args);
    EXPECT_EQ(0, run.status) << row.args[0] << ": " << run.err;
    EXPECT_EQ(row.line + "\n", run.out) << row.args[0];
    EXPECT_EQ("", run.err) << row.args[0];
  }
}

TEST_F(AgentctlTest, IntermediateRepliesComeBeforeTheFinal) {
  Outcome run = agentctl({"call", "ITestIface", "stream_records", "5", "2"});
  ASSERT_EQ(0, run.status) << run.err;
  std::vector<std::string> expected = {
      R"({"code":"0x98FF0000","ok":true,"results":[[{"id":0,"name":"record-0","size":0},)"
      R"({"id":1,"name":"record-1","size":1000}]]})",
      R"({"code":"0x98FF0000","ok":true,"results":[[{"id":2,"name":"record-2","size":2000},)"
      R"({"id":3,"name":"record-3","size":3000}]]})",
      R"({"code":"0x98FF0000","ok":true,"results":[[{"id":4,"name":"record-4","size":4000}]]})",
  };
  EXPECT_EQ(expected, lines(run.out));
}

TEST_F(AgentctlTest, FailuresExitWithOne) {
  Outcome failed = agentctl({"call", "ITestIface", "fail_with", "406585351"});  // 0x183C0007
  EXPECT_EQ(1, failed.status);
  EXPECT_EQ("{\"code\":\"0x183C0007\",\"ok\":false,\"results\":[]}\n", failed.out);

  Outcome too_long = agentctl({"call", "ITestIface", "big_reply", "70000"});
  EXPECT_EQ(1, too_long.status);
  EXPECT_EQ("{\"code\":\"0x840C000C\",\"ok\":false,\"results\":[]}\n", too_long.out);
  EXPECT_NE(std::string::npos, too_long.err.find("no reply")) << too_long.err;
}

TEST_F(AgentctlTest, UsageErrorsExitWithTwoAndCallNothing) {
  static const struct {
    std::vector<std::string> args;
    const char* error;
  } errors[] = {
      {{"call", "INoSuch", "echo_u32", "1"}, "unknown interface \"INoSuch\""},
      {{"call", "ITestIface", "Echo_u32", "1"}, "has no method \"Echo_u32\""},
      {{"call", "ITestIface", "add_u64", "1"}, "takes 2 argument(s)"},
      {{"call", "ITestIface", "echo_u32", "1", "2"}, "takes 1 argument(s)"},
      {{"call", "ITestIface", "echo_u32", "4294967296"}, "argument 1: expects an integer"},
      {{"call", "ITestIface", "echo_text", "plain"}, "argument 1 is not valid JSON"},
      {{"call", "ITestIface", "echo_record", R"({"id":1,"name":"a"})"},
       "missing field \"size\""},
      {{"call", "ITestIface"}, "needs an interface and a method"},
      {{"frobnicate"}, "unknown command"},
  };
  Outcome before = agentctl({"call", "ITestIface", "calls"});
  for (const auto& row : errors) {
    Outcome run = agentctl(row.args);
    EXPECT_EQ(2, run.status) << row.error;
    EXPECT_EQ("", run.out) << row.error;
    EXPECT_NE(std::string::npos, run.err.find(row.error)) << run.err;
  }
  // `calls` counts every call but itself: none of the refused ones got there.
  Outcome after = agentctl({"call", "ITestIface", "calls"});
  ASSERT_EQ(0, before.status);
  ASSERT_EQ(0, after.status);
  unsigned long counted = std::stoul(before.out.substr(before.out.find("[") + 1));
  EXPECT_EQ(counted, std::stoul(after.out.substr(after.out.find("[") + 1))) << after.out;
}

TEST_F(AgentctlTest, UnreachableSocketExitsWithTwo) {
  std::string missing = dir_->file("no/such.sock");
  Outcome run = agentctl({"--socket", missing, "list"}, false);
  EXPECT_EQ(2, run.status);
  EXPECT_EQ("", run.out);
  EXPECT_NE(std::string::npos, run.err.find("cannot reach the agent at " + missing)) << run.err;
}

}  // namespace
