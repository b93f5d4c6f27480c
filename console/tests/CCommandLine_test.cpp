#include "console/CCommandLine.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <limits>

namespace console {
namespace {

const char kDefaultDir[] = "/opt/agent";

TEST(CCommandLineTest, ReadsCommandsAndSocket) {
  CCommandLine::Options options;
  std::string error;
  ASSERT_TRUE(CCommandLine::parse({"list"}, kDefaultDir, options, error));
  EXPECT_EQ("list", options.command);
  EXPECT_EQ("/opt/agent/tmp/agent.sock", options.socket);

  ASSERT_TRUE(CCommandLine::parse({"--socket", "/s", "call", "I", "m", "--socket", "-1"},
                                  kDefaultDir, options, error));
  EXPECT_EQ("/s", options.socket);
  EXPECT_EQ((std::vector<std::string>{"I", "m", "--socket", "-1"}), options.args);

  ASSERT_TRUE(CCommandLine::parse({"--socket=/t", "--help"}, kDefaultDir, options, error));
  EXPECT_TRUE(options.help);
  EXPECT_EQ("/t", options.socket);
}

TEST(CCommandLineTest, InstallDirectoryGivesTheDatabaseAndTheDefaultSocket) {
  static const struct {
    std::vector<std::string> argv;
    const char* install_dir;
    const char* socket;
  } rows[] = {
      {{"logs"}, kDefaultDir, "/opt/agent/tmp/agent.sock"},
      {{"--install-dir", "/x/", "list"}, "/x/", "/x/tmp/agent.sock"},
      {{"--install-dir=/x", "logs"}, "/x", "/x/tmp/agent.sock"},
      {{"--socket", "/s", "--install-dir", "/x", "list"}, "/x", "/s"},
      {{"--install-dir", "/x", "--socket=/s", "list"}, "/x", "/s"},
  };
  for (const auto& row : rows) {
    CCommandLine::Options options;
    std::string error;
    ASSERT_TRUE(CCommandLine::parse(row.argv, kDefaultDir, options, error)) << error;
    EXPECT_EQ(row.install_dir, options.install_dir);
    EXPECT_EQ(row.socket, options.socket);
  }
}

TEST(CCommandLineTest, ReadsTheLogsLimit) {
  const std::size_t kMax = std::numeric_limits<std::size_t>::max();
  static const struct {
    std::vector<std::string> argv;
    std::size_t limit;
  } rows[] = {
      {{"logs"}, CCommandLine::kDefaultLimit},
      {{"logs", "--limit", "1"}, 1},
      {{"logs", "--limit=007"}, 7},
      {{"logs", "--limit", "5", "--limit", "2"}, 2},
      {{"logs", "--limit", "99999999999999999999999"}, kMax},
  };
  for (const auto& row : rows) {
    CCommandLine::Options options;
    std::string error;
    ASSERT_TRUE(CCommandLine::parse(row.argv, kDefaultDir, options, error)) << error;
    EXPECT_EQ("logs", options.command);
    EXPECT_EQ(row.limit, options.limit);
  }
}

TEST(CCommandLineTest, RefusesBadCommandLines) {
  static const struct {
    std::vector<std::string> argv;
    const char* error;
  } errors[] = {
      {{}, "no command"},
      {{"--socket"}, "needs a path"},
      {{"--socket="}, "needs a path"},
      {{"--install-dir", "logs"}, "no command"},
      {{"--install-dir"}, "--install-dir needs a directory"},
      {{"--install-dir=", "logs"}, "--install-dir needs a directory"},
      {{"--verbose", "list"}, "unknown option \"--verbose\""},
      {{"status"}, "unknown command \"status\""},
      {{"list", "x"}, "list takes no arguments"},
      {{"call", "ITestIface"}, "needs an interface and a method"},
      {{"logs", "--limit"}, "--limit needs a positive integer"},
      {{"logs", "--limit="}, "--limit needs a positive integer"},
      {{"logs", "--limit", "0"}, "positive integer, not \"0\""},
      {{"logs", "--limit", "-3"}, "positive integer, not \"-3\""},
      {{"logs", "--limit", "+3"}, "positive integer, not \"+3\""},
      {{"logs", "--limit", "12x"}, "positive integer, not \"12x\""},
      {{"logs", "--limit", " 1"}, "positive integer, not \" 1\""},
      {{"logs", "5"}, "logs takes only --limit N, not \"5\""},
      {{"logs", "--limitless"}, "logs takes only --limit N"},
  };
  for (const auto& row : errors) {
    CCommandLine::Options options;
    std::string error;
    EXPECT_FALSE(CCommandLine::parse(row.argv, kDefaultDir, options, error)) << row.error;
    EXPECT_NE(std::string::npos, error.find(row.error)) << error;
  }
}

}  // namespace
}  // namespace console
