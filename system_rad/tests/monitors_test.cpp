// The per-resource monitors against fixture files; the pause between two
// readings switches the fixture instead of sleeping.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "system_rad/CCpuRAD.h"
#include "system_rad/CDiskRAD.h"
#include "system_rad/CMemRAD.h"
#include "system_rad/CNetInfo.h"
#include "system_rad/CNetRAD.h"
#include "system_rad/CSwapRAD.h"
#include "system_rad/tests/samplers_test_env.h"

namespace system_rad_test {
namespace {

// Empties a detector's window whatever it holds: any mean is above this.
const double kBelowEverything = -1e308;

class MonitorsTest : public SamplingTest {
 protected:
  // The first reading from `before`, the second from `after`.
  void switch_stat_on_pause(const std::string& before, const std::string& after) {
    env().proc_stat = before;
    env().pause_one_second = [after] { utility::sampling_env().proc_stat = after; };
  }
};

TEST_F(MonitorsTest, CpuReading) {
  struct Row {
    const char* what;
    std::string before;
    std::string after;
    int percent;
  };
  const std::string summary_only = write("summary", "cpu  1 2 3 4 5 6 7\n");
  // Counters that no kernel writes: busy falling, or idle falling.
  const std::string busy_high = write("busy_high", "cpu0 100 0 0 0 0 0 0\n");
  const std::string busy_low = write("busy_low", "cpu0 50 0 0 100 0 0 0\n");
  const std::string idle_high = write("idle_high", "cpu0 0 0 0 100 0 0 0\n");
  const std::string idle_low = write("idle_low", "cpu0 150 0 0 50 0 0 0\n");
  const Row rows[] = {
      {"99.9 percent reads 99", fixture("cpu_99_9/before"), fixture("cpu_99_9/after"), 99},
      {"equal totals read 0", fixture("cpu_99_9/after"), fixture("cpu_99_9/after"), 0},
      {"below 0 reads 0", busy_high, busy_low, 0},
      {"above 100 reads 100", idle_high, idle_low, 100},
      {"no per-cpu line reads 0", summary_only, summary_only, 0},
      {"missing file reads 0", missing(), missing(), 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    switch_stat_on_pause(row.before, row.after);
    EXPECT_EQ(row.percent, CCpuRAD::instance()->get_cur_cpu_status());
  }
}

TEST_F(MonitorsTest, CpuSamplesFeedTheDetector) {
  CCpuRAD* cpu = CCpuRAD::instance();
  cpu->set_phi_threshold(kBelowEverything);
  cpu->is_anomaly();
  switch_stat_on_pause(fixture("cpu_99_9/before"), fixture("cpu_99_9/after"));
  cpu->set_phi_threshold(99.0);
  cpu->add_sample();
  EXPECT_EQ(99, cpu->get_last_value());
  EXPECT_FALSE(cpu->is_anomaly());  // 99 is not above 99
  cpu->set_phi_threshold(98.5);
  EXPECT_TRUE(cpu->is_anomaly());
  EXPECT_EQ(99, cpu->get_anomaly_value());
}

TEST_F(MonitorsTest, MemoryFiguresInBytes) {
  env().proc_meminfo = fixture("captured/meminfo");
  uint64_t total = 0;
  uint64_t free = 0;
  EXPECT_TRUE(CMemRAD::instance()->get_cur_memory_status(total, free));
  EXPECT_EQ(24683612ull * 1024, total);
  EXPECT_EQ((24137408ull + 335260 + 11640) * 1024, free);
}

TEST_F(MonitorsTest, MemorySamples) {
  struct Row {
    const char* what;
    const char* meminfo;
    uint64_t total;
    uint64_t free;
    double value;
  };
  const Row rows[] = {
      {"usage", "MemTotal: 1000\nMemFree: 100\nCached: 100\nBuffers: 50\n", 1024000, 256000, 75.0},
      {"no total adds 0, not NaN", "MemFree: 100\nCached: 100\nBuffers: 50\n", 0, 256000, 0.0},
      {"unreadable adds 0", nullptr, 0, 0, 0.0},
  };
  CMemRAD* mem = CMemRAD::instance();
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    env().proc_meminfo = row.meminfo ? write("meminfo", row.meminfo) : missing();
    mem->set_phi_threshold(kBelowEverything);
    mem->is_anomaly();
    mem->add_sample();
    uint64_t total = 1;
    uint64_t free = 1;
    mem->get_last_value(total, free);
    EXPECT_EQ(row.total, total);
    EXPECT_EQ(row.free, free);
    // The window holds the one value just added: it is its mean.
    ASSERT_TRUE(mem->is_anomaly());
    EXPECT_DOUBLE_EQ(row.value, mem->get_anomaly_value());
  }
}

TEST_F(MonitorsTest, SwapParseValue) {
  const struct {
    const char* line;
    int value;
  } rows[] = {
      {"SwapFree:  1024 kB\n", 1024},
      {"SwapTotal: 0 kB", 0},
      {"SwapTotal:  512 kB", 512},
      {"no digits", 0},
      {"", 0},
      {"a1b2c3", 123},
      {"99999999999999999999 kB", 2147483647},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(row.value, CSwapRAD::instance()->parse_value(row.line)) << row.line;
  }
  EXPECT_EQ(0, CSwapRAD::instance()->parse_value(nullptr));
}

TEST_F(MonitorsTest, SwapSamples) {
  struct Row {
    const char* what;
    const char* meminfo;
    uint64_t total;
    uint64_t free;
    double value;
  };
  const Row rows[] = {
      {"usage", "MemTotal: 5\nSwapTotal:  1000 kB\nSwapFree:   250 kB\n", 1000, 250, 75.0},
      {"no swap adds 0", "SwapTotal: 0 kB\nSwapFree: 0 kB\n", 0, 0, 0.0},
      {"free above total adds 0", "SwapTotal: 10 kB\nSwapFree: 20 kB\n", 10, 20, 0.0},
      {"key not at the line start", " SwapTotal: 10 kB\nSwapFree: 5 kB\n", 0, 5, 0.0},
  };
  CSwapRAD* swap = CSwapRAD::instance();
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    env().proc_meminfo = write("meminfo", row.meminfo);
    swap->set_phi_threshold(kBelowEverything);
    swap->is_anomaly();
    swap->add_sample();
    uint64_t total = 1;
    uint64_t free = 1;
    swap->get_last_value(total, free);
    EXPECT_EQ(row.total, total);
    EXPECT_EQ(row.free, free);
    swap->set_phi_threshold(0.0);
    EXPECT_EQ(row.value > 0.0, swap->is_anomaly());
    if (row.value > 0.0) {
      EXPECT_DOUBLE_EQ(row.value, swap->get_anomaly_value());
    }
  }
}

TEST_F(MonitorsTest, SwapUnreadableFileLeavesFiguresUnchanged) {
  env().proc_meminfo = missing();
  uint64_t total = 7;
  uint64_t free = 8;
  EXPECT_FALSE(CSwapRAD::instance()->get_swap_info(total, free));
  EXPECT_EQ(7u, total);
  EXPECT_EQ(8u, free);
}

// A /proc/net/dev whose counters are `ibytes` and `obytes` for every name.
std::string net_dev(const std::vector<std::string>& names, uint64_t ibytes, uint64_t obytes) {
  std::string text =
      "Inter-|   Receive                                                |  Transmit\n"
      " face |bytes    packets errs drop fifo frame compressed multicast|bytes    packets\n";
  for (const std::string& name : names) {
    text += "  " + name + ": " + std::to_string(ibytes) + " 1 0 0 0 0 0 0 " +
            std::to_string(obytes) + " 1 0 0 0 0 0 0\n";
  }
  return text;
}

TEST_F(MonitorsTest, NetSumLeavesOutOnlyLoopback) {
  env().proc_net_dev = write("dev", net_dev({"lo", "lo0", "eth0", "xlo"}, 1000, 7));
  const std::vector<std::string> names = {"lo", "lo0", "eth0", "absent", "xlo"};
  testing::internal::CaptureStdout();
  EXPECT_EQ(21u, CNetRAD::sum_counters(names, 0, 1));
  EXPECT_EQ(3000u, CNetRAD::sum_counters(names, 5, 2));
  const std::string trace = testing::internal::GetCapturedStdout();
  EXPECT_EQ(
      "[1:lo0]ns.ns_obytes: 7\n[1:eth0]ns.ns_obytes: 7\n[1:xlo]ns.ns_obytes: 7\n"
      "[2:lo0]ns.ns_ibytes: 1000\n[2:eth0]ns.ns_ibytes: 1000\n[2:xlo]ns.ns_ibytes: 1000\n",
      trace);
}

TEST_F(MonitorsTest, NetSpeedOverTheListedInterfaces) {
  // The interface list comes from the kernel; the counters from fixtures
  // written for exactly those names.
  std::vector<std::string> names;
  ASSERT_EQ(0, utility::CNetInfo::get_all_ni(names));
  uint64_t counted = 0;
  for (const std::string& name : names) counted += name != "lo";
  struct Row {
    const char* what;
    uint64_t before;
    uint64_t after;
    uint64_t per_interface;
  };
  const Row rows[] = {
      {"growth", 1000, 4000, 3000},
      {"no traffic", 5, 5, 0},
      {"counter reset wraps", 5000, 1000, 0 - uint64_t{4000}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const std::string after = write("after", net_dev(names, row.after, row.after * 2));
    env().proc_net_dev = write("before", net_dev(names, row.before, row.before * 2));
    env().pause_one_second = [after] { utility::sampling_env().proc_net_dev = after; };
    testing::internal::CaptureStdout();
    uint64_t up = 1;
    CNetRAD::instance()->get_cur_net_speed(0, up);
    env().proc_net_dev = write("before", net_dev(names, row.before, row.before * 2));
    uint64_t down = 1;
    CNetRAD::instance()->get_cur_net_speed(1, down);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(row.per_interface * 2 * counted, up);
    EXPECT_EQ(row.per_interface * counted, down);
  }
}

TEST_F(MonitorsTest, NetSamplesFeedOneDetectorPerDirection) {
  std::vector<std::string> names;
  ASSERT_EQ(0, utility::CNetInfo::get_all_ni(names));
  uint64_t counted = 0;
  for (const std::string& name : names) counted += name != "lo";
  // Upload reads files 0 and 1, download files 1 and 2.
  const std::vector<std::string> files = {write("0", net_dev(names, 0, 1000)),
                                          write("1", net_dev(names, 100, 1500)),
                                          write("2", net_dev(names, 300, 0))};
  env().proc_net_dev = files[0];
  auto next = std::make_shared<std::size_t>(0);
  env().pause_one_second = [files, next] { utility::sampling_env().proc_net_dev = files[++*next]; };
  CNetRAD* net = CNetRAD::instance();
  for (int direction : {0, 1}) {
    net->set_phi_threshold(direction, kBelowEverything);
    net->is_anomaly(direction);
  }
  testing::internal::CaptureStdout();
  net->add_sample();
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(500 * counted, net->get_last_value(0));
  EXPECT_EQ(200 * counted, net->get_last_value(7));
  net->set_phi_threshold(0, 500.0 * counted);
  net->set_phi_threshold(1, 200.0 * counted - 1);
  EXPECT_FALSE(net->is_anomaly(0));
  EXPECT_EQ(counted > 0, net->is_anomaly(1));
  if (counted > 0) {
    EXPECT_DOUBLE_EQ(200.0 * counted, net->get_anomaly_value(1));
  }
}

// Callers of one monitor at once: a measurement starts its pause only after
// the one before has finished.
TEST_F(MonitorsTest, MeasurementsOfOneResourceDoNotInterleave) {
  env().proc_stat = fixture("cpu_99_9/before");
  env().proc_net_dev = write("dev", net_dev({"eth0"}, 1, 1));
  const std::function<void()> measurements[] = {
      [] { CCpuRAD::instance()->get_cur_cpu_status(); },
      [] {
        uint64_t up = 0;
        uint64_t down = 0;
        CNetRAD::instance()->get_cur_value_for_view(up, down);
      },
  };
  testing::internal::CaptureStdout();
  for (const std::function<void()>& measure : measurements) {
    std::atomic<int> inside{0};
    std::atomic<bool> overlapped{false};
    env().pause_one_second = [&inside, &overlapped] {
      if (++inside > 1) overlapped = true;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      --inside;
    };
    std::vector<std::thread> callers;
    for (int i = 0; i < 3; ++i) callers.emplace_back(measure);
    for (std::thread& caller : callers) caller.join();
    EXPECT_FALSE(overlapped);
  }
  testing::internal::GetCapturedStdout();
}

CDiskRAD::DiskInfo disk(uint64_t total, uint64_t free) {
  CDiskRAD::DiskInfo info;
  info.total = total;
  info.free = free;
  info.free_ratio = static_cast<double>(free) / static_cast<double>(total);
  return info;
}

TEST_F(MonitorsTest, DiskJudgementAtTheLimitCounts) {
  const uint64_t totals[] = {100, 4096ull * 25, 1000ull * 1000 * 1000 * 500};
  for (uint64_t total : totals) {
    for (int percent = 0; percent <= 100; ++percent) {
      const CDiskRAD::DiskInfo info = disk(total, total - total / 100 * percent);
      EXPECT_TRUE(CDiskRAD::exceeds(info, percent)) << total << " at " << percent;
      EXPECT_FALSE(CDiskRAD::exceeds(info, percent + 0.001)) << total << " at " << percent;
    }
  }
  EXPECT_FALSE(CDiskRAD::exceeds(disk(0, 0), 0.0));
  EXPECT_TRUE(CDiskRAD::exceeds(disk(100, 200), 0.0));
  EXPECT_FALSE(CDiskRAD::exceeds(disk(100, 200), 0.5));
}

TEST_F(MonitorsTest, DiskCacheAndExactDeviceMatch) {
  temp_.make_dirs("a");
  temp_.make_dirs("b");
  env().etc_mtab =
      write("mtab", "/dev/sda1 " + temp_.file("a") + " ext4 rw 0 0\n" + "proc /proc proc rw 0 0\n" +
                        "/dev/sda1 " + temp_.file("b") + " xfs rw 0 0\n");
  CDiskRAD* disks = CDiskRAD::instance();
  ASSERT_TRUE(disks->create_disk_infos_cache());
  CDiskRAD::DiskInfo info;
  ASSERT_TRUE(disks->get_disk_info_to_cache("/dev/sda1", info));
  EXPECT_EQ(temp_.file("a"), info.mount_point);               // the first match
  EXPECT_FALSE(disks->get_disk_info_to_cache("proc", info));  // no blocks: left out
  ASSERT_GT(info.total, 0u);
  EXPECT_DOUBLE_EQ(static_cast<double>(info.free) / info.total, info.free_ratio);

  for (const char* other : {"/dev/SDA1", "/dev/sda1 ", "/dev/sda", "proc"}) {
    EXPECT_FALSE(disks->is_anomaly(other, 0.0)) << other;
  }
  EXPECT_TRUE(disks->is_anomaly("/dev/sda1", 0.0));
  EXPECT_FALSE(disks->is_anomaly("/dev/sda1", 100.001));
  EXPECT_DOUBLE_EQ(1.0 - info.free_ratio, disks->get_anomaly_value());
  std::string device;
  uint64_t total = 0;
  uint64_t free = 0;
  disks->get_last_value(device, total, free);
  EXPECT_EQ("/dev/sda1", device);
  EXPECT_EQ(info.total, total);
  EXPECT_EQ(info.free, free);
}

TEST_F(MonitorsTest, FailedListingEmptiesTheCache) {
  temp_.make_dirs("a");
  env().etc_mtab = write("mtab", "/dev/sda1 " + temp_.file("a") + " ext4 rw 0 0\n" + "/dev/sdb1 " +
                                     temp_.file("vanished") + " ext4 rw 0 0\n");
  CDiskRAD* disks = CDiskRAD::instance();
  std::vector<CDiskRAD::DiskInfo> list(3);
  EXPECT_FALSE(disks->get_all_disk_infos(list));
  EXPECT_TRUE(list.empty());  // the entry before the failure is dropped too

  env().etc_mtab = write("good", "/dev/sda1 " + temp_.file("a") + " ext4 rw 0 0\n");
  ASSERT_TRUE(disks->create_disk_infos_cache());
  ASSERT_TRUE(disks->is_anomaly("/dev/sda1", 0.0));
  env().etc_mtab = temp_.file("mtab");
  EXPECT_FALSE(disks->create_disk_infos_cache());
  EXPECT_FALSE(disks->is_anomaly("/dev/sda1", 0.0));
  env().etc_mtab = missing();
  EXPECT_FALSE(disks->get_all_disk_infos(list));
}

}  // namespace
}  // namespace system_rad_test
