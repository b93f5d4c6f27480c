#include "console/CCommandLine.h"

#include <gtest/gtest.h>

namespace console {
namespace {

const char kDefault[] = "/opt/agent/tmp/agent.sock";

TEST(CCommandLineTest, ReadsCommandsAndSocket) {
  CCommandLine::Options options;
  std::string error;
  ASSERT_TRUE(CCommandLine::parse({"list"}, kDefault, options, error));
  EXPECT_EQ("list", options.command);
  EXPECT_EQ(kDefault, options.socket);

  ASSERT_TRUE(CCommandLine::parse({"--socket", "/s", "call", "I", "m", "--socket", "-1"},
                                  kDefault, options, error));
  EXPECT_EQ("/s", options.socket);
  EXPECT_EQ((std::vector<std::string>{"I", "m", "--socket", "-1"}), options.args);

  ASSERT_TRUE(CCommandLine::parse({"--socket=/t", "--help"}, kDefault, options, error));
  EXPECT_TRUE(options.help);
  EXPECT_EQ("/t", options.socket);
}

TEST(CCommandLineTest, RefusesBadCommandLines) {
  static const struct {
    std::vector<std::string> argv;
    const char* error;
  } errors[] = {
      {{}, "no command"},
      {{"--socket"}, "needs a path"},
      {{"--socket="}, "needs a path"},
      {{"--verbose", "list"}, "unknown option \"--verbose\""},
      {{"status"}, "unknown command \"status\""},
      {{"list", "x"}, "list takes no arguments"},
      {{"call", "ITestIface"}, "needs an interface and a method"},
  };
  for (const auto& row : errors) {
    CCommandLine::Options options;
    std::string error;
    EXPECT_FALSE(CCommandLine::parse(row.argv, kDefault, options, error)) << row.error;
    EXPECT_NE(std::string::npos, error.find(row.error)) << error;
  }
}

}  // namespace
}  // namespace console
