#include "system_rad/CSystemRADConfig.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <limits>
#include <ostream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "platform/litexml/litexml.h"
#include "test_support/TempDir.h"

using Cpu = CSystemRADConfig::SystemRADConfigCpu;
using Net = CSystemRADConfig::SystemRADConfigNet;
using Disk = CSystemRADConfig::SystemRADConfigDisk;

static auto fields(const Cpu& c) {
  return std::tie(c.power, c.duration, c.max_used, c.alarm_method, c.sampling_interval,
                  c.alarm_interval);
}
static auto fields(const Net& n) {
  return std::tie(n.power, n.duration, n.up_threshold, n.down_threshold, n.alarm_method,
                  n.sampling_interval, n.alarm_interval);
}
static auto fields(const Disk& d) {
  return std::tie(d.power, d.id, d.threshold, d.alarm_method, d.sampling_interval,
                  d.alarm_interval);
}
bool operator==(const Cpu& a, const Cpu& b) { return fields(a) == fields(b); }
bool operator==(const Net& a, const Net& b) { return fields(a) == fields(b); }
bool operator==(const Disk& a, const Disk& b) { return fields(a) == fields(b); }
std::ostream& operator<<(std::ostream& out, const Disk& d) {
  return out << "{" << d.power << " '" << d.id << "' " << d.threshold << " " << d.alarm_method
             << " " << d.sampling_interval << " " << d.alarm_interval << "}";
}

namespace {

const char kSettings[] =
    "config/system_resource_anomaly_detect/zelmor_system_resource_anomaly_detect.xml";
const char kFlag[] = "tmp/system_monitor.lock";

std::string shipped_settings() {
  return test_support::read_file(
      std::string(AGENT_DIST_DIR) +
      "/config/system_resource_anomaly_detect/zelmor_system_resource_anomaly_detect.xml");
}

// A settings file whose `resources` element holds `body`.
std::string settings_with(const std::string& body) {
  return "<?xml version=\"1.0\"?>\n<system_resource_anomaly_detect>\n  <resources>\n" + body +
         "  </resources>\n</system_resource_anomaly_detect>\n";
}

std::string cpu_section(const std::string& power, const std::string& sampling,
                        const std::string& duration = "60") {
  return "<cpu><power>" + power + "</power><duration>" + duration +
         "</duration><max_used>90</max_used><alarm_method>4</alarm_method>"
         "<sampling_interval>" +
         sampling + "</sampling_interval><alarm_interval>300</alarm_interval></cpu>\n";
}

std::string device_section(const std::string& id, int threshold) {
  return "<device id=\"" + id + "\"><power>1</power><threshold>" + std::to_string(threshold) +
         "</threshold><alarm_method>4</alarm_method><sampling_interval>60</sampling_interval>"
         "<alarm_interval>1800</alarm_interval></device>\n";
}

Disk disk(const std::string& id, int threshold) {
  Disk d;
  d.power = true;
  d.id = id;
  d.threshold = threshold;
  d.alarm_method = 4;
  d.sampling_interval = 60;
  d.alarm_interval = 1800;
  return d;
}

// Number of elements `xpath` selects in the settings file; -1 when it does
// not load.
int count_in_file(const std::string& xpath) {
  XmlPtr<IXmlDocument> doc(newXmlDocument());
  if (!doc->load(std::string("./") + kSettings)) return -1;
  XmlPtr<IXmlElement> root(doc->root());
  XmlPtr<IXmlNodeList> nodes(root->select_nodes(xpath));
  return nodes->count();
}

class SystemRADConfigTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_.make_dirs("tmp");
    config_->init(nullptr);
  }

  void install(const std::string& xml) { dir_.write(kSettings, xml); }
  std::string file() const { return dir_.read(kSettings); }
  void raise_flag() { dir_.write(kFlag, ""); }

  test_support::TempDir dir_{true};
  CSystemRADConfig* config_ = CSystemRADConfig::instance();
};

