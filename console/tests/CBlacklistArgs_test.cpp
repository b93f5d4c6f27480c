#include "console/CBlacklistArgs.h"

#include <gtest/gtest.h>

namespace console {
namespace {

std::string joined(const std::vector<std::string>& args) {
  std::string text;
  for (const std::string& arg : args) text += arg + " ";
  return text;
}

TEST(CBlacklistArgsTest, MapsCommandsOntoMethods) {
  static const struct {
    std::vector<std::string> args;
    CBlacklistArgs::Verb verb;
    const char* method;
  } rows[] = {
      {{"filter", "on"}, CBlacklistArgs::kFilter, "start_ip_filter"},
      {{"filter", "off"}, CBlacklistArgs::kFilter, "stop_ip_filter"},
      {{"persis", "on"}, CBlacklistArgs::kPersis, "start_ip_persis_blacklist"},
      {{"persis", "off"}, CBlacklistArgs::kPersis, "stop_ip_persis_blacklist"},
      {{"list"}, CBlacklistArgs::kList, "query_ip_blacklist"},
      {{"list", "--temp"}, CBlacklistArgs::kList, "query_ip_temp_blacklist"},
      {{"list", "--persis"}, CBlacklistArgs::kList, "query_ip_persis_blacklist"},
      {{"clear"}, CBlacklistArgs::kClear, "clear_ip_blacklist"},
      {{"clear", "--temp"}, CBlacklistArgs::kClear, "clear_ip_temp_blacklist"},
      {{"clear", "--persis"}, CBlacklistArgs::kClear, "clear_ip_persis_blacklist"},
      {{"add", "10.0.0.1"}, CBlacklistArgs::kAdd, "add_ip_scope_into_blacklist"},
      {{"del", "10.0.0.1"}, CBlacklistArgs::kDel, "del_ip_scope_into_blacklist"},
      {{"post", "10.0.0.1"}, CBlacklistArgs::kPost, ""},
      {{"--help"}, CBlacklistArgs::kHelp, ""},
      {{"add", "-h"}, CBlacklistArgs::kHelp, ""},
  };
  for (const auto& row : rows) {
    CBlacklistArgs::Action action;
    std::string error;
    ASSERT_TRUE(CBlacklistArgs::parse(row.args, action, error)) << joined(row.args) << error;
    EXPECT_EQ(row.verb, action.verb) << joined(row.args);
    EXPECT_EQ(row.method, action.method) << joined(row.args);
  }
}

TEST(CBlacklistArgsTest, ReadsTheRangeAndTimeOut) {
  static const struct {
    std::vector<std::string> args;
    rpc::IpScope scope;
  } rows[] = {
      {{"add", "10.0.0.1-10.0.0.255", "--timeout", "300"}, {0x0A000001, 0x0A0000FF, 300}},
      {{"add", "--timeout=4294967295", "10.0.0.1"}, {0x0A000001, 0x0A000001, 4294967295u}},
      {{"add", "1.2.3.4-1.2.3.4"}, {0x01020304, 0x01020304, 0}},
      {{"post", "10.1.1.1-10.1.1.9"}, {0x0A010101, 0x0A010109, 0}},
      {{"post", "10.1.1.1", "--timeout", "60"}, {0x0A010101, 0x0A010101, 60}},
      {{"del", "10.0.0.1-10.0.0.255"}, {0x0A000001, 0x0A0000FF, 0}},
  };
  for (const auto& row : rows) {
    CBlacklistArgs::Action action;
    std::string error;
    ASSERT_TRUE(CBlacklistArgs::parse(row.args, action, error)) << joined(row.args) << error;
    EXPECT_TRUE(action.has_scope);
    EXPECT_EQ(row.scope.start_ip, action.scope.start_ip) << joined(row.args);
    EXPECT_EQ(row.scope.end_ip, action.scope.end_ip) << joined(row.args);
    EXPECT_EQ(row.scope.time_out, action.scope.time_out) << joined(row.args);
  }
}

TEST(CBlacklistArgsTest, RefusesBadCommandLines) {
  static const struct {
    std::vector<std::string> args;
    const char* error;
  } errors[] = {
      {{}, "needs a command"},
      {{"ban", "10.0.0.1"}, "unknown blacklist command \"ban\""},
      {{"add"}, "needs a range"},
      {{"add", "10.0.0.1", "10.0.0.2"}, "takes one range"},
      {{"add", "10.0.0.9-10.0.0.1"}, "ends below its start"},
      {{"add", "10.0.0.300"}, "not an IPv4 address"},
      {{"add", "10.0.0.1", "--timeout"}, "needs a number of seconds"},
      {{"add", "10.0.0.1", "--timeout", "0"}, "not \"0\""},
      {{"add", "10.0.0.1", "--timeout", "4294967296"}, "not \"4294967296\""},
      {{"add", "10.0.0.1", "--timeout", "-5"}, "not \"-5\""},
      {{"add", "10.0.0.1", "--timeout=12s"}, "not \"12s\""},
      {{"add", "10.0.0.1", "--timeout", "5", "--timeout", "6"}, "given twice"},
      {{"add", "10.0.0.1", "--temp"}, "does not take \"--temp\""},
      {{"del", "10.0.0.1", "--timeout", "5"}, "does not take \"--timeout\""},
      {{"list", "--temp", "--persis"}, "at most one"},
      {{"list", "--all"}, "not \"--all\""},
      {{"clear", "10.0.0.1"}, "not \"10.0.0.1\""},
      {{"filter"}, "exactly one of on and off"},
      {{"filter", "yes"}, "exactly one of on and off"},
      {{"persis", "on", "off"}, "exactly one of on and off"},
  };
  for (const auto& row : errors) {
    CBlacklistArgs::Action action;
    std::string error;
    EXPECT_FALSE(CBlacklistArgs::parse(row.args, action, error)) << joined(row.args);
    EXPECT_NE(std::string::npos, error.find(row.error)) << joined(row.args) << ": " << error;
  }
}

}  // namespace
}  // namespace console
