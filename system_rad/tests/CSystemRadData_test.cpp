#include "system_rad/CSystemRadData.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdint>
#include <limits>
#include <thread>

#include "test_support/RunLogCapture.h"
#include "test_support/TempDir.h"
#include "utility/CppSQLite3.h"

namespace {

using Store = CSystemRadData;
const char kDb[] = "config/system_resource_anomaly_detect/system_resource_anomaly_detect.db";

// Every test works in a fresh working directory and leaves the store closed.
// The install tree always has config/.
class HistoryStore : public ::testing::Test {
 protected:
  void SetUp() override { dir.make_dirs("config"); }
  void TearDown() override { store->release(); }

  test_support::TempDir dir{true};
  Store* store = Store::instance();
};

TEST_F(HistoryStore, CreatesItsTablesOnceWithTheirColumns) {
  ASSERT_TRUE(store->init());
  struct stat st {};
  ASSERT_EQ(::stat("config/system_resource_anomaly_detect", &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0u);

  CppSQLite3DB db;
  db.open(kDb);
  CppSQLite3Query q = db.execQuery("select name, sql from sqlite_master where type='table' "
                                   "and name like '%_date' order by rowid");
  std::vector<std::string> tables;
  for (; !q.eof(); q.nextRow()) tables.push_back(q.getStringField("sql"));
  q.finalize();
  EXPECT_EQ(tables,
            (std::vector<std::string>{
                "CREATE TABLE cpu_date (id integer primary key autoincrement,usage integer,"
                "timestamp text)",
                "CREATE TABLE mem_date (id integer primary key autoincrement,total text,free text,"
                "timestamp text)",
                "CREATE TABLE net_date (id integer primary key autoincrement,up text,down text,"
                "timestamp text)",
                "CREATE TABLE disk_date (id integer primary key autoincrement,device text,"
                "total text,free text,timestamp text)",
                "CREATE TABLE swap_date (id integer primary key autoincrement,total text,"
                "free text,timestamp text)"}));

  // A second init on the existing database changes nothing and succeeds.
  ASSERT_TRUE(store->insert(Store::SystemRadDataCpu{"t1", 7}));
  store->release();
  ASSERT_TRUE(store->init());
  std::vector<Store::SystemRadDataCpu> rows;
  ASSERT_TRUE(store->get_cpu_all_records(rows));
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].usage, 7);
}

TEST_F(HistoryStore, EveryTableRoundTripsItsRows) {
  ASSERT_TRUE(store->init());
  const uint64_t kMax = std::numeric_limits<uint64_t>::max();
  const uint64_t kSignedMax = std::numeric_limits<int64_t>::max();
  ASSERT_TRUE(store->insert_cpu_record({"2026-12-11 10:00:00", 42}));
  ASSERT_TRUE(store->insert_mem_record({"m", kMax, kSignedMax}));
  ASSERT_TRUE(store->insert_swap_record({"s", 0, 1}));
  ASSERT_TRUE(store->insert_net_record({"n", 1048576, kMax - 1}));
  ASSERT_TRUE(store->insert_disk_record({"d", "/dev/sda1", 4096, 5}));

  std::vector<Store::SystemRadDataCpu> cpu;
  std::vector<Store::SystemRadDataMem> mem;
  std::vector<Store::SystemRadDataSwap> swap;
  std::vector<Store::SystemRadDataNet> net;
  std::vector<Store::SystemRadDataDisk> disk;
  ASSERT_TRUE(store->get_cpu_all_records(cpu));
  ASSERT_TRUE(store->get_mem_all_records(mem));
  ASSERT_TRUE(store->get_swap_all_records(swap));
  ASSERT_TRUE(store->get_net_all_records(net));
  ASSERT_TRUE(store->get_disk_all_records(disk));
  ASSERT_EQ(cpu.size(), 1u);
  EXPECT_EQ(cpu[0].timestamp, "2026-12-11 10:00:00");
  EXPECT_EQ(cpu[0].usage, 42);
  ASSERT_EQ(mem.size(), 1u);
  EXPECT_EQ(mem[0].total, kMax);
  EXPECT_EQ(mem[0].free, kSignedMax);
  ASSERT_EQ(swap.size(), 1u);
  EXPECT_EQ(swap[0].free, 1u);
  ASSERT_EQ(net.size(), 1u);
  EXPECT_EQ(net[0].up, 1048576u);
  EXPECT_EQ(net[0].down, kMax - 1);
  ASSERT_EQ(disk.size(), 1u);
  EXPECT_EQ(disk[0].device, "/dev/sda1");
  EXPECT_EQ(disk[0].total, 4096u);
  EXPECT_EQ(disk[0].timestamp, "d");

  // Amounts are decimal text in their signed reading.
  CppSQLite3DB db;
  db.open(kDb);
  CppSQLite3Query q = db.execQuery("select total, free from mem_date");
  EXPECT_STREQ(q.getStringField("total"), "-1");
  EXPECT_STREQ(q.getStringField("free"), "9223372036854775807");
}