TEST_F(SystemRADConfigTest, ShippedFileRoundTripsEverySection) {
  install(shipped_settings());
  Cpu cpu, mem, swap;
  Net net;
  std::vector<Disk> disks;
  ASSERT_TRUE(config_->get_cpu_config(cpu));
  ASSERT_TRUE(config_->get_mem_config(mem));
  ASSERT_TRUE(config_->get_net_config(net));
  ASSERT_TRUE(config_->get_swap_config(swap));
  EXPECT_FALSE(config_->get_disk_config(disks)) << "the shipped file watches no disk";

  const Cpu new_cpu{false, 11, 12, 1, 13, 14};
  const Cpu new_mem{true, 21, 22, 2, 23, 24};
  const Net new_net{true, 31, 32, 33, 6, 34, 35};
  const Cpu new_swap{true, 41, 42, 7, 43, 44};
  const Disk new_disk = disk("/dev/sda1", 85);

  // One section written, the others read back unchanged.
  ASSERT_TRUE(config_->set_cpu_config(new_cpu));
  config_->init(nullptr);
  Cpu got_cpu, got_mem, got_swap;
  Net got_net;
  ASSERT_TRUE(config_->get_cpu_config(got_cpu));
  ASSERT_TRUE(config_->get_mem_config(got_mem));
  ASSERT_TRUE(config_->get_net_config(got_net));
  ASSERT_TRUE(config_->get_swap_config(got_swap));
  EXPECT_EQ(got_cpu, new_cpu);
  EXPECT_EQ(got_mem, mem);
  EXPECT_EQ(got_net, net);
  EXPECT_EQ(got_swap, swap);

  ASSERT_TRUE(config_->set_mem_config(new_mem));
  ASSERT_TRUE(config_->set_net_config(new_net));
  ASSERT_TRUE(config_->set_swap_config(new_swap));
  ASSERT_TRUE(config_->set_disk_config(new_disk));
  config_->init(nullptr);
  ASSERT_TRUE(config_->get_cpu_config(got_cpu));
  ASSERT_TRUE(config_->get_mem_config(got_mem));
  ASSERT_TRUE(config_->get_net_config(got_net));
  ASSERT_TRUE(config_->get_swap_config(got_swap));
  ASSERT_TRUE(config_->get_disk_config(disks));
  EXPECT_EQ(got_cpu, new_cpu);
  EXPECT_EQ(got_mem, new_mem);
  EXPECT_EQ(got_net, new_net);
  EXPECT_EQ(got_swap, new_swap);
  EXPECT_EQ(disks, std::vector<Disk>{new_disk});

  // Sections stay where they were, children in their written order, and the
  // comment at the top survives.
  ASSERT_NE(file().find("<!--"), std::string::npos);
  const std::string text = file().substr(file().find("-->"));
  const char* order[] = {"<cpu>", "<mem>", "<net>", "<disk>", "<device", "</disk>", "<swap>"};
  for (std::size_t i = 1; i < sizeof order / sizeof order[0]; ++i) {
    EXPECT_LT(text.find(order[i - 1]), text.find(order[i])) << order[i - 1] << " " << order[i];
  }
  const std::string net_text = text.substr(text.find("<net>"));
  const char* net_order[] = {
      "<power>1<",        "<duration>31<",          "<up_threshold>32<",   "<down_threshold>33<",
      "<alarm_method>6<", "<sampling_interval>34<", "<alarm_interval>35<", "</net>"};
  for (std::size_t i = 1; i < sizeof net_order / sizeof net_order[0]; ++i) {
    EXPECT_LT(net_text.find(net_order[i - 1]), net_text.find(net_order[i])) << net_order[i];
  }
}

TEST_F(SystemRADConfigTest, CpuSectionMissingIsAppendedAsLastChild) {
  install(settings_with("<mem><power>1</power></mem>\n<disk/>\n"));
  Cpu cpu;
  EXPECT_FALSE(config_->get_cpu_config(cpu));

  const Cpu written{true, 5, 95, 4, 0, 0};
  ASSERT_TRUE(config_->set_cpu_config(written));
  EXPECT_EQ(count_in_file("//resources/*[last()][self::cpu]"), 1) << file();
  EXPECT_EQ(count_in_file("//resources/cpu/*"), 6);
  EXPECT_EQ(count_in_file("//resources/cpu/*[1][self::power]"), 1);
  EXPECT_EQ(count_in_file("//resources/cpu/*[6][self::alarm_interval]"), 1);

  config_->init(nullptr);
  ASSERT_TRUE(config_->get_cpu_config(cpu));
  EXPECT_EQ(cpu, written);
}

