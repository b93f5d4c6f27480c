// Memory counters from the kernel's /proc/meminfo (the path comes from
// sampling_env()).
//
// Stateless: static functions only, safe on any thread. Failures are
// reported only by the result code (0 is success); nothing is logged and
// nothing is thrown.
#ifndef SYSTEM_RAD_CMEMINFO_H_
#define SYSTEM_RAD_CMEMINFO_H_

#include <cstdint>

namespace utility {

class CMemInfo {
 public:
  // Kilobytes, as /proc/meminfo gives them. `free` is MemFree + Cached +
  // Buffers.
  struct MemStat {
    int32_t total = 0;
    int32_t free = 0;
  };

  // Sets stat.total from the MemTotal line and adds the MemFree, Cached and
  // Buffers values to stat.free (not cleared first: pass a zeroed record).
  // Keys are matched as prefixes of a line's first word ("SwapCached" and
  // "MemAvailable" do not match); a key counts only when its value is above
  // 0, and reading stops once four have counted. A sum too large for 32 bits
  // stays at the largest value.
  // Result: 0 four keys counted; 2 fewer (also when the file cannot be
  // opened); 1 on any exception.
  static int get_mem_stat(MemStat& stat);

  // (total - free) / total * 100 of a fresh get_mem_stat, written only when
  // that returns 0. Result: the code of get_mem_stat.
  static int get_mem_usage(double& percent);
};

}  // namespace utility

#endif  // SYSTEM_RAD_CMEMINFO_H_