TEST_F(HistoryStore, ReadsAmountsOtherWritersStored) {
  ASSERT_TRUE(store->init());
  CppSQLite3DB db;
  db.open(kDb);
  db.execDML("insert into net_date (up,down,timestamp) values "
             "('18446744073709551615','-2','a'),(NULL,'junk',NULL);");
  std::vector<Store::SystemRadDataNet> rows;
  ASSERT_TRUE(store->get_net_all_records(rows));
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].up, std::numeric_limits<uint64_t>::max());
  EXPECT_EQ(rows[0].down, std::numeric_limits<uint64_t>::max() - 1);
  EXPECT_EQ(rows[1].up, 0u);
  EXPECT_EQ(rows[1].down, 0u);
  EXPECT_EQ(rows[1].timestamp, "");
}

TEST_F(HistoryStore, QueryConditionIsAppliedAndRowsAppended) {
  ASSERT_TRUE(store->init());
  for (int i = 1; i <= 8; ++i) ASSERT_TRUE(store->insert(Store::SystemRadDataCpu{"t", i * 10}));
  std::vector<Store::SystemRadDataCpu> rows(1);  // kept: rows are appended
  ASSERT_TRUE(store->query("id > 5", rows));
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[1].usage, 60);
  EXPECT_EQ(rows[3].usage, 80);
}

TEST_F(HistoryStore, FailuresAreLoggedAndAnsweredFalse) {
  test_support::RunLogCapture log;
  // Closed: every operation fails without a crash.
  std::vector<Store::SystemRadDataDisk> rows;
  EXPECT_FALSE(store->insert(Store::SystemRadDataDisk{"t", "/dev/x", 1, 1}));
  EXPECT_TRUE(log.saw("写本地数据库时发生异常: "));
  EXPECT_FALSE(store->get_disk_all_records(rows));
  EXPECT_TRUE(log.saw("读取日志执行SQL失败，"));

  ASSERT_TRUE(store->init());
  EXPECT_FALSE(store->query("no_such_column = 1", rows));
  EXPECT_TRUE(rows.empty());
}

TEST_F(HistoryStore, AFailedInsertEndsItsTransaction) {
  ASSERT_TRUE(store->init());
  {
    CppSQLite3DB other;
    other.open(kDb);
    other.execDML("drop table swap_date;");
  }
  test_support::RunLogCapture log;
  EXPECT_FALSE(store->insert(Store::SystemRadDataSwap{"t", 1, 1}));
  EXPECT_TRUE(log.saw("no such table: swap_date"));
  // Had the transaction stayed open, this begin would fail.
  EXPECT_TRUE(store->insert(Store::SystemRadDataMem{"t", 1, 1}));
  std::vector<Store::SystemRadDataMem> rows;
  ASSERT_TRUE(store->get_mem_all_records(rows));
  EXPECT_EQ(rows.size(), 1u);
}

TEST_F(HistoryStore, ACorruptDatabaseFailsToOpen) {
  dir.write(kDb, std::string(4096, 'x'));
  test_support::RunLogCapture log;
  EXPECT_FALSE(store->init());
  EXPECT_TRUE(log.saw("打开[./config/system_resource_anomaly_detect/"
                      "system_resource_anomaly_detect.db]数据库时发生错误["));
  std::vector<Store::SystemRadDataCpu> rows;
  EXPECT_FALSE(store->get_cpu_all_records(rows));
}

TEST_F(HistoryStore, ALockedDatabaseIsWaitedFor) {
  ASSERT_TRUE(store->init());
  CppSQLite3DB other;
  other.open(kDb);
  other.execDML("begin exclusive;");
  std::thread unlocker([&other] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    other.execDML("commit;");
  });
  EXPECT_TRUE(store->insert(Store::SystemRadDataCpu{"t", 1}));
  unlocker.join();
  std::vector<Store::SystemRadDataCpu> rows;
  ASSERT_TRUE(store->get_cpu_all_records(rows));
  EXPECT_EQ(rows.size(), 1u);
}

TEST_F(HistoryStore, WritersAndReadersAtOnce) {
  ASSERT_TRUE(store->init());
  std::vector<std::thread> threads;
  for (int t = 0; t < 2; ++t)
    threads.emplace_back([this] {
      for (int i = 0; i < 50; ++i) EXPECT_TRUE(store->insert(Store::SystemRadDataCpu{"t", i}));
    });
  for (int t = 0; t < 2; ++t)
    threads.emplace_back([this] {
      for (int i = 0; i < 20; ++i) {
        std::vector<Store::SystemRadDataCpu> rows;
        EXPECT_TRUE(store->get_cpu_all_records(rows));
      }
    });
  for (std::thread& thread : threads) thread.join();
  std::vector<Store::SystemRadDataCpu> rows;
  ASSERT_TRUE(store->get_cpu_all_records(rows));
  EXPECT_EQ(rows.size(), 100u);
}

}  // namespace
