#include "console/CLogPrinter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "console/CCommandLine.h"
#include "console/CConsole.h"
#include "host/objects/CLogStore.h"
#include "host/objects/host_objects.h"
#include "platform/base/CRpcService.h"
#include "test_support/TempDir.h"

namespace console {
namespace {

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

// agentctl with `argv` (after the program name), through the console.
Outcome agentctl(const std::vector<std::string>& argv) {
  Outcome run;
  CCommandLine::Options options;
  std::string error;
  EXPECT_TRUE(CCommandLine::parse(argv, "/nonexistent", options, error)) << error;
  rpc::CRpcService service;
  std::ostringstream out;
  std::ostringstream err;
  CConsole console(*service.factory(), out, err);
  run.status = console.run(options);
  run.out = out.str();
  run.err = err.str();
  return run;
}

TEST(CLogPrinterTest, PrintsStoredRecordsNewestFirstWithTextsInUtf8) {
  test_support::TempDir dir;
  dir.make_dirs("runlog");
  SystemRadLog older;
  older.time_text = "2024-05-01 10:00:00";
  older.reserved_3 = 4000000000u;
  older.log_type = 3;
  older.limit = 90;
  older.value = 95;
  older.content = "cpu \"high\"";
  older.report_time = 1714557600;
  SystemRadLog newer;
  newer.source = "rad";
  newer.time_text = "2024-05-01 10:05:00";
  newer.log_type = 4;
  newer.reserved_5 = 7;
  newer.limit = -1;
  newer.value = -20;
  newer.content = "\xC4\xDA\xB4\xE6\xB8\xE6\xBE\xAF";  // "内存告警" in GBK
  newer.report_time = 1714557900;
  {
    host::CLogStore store(host::log_database_path(dir.path()));
    ASSERT_EQ(ec::kFwOk, store.append(older));
    ASSERT_EQ(ec::kFwOk, store.append(newer));
  }
  const std::string newer_line =
      R"({"source":"rad","time_text":"2024-05-01 10:05:00","reserved_3":0,"log_type":4,)"
      R"("reserved_5":7,"limit":-1,"value":-20,"content":"内存告警","report_time":1714557900})"
      "\n";
  const std::string older_line =
      R"({"source":"","time_text":"2024-05-01 10:00:00","reserved_3":4000000000,"log_type":3,)"
      R"("reserved_5":0,"limit":90,"value":95,"content":"cpu \"high\"","report_time":1714557600})"
      "\n";

  Outcome all = agentctl({"--install-dir", dir.path(), "logs"});
  EXPECT_EQ(CConsole::kExitOk, all.status);
  EXPECT_EQ(newer_line + older_line, all.out);
  EXPECT_EQ("", all.err);

  Outcome one = agentctl({"--install-dir=" + dir.path(), "logs", "--limit", "1"});
  EXPECT_EQ(CConsole::kExitOk, one.status);
  EXPECT_EQ(newer_line, one.out);
}

TEST(CLogPrinterTest, MissingDatabaseIsNoRecordsAndAnUnreadableOneFails) {
  test_support::TempDir dir;
  Outcome missing = agentctl({"--install-dir", dir.path(), "logs"});
  EXPECT_EQ(CConsole::kExitOk, missing.status);
  EXPECT_EQ("", missing.out);
  EXPECT_EQ("", missing.err);

  dir.write("runlog/agent_logs.db", std::string(4096, 'x'));
  Outcome garbage = agentctl({"--install-dir", dir.path(), "logs"});
  EXPECT_EQ(CConsole::kExitFailed, garbage.status);
  EXPECT_EQ("", garbage.out);
  EXPECT_EQ(0u, garbage.err.find("agentctl: cannot read the log records: " +
                                 host::log_database_path(dir.path()) + ": "))
      << garbage.err;
  EXPECT_EQ(1, std::count(garbage.err.begin(), garbage.err.end(), '\n')) << garbage.err;
}

}  // namespace
}  // namespace console
