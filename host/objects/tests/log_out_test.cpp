#include <gtest/gtest.h>
#include <sys/stat.h>

#include <memory>
#include <string>
#include <vector>

#include "host/objects/CLogOut.h"
#include "test_support/RunLogCapture.h"
#include "test_support/TempDir.h"

namespace {

SystemRadLog make_log(int value) {
  SystemRadLog log;
  log.time_text = "2024-03-05 07:08:09";
  log.reserved_3 = 0xFFFFFFFFu;
  log.log_type = 3;
  log.reserved_5 = 17;
  log.limit = 90;
  log.value = value;
  log.content = "CPU使用率出现异常，当前使用率:" + std::to_string(value) + "%";
  log.report_time = 1709622489 + value;
  return log;
}

void expect_same(const SystemRadLog& want, const SystemRadLog& got) {
  EXPECT_EQ(want.source, got.source);
  EXPECT_EQ(want.time_text, got.time_text);
  EXPECT_EQ(want.reserved_3, got.reserved_3);
  EXPECT_EQ(want.log_type, got.log_type);
  EXPECT_EQ(want.reserved_5, got.reserved_5);
  EXPECT_EQ(want.limit, got.limit);
  EXPECT_EQ(want.value, got.value);
  EXPECT_EQ(want.content, got.content);
  EXPECT_EQ(want.report_time, got.report_time);
}

class LogOutTest : public ::testing::Test {
 protected:
  std::string db() const { return dir_.file("runlog/agent_logs.db"); }

  test_support::TempDir dir_;
  test_support::RunLogCapture log_;
  host::CLogOut log_out_ = host::CLogOut::for_install_dir(dir_.path());
};

TEST_F(LogOutTest, RecordsComeBackNewestFirstWithEveryField) {
  dir_.make_dirs("runlog");
  std::vector<SystemRadLog> written = {make_log(91), make_log(95), make_log(99)};
  written[1].source = "/dev/sda1";
  written[2].content.clear();
  for (SystemRadLog& log : written) ASSERT_EQ(ec::kFwOk, log_out_.write_log(&log));

  std::vector<host::StoredLogRecord> records;
  ASSERT_TRUE(host::read_log_records(db(), 2, records));
  ASSERT_EQ(2u, records.size());
  expect_same(written[2], records[0].log);
  expect_same(written[1], records[1].log);
  EXPECT_GT(records[0].id, records[1].id);

  struct stat info;
  ASSERT_EQ(0, ::stat(db().c_str(), &info));
  EXPECT_EQ(0600u, info.st_mode & 0777);
}

TEST_F(LogOutTest, NullRecordIsABadArgument) {
  EXPECT_EQ(ec::kFwBadArgument, log_out_.write_log(nullptr));
}

TEST_F(LogOutTest, MissingDirectoryFailsUntilItAppears) {
  SystemRadLog log = make_log(93);
  EXPECT_EQ(ec::kHostObjStorage, log_out_.write_log(&log));
  EXPECT_TRUE(log_.saw(db()));
  dir_.make_dirs("runlog");
  EXPECT_EQ(ec::kFwOk, log_out_.write_log(&log));
  std::vector<host::StoredLogRecord> records;
  ASSERT_TRUE(host::read_log_records(db(), 10, records));
  EXPECT_EQ(1u, records.size());
}

TEST_F(LogOutTest, OldestRecordsAreDroppedBeyondTheLimit) {
  dir_.make_dirs("runlog");
  host::CLogOut small(std::make_shared<host::CLogStore>(db(), 3));
  for (int value = 1; value <= 5; ++value) {
    SystemRadLog log = make_log(value);
    ASSERT_EQ(ec::kFwOk, small.write_log(&log));
  }
  std::vector<host::StoredLogRecord> records;
  ASSERT_TRUE(host::read_log_records(db(), 10, records));
  ASSERT_EQ(3u, records.size());
  EXPECT_EQ(5, records[0].log.value);
  EXPECT_EQ(3, records[2].log.value);
}

TEST_F(LogOutTest, ReaderOnMissingAndDamagedDatabases) {
  std::vector<host::StoredLogRecord> records;
  EXPECT_TRUE(host::read_log_records(db(), 10, records)) << "no database yet: no records";
  EXPECT_TRUE(records.empty());

  dir_.write("runlog/agent_logs.db", std::string(4096, 'x'));
  std::string error;
  EXPECT_FALSE(host::read_log_records(db(), 10, records, &error));
  EXPECT_NE(std::string::npos, error.find(db()));
  SystemRadLog log = make_log(90);
  EXPECT_EQ(ec::kHostObjStorage, log_out_.write_log(&log));
  EXPECT_EQ(std::string(4096, 'x'), dir_.read("runlog/agent_logs.db"));
}

}  // namespace
