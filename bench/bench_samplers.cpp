// Cost of one call of each resource sampler next to the floor: a bare read
// of the same kernel file (open, read all, close) in the same run. Prints
// the median of each in microseconds and the sampler/floor ratio.
// Exits 1 when a sampler fails on this machine.
#include <fcntl.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "bench/BenchReport.h"
#include "system_rad/CCpuInfo.h"
#include "system_rad/CDiskInfo.h"
#include "system_rad/CMemInfo.h"
#include "system_rad/CNetInfo.h"
#include "system_rad/SamplingEnv.h"

namespace {

const int kCalls = 2000;
const int kWarmUp = 100;

// Median of kCalls timed calls of `work`, in microseconds.
double median_us(const std::function<void()>& work) {
  return bench::median_us(kCalls, work, kWarmUp);
}

// The floor: the whole file read into a buffer with plain system calls.
std::size_t bare_read(const std::string& path) {
  static char buffer[1 << 16];
  const int fd = open(path.c_str(), O_RDONLY);
  if (fd < 0) return 0;
  std::size_t total = 0;
  for (;;) {
    const ssize_t got = read(fd, buffer, sizeof(buffer));
    if (got <= 0) break;
    total += static_cast<std::size_t>(got);
  }
  close(fd);
  return total;
}

// The floor of the file-system listing including its unavoidable system
// calls: the mtab read plus access and statfs of every mount point.
void bare_read_and_statfs(const std::string& path, const std::vector<std::string>& mounts) {
  bare_read(path);
  struct statfs fs;
  for (const std::string& mount : mounts) {
    if (access(mount.c_str(), F_OK) == 0) statfs(mount.c_str(), &fs);
  }
}

void compare(const char* sampler, const char* file, const std::string& path,
             const std::function<void()>& call) {
  const double sampler_us = median_us(call);
  const double bare_us = median_us([&path] { bare_read(path); });
  bench::report(std::string("sampler_") + sampler + "_us", sampler_us, "us", 2);
  bench::report(std::string("bare_read_") + file + "_us", bare_us, "us", 2);
  bench::report(std::string("sampler_") + sampler + "_vs_bare", sampler_us / bare_us, "x", 2);
}

}  // namespace

int main() {
  const utility::SamplingEnv& env = utility::sampling_env();
  bool ok = true;

  compare("cpu_stat", "proc_stat", env.proc_stat, [&ok] {
    utility::CCpuInfo::CpuStat stat;
    ok = utility::CCpuInfo::get_cpu_stat(stat) == 0 && ok;
  });
  compare("mem_stat", "proc_meminfo", env.proc_meminfo, [&ok] {
    utility::CMemInfo::MemStat stat;
    ok = utility::CMemInfo::get_mem_stat(stat) == 0 && ok;
  });
  compare("net_stat", "proc_net_dev", env.proc_net_dev, [&ok] {
    utility::CNetInfo::NetStat stat = {};
    ok = utility::CNetInfo::get_net_stat("lo", stat) == 0 && ok;
  });

  std::vector<utility::CDiskInfo::DiskInfo> disks;
  ok = utility::CDiskInfo::get_disk_info(disks) == 0 && ok;
  std::vector<std::string> mounts;
  for (const utility::CDiskInfo::DiskInfo& disk : disks) mounts.push_back(disk.mount_point);
  compare("disk_info", "etc_mtab", env.etc_mtab, [&ok] {
    std::vector<utility::CDiskInfo::DiskInfo> list;
    ok = utility::CDiskInfo::get_disk_info(list) == 0 && ok;
  });
  const double disk_us = median_us([&ok] {
    std::vector<utility::CDiskInfo::DiskInfo> list;
    ok = utility::CDiskInfo::get_disk_info(list) == 0 && ok;
  });
  const double floor_us = median_us([&] { bare_read_and_statfs(env.etc_mtab, mounts); });
  bench::report("bare_read_etc_mtab_statfs_us", floor_us, "us", 2);
  bench::report("sampler_disk_info_vs_bare_statfs", disk_us / floor_us, "x", 2);

  if (!ok) std::fprintf(stderr, "bench_samplers: a sampler failed on this machine\n");
  return ok ? 0 : 1;
}
