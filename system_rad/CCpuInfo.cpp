#include "system_rad/CCpuInfo.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "system_rad/SamplingEnv.h"
#include "system_rad/TextInput.h"
#include "utility/CStr.h"

namespace utility {

namespace {

const std::size_t kLineBuffer = 1024;
const std::size_t kMinFields = 8;

// True when the first word of `line` begins with "cpu". Lines that fail this
// cannot be taken, so they are not split at all (the long "intr" line is
// most of the file).
bool may_be_cpu_line(const char* line) {
  line += std::strspn(line, " \t\n\v\f\r");
  return std::strncmp(line, "cpu", 3) == 0;
}

// Fills `entry` from the words of a per-CPU line.
void fill_entry(const std::vector<std::string>& fields, CCpuInfo::CpuStatEnt& entry) {
  std::memset(&entry, 0, sizeof(entry));
  std::memcpy(entry.name, fields[0].data(), std::min(fields[0].size(), sizeof(entry.name)));
  entry.user = CStr::atoll(fields[1]);
  entry.nice = CStr::atoll(fields[2]);
  entry.system = CStr::atoll(fields[3]);
  entry.idle = CStr::atoll(fields[4]);
  entry.iowait = CStr::atoll(fields[5]);
  entry.irq = CStr::atoll(fields[6]);
  entry.softirq = CStr::atoll(fields[7]);
}

// Sums in unsigned 64-bit arithmetic: the same bits as signed sums, but
// garbage counters wrap instead of overflowing.
void sum_ticks(const CCpuInfo::CpuStat& stat, uint64_t& busy, uint64_t& total) {
  busy = 0;
  total = 0;
  for (const CCpuInfo::CpuStatEnt& e : stat.items) {
    const uint64_t b = static_cast<uint64_t>(e.user) + static_cast<uint64_t>(e.nice) +
                       static_cast<uint64_t>(e.system);
    busy += b;
    total += b + static_cast<uint64_t>(e.idle) + static_cast<uint64_t>(e.iowait) +
             static_cast<uint64_t>(e.irq) + static_cast<uint64_t>(e.softirq);
  }
}

}  // namespace

int CCpuInfo::get_cpu_stat(CpuStat& stat) {
  TextFile file = open_text(sampling_env().proc_stat);
  if (!file) return 1;
  std::unique_ptr<char[]> line(new (std::nothrow) char[kLineBuffer]);
  if (!line) return 3;
  int result = 5;
  int32_t count = 0;
  try {
    std::vector<std::string> fields;
    while (next_line(file.get(), line.get(), kLineBuffer)) {
      if (!may_be_cpu_line(line.get())) continue;
      fields.clear();
      CStr::ext_line(fields, line.get());
      if (fields.size() < kMinFields || fields[0] == "cpu") continue;
      CpuStatEnt entry;
      fill_entry(fields, entry);
      stat.items.push_back(entry);
      ++count;
      result = 0;
    }
  } catch (const std::bad_alloc&) {
    stat.count = count;
    return 3;
  }
  if (std::ferror(file.get())) result = 2;
  stat.count = count;
  return result;
}

int CCpuInfo::get_cpu_usage(CpuStat& earlier, CpuStat& later, double& percent) {
  if (earlier.count != later.count || earlier.count <= 0) return 4;
  uint64_t busy_earlier, total_earlier, busy_later, total_later;
  sum_ticks(earlier, busy_earlier, total_earlier);
  sum_ticks(later, busy_later, total_later);
  if (total_later == total_earlier) return 4;
  const int64_t busy = static_cast<int64_t>(busy_later - busy_earlier);
  const int64_t total = static_cast<int64_t>(total_later - total_earlier);
  percent = static_cast<double>(busy) / static_cast<double>(total) * 100.0;
  return 0;
}

}  // namespace utility
