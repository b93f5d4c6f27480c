// CPU time counters from the kernel's /proc/stat (the path comes from
// sampling_env()).
//
// Stateless: every operation is a static function that opens, parses and
// closes its source on each call, so any thread may call it at any time.
// Failures are reported only by the result code (0 is success); nothing is
// logged or thrown.
#ifndef SYSTEM_RAD_CCPUINFO_H_
#define SYSTEM_RAD_CCPUINFO_H_

#include <cstdint>
#include <vector>

namespace utility {

class CCpuInfo {
 public:
  // One per-CPU line of /proc/stat, in clock ticks. `name` holds at most 16
  // bytes of the line's first field, zero-filled: a 16-byte name has no
  // terminating zero, so read it with a bound.
  struct CpuStatEnt {
    char name[16];
    int64_t user;
    int64_t nice;
    int64_t system;
    int64_t idle;
    int64_t iowait;
    int64_t irq;
    int64_t softirq;
  };

  // One snapshot: the per-CPU lines in file order; `count` is their number.
  struct CpuStat {
    int32_t count = 0;
    std::vector<CpuStatEnt> items;
  };

  // Appends every per-CPU line ("cpu0", "cpu1", ...; the "cpu" summary line
  // is skipped) of at least 8 fields to stat.items and stores their number in
  // stat.count. Pass a fresh snapshot.
  // Result: 0 at least one line read; 1 cannot open; 2 read error (lines read
  // before it stay); 3 out of memory; 5 no per-CPU line.
  static int get_cpu_stat(CpuStat& stat);

  // Busy share of all CPUs together, in percent, over the interval between
  // two snapshots: busy = user + nice + system, total = busy + idle + iowait
  // + irq + softirq. Result: 0 computed; 4 when the counts differ or are not
  // positive or the totals are equal (no tick in between); `percent` is then
  // untouched.
  static int get_cpu_usage(CpuStat& earlier, CpuStat& later, double& percent);
};

}  // namespace utility

#endif  // SYSTEM_RAD_CCPUINFO_H_
