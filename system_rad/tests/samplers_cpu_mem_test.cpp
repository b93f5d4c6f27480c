// CPU and memory samplers against fixture files.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "system_rad/CCpuInfo.h"
#include "system_rad/CMemInfo.h"
#include "system_rad/tests/samplers_test_env.h"

namespace system_rad_test {
namespace {

using utility::CCpuInfo;
using utility::CMemInfo;

class CpuInfoTest : public SamplingTest {};
class MemInfoTest : public SamplingTest {};

std::string name_of(const CCpuInfo::CpuStatEnt& entry) {
  return std::string(entry.name, strnlen(entry.name, sizeof(entry.name)));
}

TEST_F(CpuInfoTest, ReadsPerCpuLinesOfACapturedFile) {
  env().proc_stat = fixture("captured/stat");
  CCpuInfo::CpuStat stat;
  ASSERT_EQ(0, CCpuInfo::get_cpu_stat(stat));
  ASSERT_EQ(2, stat.count);
  ASSERT_EQ(2u, stat.items.size());
  EXPECT_EQ("cpu0", name_of(stat.items[0]));
  EXPECT_EQ("cpu1", name_of(stat.items[1]));
  const CCpuInfo::CpuStatEnt& cpu1 = stat.items[1];
  // cpu1 337974 0 59289 585793 3745 0 865 2821 0 0
  EXPECT_EQ(337974, cpu1.user);
  EXPECT_EQ(0, cpu1.nice);
  EXPECT_EQ(59289, cpu1.system);
  EXPECT_EQ(585793, cpu1.idle);
  EXPECT_EQ(3745, cpu1.iowait);
  EXPECT_EQ(0, cpu1.irq);
  EXPECT_EQ(865, cpu1.softirq);
}

TEST_F(CpuInfoTest, ResultCodesAndWhatIsTaken) {
  const std::string long_line = "intr " + std::string(3000, '7') + "\n";
  struct Row {
    const char* what;
    std::string content;
    int result;
    int count;
  };
  const Row rows[] = {
      {"summary only", "cpu  1 2 3 4 5 6 7 8 9 10\nintr 1 2\n", 5, 0},
      {"empty", "", 5, 0},
      {"too few fields", "cpu0 1 2 3 4 5 6\n", 5, 0},
      {"exactly eight fields", "cpu0 1 2 3 4 5 6 7\n", 0, 1},
      {"leading blanks", "  \tcpu3 1 2 3 4 5 6 7\n", 0, 1},
      {"any cpu prefix", "cpuX 1 2 3 4 5 6 7\nxcpu0 1 2 3 4 5 6 7\n", 0, 1},
      {"garbage numbers", "cpu0 a b c d e f g\ncpu1 99999999999999999999 -1 x 4 5 6 7\n", 0, 2},
      {"binary", std::string("cpu0 \x01\xff\x00 2 3 4 5 6 7\n\xfe\xfe\n", 25), 5, 0},
      {"line longer than the buffer", "cpu0 1 2 3 4 5 6 7\n" + long_line + "cpu1 1 2 3 4 5 6 7\n",
       0, 2},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    env().proc_stat = write("stat", row.content);
    CCpuInfo::CpuStat stat;
    EXPECT_EQ(row.result, CCpuInfo::get_cpu_stat(stat));
    EXPECT_EQ(row.count, stat.count);
    EXPECT_EQ(static_cast<std::size_t>(row.count), stat.items.size());
  }
  env().proc_stat = missing();
  CCpuInfo::CpuStat stat;
  EXPECT_EQ(1, CCpuInfo::get_cpu_stat(stat));
}

TEST_F(CpuInfoTest, FieldsAreCopiedWithinTheirBounds) {
  env().proc_stat = write("stat",
                          "cpu0123456789abcdefXYZ 1 2 3 4 5 6 7 8 9\n"
                          "cpu1 99999999999999999999 -5 0 0 0 0 0\n");
  CCpuInfo::CpuStat stat;
  ASSERT_EQ(0, CCpuInfo::get_cpu_stat(stat));
  ASSERT_EQ(2, stat.count);
  // Sixteen bytes of the name, no terminating zero.
  EXPECT_EQ(0, std::memcmp("cpu0123456789abc", stat.items[0].name, 16));
  EXPECT_EQ(7, stat.items[0].softirq);  // further fields ignored
  EXPECT_EQ(0, stat.items[1].user);     // does not fit: 0
  EXPECT_EQ(-5, stat.items[1].nice);
}

CCpuInfo::CpuStat snapshot(std::initializer_list<CCpuInfo::CpuStatEnt> entries) {
  CCpuInfo::CpuStat stat;
  stat.items = entries;
  stat.count = static_cast<int32_t>(stat.items.size());
  return stat;
}

TEST_F(CpuInfoTest, UsageBetweenTwoSnapshots) {
  const CCpuInfo::CpuStatEnt a = {"cpu0", 100, 0, 0, 100, 0, 0, 0};
  const CCpuInfo::CpuStatEnt b = {"cpu0", 150, 10, 15, 120, 3, 1, 1};  // busy +75, total +100
  const CCpuInfo::CpuStatEnt c = {"cpu1", 0, 0, 0, 0, 0, 0, 0};
  struct Row {
    const char* what;
    CCpuInfo::CpuStat earlier;
    CCpuInfo::CpuStat later;
    int result;
    double percent;
  };
  Row rows[] = {
      {"one cpu", snapshot({a}), snapshot({b}), 0, 75.0},
      {"two cpus summed", snapshot({a, c}), snapshot({b, c}), 0, 75.0},
      {"equal totals", snapshot({a}), snapshot({a}), 4, -1.0},
      {"counts differ", snapshot({a}), snapshot({b, c}), 4, -1.0},
      {"no cpu", snapshot({}), snapshot({}), 4, -1.0},
  };
  for (Row& row : rows) {
    SCOPED_TRACE(row.what);
    double percent = -1.0;
    EXPECT_EQ(row.result, CCpuInfo::get_cpu_usage(row.earlier, row.later, percent));
    EXPECT_DOUBLE_EQ(row.percent, percent);
  }
}

TEST_F(MemInfoTest, CapturedFileSumsFreeCachedAndBuffers) {
  env().proc_meminfo = fixture("captured/meminfo");
  CMemInfo::MemStat stat;
  ASSERT_EQ(0, CMemInfo::get_mem_stat(stat));
  EXPECT_EQ(24683612, stat.total);
  EXPECT_EQ(24137408 + 335260 + 11640, stat.free);
  double percent = -1.0;
  ASSERT_EQ(0, CMemInfo::get_mem_usage(percent));
  EXPECT_DOUBLE_EQ((24683612.0 - stat.free) / 24683612.0 * 100.0, percent);
}

TEST_F(MemInfoTest, KeysAndResultCodes) {
  struct Row {
    const char* what;
    const char* content;
    int result;
    int total;
    int free;
  };
  const Row rows[] = {
      {"near keys do not match",
       "MemTotal: 1000 kB\nMemAvailable: 500 kB\nSwapCached: 400 kB\nMemFree: 10 kB\n"
       "Cached: 20 kB\nBuffers: 30 kB\n",
       0, 1000, 60},
      {"buffers of 0 does not count",
       "MemTotal: 1000 kB\nMemFree: 10 kB\nBuffers: 0 kB\nCached: 20 kB\n", 2, 1000, 30},
      {"reading stops after four keys",
       "MemFree: 1\nCached: 2\nBuffers: 3\nMemTotal: 9\nMemFree: 100\n", 0, 9, 6},
      {"no total", "MemFree: 10 kB\nCached: 20 kB\nBuffers: 30 kB\n", 2, 0, 60},
      {"garbled values", "MemTotal:\nMemFree: abc\nCached -\nBuffers: 3x\n", 2, 0, 3},
      {"leading blanks, no colon", "  MemTotal 7\n\tMemFree 1\nCached 1\nBuffers 1\n", 0, 7, 3},
      {"sum held at the largest value",
       "MemTotal: 9\nMemFree: 2147483000\nCached: 2147483000\nBuffers: 99999999999\n", 0, 9,
       2147483647},
      {"empty", "", 2, 0, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    env().proc_meminfo = write("meminfo", row.content);
    CMemInfo::MemStat stat;
    EXPECT_EQ(row.result, CMemInfo::get_mem_stat(stat));
    EXPECT_EQ(row.total, stat.total);
    EXPECT_EQ(row.free, stat.free);
  }
}

TEST_F(MemInfoTest, FailuresLeaveTheUsageUnwritten) {
  const std::string long_line = "MemTotal: " + std::string(10000, '1') + "\n";
  const std::string contents[] = {"MemTotal: 1000\nMemFree: 10\n", long_line + "MemFree: 1\n"};
  for (const std::string& content : contents) {
    env().proc_meminfo = write("meminfo", content);
    double percent = -1.0;
    EXPECT_EQ(2, CMemInfo::get_mem_usage(percent));
    EXPECT_EQ(-1.0, percent);
  }
  env().proc_meminfo = missing();
  CMemInfo::MemStat stat;
  EXPECT_EQ(2, CMemInfo::get_mem_stat(stat));
}

}  // namespace
}  // namespace system_rad_test