TEST_F(SystemRADConfigTest, DeviceWritesReplaceInPlaceOrAppend) {
  install(settings_with("<disk>\n" + device_section("/dev/sda1", 90) +
                        device_section("/dev/sdb1", 80) + "</disk>\n"));
  const std::vector<Disk> in_file = {disk("/dev/sda1", 90), disk("/dev/sdb1", 80)};

  // Written while the list is not cached: the next read has every device.
  ASSERT_TRUE(config_->set_disk_config(disk("/dev/sdc1", 70)));
  std::vector<Disk> expected = {in_file[0], in_file[1], disk("/dev/sdc1", 70)};
  std::vector<Disk> disks;
  ASSERT_TRUE(config_->get_disk_config(disks));
  EXPECT_EQ(disks, expected);

  // Written while cached: the file replaces the device in place, the cached
  // list moves it to the end; both hold the same devices.
  ASSERT_TRUE(config_->set_disk_config(disk("/dev/sda1", 50)));
  ASSERT_TRUE(config_->set_disk_config(disk("", 40)));
  expected = {in_file[1], disk("/dev/sdc1", 70), disk("/dev/sda1", 50), disk("", 40)};
  ASSERT_TRUE(config_->get_disk_config(disks));
  EXPECT_EQ(disks, expected);
  config_->init(nullptr);
  ASSERT_TRUE(config_->get_disk_config(disks));
  expected = {disk("/dev/sda1", 50), in_file[1], disk("/dev/sdc1", 70), disk("", 40)};
  EXPECT_EQ(disks, expected);
  EXPECT_EQ(count_in_file("//resources/disk/device"), 4);
}

TEST_F(SystemRADConfigTest, CacheHoldsUntilFlagFileAppears) {
  install(settings_with(cpu_section("1", "15", "60") +
                        "<mem><power>1</power><duration>60</duration></mem>\n"));
  Cpu cpu, mem;
  ASSERT_TRUE(config_->get_cpu_config(cpu));
  ASSERT_TRUE(config_->get_mem_config(mem));

  // Changed behind the cache's back: still the cached values.
  install(settings_with(cpu_section("1", "15", "61") +
                        "<mem><power>1</power><duration>62</duration></mem>\n"));
  ASSERT_TRUE(config_->get_cpu_config(cpu));
  ASSERT_TRUE(config_->get_mem_config(mem));
  EXPECT_EQ(cpu.duration, 60);
  EXPECT_EQ(mem.duration, 60);

  // The flag makes the next read of any section reload, and is deleted.
  raise_flag();
  ASSERT_TRUE(config_->get_cpu_config(cpu));
  EXPECT_FALSE(dir_.exists(kFlag));
  ASSERT_TRUE(config_->get_mem_config(mem));
  EXPECT_EQ(cpu.duration, 61);
  EXPECT_EQ(mem.duration, 62);

  raise_flag();
  EXPECT_EQ(config_->check_flush_conf(), 1);
  EXPECT_EQ(config_->check_flush_conf(), 0);
}

TEST_F(SystemRADConfigTest, NumbersReadLikeStrtol) {
  const int32_t kMax = std::numeric_limits<int32_t>::max();
  const int32_t kMin = std::numeric_limits<int32_t>::min();
  const struct {
    const char* text;
    int32_t expected;
  } rows[] = {
      {"0", 0},   {"", 0},   {"abc", 0},  {"12abc", 12},         {" 7", 7},
      {"-5", -5}, {"+8", 8}, {"0x10", 0}, {"99999999999", kMax}, {"-99999999999", kMin},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.text);
    install(settings_with(cpu_section("1", row.text)));
    config_->init(nullptr);
    Cpu cpu;
    ASSERT_TRUE(config_->get_cpu_config(cpu));
    EXPECT_EQ(cpu.sampling_interval, row.expected);
  }

  const struct {
    const char* text;
    bool expected;
  } powers[] = {{"2", true}, {"-1", true}, {"1", true}, {"0", false}, {"", false}, {"on", false}};
  for (const auto& row : powers) {
    SCOPED_TRACE(row.text);
    install(settings_with(cpu_section(row.text, "15")));
    config_->init(nullptr);
    Cpu cpu;
    ASSERT_TRUE(config_->get_cpu_config(cpu));
    EXPECT_EQ(cpu.power, row.expected);
  }

  // "2" is watched and is written back as 1.
  install(settings_with(cpu_section("2", "15")));
  config_->init(nullptr);
  Cpu cpu;
  ASSERT_TRUE(config_->get_cpu_config(cpu));
  ASSERT_TRUE(config_->set_cpu_config(cpu));
  EXPECT_NE(file().find("<power>1</power>"), std::string::npos) << file();

  // A child element left out reads like an empty one.
  install(settings_with("<cpu><power>1</power><duration>30</duration></cpu>\n"));
  config_->init(nullptr);
  ASSERT_TRUE(config_->get_cpu_config(cpu));
  EXPECT_EQ(cpu, (Cpu{true, 30, 0, 0, 0, 0}));
}

