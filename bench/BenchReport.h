// What every benchmark prints and measures the same way: "BENCH <name>
// <value> <unit>" lines, resident memory, percentiles of latency samples.
#ifndef BENCH_BENCHREPORT_H_
#define BENCH_BENCHREPORT_H_

#include <sys/types.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace bench {

inline void report(const std::string& name, double value, const char* unit, int decimals = 1) {
  std::printf("BENCH %s %.*f %s\n", name.c_str(), decimals, value, unit);
  std::fflush(stdout);
}

// VmRSS of process `pid` (0: this process) in kB; -1 when it cannot be read.
inline long rss_kb(pid_t pid = 0) {
  std::ifstream status(pid == 0 ? std::string("/proc/self/status")
                                : "/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.compare(0, 6, "VmRSS:") == 0) return std::stol(line.substr(6));
  }
  return -1;
}

// The sample below which `fraction` of them lie (0.5: the median); sorts
// `samples`. 0 for no samples.
inline double percentile(std::vector<double>& samples, double fraction) {
  if (samples.empty()) return 0;
  std::sort(samples.begin(), samples.end());
  const std::size_t index = static_cast<std::size_t>(samples.size() * fraction);
  return samples[std::min(samples.size() - 1, index)];
}

}  // namespace bench

#endif  // BENCH_BENCHREPORT_H_
