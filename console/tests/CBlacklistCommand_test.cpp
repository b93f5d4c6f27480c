// What the blacklist command does before and without reaching an agent; its
// conversation with a real agent is covered by the end-to-end tests.
#include "console/CBlacklistCommand.h"

#include <gtest/gtest.h>

#include <sstream>

#include "platform/base/CRpcService.h"
#include "test_support/TempDir.h"

namespace console {
namespace {

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

Outcome blacklist(const std::string& socket, const std::vector<std::string>& args) {
  rpc::CRpcService service;
  std::ostringstream out;
  std::ostringstream err;
  Outcome run;
  run.status = CBlacklistCommand(*service.factory(), out, err).run(socket, args);
  run.out = out.str();
  run.err = err.str();
  return run;
}

TEST(CBlacklistCommandTest, HelpAndUsageErrorsNeedNoAgent) {
  test_support::TempDir dir;
  std::string socket = dir.file("absent.sock");
  Outcome help = blacklist(socket, {"--help"});
  EXPECT_EQ(0, help.status);
  EXPECT_NE(std::string::npos, help.out.find("timeout=300")) << help.out;

  Outcome reversed = blacklist(socket, {"add", "10.0.0.9-10.0.0.1"});
  EXPECT_EQ(2, reversed.status);
  EXPECT_EQ("", reversed.out);
  EXPECT_EQ(
      "agentctl: range \"10.0.0.9-10.0.0.1\" ends below its start (see agentctl blacklist "
      "--help)\n",
      reversed.err);
}

TEST(CBlacklistCommandTest, AnUnreachableAgentIsAConnectionError) {
  test_support::TempDir dir;
  Outcome run = blacklist(dir.file("absent.sock"), {"list"});
  EXPECT_EQ(2, run.status);
  EXPECT_NE(std::string::npos, run.err.find("cannot reach the agent at " + dir.file("absent.sock")))
      << run.err;
}

}  // namespace
}  // namespace console