TEST_F(SystemRADConfigTest, UnusableFilesFailEveryOperationAndStayAsTheyWere) {
  const std::string shipped = shipped_settings();
  const struct {
    const char* label;
    bool present;
    std::string content;
  } rows[] = {
      {"missing", false, ""},
      {"empty", true, ""},
      {"malformed", true, "<a><resources><cpu></resources></a>"},
      {"truncated", true, shipped.substr(0, shipped.size() / 2)},
      {"no resources", true, "<system_resource_anomaly_detect/>\n"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.label);
    if (row.present) install(row.content);
    config_->init(nullptr);
    Cpu cpu;
    Net net;
    std::vector<Disk> disks;
    EXPECT_FALSE(config_->get_cpu_config(cpu));
    EXPECT_FALSE(config_->get_mem_config(cpu));
    EXPECT_FALSE(config_->get_net_config(net));
    EXPECT_FALSE(config_->get_swap_config(cpu));
    EXPECT_FALSE(config_->get_disk_config(disks));
    EXPECT_FALSE(config_->get_disk_config(disks)) << "retried, still false";
    EXPECT_FALSE(config_->set_cpu_config(cpu));
    EXPECT_FALSE(config_->set_mem_config(cpu));
    EXPECT_FALSE(config_->set_net_config(net));
    EXPECT_FALSE(config_->set_swap_config(cpu));
    EXPECT_FALSE(config_->set_disk_config(disk("/dev/sda1", 90)));
    EXPECT_EQ(dir_.exists(kSettings), row.present);
    if (row.present) {
      EXPECT_EQ(file(), row.content);
    }
  }
}

TEST_F(SystemRADConfigTest, DeviceIdsThatCouldChangeTheQueryAreRefused) {
  install(settings_with("<disk>\n" + device_section("/dev/sda1", 90) + "</disk>\n"));
  std::vector<Disk> before;
  ASSERT_TRUE(config_->get_disk_config(before));
  const std::string original = file();

  const std::string ids[] = {"'", "/dev/sda1'", "x' or '1'='1", "/dev/sda1' or @id='x",
                             std::string("/dev/sda1\0x", 11)};
  for (const std::string& id : ids) {
    SCOPED_TRACE(id);
    EXPECT_FALSE(config_->set_disk_config(disk(id, 10)));
    EXPECT_EQ(file(), original);
    std::vector<Disk> disks;
    ASSERT_TRUE(config_->get_disk_config(disks));
    EXPECT_EQ(disks, before);
  }
}

TEST_F(SystemRADConfigTest, ConcurrentReadersSeeWholeRecords) {
  install(shipped_settings());
  const Cpu first{true, 60, 90, 4, 15, 300};
  const Cpu second{false, 120, 50, 1, 30, 600};
  ASSERT_TRUE(config_->set_cpu_config(first));

  std::atomic<bool> failed{false};
  auto reader = [&] {
    for (int i = 0; i < 300; ++i) {
      Cpu cpu;
      std::vector<Disk> disks;
      if (!config_->get_cpu_config(cpu) || !(cpu == first || cpu == second)) failed = true;
      config_->get_disk_config(disks);
    }
  };
  auto cpu_writer = [&] {
    for (int i = 0; i < 30; ++i) {
      if (!config_->set_cpu_config(i % 2 ? first : second)) failed = true;
    }
  };
  auto disk_writer = [&] {
    for (int i = 0; i < 30; ++i) {
      if (!config_->set_disk_config(disk("/dev/sd" + std::string(1, 'a' + i % 4), i))) {
        failed = true;
      }
      if (i % 5 == 0) raise_flag();
    }
  };
  std::thread threads[] = {std::thread(reader), std::thread(reader), std::thread(cpu_writer),
                           std::thread(disk_writer)};
  for (std::thread& thread : threads) thread.join();
  EXPECT_FALSE(failed);

  // The last writes are what a fresh read finds.
  config_->init(nullptr);
  Cpu cpu;
  std::vector<Disk> disks;
  ASSERT_TRUE(config_->get_cpu_config(cpu));
  EXPECT_EQ(cpu, first);
  ASSERT_TRUE(config_->get_disk_config(disks));
  ASSERT_EQ(disks.size(), 4u);
  EXPECT_EQ(disks[3], disk("/dev/sdd", 27));
}

}  // namespace
