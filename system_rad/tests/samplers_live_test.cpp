// The samplers and two monitors against the machine's own /proc, /etc/mtab
// and interfaces: read-only, shapes not values. Takes about two seconds.
#include <gtest/gtest.h>
#include <net/if.h>

#include <algorithm>
#include <string>
#include <vector>

#include "system_rad/CCpuRAD.h"
#include "system_rad/CDiskRAD.h"
#include "system_rad/CMemInfo.h"
#include "system_rad/CNetInfo.h"
#include "system_rad/CNetRAD.h"

namespace {

using utility::CMemInfo;
using utility::CNetInfo;

TEST(LiveSystemTest, CpuAndMemory) {
  const int cpu = CCpuRAD::instance()->get_cur_cpu_status();
  EXPECT_GE(cpu, 0);
  EXPECT_LE(cpu, 100);

  CMemInfo::MemStat mem;
  EXPECT_EQ(0, CMemInfo::get_mem_stat(mem));
  EXPECT_GT(mem.total, 0);
  EXPECT_GE(mem.free, 0);
  EXPECT_LE(mem.free, mem.total);
}

TEST(LiveSystemTest, FileSystems) {
  std::vector<CDiskRAD::DiskInfo> list;
  ASSERT_TRUE(CDiskRAD::instance()->get_all_disk_infos(list));
  ASSERT_FALSE(list.empty());
  for (const CDiskRAD::DiskInfo& disk : list) {
    EXPECT_GT(disk.total, 0u) << disk.mount_point;
    EXPECT_LE(disk.free, disk.total) << disk.mount_point;
  }
}

TEST(LiveSystemTest, LoopbackInterface) {
  std::vector<std::string> names;
  ASSERT_EQ(0, CNetInfo::get_all_ni(names));
  EXPECT_NE(names.end(), std::find(names.begin(), names.end(), "lo"));
  CNetInfo::NetStat stat = {};
  EXPECT_EQ(0, CNetInfo::get_net_stat("lo", stat));

  int flags = 0;
  EXPECT_EQ(0, CNetInfo::get_flags("lo", flags));
  EXPECT_TRUE(flags & IFF_LOOPBACK);
  CNetInfo::net_interface info;
  info.name = "untouched";
  ASSERT_EQ(0, CNetInfo::get_net_info("lo", info));
  EXPECT_EQ("untouched", info.name);
  EXPECT_EQ("127.0.0.1", info.addr);
  EXPECT_EQ("255.0.0.0", info.netmask);
  EXPECT_EQ("00:00:00:00:00:00", info.macaddr);
  EXPECT_EQ(flags, info.flags);
  EXPECT_GT(info.mtu, 0);

  const std::string absent = "no-such-if0";
  int mtu = 0;
  std::string text;
  EXPECT_EQ(4, CNetInfo::get_mtu(absent, mtu));
  EXPECT_EQ(4, CNetInfo::get_addr(absent, text));
  EXPECT_EQ(4, CNetInfo::get_macaddr(absent, text));
  EXPECT_EQ(4, CNetInfo::get_net_info(absent, info));
  EXPECT_EQ(7, CNetInfo::get_net_stat(absent, stat));
}

TEST(LiveSystemTest, NetworkSpeedMeasurement) {
  testing::internal::CaptureStdout();
  uint64_t speed = ~uint64_t{0};
  CNetRAD::instance()->get_cur_net_speed(1, speed);
  const std::string trace = testing::internal::GetCapturedStdout();
  EXPECT_NE(~uint64_t{0}, speed);
  EXPECT_EQ(std::string::npos, trace.find(":lo]")) << trace;
}

}  // namespace
