// File-system and network samplers against fixture files.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "system_rad/CDiskInfo.h"
#include "system_rad/CNetInfo.h"
#include "system_rad/tests/samplers_test_env.h"

namespace system_rad_test {
namespace {

using utility::CDiskInfo;
using utility::CNetInfo;

class DiskInfoTest : public SamplingTest {};
class NetInfoTest : public SamplingTest {};

TEST_F(DiskInfoTest, ListsEveryLineAndKeepsEntriesBeforeAVanishedMountPoint) {
  temp_.make_dirs("a");
  temp_.make_dirs("with blank");
  temp_.make_dirs("gone");
  const std::string mtab = "dev1 " + temp_.file("a") + " ext4 rw 0 0\n" +
                           "short line\n"
                           "\n" +
                           "dev\\0402 " + temp_.file("with\\040blank") + " tmpfs\n" +
                           "proc /proc proc rw 0 0\n" + "dev3 " + temp_.file("gone") +
                           " ext4 rw 0 0\n" + "dev4 " + temp_.file("a") + " ext4 rw 0 0\n";
  env().etc_mtab = write("mtab", mtab);

  std::vector<CDiskInfo::DiskInfo> list;
  ASSERT_EQ(0, CDiskInfo::get_disk_info(list));
  ASSERT_EQ(5u, list.size());
  EXPECT_EQ("dev1", list[0].device);
  EXPECT_EQ(temp_.file("a"), list[0].mount_point);
  EXPECT_EQ("ext4", list[0].fs_type);
  EXPECT_NE(0u, list[0].fs.f_blocks);  // the temporary directory's file system
  EXPECT_EQ("dev 2", list[1].device);
  EXPECT_EQ(temp_.file("with blank"), list[1].mount_point);
  EXPECT_EQ(0u, list[2].fs.f_blocks);  // proc has no blocks; kept here

  ASSERT_EQ(0, ::rmdir(temp_.file("gone").c_str()));
  list.assign(1, CDiskInfo::DiskInfo());  // appended to, not cleared
  EXPECT_EQ(5, CDiskInfo::get_disk_info(list));
  ASSERT_EQ(4u, list.size());
  EXPECT_EQ("proc", list[3].device);
}

TEST_F(DiskInfoTest, MissingAndEmptyTables) {
  std::vector<CDiskInfo::DiskInfo> list;
  env().etc_mtab = missing();
  EXPECT_EQ(1, CDiskInfo::get_disk_info(list));
  env().etc_mtab = write("mtab", "");
  EXPECT_EQ(0, CDiskInfo::get_disk_info(list));
  env().etc_mtab = write("mtab", std::string(10000, 'x') + "\n\x01\x02\n");
  EXPECT_EQ(0, CDiskInfo::get_disk_info(list));
  EXPECT_TRUE(list.empty());
}

TEST_F(DiskInfoTest, DecodesOctalEscapes) {
  const struct {
    const char* field;
    const char* decoded;
  } rows[] = {
      {"/mnt/a\\040b", "/mnt/a b"}, {"a\\011b\\012c\\134d", "a\tb\nc\\d"},
      {"plain", "plain"},           {"\\04", "\\04"},
      {"\\400", "\\400"},           {"\\08x", "\\08x"},
      {"end\\", "end\\"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(row.decoded, CDiskInfo::decode_mtab_field(row.field)) << row.field;
  }
}

TEST_F(NetInfoTest, CountersOfACapturedFile) {
  env().proc_net_dev = fixture("captured/net_dev");
  CNetInfo::NetStat stat = {};
  ASSERT_EQ(0, CNetInfo::get_net_stat("eth0", stat));
  // eth0: 20872713 634 0 0 0 0 0 0 39205 451 0 0 0 0 0 0
  EXPECT_EQ(20872713u, stat.ns_ibytes);
  EXPECT_EQ(634, stat.ns_ipackets);
  EXPECT_EQ(39205u, stat.ns_obytes);
  EXPECT_EQ(451, stat.ns_opackets);
  EXPECT_EQ(0, CNetInfo::get_net_stat("lo", stat));
  EXPECT_EQ(9801u, stat.ns_ibytes);
  EXPECT_EQ(7, CNetInfo::get_net_stat("eth", stat));
  EXPECT_EQ(7, CNetInfo::get_net_stat("Inter-|   Receive", stat));
}

TEST_F(NetInfoTest, LinesAndResultCodes) {
  env().proc_net_dev =
      write("dev",
            "Inter-|   Receive                    |  Transmit\n"
            " face |bytes packets errs drop fifo frame compressed multicast|bytes packets errs\n"
            "  bad0: 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15\n"
            "  dup0: 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15\n"
            "  dup0: 100 2 3 4 5 6 7 8 900 10 11 12 13 14 15 16\n"
            "colon0: 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16:\n"
            "two:colons: 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16\n"
            "big0: 18446744073709551615 123 -3 0 0 0 0 0 18446744073709551616 x 7 0 0 0 0 0\n"
            "\x01\xfe:\n");
  struct Row {
    const char* name;
    int result;
    unsigned long long ibytes;
    int ipackets;
    int ierrors;
    unsigned long long obytes;
    int opackets;
    int oerrors;
  };
  const Row rows[] = {
      {"bad0", 7, 0, 0, 0, 0, 0, 0},
      {"dup0", 0, 100, 2, 3, 900, 10, 11},  // the line of 15 counters is passed over
      {"colon0", 7, 0, 0, 0, 0, 0, 0},      // three pieces: ':' then a line end
      {"two", 7, 0, 0, 0, 0, 0, 0},
      {"big0", 0, 18446744073709551615ull, 123, -3, 0, 0, 7},  // too big: 0
      {"", 1, 0, 0, 0, 0, 0, 0},
      {"none", 7, 0, 0, 0, 0, 0, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    CNetInfo::NetStat stat = {};
    EXPECT_EQ(row.result, CNetInfo::get_net_stat(row.name, stat));
    EXPECT_EQ(row.ibytes, stat.ns_ibytes);
    EXPECT_EQ(row.ipackets, stat.ns_ipackets);
    EXPECT_EQ(row.ierrors, stat.ns_ierrors);
    EXPECT_EQ(row.obytes, stat.ns_obytes);
    EXPECT_EQ(row.opackets, stat.ns_opackets);
    EXPECT_EQ(row.oerrors, stat.ns_oerrors);
  }
  env().proc_net_dev = missing();
  CNetInfo::NetStat stat = {};
  EXPECT_EQ(5, CNetInfo::get_net_stat("eth0", stat));
}

TEST_F(NetInfoTest, HardwareAddressBytesAreUnsigned) {
  const char bytes[] = {'\xab', '\x00', '\x7f', '\x80', '\xff', '\x01'};
  EXPECT_EQ("ab:00:7f:80:ff:01", CNetInfo::format_macaddr(bytes));
}

}  // namespace
}  // namespace system_rad_test
